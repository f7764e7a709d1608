#pragma once
// The traces the clearing benchmarks lay out and clear on a Windows XP
// layout below one root folder: folders of empty files, split between the
// user's temporary folder (in a profile folder of its own) and the Windows
// temporary folder, and cookie and history entries in the URL cache.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "cleaner/removal/FileRemoval.h"
#include "cookies/CookieListWindow.h"
#include "core/ProgramState.h"
#include "framework/Application.h"
#include "mainwindow/MainWindow.h"
#include "support/TestSupport.h"

namespace bench {

// Files and folders below folder ("...\\"), at every depth.
inline long CountEntries(const std::string& folder) {
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

struct ClearingTraces {
    explicit ClearingTraces(const std::string& rootFolder)
        : root(rootFolder),
          windows(root + "WINDOWS\\"),
          profile(root + "profile\\"),
          userTemp(profile + "Local Settings\\Temp\\"),
          windowsTemp(windows + "Temp\\") {}

    std::string root, windows, profile, userTemp, windowsTemp;

    // Both temporary folders get half the folders; the cache gets the entries.
    bool Fill(int folders, int files, int entries) const {
        const int userFolders = folders / 2;
        return MakeFolders(userTemp, userFolders, files) && MakeFolders(windowsTemp, folders - userFolders, files) &&
               Commit(entries, "Cookie:bench@site%05d.example/", COOKIE_CACHE_ENTRY) == entries &&
               Commit(entries, "Visited: bench@http://site%05d.example/", URLHISTORY_CACHE_ENTRY) == entries;
    }

    // Files and folders left in both temporary folders.
    long FilesAndFoldersLeft() const { return CountEntries(userTemp) + CountEntries(windowsTemp); }

    bool AllCleared() const { return FilesAndFoldersLeft() == 0 && testing_support::CacheEntryNames().empty(); }

    void RemoveAll() const {
        purgelet::Platform platform;
        purgelet::EmptyFolder(root, platform);
        RemoveDirectoryA(root.c_str());
    }

    // The program state sees Windows XP with its Windows folder below the
    // root; the profile folder is set once the main window has found its
    // folders.
    void StandInWindowsXp(purgelet::ProgramState& state) const {
        state.WindowsFolder = windows;
        state.platform.getVersion = [](OSVERSIONINFOA* v) {
            v->dwMajorVersion = 5;
            v->dwMinorVersion = 1;
            v->dwPlatformId = VER_PLATFORM_WIN32_NT;
            return TRUE;
        };
    }

private:
    static bool MakeFolders(const std::string& top, int folders, int files) {
        testing_support::MakeDir(top);
        char name[64];
        for (int d = 0; d < folders; ++d) {
            std::snprintf(name, sizeof(name), "folder%03d\\", d);
            const std::string folder = top + name;
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

    static int Commit(int count, const char* pattern, DWORD type) {
        FILETIME zero{};
        char name[128];
        int made = 0;
        for (int i = 0; i < count; ++i) {
            std::snprintf(name, sizeof(name), pattern, i);
            if (CommitUrlCacheEntryA(name, nullptr, zero, zero, type, nullptr, 0, nullptr, nullptr)) ++made;
        }
        return made;
    }
};

// The main window and the hidden cookie manager on the traces' Windows XP
// layout, with error boxes counted instead of shown; the traces are removed
// and the profile folder is made.
struct XpWindows {
    explicit XpWindows(const ClearingTraces& traces) {
        state.SettingsKey = testing_support::SettingsKey() + "\\bench";
        traces.StandInWindowsXp(state);
        app.hooks.messageBox = [this](HWND, const std::string& text, const std::string&, UINT) {
            std::printf("  error box: %s\n", text.c_str());
            ++errors;
            return IDOK;
        };
        main = &app.CreateForm<purgelet::TForm1>(state);
        app.CreateForm<purgelet::TMainForm>(state);
        traces.RemoveAll();
        testing_support::MakeDir(traces.profile);
        state.folders.ProfileFolder = traces.profile;
    }

    purgelet::ui::Application app;
    purgelet::ProgramState state{app};
    purgelet::TForm1* main = nullptr;
    int errors = 0;
};

}  // namespace bench
