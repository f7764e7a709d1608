#pragma once
// The rules of the cookie list that need no window: the sort state and the
// comparison of two rows, which rows a deletion pass takes, and the enabling
// of the buttons and of the keep menu.
#include <cstdint>
#include <optional>
#include <string>

#include "cookies/UrlCache.h"

namespace purgelet {

// The sort state after a click on the header of a column (0-based): +k sorts
// ascending by column k - 1, -k descending; a second click on the same
// column reverses the order.
int NextSortState(int sortState, int column);

// A date-time cell read back as a number that orders like the time it shows
// (yyyymmddhhmmss, 24-hour); nothing for a cell that holds no date-time.
std::optional<std::int64_t> DateTimeKey(const std::string& text, const DateSeparators& separators);

// Texts in the user's locale, case-sensitive: -1, 0 or 1.
int CompareCellTexts(const std::string& a, const std::string& b);

// Two rows under a sort state: Address and the three further text columns by
// CompareCellTexts, Hits as whole numbers, Modified and Expires as
// date-times (cells without a date-time come first). A negative state
// reverses the result; a state of 0 finds every pair equal.
int CompareCookieRows(const CookieRow& a, const CookieRow& b, int sortState, const DateSeparators& separators);
// The same for the two rows' cells of one column (0-based).
int CompareCookieCells(int column, const std::string& a, const std::string& b, int sortState,
                       const DateSeparators& separators);

// A deletion pass takes a row when it is checked and its Keep cell is
// exactly "No".
inline bool RowToBeDeleted(bool checked, const std::string& keepCell) { return checked && keepCell == kKeepNo; }

// Enabled states of the buttons after the rows were counted.
struct CookieButtonStates {
    bool selectAll = false;
    bool selectNone = false;
    bool del = false;
    bool privacy = false;
};
// With rows: the three list buttons on, Privacy on with a shell library of
// version 6 or more (else as it was). Without rows: all four off.
CookieButtonStates ButtonStatesForCount(int rows, std::uint32_t shellVersion, bool privacyEnabled);

// The keep items of the popup menu stay as they are only while cookies are
// listed and the list has rows; otherwise they are disabled.
inline bool KeepItemsMayStay(std::uint32_t filter, int rows) { return filter == kCookieCacheEntry && rows > 0; }

}  // namespace purgelet
