#pragma once
// What each clearing category clears on this system and the category run
// itself, with no window: the folders it empties (refused ones marked), its
// URL cache kind, its registry key and the URL history store. The main
// window's categories empty the planned folders; the command line runs whole
// categories here, to clear them or to preview what a clearing would remove.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cleaner/browsers/Browsers.h"
#include "cleaner/Categories.h"
#include "cleaner/removal/FileRemoval.h"
#include "cleaner/FolderLists.h"
#include "cleaner/removal/FolderRefusal.h"
#include "cleaner/iecache/UrlCacheEntries.h"
#include "core/Platform.h"
#include "core/CleaningSite.h"
#include "core/KeptSites.h"
#include "core/ProgramState.h"

namespace purgelet {

// A folder a category empties.
struct PlannedFolder {
    std::wstring folder;  // ends in "\\"; empty where its base is missing
    std::wstring named;   // the folder as configured (the user's TEMP as set), as lines name it
    const char* what;     // what it holds, as a refusal's line names it
    const char* line;     // the category's log line for it
    bool cacheIndexes = false;
    // Why it is not emptied, as far as can be told before its walk (which
    // judges it again as it opens it), and where it really lies when that
    // is not where its name says.
    Refusal refusal;
    std::wstring really;
};

struct CategoryPlan {
    Category category{};
    bool historyStore = false;              // the URL history store is emptied
    std::optional<std::uint8_t> cacheKind;  // the URL cache entries of this kind go
    const char* registryKey = nullptr;      // every value of this key below HKEY_CURRENT_USER goes
    std::vector<PlannedFolder> folders;     // emptied, in this order
};

// The plan of a category for the folder set found and the Windows folder
// ("...\\"); its folders judged by guard when one is given, else only by
// their names (relative or roots).
CategoryPlan PlanOf(Category category, const FolderSet& folders, const std::string& windowsFolder,
                    const FolderGuard* guard = nullptr);

// The running system, found as the program finds it at start and when its
// main window is made.
CleaningSite SiteOfThisSystem();
// The plan of a category on a site.
inline CategoryPlan PlanOf(Category category, const CleaningSite& site, const FolderGuard* guard = nullptr) {
    return PlanOf(category, site.folders, site.windowsFolder, guard);
}
// The folders never emptied on a site, opened and read now.
FolderGuard GuardOf(const CleaningSite& site);

// Why these categories cannot be cleared at all here, or nothing: on the NT
// family the folder categories need the profile folder, and the cache
// categories need WinInet's deletion function.
std::string WhyNotPossible(const std::vector<Category>& categories, const CleaningSite& site);

// Whether the NT family's folder categories can run: the profile folder was
// found and is there (the NT run stops whole without it).
bool ProfileFolderFound(const FolderSet& folders, const std::string& windowsFolder);

// Why something a category run met stays.
enum class KeptReason {
    InUse,                // a file held by another program without delete sharing
    Denied,               // a file whose deletion is denied
    OtherNames,           // a read-only file with other names, whose attributes they share
    Link,                 // a link, or an entry that does not lie where it was listed, left in place
    OwnFolder,            // this program's own folder, left in place
    FolderInUse,          // a sub-folder held by another program, or denied
    Refused,              // a folder never emptied (a root, a guarded folder, a relative name)
    EntryKept,            // a URL cache entry the cache would not delete
    OutsideCache,         // a URL cache entry whose file lies outside the cache
    KeyNotOpened,         // a registry key that would not open
    ValuesKept,           // registry values that would not go
    Running,              // a browser profile skipped because its browser runs (path: the profile's folder)
    NotADatabase,         // a browser's file that SQLite does not take for a database, left as it is
    DatabaseKept,         // a browser's database whose clearing failed and was rolled back
    KeptSitesUnreadable,  // the list of kept sites could not be read: no cookie went (path: why)
    ForeignTrigger,       // a browser's database whose trigger or foreign key reached beyond the item: rolled back
    OtherClearing,        // a browser profile skipped because another clearing of it is going on
    Unreadable,           // a browser's list of profiles that could not be read, or a folder that is no profile
};
// The reason as scripts read it ("in-use", "other-names", ...).
const wchar_t* KeptReasonName(KeptReason reason);

// One thing that stays.
struct KeptItem {
    KeptReason reason{};
    // The file or folder; the cache entry's name; the registry key.
    std::wstring path;
    // For a refused folder: why, and where it really lies when that is not
    // where its name says.
    Refusal refusal;
    std::wstring really;
};

// What an emptying of one of a category's folders removed, or would remove.
struct FolderReport {
    std::wstring path;        // ends in "\\", as every folder's path does
    std::wstring configured;  // as configured, when written otherwise (the user's TEMP as set); else empty
    std::uint64_t files = 0, folders = 0, bytes = 0;
    std::uint64_t keptFiles = 0, keptLinks = 0, keptFolders = 0;
    Refusal refusal;  // set when it was refused: nothing was done in it
    std::wstring really;
};

// What a category run removed, or a preview would remove.
struct CategoryReport {
    Category category{};
    std::uint64_t files = 0, folders = 0, cacheEntries = 0, values = 0, bytes = 0;
    // What stays: files in use or denied, cache entries the cache kept,
    // values that would not go (or a key that would not open), refused folders.
    std::uint64_t keptFiles = 0, keptEntries = 0, keptValues = 0, refusedFolders = 0;
    // Links left in place, and sub-folders that stay (the program's own, or
    // held by another program).
    std::uint64_t keptLinks = 0, keptFolders = 0;
    std::vector<KeptItem> kept;           // the first hundred or so
    std::vector<FolderReport> byFolder;   // each planned folder's own numbers, in the plan's order
    std::vector<ProfileReport> profiles;  // the browsers' caches: each profile taken
    std::uint64_t runningBrowsers = 0;    // profiles skipped because their browser runs
    // The browsers' databases: rows removed, and databases left as they
    // were (not a database, or an error rolled their changes back).
    std::uint64_t rows = 0, keptDatabases = 0;
    // Cookies that stay because their site is kept (cache entries or rows).
    std::uint64_t keptCookies = 0;
    // Why no cookie went: the list of kept sites could not be read.
    std::string keptSitesProblem;
    std::string error;  // set when an error ended the category

