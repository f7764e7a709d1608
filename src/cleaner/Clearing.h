#pragma once
// What the seven clearing categories need apart from the window: their log
// lines, the folders each family empties, the two registry lists, the URL
// history store, and the rules of the clearing modes.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Platform.h"
#include "core/ProgramState.h"
#include "core/Texts.h"

namespace purgelet {

// Lines the clearing writes to the activity log.
namespace logline {
inline constexpr char HistoryOfWebSites[] = "Executed clearing of user's history links of web sites";
inline constexpr char TempInternetNoWininet[] =
    "Failing to IE temp internet files. Necessary file \"wininet.dll\" not found.";
inline constexpr char UserTempInternet[] = "Executed clearing of user's temporary internet files";
inline constexpr char TempInternet[] = "Executed clearing of temporary internet files";
inline constexpr char CookiesNoWininet[] = "Failing to clear IE cookies. Necessary file \"wininet.dll\" not found.";
inline constexpr char UserCookies[] = "Executed clearing of user's cookies";
inline constexpr char NtCookies[] = "Executed clearing of Cookies";
inline constexpr char TypedUrlsFailed[] = "Failing to remove Typed URLs";
inline constexpr char TypedUrls[] = "Executed clearing of typed URLs";
inline constexpr char RunWordsFailed[] = "Failing to remove typed words on Run";
inline constexpr char RunWords[] = "Executed clearing of typed words on Run";
inline constexpr char WindowsTemp9x[] = "Executed clearing of Windows temp";
inline constexpr char UserTempNt[] = "Executed clearing of user's Temp";
inline constexpr char WindowsTempNt[] = "Executed clearing of Windows Temp";
inline constexpr char Recent[] = "Executed clearing of history links of documents";
inline constexpr char UserRecent[] = "Executed clearing of user's history links of documents";
inline constexpr char NoProfileFolder[] = "Failing to get root directory under NT or XP system.";
inline constexpr char NtRunStopped[] = "Stop process without executing clearing.";
}  // namespace logline

// The registry value lists, below HKEY_CURRENT_USER.
inline constexpr char kTypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
inline constexpr char kRunMruKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

// The categories, in the order a mode run on Windows 9x clicks them.
enum class Category {
    HistoryLinksWeb,
    TempInternetFiles,
    Cookies,
    TypedURLs,
    TypedWordsOnRun,
    TemporaryFiles,
    HistoryLinksDoc,
};
inline constexpr std::array<Category, 7> kModeOrder = {
    Category::HistoryLinksWeb, Category::TempInternetFiles, Category::Cookies,        Category::TypedURLs,
    Category::TypedWordsOnRun, Category::TemporaryFiles,    Category::HistoryLinksDoc};
// The order of the custom execution mode.
inline constexpr std::array<Category, 7> kCustomOrder = {
    Category::Cookies,   Category::HistoryLinksDoc, Category::HistoryLinksWeb, Category::TempInternetFiles,
    Category::TypedURLs, Category::TypedWordsOnRun, Category::TemporaryFiles};

// Where the settings keep a category's two boxes: its selection box on the
// Main page and its custom box on the Settings page.
struct CategoryValues {
    Category category;
    FixedText selection;
    FixedText custom;
};
inline constexpr CategoryValues kCategoryValues[] = {
    {Category::HistoryLinksWeb, texts::ValClearHistory, texts::ValCustomHistoryLinksWeb},
    {Category::TempInternetFiles, texts::ValTempInternet, texts::ValCustomTempInternetFiles},
    {Category::Cookies, texts::ValClearCookies, texts::ValCustomCookies},
    {Category::TypedURLs, texts::ValClearTypedURLs, texts::ValCustomTypedURLs},
    {Category::TypedWordsOnRun, texts::ValClearTypedWordsInRun, texts::ValCustomTypedWordsInRun},
    {Category::TemporaryFiles, texts::ValClearTemp, texts::ValCustomTemporary},
    {Category::HistoryLinksDoc, texts::ValRecentLinks, texts::ValCustomHistoryLinksDoc},
};
constexpr const CategoryValues& ValuesOf(Category category) {
    for (const CategoryValues& values : kCategoryValues)
        if (values.category == category) return values;
    return kCategoryValues[0];
}

// The pending flag of a category.
bool& NtFlagOf(NtCategoryFlags& flags, Category category);

// The three mode buttons: which categories a run takes, by the category's
// selection box.
enum class ClearMode { All, Selected, NotSelected };
bool ModeTakes(ClearMode mode, bool selected);

// What the unattended clearing runs: the first checked radio button decides.
enum class Execution { None, ClearAll, ClearSelected, ClearNotSelected, Custom };
Execution ChosenExecution(bool clearAll, bool clearSelected, bool clearNotSelected, bool custom);

// The categories the unattended clearing takes by the stored settings, read
// through read (a value's stored text by its name) as the main window loads
// them: the execution mode (of its four radio buttons the last stored as
// "1"), then the selection boxes for Clear Selected and Clear Not Selected,
// or the custom boxes for Custom; in mode order. None for no mode.
std::vector<Category> StoredChoice(const std::function<std::string(const std::string& name)>& read);

// base + name, or nothing when either is missing: a folder whose base was not
// found is never acted on (its name alone would be a relative path).
std::string FolderBelow(const std::string& base, const std::string& name);

// A folder a Windows 9x category empties, with the line it logs when the
// folder exists.
struct FolderLine {
    std::string folder;  // empty: nothing to empty
    const char* line;
    const char* what;  // what it holds, as a refusal's line names it
};
// The user's folder (with a logon name) first, then the shared one.
std::vector<FolderLine> Win9xTempInternetFolders(const std::string& windowsFolder, const FolderSet& folders);
// The shared folder first, then the user's (with a logon name).
std::vector<FolderLine> Win9xRecentFolders(const std::string& windowsFolder, const FolderSet& folders);
FolderLine Win9xTempFolder(const std::string& windowsFolder);

// The folders the NT run empties, each ending in "\\"; empty where their
// base is missing. On Windows Vista and later they are the shell's folders.
struct NtFolders {
    std::wstring profile;
    std::wstring tempInternet;
    std::wstring userTemp;
    std::wstring windowsTemp;
    std::wstring recent;
};
NtFolders NtFoldersOf(const std::string& windowsFolder, const FolderSet& folders);

// Deletes every value of a key below HKEY_CURRENT_USER: the names are listed
// first, then deleted in that order. The key itself stays.
struct RegistryValuesCleared {
    bool opened = false;
    bool missing = false;   // the key is not there
    int deleted = 0;        // values gone, or in a preview listed
    bool listedAll = true;  // false when listing the names ended in an error
    int failures = 0;       // values that could not be deleted
};
// A preview opens the key the same way and only lists the names.
RegistryValuesCleared DeleteAllValues(const std::string& key, const Platform& platform, bool preview = false);
// The log line of such a clearing: the failure text (with ". Count = " and
// the number when listed values stay; alone when the key could not be opened
// or listed), or the success text.
std::string RegistryOutcomeLine(const RegistryValuesCleared& result, const std::string& failure,
                                const std::string& success);

// Empties the user's URL history store. When the store cannot be created an
// error is raised (Error, with the system's text for the failure); what
// its ClearHistory answers is not looked at.
void ClearUrlHistoryStore(const Platform& platform);

}  // namespace purgelet
