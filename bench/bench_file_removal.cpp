// Times the file removal routines against other ways of emptying the same
// tree in the same run: a bare wide-character FindFirstFileW/DeleteFileW
// loop; the same bare loop making the routines' per-entry check (each entry
// opened without following links, its final path compared with its folder's
// final path plus its name, and deleted through that handle only when they
// match), which is the floor of any removal that never follows a link under
// Wine; and the command interpreter's "rd /s /q". Two shapes: a flat tree
// (folders of empty files) and a deep one (one folder and one file per
// level). Each contender gets its own identical tree below
// C:\purgelet-bench\ in every round; the order of the contenders rotates
// from round to round, and the median and the spread of the per-round ratios
// are reported, the ratio to the checking loop against its goal.
//
// Then a soak of the swap race: a host-side process keeps swapping a
// sub-folder for a link to an outside folder of same-named files while the
// routines empty the tree, round after round; every file outside is counted
// with its attributes after each round.
//
//   bench_file_removal [--rounds N] [--flat FOLDERS FILES] [--deep LEVELS]
//                      [--soak ROUNDS] [--soak-pause MS] [--no-rd]
//
// Defaults: 5 rounds, 100 folders of 1,000 files, 1,000 levels, 200 soak
// rounds with each state of the swapped folder lasting up to 10 ms (as in the
// test suite). A size of 0 skips that part.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cleaner/removal/FileRemoval.h"
#include "support/HostSwapper.h"
#include "BenchFigures.h"
#include "support/TestSupport.h"

namespace {

const std::string kRoot = "C:\\purgelet-bench\\";

std::wstring Long(const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }

bool MakeFile(const std::wstring& path, DWORD attributes = 0) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool MakeFlat(const std::string& top, int folders, int files) {
    if (!CreateDirectoryW(Long(top).c_str(), nullptr)) return false;
    wchar_t name[64];
    for (int d = 0; d < folders; ++d) {
        std::swprintf(name, 64, L"folder%03d\\", d);
        std::wstring folder = Long(top) + name;
        if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
        for (int f = 0; f < files; ++f) {
            std::swprintf(name, 64, L"file%05d.tmp", f);
            if (!MakeFile(folder + name)) return false;
        }
    }
    return true;
}

// One sub-folder and one file on every level.
bool MakeDeep(const std::string& top, int levels) {
    std::wstring folder = Long(top);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
    for (int level = 0; level < levels; ++level) {
        if (!MakeFile(folder + L"f.tmp")) return false;
        folder += L"d\\";
        if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
    }
    return true;
}

// The plainest way to empty a tree: list, delete files, recurse into folders.
void BareLoop(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!std::wcscmp(data.cFileName, L".") || !std::wcscmp(data.cFileName, L"..")) continue;
        std::wstring path = folder + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            BareLoop(path + L"\\");
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(h, &data));
    FindClose(h);
}

// Where an open entry really lies, as "\\?\C:\x\name", expected to be about
// expectedLength long: the answer of GetFinalPathNameByHandleW, or, for a path
// longer than it can give under Wine, the handle's object name, as the
// routines ask it.
std::wstring FinalPath(HANDLE handle, std::size_t expectedLength) {
    static std::vector<wchar_t> buffer(MAX_PATH + 1);
    static std::vector<LONGLONG> name(8192);
    if (expectedLength < MAX_PATH) {
        DWORD n =
            GetFinalPathNameByHandleW(handle, buffer.data(), MAX_PATH + 1, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n > 0 && n <= MAX_PATH) return std::wstring(buffer.data(), n);
    }
    ULONG needed = 0;
    if (!NT_SUCCESS(NtQueryObject(handle, ObjectNameInformation, name.data(),
                                  static_cast<ULONG>(name.size() * sizeof(LONGLONG)), &needed)))
        return {};
    const auto* info = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(name.data());
    std::wstring path(info->Name.Buffer, info->Name.Length / sizeof(wchar_t));
    if (path.rfind(L"\\??\\", 0) != 0) return {};
    return L"\\\\?\\" + path.substr(4);
}

