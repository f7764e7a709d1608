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

// Most entries (the record, the name and the local file's path) fit here.
constexpr DWORD kFirstEntryBufferSize = 4096;

INTERNET_CACHE_ENTRY_INFOA* AsEntry(std::unique_ptr<char[]>& buffer) {
    return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.get());
}
}  // namespace

std::optional<std::uint32_t> FilterOfKind(std::uint8_t kind) {
    switch (kind) {
        case 0:
            return 0u;
        case 1:
            return kCookieCacheEntry;
        case 2:
            return kUrlHistoryCacheEntry;
        case 3:
            return kTrackOnlineCacheEntry;
        case 4:
            return kTrackOfflineCacheEntry;
        default:
            return std::nullopt;
    }
}

bool EntryKept(std::uint32_t entryType, std::uint32_t filter) {
    if (filter != 0) return (entryType | filter) == entryType;
    return (entryType & (kCookieCacheEntry | kUrlHistoryCacheEntry)) == 0;
}

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

UrlCacheSource UrlCacheSource::WinInet() {
    UrlCacheSource s;
    s.findFirst = [](INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
        return FindFirstUrlCacheEntryA(nullptr, entry, size);
    };
    s.findNext = [](HANDLE handle, INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
        return FindNextUrlCacheEntryA(handle, entry, size);
    };
    s.findClose = [](HANDLE handle) { FindCloseUrlCache(handle); };
    return s;
}

void EnumerateUrlCache(const UrlCacheSource& source,
                       const std::function<void(const INTERNET_CACHE_ENTRY_INFOA&)>& onEntry) {
    // One buffer serves every entry. It is grown only when an entry does not
    // fit, and only that entry is then read again.
    DWORD capacity = kFirstEntryBufferSize;
    std::unique_ptr<char[]> buffer(new char[capacity]);
    const auto grow = [&](DWORD needed) {
        // A size that is no larger than what was offered would ask again for
        // the same; give at least a little more.
        capacity = needed > capacity ? needed : capacity + capacity / 2;
        buffer.reset();
        buffer.reset(new char[capacity]);
    };

    DWORD size = capacity;
    HANDLE first = source.findFirst(AsEntry(buffer), &size);
    const DWORD firstCode = first ? ERROR_SUCCESS : GetLastError();
    CacheFindHandle handle(first, CacheFindCloser{source.findClose});
    if (firstCode == ERROR_INSUFFICIENT_BUFFER) {
        grow(size);
        size = capacity;
        handle.Reset(source.findFirst(AsEntry(buffer), &size));
    }
    if (!handle) return;  // no entry at all; without a handle there is nothing to go on with
    onEntry(*AsEntry(buffer));

    for (;;) {
        size = capacity;
        if (source.findNext(handle.Get(), AsEntry(buffer), &size)) {
            onEntry(*AsEntry(buffer));
            continue;
        }
        // Only "insufficient buffer" means that there is a next entry to read.
        // The end of the entries (259), an invalid parameter (87) and any
        // other failure end the enumeration.
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        grow(size);
        size = capacity;
        // An entry that changed since its size was reported is passed over;
        // the next call goes on from where the cache stands.
        if (source.findNext(handle.Get(), AsEntry(buffer), &size)) onEntry(*AsEntry(buffer));
    }
}

DeleteUrlCacheEntryFn LookUpDeleteUrlCacheEntry() {
    // Kept loaded: the function is used for the rest of the program's life.
    HMODULE library = LoadLibraryA("wininet.dll");
    FARPROC proc = library ? GetProcAddress(library, "DeleteUrlCacheEntryA") : nullptr;
    return reinterpret_cast<DeleteUrlCacheEntryFn>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace purgelet
