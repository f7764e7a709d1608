// Times the file removal routines against two ways of emptying the same tree
// in the same run: a bare FindFirstFileA/DeleteFileA loop and the command
// interpreter's "rd /s /q". Each gets its own identical tree of empty files
// below C:\purgelet-bench\.
//
//   bench_file_removal [folders [files-per-folder]] [--no-rd]
//
// Defaults: 100 folders of 1,000 files.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cleaner/FileRemoval.h"
#include "support/TestSupport.h"

namespace {

const std::string kRoot = "C:\\purgelet-bench\\";

bool MakeTree(const std::string& top, int folders, int files) {
    if (!CreateDirectoryA(top.c_str(), nullptr)) return false;
    char name[64];
    for (int d = 0; d < folders; ++d) {
        std::snprintf(name, sizeof(name), "folder%03d\\", d);
        std::string folder = top + name;
        if (!CreateDirectoryA(folder.c_str(), nullptr)) return false;
        for (int f = 0; f < files; ++f) {
            std::snprintf(name, sizeof(name), "file%05d.tmp", f);
            HANDLE h = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            if (h == INVALID_HANDLE_VALUE) return false;
            CloseHandle(h);
        }
    }
    return true;
}

// The plainest way to empty a tree: list, delete files, recurse into folders.
void BareLoop(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "*.*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!std::strcmp(data.cFileName, ".") || !std::strcmp(data.cFileName, "..")) continue;
        std::string path = folder + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            BareLoop(path + "\\");
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(h, &data));
    FindClose(h);
}

long CountEntries(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return 0;
    long n = 0;
    do {
        if (!std::strcmp(data.cFileName, ".") || !std::strcmp(data.cFileName, "..")) continue;
        ++n;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) n += CountEntries(folder + data.cFileName + "\\");
    } while (FindNextFileA(h, &data));
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

void RemoveAll() {
    purgelet::Platform platform;
    purgelet::ReadFileAndDelete(kRoot, platform);
    purgelet::KillSubFolderFiles(kRoot, platform);
    RemoveDirectoryA(kRoot.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    int folders = 100, files = 1000;
    bool withRd = true;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--no-rd")) {
            withRd = false;
        } else if (positional == 0) {
            folders = std::atoi(argv[i]), ++positional;
        } else {
            files = std::atoi(argv[i]), ++positional;
        }
    }
    if (folders <= 0 || files <= 0) {
        std::fprintf(stderr, "usage: bench_file_removal [folders [files-per-folder]] [--no-rd]\n");
        return 2;
    }

    RemoveAll();
    if (!CreateDirectoryA(kRoot.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot create %s\n", kRoot.c_str());
        return 1;
    }
    const std::string bare = kRoot + "bare\\", routines = kRoot + "routines\\", rd = kRoot + "rd\\";
    std::printf("Tree: %d folders of %d empty files (%ld entries) per contender\n", folders, files,
                static_cast<long>(folders) * (files + 1));
    std::fflush(stdout);

    double t0 = testing_support::SecondsNow();
    bool made = MakeTree(bare, folders, files) && MakeTree(routines, folders, files) &&
                (!withRd || MakeTree(rd, folders, files));
    double made_s = testing_support::SecondsNow() - t0;
    if (!made) {
        std::fprintf(stderr, "could not build the trees\n");
        RemoveAll();
        return 1;
    }
    std::printf("building the trees          %8.2f s\n", made_s);
    std::fflush(stdout);

    t0 = testing_support::SecondsNow();
    BareLoop(bare);
    double bare_s = testing_support::SecondsNow() - t0;
    long bareLeft = CountEntries(bare);

    purgelet::Platform platform;
    t0 = testing_support::SecondsNow();
    purgelet::ReadFileAndDelete(routines, platform);
    purgelet::KillSubFolderFiles(routines, platform);
    double routines_s = testing_support::SecondsNow() - t0;
    long routinesLeft = CountEntries(routines);

    std::printf("bare FindFirstFileA loop    %8.2f s  (%ld entries left)\n", bare_s, bareLeft);
    std::printf("file removal routines       %8.2f s  (%ld entries left)\n", routines_s, routinesLeft);
    std::fflush(stdout);

    double rd_s = 0;
    long rdLeft = 0;
    if (withRd) {
        std::string command = "cmd /c rd /s /q " + rd.substr(0, rd.size() - 1);
        t0 = testing_support::SecondsNow();
        bool ran = RunCommand(command);
        rd_s = testing_support::SecondsNow() - t0;
        rdLeft = CountEntries(rd);
        std::printf("cmd /c rd /s /q             %8.2f s  (%ld entries left%s)\n", rd_s, rdLeft,
                    ran ? "" : ", cmd did not start");
    }

    std::printf("routines / bare loop        %8.3f  (goal: at most 1.1)\n", routines_s / bare_s);
    if (withRd) std::printf("routines / rd /s /q         %8.3f\n", routines_s / rd_s);

    RemoveAll();
    return bareLeft == 0 && routinesLeft == 0 && rdLeft == 0 ? 0 : 1;
}
