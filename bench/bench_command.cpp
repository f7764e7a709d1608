// The command line's clearing and preview against the main window's "Clear
// All", on the data of bench_clear_all (Windows XP, folders of files in both
// temporary folders, cookie and history entries), measured in the same run.
// Three contenders take turns going first, each on freshly laid-out traces:
//   - "Clear All" through the main window and the hidden cookie manager;
//   - "clear --all --quiet" run in this process on the same system values;
//   - "preview --all --json" (removes nothing; the traces are then removed
//     outside the timing).
// After each clear everything must be gone; the preview must name exactly the
// files, folders and entries laid out and leave them all in place. The
// headlines are the medians, with their spread, of the per-round ratios
// clear / Clear All and preview / Clear All, against their goals. Separately,
// the start-up of PurgeletCmd.exe as a process under Wine ("--version").
//
//   scripts/bench.sh bench_command [folders [files-per-folder [entries [rounds]]]]
//
// Defaults: 10 folders of 1,000 files; 3,000 cookie and 3,000 history
// entries (the data of bench_clear_all); 3 rounds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ClearingTraces.h"
#include "command/Command.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"
#include "BenchFigures.h"
#include "support/TestSupport.h"

using namespace purgelet;

namespace {

const bench::ClearingTraces kTraces("C:\\purgelet-bench-command\\");

// Keeps what the command writes; Discard drops it.
class Captured final : public CommandOutput {
public:
    explicit Captured(bool keep = true) : keep_(keep) {}
    void Out(std::wstring_view text) override {
        if (keep_) out.append(text);
    }
    void Err(std::wstring_view text) override {
        if (keep_) err.append(text);
    }
    bool ErrIsConsole() const override { return false; }
    std::wstring out, err;

private:
    bool keep_;
};

// The preview's totals as they must read for the laid-out traces: every file,
// every folder, both kinds of entries, no values, no bytes (the files are
// empty and the entries have none), nothing kept.
std::wstring ExpectedTotals(long files, long folders, long entries) {
    return L"\"totals\": {\"files\": " + std::to_wstring(files) + L", \"folders\": " + std::to_wstring(folders) +
           L", \"cacheEntries\": " + std::to_wstring(entries) +
           L", \"values\": 0, \"bytes\": 0, \"kept\": {\"files\": 0, \"cacheEntries\": 0, \"values\": 0, "
           L"\"refusedFolders\": 0}}";
}

void ClearUntimed() {
    Platform platform;
    EmptyFolder(kTraces.userTemp, platform);
    EmptyFolder(kTraces.windowsTemp, platform);
    testing_support::ClearUrlCache();
}

// The build's folder, the benchmark's folder's parent: PurgeletCmd.exe lies there.
std::string BuildFolder() {
    char path[MAX_PATH] = {};
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    folder.resize(folder.find_last_of('\\'));
    folder.resize(folder.find_last_of('\\') + 1);
    return folder;
}

// Starts PurgeletCmd.exe with these arguments in the build's folder, its
// output going nowhere, and waits for it; returns its exit code, or -1.
int RunCommandExe(const std::string& arguments) {
    const std::string folder = BuildFolder();
    std::string commandLine = "\"" + folder;
    commandLine += "PurgeletCmd.exe\" ";
    commandLine += arguments;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA start{};
    start.cb = sizeof(start);
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = start.hStdError = nul;
    PROCESS_INFORMATION process{};
    int code = -1;
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &start,
                       &process)) {
        DWORD exitCode = 0;
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process.hProcess, &exitCode))
            code = static_cast<int>(exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    const int folders = argc > 1 ? std::atoi(argv[1]) : 10;
    const int files = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int entries = argc > 3 ? std::atoi(argv[3]) : 3000;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    constexpr double kClearGoal = 1.05;
    constexpr double kPreviewGoal = 0.5;
    if (folders <= 0 || files <= 0 || entries <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_command [folders [files-per-folder [entries [rounds]]]]\n");
        return 2;
    }

    bench::XpWindows windows(kTraces);
    ProgramState& state = windows.state;
    TForm1& main = *windows.main;
    const int& errors = windows.errors;
    // The same system as the main window sees it.
    const CleaningSite& site = state.site;
    testing_support::ClearUrlCache();
    // One untimed clearing of the traces first: whatever the prefix held in
    // the cleared keys goes, and the cache's index files have grown to the
    // size the rounds need, so that every contender starts from the same state.
    if (!kTraces.Fill(folders, files, entries)) {
        std::fprintf(stderr, "could not lay out the traces\n");
        kTraces.RemoveAll();
        return 1;
    }
    main.btnClearAll.Click();
    Captured discard(false);

    const long laidOutFiles = static_cast<long>(folders) * files;
    const std::wstring expectedTotals = ExpectedTotals(laidOutFiles, folders, 2L * entries);
    std::printf(
        "clear and preview against Clear All on Windows XP: %d folders of %d files, %d cookie and %d history "
        "entries\n",
        folders, files, entries, entries);
    std::vector<double> clearAll, clear, preview, clearRatios, previewRatios;
    bool cleared = true, previewRight = true;
    int clearCode = 0, previewCode = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 3; ++turn) {
            if (!kTraces.Fill(folders, files, entries)) {
                std::fprintf(stderr, "could not lay out the traces\n");
                kTraces.RemoveAll();
                return 1;
            }
            const int contender = (round + turn) % 3;
            const double t0 = testing_support::SecondsNow();
            if (contender == 0) {
                main.btnClearAll.Click();
                clearAll.push_back(testing_support::SecondsNow() - t0);
            } else if (contender == 1) {
                const int code = RunCommand({L"clear", L"--all", L"--quiet"}, site, state.SettingsKey, discard);
                clear.push_back(testing_support::SecondsNow() - t0);
                if (code != kExitDone) clearCode = code;
            } else {
                Captured captured;
                const int code = RunCommand({L"preview", L"--all", L"--json"}, site, state.SettingsKey, captured);
                preview.push_back(testing_support::SecondsNow() - t0);
                if (code != kExitDone) previewCode = code;
                const bool counted = captured.out.find(expectedTotals) != std::wstring::npos;
                const bool untouched = kTraces.FilesAndFoldersLeft() == laidOutFiles + folders &&
                                       testing_support::CacheEntryNames().size() == 2u * entries;
                if (!counted || !untouched) {
                    previewRight = false;
                    std::printf("  preview %s%s:\n%ls%ls\n", counted ? "" : "counted otherwise",
                                untouched ? "" : " and changed the traces", captured.out.c_str(), captured.err.c_str());
                }
                ClearUntimed();
            }
            if (!kTraces.AllCleared()) cleared = false;
        }
        clearRatios.push_back(clear.back() / clearAll.back());
        previewRatios.push_back(preview.back() / clearAll.back());
        std::printf("round %d: Clear All %.2f s; clear %.2f s; preview %.2f s; ratios clear %.3f, preview %.3f\n",
                    round + 1, clearAll.back(), clear.back(), preview.back(), clearRatios.back(), previewRatios.back());
        std::fflush(stdout);
    }

    // Process start-up under Wine, apart from the data.
    std::vector<double> startUp;
    int versionCode = 0;
    for (int round = 0; round < rounds; ++round) {
        const double t0 = testing_support::SecondsNow();
        const int code = RunCommandExe("--version");
        startUp.push_back(testing_support::SecondsNow() - t0);
        if (code != 0) versionCode = code;
    }

    using testing_support::MedianAndSpread;
    using testing_support::Summarize;
    const auto clearFigures = Summarize(clearRatios);
    const auto previewFigures = Summarize(previewRatios);
    std::printf("\nbench_command: medians of %d rounds, order rotated\n", rounds);
    std::printf("  ratio clear --all / Clear All:   %s  goal <= %.2f: %s\n",
                MedianAndSpread(clearFigures, "%.3f").c_str(), kClearGoal,
                clearFigures.median <= kClearGoal ? "met" : "MISSED");
    std::printf("  ratio preview --all / Clear All: %s  goal <= %.2f: %s\n",
                MedianAndSpread(previewFigures, "%.3f").c_str(), kPreviewGoal,
                previewFigures.median <= kPreviewGoal ? "met" : "MISSED");
    std::printf("  Clear All:       %s s\n", MedianAndSpread(Summarize(clearAll)).c_str());
    std::printf("  clear --all:     %s s\n", MedianAndSpread(Summarize(clear)).c_str());
    std::printf("  preview --all:   %s s\n", MedianAndSpread(Summarize(preview)).c_str());
    std::printf("  PurgeletCmd.exe --version as a process (start-up under Wine): %s s, exit code %s\n",
                MedianAndSpread(Summarize(startUp)).c_str(), versionCode == 0 ? "0" : "NOT 0");
    std::printf(
        "  everything cleared: %s; clear's exit code: %d; preview's counts right and nothing changed: %s, "
        "exit code %d; error boxes: %d\n",
        cleared ? "yes" : "NO", clearCode, previewRight ? "yes" : "NO", previewCode, errors);
    testing_support::ClearUrlCache();
    testing_support::RegDeleteTree(state.SettingsKey);
    kTraces.RemoveAll();
    return cleared && previewRight && clearCode == 0 && previewCode == 0 && errors == 0 ? 0 : 1;
}
