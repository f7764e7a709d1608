#include "cleaner/CategoryPlan.h"

#include <algorithm>
#include <map>
#include <utility>

#include "base/Errors.h"
#include "base/Text.h"
#include "cleaner/browsers/BrowserDatabases.h"
#include "cleaner/removal/FileRemoval.h"
#include "cleaner/iecache/HistoryStore.h"
#include "cleaner/FolderDiscovery.h"
#include "core/Settings.h"
#include "core/Texts.h"

namespace purgelet {

namespace {

void AddKept(CategoryReport& report, KeptReason reason, std::wstring path, Refusal refusal = {},
             std::wstring really = {}) {
    if (report.kept.size() < kKeptNamed) report.kept.push_back({reason, std::move(path), refusal, std::move(really)});
}

KeptReason ReasonOf(LeftAs why) {
    switch (why) {
        case LeftAs::InUse:
            return KeptReason::InUse;
        case LeftAs::Denied:
            return KeptReason::Denied;
        case LeftAs::OtherNames:
            return KeptReason::OtherNames;
        case LeftAs::Link:
            return KeptReason::Link;
        case LeftAs::OwnFolder:
            return KeptReason::OwnFolder;
        case LeftAs::FolderInUse:
            break;
    }
    return KeptReason::FolderInUse;
}

// Judges a planned folder by its name as configured (and what that is, with a guard).
void Judge(PlannedFolder& planned, const FolderGuard* guard) {
    if (planned.folder.empty()) return;
    if (guard) {
        FolderGuard::Verdict verdict = guard->LookAt(planned.named);
        planned.refusal = verdict.refusal;
        planned.really = std::move(verdict.really);
    } else {
        FolderFacts facts;
        facts.written = planned.named;
        planned.refusal = Decide(facts, {});
    }
}

// The Windows 9x folders of a category: the button empties each one that is there.
void Add9xFolders(CategoryPlan& plan, const std::vector<FolderLine>& lines, bool cacheIndexes,
                  const FolderGuard* guard) {
    for (const FolderLine& line : lines) {
        if (line.folder.empty()) continue;
        PlannedFolder planned{Widen(line.folder), Widen(line.folder), line.what, line.line, cacheIndexes, {}, {}};
        Judge(planned, guard);
        plan.folders.push_back(std::move(planned));
    }
}

}  // namespace

CategoryPlan PlanOf(Category category, const FolderSet& folders, const std::string& windowsFolder,
                    const FolderGuard* guard) {
    const CategoryRow& row = RowOf(category);
    CategoryPlan plan;
    plan.category = category;
    plan.historyStore = row.historyStore;
    plan.cacheKind = row.cacheKind;
    plan.registryKey = row.registryKey;
    if (row.folders == FolderRole::None) return plan;
    if (folders.IsWin9x) {
        switch (row.folders) {
            case FolderRole::TempInternet:
                Add9xFolders(plan, Win9xTempInternetFolders(windowsFolder, folders), true, guard);
                break;
            case FolderRole::Temporary:
                Add9xFolders(plan, {Win9xTempFolder(windowsFolder)}, false, guard);
                break;
            case FolderRole::Recent:
                Add9xFolders(plan, Win9xRecentFolders(windowsFolder, folders), false, guard);
                break;
            case FolderRole::None:
                break;
        }
        return plan;
    }
    const NtFolders nt = NtFoldersOf(windowsFolder, folders);
    const auto add = [&](const std::wstring& folder, const char* what, const char* line, bool cacheIndexes = false,
                         const std::wstring& named = {}) {
        PlannedFolder planned{folder, named.empty() ? folder : named, what, line, cacheIndexes, {}, {}};
        Judge(planned, guard);
        plan.folders.push_back(std::move(planned));
    };
    switch (row.folders) {
        case FolderRole::TempInternet:
            add(nt.tempInternet, "temporary internet files", logline::TempInternet, true);
            break;
        case FolderRole::Temporary:
            // Named as configured: a value that is no full path is refused as it
            // stands, before the system completes it.
            add(nt.userTemp, "user's Temp", logline::UserTempNt, false,
                folders.WinMajor >= 6 ? folders.shell.userTempConfigured : std::wstring());
            add(nt.windowsTemp, "Windows Temp", logline::WindowsTempNt);
            break;
        case FolderRole::Recent:
            add(nt.recent, "history links of documents", logline::Recent);
            break;
        case FolderRole::None:
            break;
    }
    return plan;
}

CleaningSite SiteOfThisSystem() {
    CleaningSite site;
    const std::wstring exe = UsualPath(site.platform.moduleFileName());
    const std::size_t slash = exe.find_last_of(L'\\');
    if (slash != std::wstring::npos) site.programFolder = exe.substr(0, slash + 1);
    char buffer[MAX_PATH + 1] = {};
    const UINT n = site.platform.getWindowsDirectory(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) site.windowsFolder = WithTrailingBackslash(std::string(buffer, n));
    DiscoverFolders(SystemFacts(site.platform, site.windowsFolder), site.folders);
    site.deleteEntry = LookUpDeleteUrlCacheEntry();
    return site;
}

FolderGuard GuardOf(const CleaningSite& site) {
    return FolderGuard(
        GuardedFoldersOf(site.folders, site.windowsFolder, site.programFolder, site.platform.knownFolderPath));
}

std::string WhyNotPossible(const std::vector<Category>& categories, const CleaningSite& site) {
    for (Category category : categories) {
        const CategoryPlan plan = PlanOf(category, site);
        if (plan.cacheKind && !site.deleteEntry)
            return "The URL cache cannot be cleared: the function DeleteUrlCacheEntryA of \"wininet.dll\" was not "
                   "found.";
        if (!site.folders.IsWin9x && !plan.folders.empty() && !ProfileFolderFound(site.folders, site.windowsFolder))
            return "No profile folder of the current user was found; its folders cannot be cleared.";
    }
    return {};
}

bool ProfileFolderFound(const FolderSet& folders, const std::string& windowsFolder) {
    const std::wstring profile = NtFoldersOf(windowsFolder, folders).profile;
    return !profile.empty() && DirectoryExists(profile);
}

bool BrowserChoice::Takes(const BrowserProfile& profile) const {
    if (!only.empty() && std::find(only.begin(), only.end(), profile.browser) == only.end()) return false;
    return allProfiles || !checked || checked(profile);
}

std::vector<BrowserProfile> BrowserProfilesOf(const CleaningSite& site, const FolderGuard* guard) {
    // Today's browsers run on Windows Vista and later only.
    if (site.folders.IsWin9x || site.folders.WinMajor < 6) return {};
    return FindBrowserProfiles(AppDataOf(site.platform), guard);
}

std::string ProfileBoxValue(const BrowserProfile& profile) {
    return texts::ValBrowserProfilePrefix + Utf8(profile.Key());
}

BrowserChoice StoredBrowserChoice(std::function<std::string(const std::string& name)> read) {
    BrowserChoice choice;
    choice.checked = [read = std::move(read)](const BrowserProfile& profile) {
        return !IsSwitchOff(read(ProfileBoxValue(profile)));
    };
    return choice;
}

std::vector<std::wstring> BrowserLines(const CategoryReport& report, const CleaningSite& site) {
    std::vector<std::wstring> lines;
    for (const ProfileReport& done : report.profiles) lines.push_back(ProfileLine(done));
    if (lines.empty() && BrowserProfilesOf(site, nullptr).empty()) lines.emplace_back(kNoBrowserFound);
    return lines;
}

namespace {
BrowserItem ItemOf(Category category) {
    switch (category) {
        case Category::BrowserCookies:
            return BrowserItem::Cookies;
        case Category::BrowserHistory:
            return BrowserItem::History;
        case Category::BrowserForms:
            return BrowserItem::Forms;
        case Category::BrowserSessions:
            return BrowserItem::Sessions;
        default:
            break;
    }
    return BrowserItem::Cache;
}

// Why a database was left alone, as a kept item's reason.
KeptReason ReasonOf(LeftAlone left) {
    switch (left) {
        case LeftAlone::NotADatabase:
            return KeptReason::NotADatabase;
        case LeftAlone::Link:
            return KeptReason::Link;
        case LeftAlone::OtherNames:
            return KeptReason::OtherNames;
        case LeftAlone::ForeignTrigger:
            return KeptReason::ForeignTrigger;
        default:
            break;
    }
    return KeptReason::DatabaseKept;
}

// Adds what one profile's item did to the category's report.
void AddProfile(CategoryReport& report, ProfileReport done) {
    const BrowserProfile& profile = done.profile;
    report.rows += done.rows;
    report.keptCookies += done.keptCookies;
    report.keptDatabases += done.keptDatabases;
    for (const DatabaseReport& database : done.databases)
        if (database.left != LeftAlone::No)
            AddKept(report, ReasonOf(database.left), database.file, {}, database.really);
    if (!profile.problem.empty()) {
        ++report.refusedFolders;
        AddKept(report, KeptReason::Unreadable, profile.profileFolder);
    } else if (profile.refusal) {
        ++report.refusedFolders;
        AddKept(report, KeptReason::Refused, profile.profileFolder, profile.refusal, profile.really);
    } else if (done.running == Running::OtherClearing) {
        ++report.runningBrowsers;
        AddKept(report, KeptReason::OtherClearing, profile.profileFolder);
    } else if (done.running != Running::No) {
        ++report.runningBrowsers;
        AddKept(report, KeptReason::Running, profile.profileFolder);
    }
    report.files += done.files;
    report.folders += done.folders;
    report.bytes += done.bytes;
    report.keptFiles += done.keptFiles;
    report.keptLinks += done.keptLinks;
    report.keptFolders += done.keptFolders;
    report.refusedFolders += done.refusedFolders;
    for (const ProfileReport::RefusedCache& refused : done.refused)
        AddKept(report, KeptReason::Refused, refused.folder, refused.why, refused.really);
    for (const LeftEntry& entry : done.kept) AddKept(report, ReasonOf(entry.why), entry.path);
    report.profiles.push_back(std::move(done));
}

// A browsers' category: its item of each profile chosen, unless its browser
// runs, something the run's items need of it is busy, or another clearing of
// it goes on.
void RunBrowsers(CategoryReport& report, bool preview, const CleaningSite& site,
                 const std::function<void(std::uint64_t count)>& progress, const BrowserChoice& browsers,
                 const KeptSites* keptSites) {
    const FolderGuard guard = GuardOf(site);
    const std::vector<std::wstring> programs = ProgramsOfThisUser();
    const BrowserItem item = ItemOf(report.category);
    const Walk walk = preview ? Walk::Count : Walk::Delete;
    std::vector<BrowserItem> together{item};
    for (Category category : browsers.together)
        if (RowOf(category).browsers && std::find(together.begin(), together.end(), ItemOf(category)) == together.end())
            together.push_back(ItemOf(category));
    for (const BrowserProfile& profile : BrowserProfilesOf(site, &guard)) {
        if (!browsers.Takes(profile)) continue;
        const std::uint64_t before = report.files + report.folders + report.rows;
        ProfileReport done;
        done.profile = profile;
        done.item = item;
        const ProfileClearing clearing(profile, kOtherClearingWaitMs);
        if (!clearing.Held())
            done.running = Running::OtherClearing;
        else if (!profile.refusal && profile.problem.empty())
            done.running = ProfileBusy(profile, together, programs, walk);
        if (done.running == Running::No)
            done = item == BrowserItem::Cache
                       ? ClearProfileCaches(profile, programs, site.platform, site.programFolder, guard, walk,
                                            [&](std::uint64_t count) {
                                                if (progress) progress(before + count);
                                            })
                       : ClearProfileItem(profile, item, programs, site.platform, site.programFolder, guard, walk,
                                          {browsers.compact, keptSites});
        if (progress) progress(before + done.files + done.folders + done.rows);
        AddProfile(report, std::move(done));
    }
}
}  // namespace

CategoryReport RunCategory(Category category, bool preview, const CleaningSite& site,
                           const std::function<void(std::uint64_t count)>& progress, const CacheListing* cacheListing,
                           const BrowserChoice& browsers, const KeptSites* keptSites) {
    CategoryReport report;
    report.category = category;
    if (ClearsCookies(category)) {
        // Without the list whole, no cookie can be told to stay: none goes.
        if (!keptSites)
            report.keptSitesProblem = "The list of kept sites was not read";
        else if (!keptSites->Readable())
            report.keptSitesProblem = keptSites->Problem();
        if (!report.keptSitesProblem.empty()) {
            AddKept(report, KeptReason::KeptSitesUnreadable, Widen(report.keptSitesProblem));
            return report;
        }
    }
    if (RowOf(category).browsers) {
        RunBrowsers(report, preview, site, progress, browsers, keptSites);
        return report;
    }
    CategoryPlan plan = PlanOf(category, site);
    std::optional<FolderGuard> guard;
    if (!plan.folders.empty()) plan = PlanOf(category, site, &guard.emplace(GuardOf(site)));
    try {
        if (plan.historyStore && !preview) ClearUrlHistoryStore(site.platform);
    } catch (const Error& e) {
        report.error = e.what();
        return report;
    }

    CacheTally cache;
    if (plan.cacheKind) {
        std::function<bool(const ListedEntry&)> keep;
        if (*plan.cacheKind == kCookieEntriesKind && keptSites)
            keep = [keptSites](const ListedEntry& entry) { return keptSites->Keeps(CacheEntryHost(entry.name)); };
        cache = ClearEntriesOfKind(*plan.cacheKind, preview, site.cacheSource, site.deleteEntry, keep, cacheListing);
        report.cacheEntries = cache.entries;
        report.keptCookies = cache.keptAsAsked;
        report.bytes += cache.bytes;
        report.keptEntries = cache.kept;
        for (const KeptEntry& kept : cache.keptNames)
            AddKept(report, kept.outside ? KeptReason::OutsideCache : KeptReason::EntryKept, Widen(kept.name));
        // An entry gone whose file, not the cache's own, stays: a link left in place.
        report.keptLinks += cache.filesLeft;
        for (const std::string& file : cache.leftFiles) AddKept(report, KeptReason::Link, Widen(file));
        if (progress) progress(report.cacheEntries);
    }

    if (plan.registryKey) {
        const RegistryValuesCleared values = DeleteAllValues(plan.registryKey, site.platform, preview);
        report.values = static_cast<std::uint64_t>(values.deleted);
        if (!values.opened && !values.missing) {
            ++report.keptValues;
            AddKept(report, KeptReason::KeyNotOpened, L"HKEY_CURRENT_USER\\" + Widen(plan.registryKey));
        } else if (values.failures > 0 || !values.listedAll) {
            report.keptValues += static_cast<std::uint64_t>(values.failures > 0 ? values.failures : 1);
            AddKept(report, KeptReason::ValuesKept, L"HKEY_CURRENT_USER\\" + Widen(plan.registryKey));
        }
    }

    for (const PlannedFolder& planned : plan.folders) {
        if (planned.folder.empty()) continue;
        FolderReport& here = report.byFolder.emplace_back();
        here.path = planned.folder;
        if (!ReallyUnlessSame(planned.folder, planned.named).empty()) here.configured = planned.named;
        const auto refused = [&](Refusal why, const std::wstring& really) {
            ++report.refusedFolders;
            here.refusal = why;
            here.really = really;
            AddKept(report, KeptReason::Refused, planned.named, why, really);
        };
        if (planned.refusal) {
            refused(planned.refusal, planned.really);
            continue;
        }
        RemovalTally tally;
        for (const std::wstring& file : cache.localFiles) tally.countedElsewhere.insert(CountedElsewhereKey(file));
        const std::uint64_t before = report.files + report.folders + report.cacheEntries;
        if (progress) tally.onProgress = [&](const RemovalTally& t) { progress(before + t.files + t.folders); };
        EmptyFolder(planned.folder, site.platform,
                    {site.programFolder, planned.cacheIndexes, &*guard, &cache.keptFiles},
                    preview ? Walk::Count : Walk::Delete, tally);
        if (tally.refusal) {
            refused(tally.refusal, tally.really);
            continue;
        }
        here.files = tally.files;
        here.folders = tally.folders;
        here.bytes = tally.bytes;
        here.keptFiles = tally.keptFiles;
        here.keptLinks = tally.keptLinks;
        here.keptFolders = tally.keptFolders;
        report.files += tally.files;
        report.folders += tally.folders;
        report.bytes += tally.bytes;
        report.keptFiles += tally.keptFiles;
        report.keptLinks += tally.keptLinks;
        report.keptFolders += tally.keptFolders;
        for (const LeftEntry& entry : tally.kept) AddKept(report, ReasonOf(entry.why), entry.path);
    }
    return report;
}

std::vector<SiteWithCookies> SitesWithCookies(const CleaningSite& site) {
    std::map<std::string, SiteWithCookies> found;
    const auto add = [&found](const std::string& host, std::uint64_t cookies, const std::wstring& where) {
        if (!CheckSite(host).problem.empty()) return;
        SiteWithCookies& one = found[host];
        one.site = host;
        one.cookies += cookies;
        if (std::find(one.where.begin(), one.where.end(), where) == one.where.end()) one.where.push_back(where);
    };
    const std::uint32_t cookieFilter = *FilterOfKind(kCookieEntriesKind);
    for (const auto& [type, entry] : ListUrlCache(site.cacheSource).entries)
        if (EntryKept(type, cookieFilter)) add(CacheEntryHost(entry.name), 1, L"Internet Explorer");
    const FolderGuard guard = GuardOf(site);
    const std::vector<std::wstring> programs = ProgramsOfThisUser();
    for (const BrowserProfile& profile : BrowserProfilesOf(site, &guard))
        for (const auto& [host, cookies] : CookieHostsOf(profile, programs)) add(host, cookies, profile.Label());
    std::vector<SiteWithCookies> sites;
    for (auto& [name, one] : found) sites.push_back(std::move(one));
    return sites;
}

bool ClearsCookies(Category category) {
    return category == Category::BrowserCookies || RowOf(category).cacheKind == kCookieEntriesKind;
}

const wchar_t* KeptReasonName(KeptReason reason) {
    switch (reason) {
        case KeptReason::InUse:
            return L"in-use";
        case KeptReason::Denied:
            return L"denied";
        case KeptReason::OtherNames:
            return L"other-names";
        case KeptReason::Link:
            return L"link";
        case KeptReason::OwnFolder:
            return L"own-folder";
        case KeptReason::FolderInUse:
            return L"folder-in-use";
        case KeptReason::Refused:
            return L"refused";
        case KeptReason::EntryKept:
            return L"entry-kept";
        case KeptReason::OutsideCache:
            return L"outside-cache";
        case KeptReason::KeyNotOpened:
            return L"key-not-opened";
        case KeptReason::Running:
            return L"running";
        case KeptReason::NotADatabase:
            return L"not-a-database";
        case KeptReason::DatabaseKept:
            return L"database-kept";
        case KeptReason::KeptSitesUnreadable:
            return L"kept-sites-unreadable";
        case KeptReason::ForeignTrigger:
            return L"foreign-trigger";
        case KeptReason::OtherClearing:
            return L"another-clearing";
        case KeptReason::Unreadable:
            return L"unreadable";
        case KeptReason::ValuesKept:
            break;
    }
    return L"values-kept";
}

std::wstring KeptLineOf(const KeptItem& item) {
    switch (item.reason) {
        case KeptReason::InUse:
            return L"in use: " + item.path;
        case KeptReason::Denied:
            return L"denied: " + item.path;
        case KeptReason::OtherNames:
            return L"read-only with other names: " + item.path;
        case KeptReason::Link:
            return L"link left in place: " + item.path;
        case KeptReason::OwnFolder:
            return L"this program's own folder, left in place: " + item.path;
        case KeptReason::FolderInUse:
            return L"folder in use or denied, left in place: " + item.path;
        case KeptReason::Refused:
            return L"refused: " + item.path + (item.really.empty() ? L"" : L", which is " + item.really) + L" (" +
                   Widen(RefusalReason(item.refusal)) + L")";
        case KeptReason::EntryKept:
            return L"cache entry kept: " + item.path;
        case KeptReason::OutsideCache:
            return L"cache entry kept: its file is outside the cache: " + item.path;
        case KeptReason::KeyNotOpened:
            return L"key not opened: " + item.path;
        case KeptReason::Running:
            return L"its browser runs, skipped: " + item.path;
        case KeptReason::NotADatabase:
            return L"not a database, left as it is: " + item.path;
        case KeptReason::DatabaseKept:
            return L"database left as it was (its clearing failed): " + item.path;
        case KeptReason::KeptSitesUnreadable:
            return L"no cookie deleted: " + item.path;
        case KeptReason::ForeignTrigger:
            return L"database left as it was (a trigger or foreign key in it reached beyond the clearing): " +
                   item.path;
        case KeptReason::OtherClearing:
            return L"another clearing of it is running, skipped: " + item.path;
        case KeptReason::Unreadable:
            return L"not read, nothing of it touched: " + item.path;
        case KeptReason::ValuesKept:
            break;
    }
    return L"values kept in " + item.path;
}

std::string RemovedLine(const std::string& what, const RemovalTally& tally) {
    return "Removed from " + what + ": " + std::to_string(tally.files) + (tally.files == 1 ? " file, " : " files, ") +
           Utf8(ReadableSize(tally.bytes));
}

std::string RemovedLine(Category category, std::uint64_t count) {
    const CategoryRow& row = RowOf(category);
    if (!row.removedFrom) return {};
    const bool values = row.registryKey != nullptr;
    return "Removed from " + std::string(row.removedFrom) + ": " + std::to_string(count) +
           (values ? (count == 1 ? " value" : " values") : (count == 1 ? " entry" : " entries"));
}

std::string LeftLine(const std::string& what, const RemovalTally& tally) {
    std::vector<std::string> parts;
    const auto count = [](std::uint64_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    if (tally.keptLinks) parts.push_back(count(tally.keptLinks, "link", "links"));
    std::uint64_t own = 0;
    for (const LeftEntry& entry : tally.kept)
        if (entry.why == LeftAs::OwnFolder) ++own;
    if (own) parts.push_back("this program's own folder");
    if (tally.keptFolders > own) parts.push_back(count(tally.keptFolders - own, "folder in use", "folders in use"));
    if (parts.empty()) return {};
    std::string line = "Left in place in " + what + ": ";
    for (std::size_t i = 0; i < parts.size(); ++i) line += (i ? ", " : "") + parts[i];
    return line;
}

}  // namespace purgelet