// The bare loop making the routines' check: every entry is opened without
// following links and deleted through its handle only when its final path is
// its folder's final path plus its name. A folder is listed through the
// handle it was checked on (a listing by path would be refused while that
// handle may delete it).
void CheckedEntry(const std::wstring& folder, const std::wstring& folderFinal, const std::wstring& name, bool isFolder);

void CheckedListing(HANDLE handle, const std::wstring& folder, const std::wstring& folderFinal) {
    std::vector<LONGLONG> buffer(2048);
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(handle, kind, buffer.data(), static_cast<DWORD>(buffer.size() * 8))) {
        kind = FileIdBothDirectoryInfo;
        const char* at = reinterpret_cast<const char*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..")
                CheckedEntry(folder, folderFinal, name, info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY);
            if (!info->NextEntryOffset) break;
            at += info->NextEntryOffset;
        }
    }
}

void CheckedEntry(const std::wstring& folder, const std::wstring& folderFinal, const std::wstring& name,
                  bool isFolder) {
    const std::wstring path = folder + name;
    HANDLE entry = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | (isFolder ? FILE_LIST_DIRECTORY : 0),
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (entry == INVALID_HANDLE_VALUE) return;
    const std::wstring expected = folderFinal + L"\\" + name;
    if (FinalPath(entry, expected.size()) == expected) {
        if (isFolder) CheckedListing(entry, path + L"\\", expected);
        FILE_DISPOSITION_INFO dispose{TRUE};
        SetFileInformationByHandle(entry, FileDispositionInfo, &dispose, sizeof(dispose));
    }
    CloseHandle(entry);
}

void CheckedLoop(const std::wstring& top) {
    HANDLE folder = CreateFileW(top.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return;
    const std::wstring final = FinalPath(folder, top.size());
    if (!final.empty()) CheckedListing(folder, top, final);
    CloseHandle(folder);
}

long CountEntries(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return 0;
    long n = 0;
    do {
        if (!std::wcscmp(data.cFileName, L".") || !std::wcscmp(data.cFileName, L"..")) continue;
        ++n;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            n += CountEntries(folder + data.cFileName + L"\\");
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return n;
}

bool RunCommand(std::string command) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &si, &pi)) return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

void Clear(const std::string& folder) { purgelet::EmptyFolder(folder, purgelet::Platform()); }

void RemoveAll() {
    Clear(kRoot);
    RemoveDirectoryA(kRoot.c_str());
}

struct Contender {
    const char* label;
    std::function<void(const std::string& top)> run;
    std::vector<double> seconds;
    long left = 0;
};

