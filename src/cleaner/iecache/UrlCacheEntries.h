#pragma once
// The WinInet URL cache as the cleaning engine uses it, with no window: the
// kinds of entries, their filter, the enumeration of every entry, and the
// deletion of the entries of a kind the way the cookie manager's passes
// delete its rows (a cookie's own file with it). The cookie manager lists and
// deletes through these; the command line uses them directly.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/CleaningSite.h"

namespace purgelet {

// The kinds of URL cache entries the cookie manager can be set to.
inline constexpr std::uint8_t kOrdinaryEntriesKind = 0;
inline constexpr std::uint8_t kCookieEntriesKind = 1;
inline constexpr std::uint8_t kHistoryEntriesKind = 2;

// The filter value for a kind passed to SetVar_CacheEntryType: 0 ordinary
// entries, 1 cookies, 2 history, 3 online tracking, 4 offline tracking. Other
// kinds have none.
std::optional<std::uint32_t> FilterOfKind(std::uint8_t kind);

// Whether an entry with these type bits is listed. A filter of 0 keeps
// every entry that is neither a cookie nor a history entry; any other filter
// keeps the entries that have all of its bits.
bool EntryKept(std::uint32_t entryType, std::uint32_t filter);

// Hands every entry of the cache to onEntry, in the cache's order. Entries are
// read one call each into one reused buffer; only an entry that does not fit
// makes it grow, and that entry is read again (if that read fails too, the
// entry is passed over). The enumeration ends at the first failure other
// than "insufficient buffer" (the end of the entries among them), and at
// once when the first lookup gives no handle. An error raised by onEntry
// ends the enumeration; the find handle is released in every case.
void EnumerateUrlCache(const UrlCacheSource& source,
                       const std::function<void(const INTERNET_CACHE_ENTRY_INFOA&)>& onEntry);

// DeleteUrlCacheEntryA of "wininet.dll", looked up at run time; null when it
// cannot be found. The library stays loaded for the program's life.
DeleteUrlCacheEntryFn LookUpDeleteUrlCacheEntry();

// The deletion pass a filter calls for: what goes with each entry.
enum class DeletionPass { Cookies, History, CacheFiles, None };
DeletionPass PassOfFilter(std::uint32_t filter);

// Deletes entries by name as one pass does: the entry's own file first,
// through the one handle it is opened and checked with, when it is the
// cache's own (below the cache's folders, no link, one name); then the entry
// through the cache's own function. The cache's function deletes an entry's
// own file by its path, wherever that leads: a file that is not the cache's
// own is held open without delete sharing meanwhile, so it stays while its
// entry goes; one that cannot be held keeps its entry.
class UrlCacheEraser {
public:
    // With no deletion function (WinInet's was not found) no entry is
    // deleted; a cookie's own file still is.
    UrlCacheEraser(DeleteUrlCacheEntryFn deleteEntry, DeletionPass pass);
    enum class Outcome {
        Gone,
        GoneFileLeft,  // the entry went; its file, not the cache's own (a link, outside the cache), stays
        Kept,
        Outside,  // kept: its file lies outside the cache and could not be held
        Vanished  // another program deleted it meanwhile
    };
    Outcome Erase(const std::string& name, const std::string& localFile) const;
    // Whether an entry's own file is named where a cache file belongs (its
    // name alone; Erase opens it to tell what it really is).
    bool FileBelongs(const std::string& localFile) const;

private:
    struct CacheFolder {
        std::wstring written;  // as the shell names it
        std::wstring final;    // where it really lies (its usual form), empty when it could not be opened
    };
    bool NamedInside(const std::string& localFile, std::wstring* shown, std::wstring* rest,
                     const CacheFolder** in) const;
    DeleteUrlCacheEntryFn deleteEntry_;
    DeletionPass pass_;
    std::vector<CacheFolder> cacheFolders_;
};

// An entry of the kind being cleared, as a pass deletes it.
struct ListedEntry {
    std::string name;       // the source URL name, by which it is deleted
    std::string localFile;  // its own file, if any
    std::uint64_t bytes = 0;
};

struct KeptEntry {
    std::string name;
    bool outside = false;  // kept because its file is outside the cache
};

// What clearing the entries of a kind did, or for a preview would do.
struct CacheTally {
    std::uint64_t entries = 0;      // gone
    std::uint64_t bytes = 0;        // the sizes of their files
    std::uint64_t kept = 0;         // the cache would not let go, or their files are outside it
    std::uint64_t keptAsAsked = 0;  // passed over because keep said they stay
    std::vector<KeptEntry> keptNames;
    // The own files of the entries kept, in the form
    // RemovalTally::countedElsewhere holds: the folder walk leaves them.
    std::unordered_set<std::wstring> keptFiles;
    // The own files of the entries counted: the folder walk that follows
    // counts them under the entries, not again as files.
    std::vector<std::wstring> localFiles;
    // Entries that went whose files stay: not the cache's own (a link, a
    // file outside the cache); the first hundred or so named.
    std::uint64_t filesLeft = 0;
    std::vector<std::string> leftFiles;
};

// Every entry of the cache with its type bits, listed once: a preview of
// several kinds takes them all from one listing, as nothing changes between
// them.
struct CacheListing {
    std::vector<std::pair<std::uint32_t, ListedEntry>> entries;
};
CacheListing ListUrlCache(const UrlCacheSource& source);

// Lists every entry of kind (what the cookie manager's refresh lists), then
// deletes them last to first as its passes do, passing over those keep
// says stay; a preview only counts them, from listing when one is given. A
// kind without a pass lists nothing.
CacheTally ClearEntriesOfKind(std::uint8_t kind, bool preview, const UrlCacheSource& source,
                              DeleteUrlCacheEntryFn deleteEntry,
                              const std::function<bool(const ListedEntry&)>& keep = {},
                              const CacheListing* listing = nullptr);

}  // namespace purgelet
