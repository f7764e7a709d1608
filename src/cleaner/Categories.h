#pragma once
// The clearing categories, one row each: everything that lists, orders,
// names or runs categories - the window's buttons and mode runs, the NT run,
// the unattended clearing's stored choice, the command line - walks this
// table. A category is its row here, its texts (value names, log lines) and
// its controls in the main window.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cleaner/LogLines.h"
#include "cleaner/RegistryValues.h"
#include "cleaner/iecache/UrlCacheEntries.h"
#include "core/Scramble.h"
#include "core/Texts.h"

namespace purgelet {

// A category's identity. The table below holds them in the mode order.
enum class Category {
    HistoryLinksWeb,
    TempInternetFiles,
    Cookies,
    TypedURLs,
    TypedWordsOnRun,
    TemporaryFiles,
    HistoryLinksDoc,
    BrowserCache,
    BrowserCookies,
    BrowserHistory,
    BrowserForms,
    BrowserSessions,
};

// The folders a category empties, by role; each family names them its own way.
enum class FolderRole : std::uint8_t { None, TempInternet, Temporary, Recent };

struct CategoryRow {
    Category id;
    // On the command line.
    const wchar_t* name;
    const wchar_t* title;
    // Where the settings keep its selection box (Main page) and its custom
    // box (Settings page).
    FixedText selectionValue;
    FixedText customValue;
    // Its place in the custom execution mode's order (the table's own order
    // is the mode order, which the NT run follows too).
    std::uint8_t customPlace;
    // What it clears.
    bool historyStore = false;                             // the URL history store
    std::optional<std::uint8_t> cacheKind = std::nullopt;  // the URL cache entries of this kind
    const char* registryKey = nullptr;                     // every value of this key below HKEY_CURRENT_USER
    FolderRole folders = FolderRole::None;                 // its folders
    // On the NT family its folders are emptied by the NT run, to which its
    // button hands over (after its cache part).
    bool ntRun = false;
    // Its button shows the hourglass over the Main page while it runs.
    bool hourglass = false;
    // The caches of today's browsers: not one of the Main page's categories;
    // the mode runs and the unattended clearing take it after them when
    // the stored "Include browsers" box is on.
    bool browsers = false;
    // A browsers' category: its item box on the Browsers page, and whether
    // the box is on when nothing is stored.
    const char* itemValue = nullptr;
    bool itemOnByDefault = false;
    // Log lines: its own, written by its button; the NT run's (when that
    // clears it itself); the failure line of a registry list; the line of a
    // button that needs WinInet's deletion function and finds none.
    const char* line = nullptr;
    const char* ntLine = nullptr;
    const char* failureLine = nullptr;
    const char* noWininetLine = nullptr;
    // What its URL cache entries or registry values are, as the line after
    // its own names them ("Removed from typed URLs: 3 values").
    const char* removedFrom = nullptr;
};

inline constexpr CategoryRow kCategories[] = {
    {.id = Category::HistoryLinksWeb,
     .name = L"history",
     .title = L"Internet Explorer history of web sites",
     .selectionValue = texts::ValClearHistory,
     .customValue = texts::ValCustomHistoryLinksWeb,
     .customPlace = 2,
     .historyStore = true,
     .cacheKind = kHistoryEntriesKind,
     .line = logline::HistoryOfWebSites,
     .ntLine = logline::HistoryOfWebSites,
     .removedFrom = "Internet Explorer's history"},
    {.id = Category::TempInternetFiles,
     .name = L"internet-cache",
     .title = L"Internet Explorer temporary internet files",
     .selectionValue = texts::ValTempInternet,
     .customValue = texts::ValCustomTempInternetFiles,
     .customPlace = 3,
     .cacheKind = kOrdinaryEntriesKind,
     .folders = FolderRole::TempInternet,
     .ntRun = true,
     .noWininetLine = logline::TempInternetNoWininet,
     .removedFrom = "Internet Explorer's cache"},
    {.id = Category::Cookies,
     .name = L"cookies",
     .title = L"Internet Explorer cookies",
     .selectionValue = texts::ValClearCookies,
     .customValue = texts::ValCustomCookies,
     .customPlace = 0,
     .cacheKind = kCookieEntriesKind,
     .line = logline::UserCookies,
     .ntLine = logline::NtCookies,
     .noWininetLine = logline::CookiesNoWininet,
     .removedFrom = "Internet Explorer's cookies"},
    {.id = Category::TypedURLs,
     .name = L"typed-urls",
     .title = L"Addresses typed into Internet Explorer",
     .selectionValue = texts::ValClearTypedURLs,
     .customValue = texts::ValCustomTypedURLs,
     .customPlace = 4,
     .registryKey = kTypedUrlsKey,
     .line = logline::TypedUrls,
     .failureLine = logline::TypedUrlsFailed,
     .removedFrom = "typed URLs"},
    {.id = Category::TypedWordsOnRun,
     .name = L"run-history",
     .title = L"Commands typed into the Run box",
     .selectionValue = texts::ValClearTypedWordsInRun,
     .customValue = texts::ValCustomTypedWordsInRun,
     .customPlace = 5,
     .registryKey = kRunMruKey,
     .line = logline::RunWords,
     .failureLine = logline::RunWordsFailed,
     .removedFrom = "typed words on Run"},
    {.id = Category::TemporaryFiles,
     .name = L"temp",
     .title = L"Temporary files",
     .selectionValue = texts::ValClearTemp,
     .customValue = texts::ValCustomTemporary,
     .customPlace = 6,
     .folders = FolderRole::Temporary,
     .ntRun = true,
     .hourglass = true},
    {.id = Category::HistoryLinksDoc,
     .name = L"recent",
     .title = L"Recently opened documents",
     .selectionValue = texts::ValRecentLinks,
     .customValue = texts::ValCustomHistoryLinksDoc,
     .customPlace = 1,
     .folders = FolderRole::Recent,
     .ntRun = true},
    {.id = Category::BrowserCache,
     .name = L"browser-cache",
     .title = L"Caches of Edge, Chrome, Brave, Vivaldi, Opera and Firefox",
     .selectionValue = "",
     .customValue = "",
     .customPlace = 7,
     .browsers = true,
     .itemValue = texts::ValBrowserCache,
     .itemOnByDefault = true},
    {.id = Category::BrowserCookies,
     .name = L"browser-cookies",
     .title = L"Cookies of Edge, Chrome, Brave, Vivaldi, Opera and Firefox",
     .selectionValue = "",
     .customValue = "",
     .customPlace = 8,
     .browsers = true,
     .itemValue = texts::ValBrowserCookies,
     .itemOnByDefault = true},
    {.id = Category::BrowserHistory,
     .name = L"browser-history",
     .title = L"Browsing history of Edge, Chrome, Brave, Vivaldi, Opera and Firefox (bookmarks stay)",
     .selectionValue = "",
     .customValue = "",
     .customPlace = 9,
     .browsers = true,
     .itemValue = texts::ValBrowserHistory,
     .itemOnByDefault = true},
    {.id = Category::BrowserForms,
     .name = L"browser-forms",
     .title = L"Form entries of Edge, Chrome, Brave, Vivaldi, Opera and Firefox (saved addresses and cards stay)",
     .selectionValue = "",
     .customValue = "",
     .customPlace = 10,
     .browsers = true,
     .itemValue = texts::ValBrowserForms},
    {.id = Category::BrowserSessions,
     .name = L"browser-sessions",
     .title = L"Open tabs and sessions of Edge, Chrome, Brave, Vivaldi, Opera and Firefox (their tabs cannot be "
              L"restored then)",
     .selectionValue = "",
     .customValue = "",
     .customPlace = 11,
     .browsers = true,
     .itemValue = texts::ValBrowserSessions},
};
inline constexpr std::size_t kCategoryCount = std::size(kCategories);

// A category's place in the table (the mode order), and its row.
constexpr std::size_t IndexOf(Category category) {
    for (std::size_t i = 0; i < kCategoryCount; ++i)
        if (kCategories[i].id == category) return i;
    return 0;
}
constexpr const CategoryRow& RowOf(Category category) { return kCategories[IndexOf(category)]; }
// The Main page's categories in the mode order, and in the custom execution
// mode's order; every category (the browsers' last).
std::vector<Category> ModeOrder();
std::vector<Category> CustomOrder();
std::vector<Category> AllCategories();
// The category a command-line name (in lower case) names.
std::optional<Category> CategoryNamed(const std::wstring& name);

// The three mode buttons: which categories a run takes, by the category's
// selection box.
enum class ClearMode { All, Selected, NotSelected };
bool ModeTakes(ClearMode mode, bool selected);

// What the unattended clearing runs: the first checked radio button decides.
enum class Execution { None, ClearAll, ClearSelected, ClearNotSelected, Custom };
Execution ChosenExecution(bool clearAll, bool clearSelected, bool clearNotSelected, bool custom);

// The four execution modes' radio buttons and the values that store them, in
// the order they load.
struct ExecutionValue {
    Execution mode;
    FixedText value;
};
inline constexpr ExecutionValue kExecutionValues[] = {
    {Execution::ClearAll, texts::ValClearAllMode},
    {Execution::ClearSelected, texts::ValClearSelectedMode},
    {Execution::ClearNotSelected, texts::ValClearNotSelectedMode},
    {Execution::Custom, texts::ValCustomMode},
};
constexpr FixedText ValueOf(Execution mode) {
    for (const ExecutionValue& v : kExecutionValues)
        if (v.mode == mode) return v.value;
    return kExecutionValues[0].value;
}

// The stored execution mode, read as the main window loads its radio
// buttons: of the four, the last stored as "1".
Execution StoredExecution(const std::function<std::string(const std::string& name)>& read);

// The categories the unattended clearing takes by the stored settings, read
// through read (a value's stored text by its name) as the main window loads
// them: the execution mode, then the selection boxes for Clear Selected and
// Clear Not Selected, or the custom boxes for Custom; in the order the window
// takes them (for Custom, its own order); then
// the browsers' items when the stored "Include browsers" box is on. None
// for no mode.
std::vector<Category> StoredChoice(const std::function<std::string(const std::string& name)>& read);
// The browsers' categories whose stored item box is on, when the stored
// "Include browsers" box is on; none when it is off.
std::vector<Category> StoredBrowserItems(const std::function<std::string(const std::string& name)>& read);

}  // namespace purgelet
