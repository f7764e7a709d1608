#pragma once
// A browser profile's cookies, history, form entries and open tabs: its
// databases cleared row by row through SQLite, each in one transaction, and
// the few files the browser rebuilds by itself (Top Sites, Sessions, ...)
// removed with the confined removal. Bookmarks, passwords, saved addresses
// and cards, settings and every table not named here stay as they are.
//
// A database is only ever opened with SQLite: never truncated or deleted,
// and neither is its -wal or -journal (opening it folds their committed rows
// in; SQLite itself removes an empty one as it closes the database). Only a
// file that is there as itself is opened - no link, no second name, no
// journal that leads elsewhere - and SQLite must have opened that very file.
// Its schema is not trusted: each step may write only the tables it names,
// so a trigger or foreign key of the file that reaches further fails the
// transaction. Every database of an item is locked before any is changed, so
// a busy or locked one - its browser runs - leaves the whole item of that
// profile as it was. A preview of a database with a hot journal (a crash)
// counts in a copy of the two, which it removes again.
#include <cstdint>
#include <string>
#include <vector>

#include "cleaner/browsers/Browsers.h"
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

// Whether anything that these items of a profile need is busy now: its
// browser runs (its lock file is held, or a process of it runs), or one of
// the items' databases cannot be locked as its clearing (Walk::Delete) or
// counting (Walk::Count) would lock it. Nothing is changed. A run of several
// items asks this before each, for all of them, so that a profile is either
// cleared of every item asked or left whole.
Running ProfileBusy(const BrowserProfile& profile, const std::vector<BrowserItem>& items,
                    const std::vector<std::wstring>& programs, Walk walk);

// The hosts a profile's cookies belong to (as CookieHost gives them), with
// how many each has; read only, and nothing when its browser runs.
std::vector<std::pair<std::string, std::uint64_t>> CookieHostsOf(const BrowserProfile& profile,
                                                                 const std::vector<std::wstring>& programs);

}  // namespace purgelet
