#include "cleaner/CategoryPlan.h"

#include <utility>

#include "base/Errors.h"
#include "cleaner/FileRemoval.h"
#include "cleaner/FolderDiscovery.h"

namespace purgelet {

namespace {

constexpr std::size_t kMaxKeptLines = 100;

void AddKept(CategoryReport& report, std::wstring line) {
    if (report.kept.size() < kMaxKeptLines) report.kept.push_back(std::move(line));
}

// The Windows 9x folders of a category: the button empties each one that is there.
void Add9xFolders(CategoryPlan& plan, const std::vector<FolderLine>& lines, bool cacheIndexes) {
    for (const FolderLine& line : lines)
        if (!line.folder.empty())
            plan.folders.push_back({Widen(line.folder), "", line.line, cacheIndexes, Refusal::None});
}

}  // namespace

CategoryPlan PlanOf(Category category, const FolderSet& folders, const std::string& windowsFolder,
                    const std::wstring& programFolder) {
    CategoryPlan plan;
    plan.category = category;
    switch (category) {
        case Category::HistoryLinksWeb:
            plan.historyStore = true;
            plan.cacheKind = kHistoryEntriesKind;
            return plan;
        case Category::Cookies:
            plan.cacheKind = kCookieEntriesKind;
            return plan;
        case Category::TypedURLs:
            plan.registryKey = kTypedUrlsKey;
            return plan;
        case Category::TypedWordsOnRun:
            plan.registryKey = kRunMruKey;
            return plan;
        case Category::TempInternetFiles:
            plan.cacheKind = kOrdinaryEntriesKind;
            break;
        case Category::TemporaryFiles:
        case Category::HistoryLinksDoc:
            break;
    }
    if (folders.IsWin9x) {
        if (category == Category::TempInternetFiles)
            Add9xFolders(plan, Win9xTempInternetFolders(windowsFolder, folders), true);
        else if (category == Category::TemporaryFiles)
            Add9xFolders(plan, {Win9xTempFolder(windowsFolder)}, false);
        else
            Add9xFolders(plan, Win9xRecentFolders(windowsFolder, folders), false);
        return plan;
    }
    const NtFolders nt = NtFoldersOf(windowsFolder, folders);
    const auto add = [&](const std::wstring& folder, const char* what, const char* line, bool cacheIndexes = false) {
        PlannedFolder planned{folder, what, line, cacheIndexes, Refusal::None};
        if (!folder.empty()) planned.refusal = RefusalOf(folder, nt.profile, Widen(windowsFolder), programFolder);
        plan.folders.push_back(std::move(planned));
    };
    if (category == Category::TempInternetFiles) {
        add(nt.tempInternet, "temporary internet files", logline::TempInternet, true);
    } else if (category == Category::TemporaryFiles) {
        add(nt.userTemp, "user's Temp", logline::UserTempNt);
        add(nt.windowsTemp, "Windows Temp", logline::WindowsTempNt);
    } else {
        add(nt.recent, "history links of documents", logline::Recent);
    }
    return plan;
}

CleaningSite CleaningSite::OfThisSystem() {
    CleaningSite site;
    const std::wstring exe = site.platform.moduleFileName();
    const std::size_t slash = exe.find_last_of(L'\\');
    if (slash != std::wstring::npos) site.programFolder = exe.substr(0, slash + 1);
    char buffer[MAX_PATH + 1] = {};
    const UINT n = site.platform.getWindowsDirectory(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) site.windowsFolder = WithTrailingBackslash(std::string(buffer, n));
    DiscoverFolders(SystemFacts(site.platform, site.windowsFolder), site.folders);
    site.deleteEntry = LookUpDeleteUrlCacheEntry();
    return site;
}

std::string WhyNotPossible(const std::vector<Category>& categories, const CleaningSite& site) {
    for (Category category : categories) {
        const CategoryPlan plan = site.Plan(category);
        if (plan.cacheKind && !site.deleteEntry)
            return "The URL cache cannot be cleared: the function DeleteUrlCacheEntryA of \"wininet.dll\" was not "
                   "found.";
        if (!site.folders.IsWin9x && !plan.folders.empty()) {
            const std::wstring profile = NtFoldersOf(site.windowsFolder, site.folders).profile;
            if (profile.empty() || !DirectoryExists(profile))
                return "No profile folder of the current user was found; its folders cannot be cleared.";
        }
    }
    return {};
}

CategoryReport RunCategory(Category category, bool preview, const CleaningSite& site,
                           const std::function<void(std::uint64_t count)>& progress, const CacheListing* cacheListing) {
    CategoryReport report;
    report.category = category;
    const CategoryPlan plan = site.Plan(category);
    try {
        if (plan.historyStore && !preview) ClearUrlHistoryStore(site.platform);
    } catch (const Error& e) {
        report.error = e.what();
        return report;
    }

    CacheTally cache;
    if (plan.cacheKind) {
        cache = ClearEntriesOfKind(*plan.cacheKind, preview, site.cacheSource, site.deleteEntry, {}, cacheListing);
        report.cacheEntries = cache.entries;
        report.bytes += cache.bytes;
        report.keptEntries = cache.kept;
        for (const std::string& name : cache.keptNames) AddKept(report, L"cache entry kept: " + Widen(name));
        if (progress) progress(report.cacheEntries);
    }

    if (plan.registryKey) {
        const RegistryValuesCleared values = DeleteAllValues(plan.registryKey, site.platform, preview);
        report.values = static_cast<std::uint64_t>(values.deleted);
        if (!values.opened && !values.missing) {
            ++report.keptValues;
            AddKept(report, L"key not opened: HKEY_CURRENT_USER\\" + Widen(plan.registryKey));
        } else if (values.failures > 0 || !values.listedAll) {
            report.keptValues += static_cast<std::uint64_t>(values.failures > 0 ? values.failures : 1);
            AddKept(report, L"values kept in HKEY_CURRENT_USER\\" + Widen(plan.registryKey));
        }
    }

    for (const PlannedFolder& planned : plan.folders) {
        if (planned.folder.empty()) continue;
        if (planned.refusal != Refusal::None) {
            ++report.refusedFolders;
            AddKept(report, L"refused: " + planned.folder + L" (" + Widen(RefusalReason(planned.refusal)) + L")");
            continue;
        }
        RemovalTally tally;
        for (const std::wstring& file : cache.localFiles) tally.countedElsewhere.insert(CountedElsewhereKey(file));
        const std::uint64_t before = report.files + report.folders + report.cacheEntries;
        if (progress) tally.onProgress = [&](const RemovalTally& t) { progress(before + t.files + t.folders); };
        EmptyFolder(planned.folder, site.platform, {site.programFolder, planned.cacheIndexes},
                    preview ? Walk::Count : Walk::Delete, tally);
        report.files += tally.files;
        report.folders += tally.folders;
        report.bytes += tally.bytes;
        report.keptFiles += tally.keptFiles;
        for (std::wstring& path : tally.kept) AddKept(report, L"in use or denied: " + std::move(path));
    }
    return report;
}

}  // namespace purgelet