// Times the contenders on identical trees, round after round, each round in
// another order. Returns false when a tree could not be built or a loop left
// entries behind.
bool Compare(const char* shape, const std::function<bool(const std::string&)>& build, int rounds, bool withRd) {
    constexpr double kGoal = 1.05;
    std::vector<Contender> contenders;
    contenders.push_back({"file removal routines", [](const std::string& top) { Clear(top); }, {}});
    contenders.push_back({"bare FindFirstFileW loop", [](const std::string& top) { BareLoop(Long(top)); }, {}});
    contenders.push_back({"bare loop + final-path check", [](const std::string& top) { CheckedLoop(Long(top)); }, {}});
    if (withRd)
        contenders.push_back({"cmd /c rd /s /q",
                              [](const std::string& top) {
                                  RunCommand("cmd /c rd /s /q " + top.substr(0, top.size() - 1));
                                  CreateDirectoryA(top.c_str(), nullptr);  // rd removes the folder itself too
                              },
                              {}});
    const std::size_t n = contenders.size();
    std::vector<double> toChecked, toBare, toRd;
    for (int round = 0; round < rounds; ++round) {
        double t0 = testing_support::SecondsNow();
        for (std::size_t i = 0; i < n; ++i) {
            std::string top = kRoot + shape + std::to_string(i) + "\\";
            Clear(top);
            RemoveDirectoryW(Long(top).c_str());
            if (!build(top)) {
                std::fprintf(stderr, "could not build the %s trees\n", shape);
                return false;
            }
        }
        std::printf("%s round %d: trees built in %.1f s; order", shape, round + 1, testing_support::SecondsNow() - t0);
        for (std::size_t k = 0; k < n; ++k) {
            std::size_t i = (k + round) % n;
            std::printf("%s %s", k ? "," : "", contenders[i].label);
            std::fflush(stdout);
            std::string top = kRoot + shape + std::to_string(i) + "\\";
            t0 = testing_support::SecondsNow();
            contenders[i].run(top);
            contenders[i].seconds.push_back(testing_support::SecondsNow() - t0);
            contenders[i].left += CountEntries(Long(top));
        }
        std::printf("\n");
        for (auto& c : contenders) std::printf("    %-28s %9.2f s\n", c.label, c.seconds.back());
        toChecked.push_back(contenders[0].seconds.back() / contenders[2].seconds.back());
        toBare.push_back(contenders[0].seconds.back() / contenders[1].seconds.back());
        if (withRd) toRd.push_back(contenders[0].seconds.back() / contenders[3].seconds.back());
        std::printf("    routines / checking loop     %9.3f   routines / bare loop %6.3f\n", toChecked.back(),
                    toBare.back());
        std::fflush(stdout);
    }
    using testing_support::MedianAndSpread;
    using testing_support::Summarize;
    const auto headline = Summarize(toChecked);
    std::printf("%s: medians of %d rounds, order rotated\n", shape, rounds);
    for (auto& c : contenders)
        std::printf("    %-28s %s s  (%ld entries left over all rounds)\n", c.label,
                    MedianAndSpread(Summarize(c.seconds)).c_str(), c.left);
    std::printf("    routines / bare loop with the same final-path check: %s  goal <= %.2f: %s\n",
                MedianAndSpread(headline, "%.3f").c_str(), kGoal, headline.median <= kGoal ? "met" : "MISSED");
    std::printf("    routines / bare FindFirstFileW loop:                 %s\n",
                MedianAndSpread(Summarize(toBare), "%.3f").c_str());
    std::printf("    checking loop / bare FindFirstFileW loop:            %s\n",
                MedianAndSpread(Summarize([&] {
                                    std::vector<double> v;
                                    for (std::size_t r = 0; r < toBare.size(); ++r)
                                        v.push_back(toBare[r] / toChecked[r]);
                                    return v;
                                }()),
                                "%.3f")
                    .c_str());
    if (withRd)
        std::printf("    routines / rd /s /q:                                 %s\n",
                    MedianAndSpread(Summarize(toRd), "%.3f").c_str());
    std::fflush(stdout);
    for (std::size_t i = 0; i < n; ++i) Clear(kRoot + shape + std::to_string(i) + "\\");
    return contenders[0].left == 0 && contenders[1].left == 0 && contenders[2].left == 0;
}

// Every file below folder (links not followed) with its attributes.
void Sentinels(const std::wstring& folder, std::map<std::wstring, DWORD>& files) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L".." || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Sentinels(folder + name + L"\\", files);
        } else {
            files[folder + name] = data.dwFileAttributes;
        }
    } while (FindNextFileW(h, &data));
    FindClose(h);
}

// Files named f000.txt ... in folder, a quarter read-only and a quarter hidden and system.
bool MakeRaceFiles(const std::string& folder, int files) {
    wchar_t name[32];
    for (int i = 0; i < files; ++i) {
        std::swprintf(name, 32, L"f%03d.txt", i);
        DWORD attributes = i % 4 == 0   ? FILE_ATTRIBUTE_READONLY
                           : i % 4 == 1 ? FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM
                                        : 0;
        if (!MakeFile(Long(folder) + name, attributes)) return false;
    }
    return true;
}

