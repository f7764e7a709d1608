#pragma once
// The running system as the cleaning engine sees it: the platform calls, the
// Windows folder, the program's own folder, the user's folders, WinInet's
// deletion function and where the URL cache entries come from. The program
// state holds one; the command line makes its own (cleaner/CategoryPlan.h:
// SiteOfThisSystem).
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/Platform.h"

namespace purgelet {

// Where the current user's traces lie.
struct FolderSet {
    std::string UserName;
    std::uint8_t WinMajor = 0;
    bool IsWin9x = false;
    std::string ProfileFolder;      // NT family
    std::string UserHistoryFolder;  // Windows 9x, relative to WindowsFolder
    std::string UserCookiesFolder;
    std::string UserRecentFolder;
    std::string UserTempInternetFolder;
    // Windows Vista and later (WinMajor 6 and up): each folder as the shell
    // names it for its role, in full (names outside the code page included),
    // ending in "\"; empty where none is known.
    struct ShellFolders {
        std::wstring profile, userTemp, tempInternet, recent, cookies, history;
        // The user's temporary folder as the environment names it (TMP, else
        // TEMP), before the system makes a full path of it; empty when
        // neither is set.
        std::wstring userTempConfigured;
    } shell;
};

// Where URL cache entries come from: WinInet's enumeration functions, or a stand-in.
struct UrlCacheSource {
    // FindFirstUrlCacheEntryA with a null search pattern (every entry).
    std::function<HANDLE(INTERNET_CACHE_ENTRY_INFOA*, DWORD*)> findFirst =
        [](INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) { return FindFirstUrlCacheEntryA(nullptr, entry, size); };
    std::function<BOOL(HANDLE, INTERNET_CACHE_ENTRY_INFOA*, DWORD*)> findNext =
        [](HANDLE handle, INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
            return FindNextUrlCacheEntryA(handle, entry, size);
        };
    std::function<void(HANDLE)> findClose = [](HANDLE handle) { FindCloseUrlCache(handle); };

    static UrlCacheSource WinInet() { return {}; }
};

// DeleteUrlCacheEntryA of "wininet.dll", as looked up at run time.
using DeleteUrlCacheEntryFn = BOOL(WINAPI*)(LPCSTR);

struct CleaningSite {
    Platform platform;
    std::string windowsFolder;  // ends in "\\"
    std::wstring programFolder;
    FolderSet folders;
    DeleteUrlCacheEntryFn deleteEntry = nullptr;  // WinInet's, null when it was not found
    UrlCacheSource cacheSource;
};

}  // namespace purgelet
