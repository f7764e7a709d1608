#pragma once
// The values the whole program shares: start-up values, the user's folders,
// the clearing flags, the cookie manager's filter, and the open windows by role.
// One object of it exists per program run; tests make a fresh one each.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "base/InstanceMutex.h"
#include "base/Text.h"
#include "core/CleaningSite.h"
#include "core/Platform.h"
#include "core/Settings.h"

namespace purgelet {

namespace ui {
class Application;
class Form;
}  // namespace ui
class TForm1;
class TForm2;
class TMainForm;
class TTrayIcon;

// The roles of the program's windows besides the invisible first window.
enum class WindowRole { Main, Tray, CookieManager };

// The program's open windows, by role: the one way to find a window. Each
// window enters itself under its role when it is made and leaves when it
// goes, so a window that is gone (a main window released at start, a tray
// window removed by the tray option) is never found; of two windows of one
// role, the newer is found.
class ProgramWindows {
public:
    explicit ProgramWindows(ui::Application& app) : app_(app) {}
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    // The open window of a role, or null.
    ui::Form* Find(WindowRole role) const { return open_[Index(role)]; }
    // The same as its own class, where that class is known (templates only
    // so that this header need not know the window classes).
    template <class W = TForm1>
    W* MainWindow() const {
        return dynamic_cast<W*>(Find(WindowRole::Main));
    }
    template <class W = TForm2>
    W* TrayWindow() const {
        return dynamic_cast<W*>(Find(WindowRole::Tray));
    }
    template <class W = TMainForm>
    W* CookieManager() const {
        return dynamic_cast<W*>(Find(WindowRole::CookieManager));
    }
    // The invisible first window (the application's first form), the owner
    // of the program's message boxes; null before it is made. (A template
    // for the same reason: the application's class is the window
    // framework's, which this header does not include.)
    template <class A = ui::Application>
    ui::Form* FirstWindow() const {
        A& app = app_;
        return app.FirstForm();
    }

    // Creates the tray window, which puts the icon in the notification area,
    // through makeTrayWindow; an error when nothing has set that.
    TForm2& CreateTrayWindow();
    // Makes the tray window. The tray folder offers it
    // (ConnectTrayWindow in tray/TrayWindow.h); the start-up sets it.
    std::function<TForm2&()> makeTrayWindow;

    void Enter(WindowRole role, ui::Form& window) { open_[Index(role)] = &window; }
    void Leave(WindowRole role, ui::Form& window) {
        if (open_[Index(role)] == &window) open_[Index(role)] = nullptr;
    }

private:
    static std::size_t Index(WindowRole role) { return static_cast<std::size_t>(role); }
    ui::Application& app_;
    ui::Form* open_[3] = {};
};

// What the cookie manager reads of the main window: whether the cookie list
// fits its columns to their contents ("Automatically resize columns in
// Cookies List").
class CookieListOptions {
public:
    virtual bool AutoColumnResize() const = 0;

protected:
    ~CookieListOptions() = default;
};

// Categories waiting for the NT run: one pending flag per category.
struct NtCategoryFlags {
    // By a category's place in the category table.
    std::uint64_t bits = 0;

    bool Has(std::size_t index) const { return (bits >> index) & 1u; }
    void Set(std::size_t index, bool on) {
        if (on)
            bits |= std::uint64_t{1} << index;
        else
            bits &= ~(std::uint64_t{1} << index);
    }
    bool Any() const { return bits != 0; }
    void SetAll(bool on) { bits = on ? ~std::uint64_t{0} : 0; }
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
    // The running system as the cleaning engine sees it; the names below are
    // its parts, under the names the program's windows know them by.
    CleaningSite site;
    Platform& platform = site.platform;
    SettingsStore settings;

    // Start-up values.
    std::string ProgramFolder;
    std::wstring& ProgramFolderWide = site.programFolder;  // in full, names outside the code page included
    std::string& WindowsFolder = site.windowsFolder;
    std::string SettingsKey;
    bool SecondInstance = false;
    bool TrayMode = false;
    // Held from the first window's check for a running copy until the state goes.
    InstanceMutex instanceMutex;

    // Cleaning engine.
    FolderSet& folders = site.folders;
    NtCategoryFlags ntFlags;
    bool ClearLogPerCategory = true;

    // Cookie manager: the entry types the next refresh keeps, and whether
    // WinInet's cache deletion function was found.
    std::uint32_t cacheEntryTypeFilter = kCookieCacheEntry;
    bool deleteUrlCacheEntryFound = true;

    // The open windows, by role.
    ProgramWindows windows{app};
    // The newest tray icon (owned by the application; only it has an icon in
    // the notification area).
    TTrayIcon* TrayIcon = nullptr;

    // Settings helpers bound to the settings key.
    std::string Read(const std::string& name) const { return settings.ReadIniFromReg(SettingsKey, name); }
    void Write(const std::string& name, const std::string& text) const {
        settings.WriteIniToReg(SettingsKey, name, text);
    }
};

}  // namespace purgelet
