#pragma once
// The WinInet URL cache as the cookie manager shows it: the cells of a cookie
// row built from an entry. Listing and deleting the entries is the cleaning
// engine's (cleaner/UrlCacheEntries.h).
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "cleaner/iecache/UrlCacheEntries.h"
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

}  // namespace purgelet