    bool SomethingKept() const {
        return keptFiles || keptEntries || keptValues || refusedFolders || keptLinks || keptFolders ||
               runningBrowsers || keptDatabases || !keptSitesProblem.empty() || !error.empty();
    }
};

// Which browser profiles a run of the browsers' category takes.
struct BrowserChoice {
    bool allProfiles = false;   // every profile found, whatever its box
    std::vector<Browser> only;  // only these browsers' profiles, when any are named
    // Its stored box; none: every profile.
    std::function<bool(const BrowserProfile&)> checked;
    // The databases compacted (VACUUM) after their rows are deleted.
    bool compact = false;
    // The browsers' categories of the whole run, when it takes several: a
    // profile is taken only when nothing that any of them needs is busy, so
    // that it is cleared of all or left whole.
    std::vector<Category> together;

    bool Takes(const BrowserProfile& profile) const;
};
// The profiles found on a site (Windows Vista and later), judged by guard.
std::vector<BrowserProfile> BrowserProfilesOf(const CleaningSite& site, const FolderGuard* guard);
// The name of the stored value that keeps a profile's box, and the choice the
// stored boxes make (a box is on unless stored as "0"), read through read.
std::string ProfileBoxValue(const BrowserProfile& profile);
BrowserChoice StoredBrowserChoice(std::function<std::string(const std::string& name)> read);
// The activity log's lines of a run of the browsers' caches: one per profile
// taken, or the line that says no browser was found on the site.
std::vector<std::wstring> BrowserLines(const CategoryReport& report, const CleaningSite& site);

// A site that has cookies now: how many, and where ("Internet Explorer",
// "Edge (Default)", ...).
struct SiteWithCookies {
    std::string site;
    std::uint64_t cookies = 0;
    std::vector<std::wstring> where;
};
// Every site with cookies in the URL cache and in the browsers found (those
// that run are not read), each once, in the order of their names.
std::vector<SiteWithCookies> SitesWithCookies(const CleaningSite& site);

// Runs one category: to clear it, or as a preview that walks the same
// folders with the same rules, lists the same entries and values and
// changes nothing (its cache entries taken from cacheListing when given;
// the browsers' profiles that browsers takes). The cookies of keptSites'
// sites stay; a cookie category is cleared only with a list that was read
// (one that could not be read clears none).
// progress is told the running count now and then.
CategoryReport RunCategory(Category category, bool preview, const CleaningSite& site,
                           const std::function<void(std::uint64_t count)>& progress = {},
                           const CacheListing* cacheListing = nullptr, const BrowserChoice& browsers = {},
                           const KeptSites* keptSites = nullptr);

// Whether a category clears cookies, and so needs the list of kept sites.
bool ClearsCookies(Category category);

// The line, for the activity log, of what an emptying left that was not
// asked to stay: links, the program's own folder, folders in use (files in
// use are not told there); empty when nothing was.
std::string LeftLine(const std::string& what, const RemovalTally& tally);

// The line, for the activity log, of what an emptying removed, after the
// category's own: "Removed from user's Temp: 41 files, 2.3 MB".
std::string RemovedLine(const std::string& what, const RemovalTally& tally);
// The same for a category's URL cache entries or registry values:
// "Removed from typed URLs: 3 values"; empty for a category that has none.
std::string RemovedLine(Category category, std::uint64_t count);

// One line of a report for what stays.
std::wstring KeptLineOf(const KeptItem& item);

}  // namespace purgelet
