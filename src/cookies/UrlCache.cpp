#include "cookies/UrlCache.h"

#include <memory>

#include "base/Handles.h"

namespace purgelet {

namespace {
std::string TextOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

std::string LocaleText(LCTYPE what, const char* fallback) {
    char buf[16] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, what, buf, sizeof(buf)) <= 0) return fallback;
    return buf;
}

void AppendTwoDigits(std::string& out, unsigned value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

bool IsLeapYear(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned year, unsigned month) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

std::uint64_t Ticks(const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

// 1980-01-01 00:00:00 up to, not including, 2108-01-01 00:00:00. Some
// FileTimeToDosDateTime implementations let later years wrap round.
bool WithinDosRange(const FILETIME& local) {
    constexpr std::uint64_t kFirst = 119600064000000000ull;  // 1980-01-01
    constexpr std::uint64_t kEnd = 159992928000000000ull;    // 2108-01-01
    const std::uint64_t t = Ticks(local);
    return t >= kFirst && t < kEnd;
}

}  // namespace

std::string AddressPart(const char* sourceUrlName) {
    const std::string name = TextOrEmpty(sourceUrlName);
    const auto at = name.find('@');
    std::string part =
        at == std::string::npos ? name.substr(0, kMaxAddressLength) : name.substr(at + 1, kMaxAddressLength);
    if (!part.empty() && part.back() == '/') part.pop_back();
    return part;
}

DateSeparators DateSeparators::OfUserLocale() {
    return DateSeparators{LocaleText(LOCALE_SDATE, "/"), LocaleText(LOCALE_STIME, ":")};
}

std::optional<std::string> DosDateTimeText(WORD dosDate, WORD dosTime, const DateSeparators& separators) {
    const unsigned year = 1980u + (dosDate >> 9);
    const unsigned month = (dosDate >> 5) & 0x0F;
    const unsigned day = dosDate & 0x1F;
    const unsigned hour = dosTime >> 11;
    const unsigned minute = (dosTime >> 5) & 0x3F;
    const unsigned second = (dosTime & 0x1F) * 2u;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const unsigned hour12 = hour % 12 == 0 ? 12 : hour % 12;
    std::string text;
    text.reserve(24);
    text += std::to_string(year);
    text += separators.date;
    AppendTwoDigits(text, month);
    text += separators.date;
    AppendTwoDigits(text, day);
    text += ' ';
    AppendTwoDigits(text, hour12);
    text += separators.time;
    AppendTwoDigits(text, minute);
    text += separators.time;
    AppendTwoDigits(text, second);
    text += hour < 12 ? "AM" : "PM";
    return text;
}

LocalDosTime LocalDosTime::Of(const FILETIME& time) {
    FILETIME local{};
    LocalDosTime dos;
    if (!FileTimeToLocalFileTime(&time, &local) || !WithinDosRange(local) ||
        !FileTimeToDosDateTime(&local, &dos.date, &dos.time))
        return LocalDosTime{};
    return dos;
}

std::string LocalDosTime::Text(const DateSeparators& separators) const {
    return DosDateTimeText(date, time, separators).value_or(kInvalidDateText);
}

std::string FileTimeToText(const FILETIME& time, const DateSeparators& separators) {
    return LocalDosTime::Of(time).Text(separators);
}

std::string FileTimeToText(const FILETIME& time) { return FileTimeToText(time, DateSeparators::OfUserLocale()); }

CookieRow BuildEntryRow(const INTERNET_CACHE_ENTRY_INFOA& entry, const DateSeparators& separators) {
    CookieRow row;
    row.caption = AddressPart(entry.lpszSourceUrlName);
    row.subItems.reserve(kCookieColumnCount - 1);
    row.subItems.push_back(std::to_string(entry.dwHitRate));
    row.subItems.push_back(FileTimeToText(entry.LastModifiedTime, separators));
    row.subItems.push_back(FileTimeToText(entry.ExpireTime, separators));
    row.subItems.push_back(TextOrEmpty(entry.lpszSourceUrlName));
    row.subItems.emplace_back(kKeepNo);
    row.subItems.push_back(TextOrEmpty(entry.lpszLocalFileName));
    return row;
}

CookieRow BuildCacheFileRow(const INTERNET_CACHE_ENTRY_INFOA& entry) {
    CookieRow row;
    row.caption = TextOrEmpty(entry.lpszSourceUrlName);
    row.subItems.reserve(kCookieColumnCount - 2);
    row.subItems.push_back(std::to_string(entry.dwHitRate));
    row.subItems.emplace_back();
    row.subItems.emplace_back();
    row.subItems.push_back(TextOrEmpty(entry.lpszLocalFileName));
    row.subItems.emplace_back(kKeepNo);
    return row;
}

}  // namespace purgelet