// Returns the number of files outside that went or changed.
long Soak(int rounds, int files, double pauseMs) {
    const std::string race = kRoot + "race\\";
    Clear(race);
    CreateDirectoryA(race.c_str(), nullptr);
    CreateDirectoryA((race + "outside").c_str(), nullptr);
    CreateDirectoryA((race + "outside\\deeper").c_str(), nullptr);
    CreateDirectoryA((race + "work").c_str(), nullptr);
    if (!MakeRaceFiles(race + "outside\\", files) || !MakeRaceFiles(race + "outside\\deeper\\", files)) return -1;
    std::map<std::wstring, DWORD> before;
    Sentinels(Long(race + "outside\\"), before);

    long lost = 0, swaps = 0, roundsWithLoss = 0;
    double t0 = testing_support::SecondsNow();
    {
        testing_support::HostSwapper swapper(race, "work\\sub", "../outside", 3600, pauseMs);
        if (!swapper.Ready()) {
            std::fprintf(stderr, "the host-side swapper did not start\n");
            return -1;
        }
        for (int round = 0; round < rounds; ++round) {
            Clear(race + "work\\");
            CreateDirectoryA((race + "work\\sub").c_str(), nullptr);
            CreateDirectoryA((race + "work\\sub\\deeper").c_str(), nullptr);
            MakeRaceFiles(race + "work\\sub\\", files);
            MakeRaceFiles(race + "work\\sub\\deeper\\", files);
            if (!swapper.Go()) break;
            Clear(race + "work\\");
            swaps = swapper.Pause();
            if (swaps < 0) break;
            std::map<std::wstring, DWORD> after;
            Sentinels(Long(race + "outside\\"), after);
            long changed = 0;
            for (const auto& [path, attributes] : before) {
                auto now = after.find(path);
                changed += now == after.end() || now->second != attributes;
            }
            if (changed) {
                ++roundsWithLoss;
                lost += changed;
                std::printf("    round %d: %ld files outside gone or changed\n", round + 1, changed);
                // Put them back for the next round.
                Clear(race + "outside\\");
                CreateDirectoryA((race + "outside\\deeper").c_str(), nullptr);
                MakeRaceFiles(race + "outside\\", files);
                MakeRaceFiles(race + "outside\\deeper\\", files);
            }
        }
    }
    std::printf(
        "swap race soak, each state up to %.1f ms: %d rounds of %d files, %ld swaps, %.1f s: %ld files outside gone "
        "or changed in %ld rounds\n",
        pauseMs, rounds, 2 * files, swaps, testing_support::SecondsNow() - t0, lost, roundsWithLoss);
    std::fflush(stdout);
    Clear(race);
    return lost;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 5, folders = 100, files = 1000, levels = 1000, soakRounds = 200;
    double soakPause = 10.0;
    bool withRd = true;
    auto number = [&](int& i) { return i + 1 < argc ? std::atoi(argv[++i]) : -1; };
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--no-rd")) {
            withRd = false;
        } else if (!std::strcmp(argv[i], "--rounds")) {
            rounds = number(i);
        } else if (!std::strcmp(argv[i], "--flat")) {
            folders = number(i);
            files = number(i);
        } else if (!std::strcmp(argv[i], "--deep")) {
            levels = number(i);
        } else if (!std::strcmp(argv[i], "--soak")) {
            soakRounds = number(i);
        } else if (!std::strcmp(argv[i], "--soak-pause") && i + 1 < argc) {
            soakPause = std::atof(argv[++i]);
        } else {
            rounds = -1;
        }
    }
    if (rounds <= 0 || folders < 0 || files < 0 || levels < 0 || soakRounds < 0 || soakPause <= 0) {
        std::fprintf(stderr,
                     "usage: bench_file_removal [--rounds N] [--flat FOLDERS FILES] [--deep LEVELS] [--soak ROUNDS] "
                     "[--soak-pause MS] [--no-rd]\n");
        return 2;
    }

    RemoveAll();
    if (!CreateDirectoryA(kRoot.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot create %s\n", kRoot.c_str());
        return 1;
    }
    bool ok = true;
    if (folders > 0 && files > 0) {
        std::printf("Flat tree: %d folders of %d empty files\n", folders, files);
        ok &= Compare(
            "flat", [&](const std::string& top) { return MakeFlat(top, folders, files); }, rounds, withRd);
    }
    if (levels > 0) {
        std::printf("Deep tree: %d levels, one folder and one file each\n", levels);
        ok &= Compare(
            "deep", [&](const std::string& top) { return MakeDeep(top, levels); }, rounds, withRd);
    }
    if (soakRounds > 0) ok &= Soak(soakRounds, 150, soakPause) == 0;
    RemoveAll();
    return ok ? 0 : 1;
}
