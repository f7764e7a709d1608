#pragma once
// Today's browsers: Edge, Chrome, Brave, Vivaldi and Opera (the Chromium
// family) and Firefox, found with their profiles below the current user's
// application data folders; whether one runs; the caches of a profile,
// emptied with the confined removal, or counted for a preview. A running
// browser is never touched, and nothing of a profile but its caches is.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaner/removal/FileRemoval.h"
#include "cleaner/removal/FolderRefusal.h"
#include "core/Platform.h"

namespace purgelet {

enum class Browser : std::uint8_t { Edge, Chrome, Brave, Vivaldi, Opera, Firefox };

struct BrowserRow {
    Browser id;
    const wchar_t* name;     // on the command line, and in stored settings
    const wchar_t* title;    // as its users know it
    const wchar_t* program;  // the file name of its process
    // Its folder below the local application data folder, or for Opera and
    // Firefox below the roaming one (their caches lie at the same place
    // below the local one).
    const wchar_t* folder;
    bool roaming = false;
    bool firefox = false;
};

inline constexpr BrowserRow kBrowsers[] = {
    {Browser::Edge, L"edge", L"Edge", L"msedge.exe", L"Microsoft\\Edge\\User Data"},
    {Browser::Chrome, L"chrome", L"Chrome", L"chrome.exe", L"Google\\Chrome\\User Data"},
    {Browser::Brave, L"brave", L"Brave", L"brave.exe", L"BraveSoftware\\Brave-Browser\\User Data"},
    {Browser::Vivaldi, L"vivaldi", L"Vivaldi", L"vivaldi.exe", L"Vivaldi\\User Data"},
    {Browser::Opera, L"opera", L"Opera", L"opera.exe", L"Opera Software\\Opera Stable", true},
    {Browser::Firefox, L"firefox", L"Firefox", L"firefox.exe", L"Mozilla\\Firefox", true, true},
};

const BrowserRow& RowOf(Browser browser);
// The browser a command-line name (in lower case) names.
std::optional<Browser> BrowserNamed(std::wstring_view name);

// Where the current user's application data lies, each ending in "\".
struct AppDataFolders {
    std::wstring local, roaming;
};
// As the shell names them (Windows Vista and later); empty before.
AppDataFolders AppDataOf(const Platform& platform);

// A browser profile found.
struct BrowserProfile {
    Browser browser{};
    // Its folder as the browser names it ("Default", "Profile 1",
    // "Profiles/x.default-release"; an absolute path for a Firefox profile
    // kept elsewhere), and the name its user gave it.
    std::wstring folderName, shownName;
    std::wstring profileFolder;  // ends in "\"
    std::wstring lockFile;       // held open while the browser runs
    // The caches emptied for it, each ending in "\": its own and, for the
    // first profile of a Chromium folder, the browser's shader caches; and
    // for each, the folder it must lie in as itself (its profile's, or the
    // browser's data folder): a cache that is a link or leads out of it is
    // refused.
    std::vector<std::wstring> caches;
    std::vector<std::wstring> cacheRoots;
    // Set when the profile's folder is one never emptied (or holds one), or
    // is a link or leads out of its browser's folder (really: where to):
    // nothing of it is touched.
    Refusal refusal;
    std::wstring really;
    // Why nothing of it is touched, when something else stops it: the
    // browser's list of profiles could not be read (this then stands for the
    // profiles it would name), or a folder given as a profile does not look
    // like one.
    std::wstring problem;

