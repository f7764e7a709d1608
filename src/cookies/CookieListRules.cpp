#include "cookies/CookieListRules.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace purgelet {

namespace {
int Sign(long long v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// A Hits cell as a number; nothing when it is no whole number.
std::optional<unsigned long long> HitsValue(const std::string& text) {
    if (text.empty() || text.size() > 20) return std::nullopt;
    unsigned long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    return v;
}

// Cells without a value come before every cell with one.
template <class T>
int CompareOptional(const std::optional<T>& a, const std::optional<T>& b) {
    if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
    return *a < *b ? -1 : (*b < *a ? 1 : 0);
}
}  // namespace

int NextSortState(int sortState, int column) {
    const int k = column + 1;
    return std::abs(sortState) == k ? -sortState : k;
}

std::optional<std::int64_t> DateTimeKey(const std::string& text, const DateSeparators& separators) {
    std::size_t pos = 0;
    auto number = [&](std::size_t digits, int& out) {
        if (pos + digits > text.size()) return false;
        out = 0;
        for (std::size_t i = 0; i < digits; ++i) {
            char c = text[pos + i];
            if (c < '0' || c > '9') return false;
            out = out * 10 + (c - '0');
        }
        pos += digits;
        return true;
    };
    auto literal = [&](const std::string& s) {
        if (text.compare(pos, s.size(), s) != 0) return false;
        pos += s.size();
        return true;
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!(number(4, year) && literal(separators.date) && number(2, month) && literal(separators.date) &&
          number(2, day) && literal(" ") && number(2, hour) && literal(separators.time) && number(2, minute) &&
          literal(separators.time) && number(2, second)))
        return std::nullopt;
    bool pm = false;
    if (literal("PM"))
        pm = true;
    else if (!literal("AM"))
        return std::nullopt;
    if (pos != text.size() || month < 1 || month > 12 || day < 1 || day > 31 || hour < 1 || hour > 12 || minute > 59 ||
        second > 59)
        return std::nullopt;
    const int hour24 = hour % 12 + (pm ? 12 : 0);
    return ((((static_cast<std::int64_t>(year) * 100 + month) * 100 + day) * 100 + hour24) * 100 + minute) * 100 +
           second;
}

int CompareCellTexts(const std::string& a, const std::string& b) {
    int r = CompareStringA(LOCALE_USER_DEFAULT, 0, a.c_str(), -1, b.c_str(), -1);
    if (r == 0) return Sign(std::strcmp(a.c_str(), b.c_str()));
    return r - CSTR_EQUAL;
}

int CompareCookieCells(int column, const std::string& a, const std::string& b, int sortState,
                       const DateSeparators& separators) {
    int result = 0;
    switch (column) {
        case kColAddress:
        case kColFullAddress:
        case kColKeep:
        case kColLocalFilename:
            result = CompareCellTexts(a, b);
            break;
        case kColHits:
            result = CompareOptional(HitsValue(a), HitsValue(b));
            break;
        case kColModified:
        case kColExpires:
            result = CompareOptional(DateTimeKey(a, separators), DateTimeKey(b, separators));
            break;
        default:
            return 0;
    }
    return sortState < 0 ? -result : result;
}

int CompareCookieRows(const CookieRow& a, const CookieRow& b, int sortState, const DateSeparators& separators) {
    const int column = std::abs(sortState) - 1;
    return CompareCookieCells(column, a.Text(column), b.Text(column), sortState, separators);
}

CookieButtonStates ButtonStatesForCount(int rows, std::uint32_t shellVersion, bool privacyEnabled) {
    if (rows <= 0) return {};
    return CookieButtonStates{true, true, true, shellVersion >= 6 ? true : privacyEnabled};
}

}  // namespace purgelet
