#pragma once
// The WinInet URL cache as the cookie manager sees it: the entry type filter,
// the enumeration of every entry, the cells of a cookie row built from an
// entry, and the run-time lookup of the deletion function.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/ProgramState.h"
#include "framework/ListView.h"

namespace purgelet {

// The columns of a cookie row, in list order.
enum CookieColumn : int {
    kColAddress = 0,
    kColHits,
    kColModified,
    kColExpires,
    kColFullAddress,
    kColKeep,
    kColLocalFilename,
    kCookieColumnCount
};

inline constexpr char kKeepNo[] = "No";
inline constexpr char kKeepYes[] = "Yes";
inline constexpr char kInvalidDateText[] = "Invalid date format";
// Longest address shown in the Address column.
inline constexpr std::size_t kMaxAddressLength = 260;

// A row of the cookie list: the Address caption and the texts of the six
// further columns (a row may have fewer; the missing cells read as empty).
using CookieRow = ui::ListItem;

// The filter value for a kind passed to SetVar_CacheEntryType: 0 ordinary
// entries, 1 cookies, 2 history, 3 online tracking, 4 offline tracking. Other
// kinds have none.
std::optional<std::uint32_t> FilterOfKind(std::uint8_t kind);

// Whether an entry with these type bits gets a row. A filter of 0 keeps
// every entry that is neither a cookie nor a history entry; any other filter
// keeps the entries that have all of its bits.
bool EntryKept(std::uint32_t entryType, std::uint32_t filter);

// The Address of an entry: the text after the first "@" (the whole name
// when there is none), at most 260 characters, without one final "/".
std::string AddressPart(const char* sourceUrlName);

// The separators a date-time cell is written with.
struct DateSeparators {
    std::string date = "/";
    std::string time = ":";
    // The current user's locale settings (LOCALE_SDATE, LOCALE_STIME).
    static DateSeparators OfUserLocale();
};

// A DOS date and time as cell text, "yyyy/mm/dd hh:mm:ssAM" with a 12-hour
// clock; nothing when the value is no calendar date and time.
std::optional<std::string> DosDateTimeText(WORD dosDate, WORD dosTime, const DateSeparators& separators);

// A FILETIME (UTC) turned into local time on a DOS clock: the form a date
// cell keeps. Zero (no calendar date) when the time lies outside 1980 to 2107.
struct LocalDosTime {
    WORD date = 0;
    WORD time = 0;
    static LocalDosTime Of(const FILETIME& time);
    // The cell text: the date-time, or "Invalid date format".
    std::string Text(const DateSeparators& separators) const;
};

// A FILETIME (UTC) as cell text in local time, or "Invalid date format"
// when it lies outside 1980 to 2107 (a zero time among them).
std::string FileTimeToText(const FILETIME& time, const DateSeparators& separators);
std::string FileTimeToText(const FILETIME& time);

// The row of an entry listed under a set filter (cookies, history, ...).
CookieRow BuildEntryRow(const INTERNET_CACHE_ENTRY_INFOA& entry, const DateSeparators& separators);
// The row of an ordinary entry listed under filter 0: whole name, hits, no
// dates, the local file under Full Address, and no Local Filename cell.
CookieRow BuildCacheFileRow(const INTERNET_CACHE_ENTRY_INFOA& entry);

// Where the entries come from: WinInet's enumeration functions, or a stand-in.
struct UrlCacheSource {
    // FindFirstUrlCacheEntryA with a null search pattern (every entry).
    std::function<HANDLE(INTERNET_CACHE_ENTRY_INFOA*, DWORD*)> findFirst;
    std::function<BOOL(HANDLE, INTERNET_CACHE_ENTRY_INFOA*, DWORD*)> findNext;
    std::function<void(HANDLE)> findClose;

    static UrlCacheSource WinInet();
};

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
using DeleteUrlCacheEntryFn = BOOL(WINAPI*)(LPCSTR);
DeleteUrlCacheEntryFn LookUpDeleteUrlCacheEntry();

}  // namespace purgelet
