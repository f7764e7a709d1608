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

#include "cleaner/Clearing.h"
#include "cleaner/UrlCacheEntries.h"
#include "core/Platform.h"
#include "core/ProgramState.h"

namespace purgelet {

// A folder a category empties.
struct PlannedFolder {
    std::wstring folder;  // ends in "\\"; empty where its base is missing
    const char* what;     // what it holds, as a refusal's line names it
    const char* line;     // the category's log line for it
    bool cacheIndexes = false;
    Refusal refusal = Refusal::None;  // the NT family refuses unsafe folders
};

struct CategoryPlan {
    Category category{};
    bool historyStore = false;              // the URL history store is emptied
    std::optional<std::uint8_t> cacheKind;  // the URL cache entries of this kind go
    const char* registryKey = nullptr;      // every value of this key below HKEY_CURRENT_USER goes
    std::vector<PlannedFolder> folders;     // emptied, in this order
};

// The plan of a category for the folder set found, the Windows folder
// ("...\\") and the program's own folder.
CategoryPlan PlanOf(Category category, const FolderSet& folders, const std::string& windowsFolder,
                    const std::wstring& programFolder);

// The running system as the cleaning engine sees it.
struct CleaningSite {
    Platform platform;
    std::string windowsFolder;
    std::wstring programFolder;
    FolderSet folders;
    DeleteUrlCacheEntryFn deleteEntry = nullptr;  // WinInet's, null when it was not found
    UrlCacheSource cacheSource = UrlCacheSource::WinInet();

    // Found as the program finds them at start and when its main window is made.
    static CleaningSite OfThisSystem();
    CategoryPlan Plan(Category category) const { return PlanOf(category, folders, windowsFolder, programFolder); }
};

// Why these categories cannot be cleared at all here, or nothing: on the NT
// family the folder categories need the profile folder, and the cache
// categories need WinInet's deletion function.
std::string WhyNotPossible(const std::vector<Category>& categories, const CleaningSite& site);

// What a category run removed, or a preview would remove.
struct CategoryReport {
    Category category{};
    std::uint64_t files = 0, folders = 0, cacheEntries = 0, values = 0, bytes = 0;
    // What stays: files in use or denied, cache entries the cache kept,
    // values that would not go (or a key that would not open), refused folders.
    std::uint64_t keptFiles = 0, keptEntries = 0, keptValues = 0, refusedFolders = 0;
    std::vector<std::wstring> kept;  // one line each, the first hundred or so
    std::string error;               // set when an error ended the category

    bool SomethingKept() const { return keptFiles || keptEntries || keptValues || refusedFolders || !error.empty(); }
};

// Runs one category: to clear it, or as a preview that walks the same
// folders with the same rules, lists the same entries and values and
// changes nothing (its cache entries taken from cacheListing when given).
// progress is told the running count now and then.
CategoryReport RunCategory(Category category, bool preview, const CleaningSite& site,
                           const std::function<void(std::uint64_t count)>& progress = {},
                           const CacheListing* cacheListing = nullptr);

}  // namespace purgelet
