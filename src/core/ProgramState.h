#pragma once
// The values the whole program shares: start-up values, the user's folders,
// the clearing flags, the cookie manager's filter, and the open windows.
// One object of it exists per program run; tests make a fresh one each.
#include <cstdint>
#include <functional>
#include <string>

#include "core/Platform.h"
#include "core/Settings.h"

namespace purgelet {

namespace ui {
class Application;
class CheckBox;
}  // namespace ui
class TFirstInitial;
class TForm1;
class TForm2;
class TMainForm;
class TTrayIcon;

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
    } shell;
};

// Categories waiting for the NT run.
struct NtCategoryFlags {
    bool historyLinksWeb = false;
    bool temporaryFiles = false;
    bool cookies = false;
    bool historyLinksDoc = false;
    bool tempInternetFiles = false;
    bool typedURLs = false;
    bool typedWordsOnRun = false;

    void SetAll(bool on) {
        historyLinksWeb = temporaryFiles = cookies = historyLinksDoc = tempInternetFiles = typedURLs = typedWordsOnRun =
            on;
    }
};

// URL cache entry type bits.
inline constexpr std::uint32_t kCookieCacheEntry = 0x00100000;
inline constexpr std::uint32_t kUrlHistoryCacheEntry = 0x00200000;
inline constexpr std::uint32_t kTrackOnlineCacheEntry = 0x00000020;
inline constexpr std::uint32_t kTrackOfflineCacheEntry = 0x00000010;

struct ProgramState {
    explicit ProgramState(ui::Application& application) : app(application), settings(platform) {}
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    ui::Application& app;
    Platform platform;
    SettingsStore settings;

    // Start-up values.
    std::string ProgramFolder;
    std::wstring ProgramFolderWide;  // the same in full, names outside the code page included
    std::string WindowsFolder;
    std::string SettingsKey;
    bool SecondInstance = false;
    bool TrayMode = false;
    HANDLE instanceMutex = nullptr;

    // Cleaning engine.
    FolderSet folders;
    NtCategoryFlags ntFlags;
    bool ClearLogPerCategory = true;

    // Cookie manager: the entry types the next refresh keeps, and whether
    // WinInet's cache deletion function was found.
    std::uint32_t cacheEntryTypeFilter = kCookieCacheEntry;
    bool deleteUrlCacheEntryFound = true;

    // The main window's box for fitting the cookie list's columns, while that
    // window exists; the cookie manager reads it.
    ui::CheckBox* autoColResizeBox = nullptr;

    // The windows, each kept in one reference (null when not open).
    TFirstInitial* FirstInitial = nullptr;
    TForm1* Form1 = nullptr;
    TForm2* Form2 = nullptr;
    TMainForm* MainForm = nullptr;
    std::function<void()> CreateTrayWindow;  // filled by the start-up code: creates the tray window
    // The newest tray icon (owned by the application; only it has an icon in
    // the notification area).
    TTrayIcon* TrayIcon = nullptr;

    // Settings helpers bound to the settings key.
    std::string Read(const std::string& name) const { return settings.ReadIniFromReg(SettingsKey, name); }
    void Write(const std::string& name, const std::string& text) const {
        settings.WriteIniToReg(SettingsKey, name, text);
    }
};

// Appends one "\" unless the text already ends in one.
inline std::string WithTrailingBackslash(std::string s) {
    if (s.empty() || s.back() != '\\') s += '\\';
    return s;
}
inline std::wstring WithTrailingBackslash(std::wstring s) {
    if (s.empty() || s.back() != L'\\') s += L'\\';
    return s;
}

// Between the ANSI code page and wide text. Narrowing replaces what the code
// page lacks; it is for showing, never for naming a file.
inline std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}
inline std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr, nullptr);
    return narrow;
}

}  // namespace purgelet