    // How its box is stored ("edge:Default"), and how it is shown
    // ("Edge — Default").
    std::wstring Key() const;
    std::wstring Label() const;
};

// The profiles of every browser found, in the table's order; the profile
// folders judged by guard when one is given.
std::vector<BrowserProfile> FindBrowserProfiles(const AppDataFolders& appData, const FolderGuard* guard = nullptr);

// The file names (in lower case) of the programs the current user runs.
std::vector<std::wstring> ProgramsOfThisUser();

// Whether a profile's browser runs: its lock file is held open, or a process
// of its program is among programs.
// A database of it that is busy or locked tells the same (DatabaseBusy).
// OtherClearing: another clearing of the same profile (by this program or
// its command) is going on.
enum class Running : std::uint8_t { No, LockHeld, ProcessFound, DatabaseBusy, OtherClearing };
Running BrowserRuns(const BrowserProfile& profile, const std::vector<std::wstring>& programs);
// Whether another program holds the file open without sharing it for writing.
bool HeldByAnotherProgram(const std::wstring& path);

// One clearing of a profile at a time, across this program and its
// commands: a named mutex per profile folder (by where it really lies),
// waited for a bounded time. Held (when Held()) until it goes.
class ProfileClearing {
public:
    ProfileClearing(const BrowserProfile& profile, unsigned long waitMs);
    ~ProfileClearing();
    ProfileClearing(const ProfileClearing&) = delete;
    ProfileClearing& operator=(const ProfileClearing&) = delete;
    bool Held() const { return held_; }

private:
    void* mutex_ = nullptr;
    bool held_ = false;
};
// How long a clearing waits for another clearing of the same profile.
inline constexpr unsigned long kOtherClearingWaitMs = 3000;

// What a profile's box on the Browsers page can clear: each is a category of
// its own (browser-cache, browser-cookies, ...).
enum class BrowserItem : std::uint8_t { Cache, Cookies, History, Forms, Sessions };

// Why a database (or a file an item removes whole) was left as it was.
enum class LeftAlone : std::uint8_t {
    No,
    NotADatabase,    // SQLite does not take it for a database
    Failed,          // its clearing failed (error says why) and was rolled back, or it could not be written
    Link,            // a link, or it does not lie in the profile (really says where it leads)
    OtherNames,      // a file with other names, which lie elsewhere
    ForeignTrigger,  // a trigger (or a foreign key) in the file would have changed a table the item does not name
};

// One database of a profile, cleared row by row (or counted for a preview).
struct DatabaseReport {
    std::wstring file;
    LeftAlone left = LeftAlone::No;
    std::wstring really;  // for a link: where it leads
    // The rows removed (or that would go) per table, in the order they go,
    // and their sum; the rows the item's line counts (visits, cookies, form
    // entries).
    std::vector<std::pair<std::string, std::uint64_t>> tables;
    std::uint64_t rows = 0, headline = 0;
    std::uint64_t keptCookies = 0;  // rows that stay because their site is kept
    std::string error;              // why it was left as it was (Failed, ForeignTrigger): nothing changed in it
    bool compacted = false;         // VACUUM ran after the deletions
};

// What emptying a profile's caches removed, or would remove.
struct ProfileReport {
    BrowserProfile profile;
    BrowserItem item = BrowserItem::Cache;
    Running running = Running::No;  // when it runs, nothing was done
    std::uint64_t files = 0, folders = 0, bytes = 0;
    // Its databases (cookies, history, form data): each one found, and the
    // sums of their rows; those left as they are (not a database, or an
    // error that rolled their changes back).
    std::vector<DatabaseReport> databases;
    std::uint64_t rows = 0, headline = 0, keptDatabases = 0;
    std::uint64_t keptCookies = 0;  // cookies that stay because their site is kept
    std::uint64_t keptFiles = 0, keptLinks = 0, keptFolders = 0, refusedFolders = 0;
    std::vector<LeftEntry> kept;  // the first hundred or so
    // Refused caches, with where each really lies when not where it is named.
    struct RefusedCache {
        std::wstring folder;
        Refusal why;
        std::wstring really;
    };
    std::vector<RefusedCache> refused;

    bool Skipped() const { return running != Running::No || profile.refusal || !profile.problem.empty(); }
};

// Empties the caches of a profile (Walk::Count: counts what would go),
// unless its browser runs or it is refused. programFolder and guard are
// left alone as every emptying leaves them; progress is told the running
// count now and then.
ProfileReport ClearProfileCaches(const BrowserProfile& profile, const std::vector<std::wstring>& programs,
                                 const Platform& platform, const std::wstring& programFolder, const FolderGuard& guard,
                                 Walk walk, const std::function<void(std::uint64_t count)>& progress = {});

// Adds what emptying one of a profile's folders removed (or refused) to its report.
void AddRemoval(ProfileReport& report, const std::wstring& folder, RemovalTally& tally);

// The activity log's line for a profile: "Cleared the cache of Edge
// (Default): 1,204 files, 312 MB", "Cleared the history of Edge (Default):
// 18,204 visits (40,112 rows), 3 files, 2.1 MB", or why it was skipped.
std::wstring ProfileLine(const ProfileReport& report);
// One line for what a run of several items did to one profile (its reports,
// in the items' order): the line of its one item, or "Cleared Edge
// (Default): the cache 1,204 files, 312 MB; the history 18,204 visits ...";
// a profile skipped is told as ProfileLine tells it.
std::wstring ProfileLine(const std::vector<ProfileReport>& items);
// What a preview shows for it: "1,204 files, 312 MB" for the cache,
// "history: 18,204 visits (40,112 rows), ..." for the others, or "running".
std::wstring PreviewText(const ProfileReport& report);
// The line when no browser is found.
inline constexpr wchar_t kNoBrowserFound[] = L"No browser was found for the current user";

}  // namespace purgelet
