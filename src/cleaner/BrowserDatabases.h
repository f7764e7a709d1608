#pragma once
// A browser profile's cookies, history, form entries and open tabs: its
// databases cleared row by row through SQLite, each in one transaction, and
// the few files the browser rebuilds by itself (Top Sites, Sessions, ...)
// removed with the confined removal. Bookmarks, passwords, saved addresses
// and cards, settings and every table not named here stay as they are.
//
// A database is only ever opened with SQLite: never copied, truncated or
// deleted, and neither is its -wal or -journal (opening it folds their
// committed rows in). Every database of an item is locked before any is
// changed, so a busy or locked one - its browser runs - leaves the whole
// item of that profile as it was.
#include <cstdint>
#include <string>
#include <vector>

#include "cleaner/Browsers.h"
#include "core/KeptSites.h"

namespace purgelet {

// How an item's databases are cleared.
struct DatabaseOptions {
    bool compact = false;  // VACUUM after the deletions, so the file holds none of them
    // The cookies of these sites stay; with none, every cookie goes.
    const KeptSites* keptSites = nullptr;
};

// Clears one item of a profile (Walk::Count: counts the rows and files that
// would go, changing nothing), unless its browser runs or the profile is
// refused. The cache goes to ClearProfileCaches.
ProfileReport ClearProfileItem(const BrowserProfile& profile, BrowserItem item,
                               const std::vector<std::wstring>& programs, const Platform& platform,
                               const std::wstring& programFolder, const FolderGuard& guard, Walk walk,
                               const DatabaseOptions& options = {});

// The hosts a profile's cookies belong to (as CookieHost gives them), with
// how many each has; read only, and nothing when its browser runs.
std::vector<std::pair<std::string, std::uint64_t>> CookieHostsOf(const BrowserProfile& profile,
                                                                 const std::vector<std::wstring>& programs);

}  // namespace purgelet
