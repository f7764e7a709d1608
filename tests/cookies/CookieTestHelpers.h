#pragma once
// Helpers of the cookie manager tests: local times as FILETIMEs, cache
// entries with times, hits and files, and a stand-in URL cache.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cookies/UrlCache.h"
#include "support/TestSupport.h"

namespace cookie_tests {

// A local wall-clock time as the UTC FILETIME a cache entry holds.
inline FILETIME LocalTime(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME st{
        static_cast<WORD>(year),   static_cast<WORD>(month),  0, static_cast<WORD>(day), static_cast<WORD>(hour),
        static_cast<WORD>(minute), static_cast<WORD>(second), 0};
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

// A date-time cell as the user's separators write it.
inline std::string Expected(const char* y, const char* mo, const char* d, const char* h, const char* mi, const char* s,
                            const char* ampm) {
    auto seps = purgelet::DateSeparators::OfUserLocale();
    return std::string(y) + seps.date + mo + seps.date + d + " " + h + seps.time + mi + seps.time + s + ampm;
}

inline bool AddCookie(const std::string& name, FILETIME modified = {}, FILETIME expires = {}) {
    return CommitUrlCacheEntryA(name.c_str(), nullptr, expires, modified, COOKIE_CACHE_ENTRY, nullptr, 0, nullptr,
                                nullptr) != FALSE;
}

// A cookie entry with a file of its own in the cookie store; returns the file.
inline std::string AddCookieWithFile(const std::string& name, FILETIME modified = {}, FILETIME expires = {}) {
    char file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(name.c_str(), 0, "txt", file, 0)) return {};
    testing_support::WriteFile(file, "id=1\n");
    if (!CommitUrlCacheEntryA(name.c_str(), file, expires, modified, COOKIE_CACHE_ENTRY, nullptr, 0, nullptr, nullptr))
        return {};
    return file;
}

inline bool SetHits(const std::string& name, DWORD hits) {
    INTERNET_CACHE_ENTRY_INFOA info{};
    info.dwStructSize = sizeof(info);
    info.dwHitRate = hits;
    return SetUrlCacheEntryInfoA(name.c_str(), &info, CACHE_ENTRY_HITRATE_FC) != FALSE;
}

inline std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

inline std::vector<std::string> CacheNamesStartingWith(const std::string& prefix) {
    std::vector<std::string> out;
    for (auto& n : testing_support::CacheEntryNames())
        if (n.rfind(prefix, 0) == 0) out.push_back(n);
    return Sorted(out);
}

// A stand-in URL cache with WinInet's conventions: a size query without a
// buffer fails with 122 and the size; a read fills the buffer, texts inside.
struct FakeEntry {
    FakeEntry(std::string n, std::optional<std::string> local = std::nullopt, DWORD t = COOKIE_CACHE_ENTRY, DWORD h = 0)
        : name(std::move(n)), localFile(std::move(local)), type(t), hits(h) {}
    std::string name;
    std::optional<std::string> localFile;  // none: a null pointer
    DWORD type;
    DWORD hits;
};

class FakeCache {
public:
    std::vector<FakeEntry> entries;
    DWORD endCode = ERROR_NO_MORE_ITEMS;   // the failure after the last entry
    std::optional<DWORD> firstFailsWith;   // the first lookup fails although there are entries
    std::optional<std::size_t> vanishing;  // the read of this entry fails (it went away)
    int callLimit = 1000;                  // more next-entry calls raise an error
    int nextCalls = 0, closes = 0, wrongSizedReads = 0;

    purgelet::UrlCacheSource Source() {
        purgelet::UrlCacheSource s;
        s.findFirst = [this](INTERNET_CACHE_ENTRY_INFOA* buf, DWORD* size) -> HANDLE {
            pos_ = 0;
            if (firstFailsWith || entries.empty()) {
                SetLastError(firstFailsWith.value_or(ERROR_NO_MORE_ITEMS));
                return nullptr;
            }
            return Read(buf, size) ? kHandle : nullptr;
        };
        s.findNext = [this](HANDLE h, INTERNET_CACHE_ENTRY_INFOA* buf, DWORD* size) -> BOOL {
            if (++nextCalls > callLimit) throw std::runtime_error("enumeration does not stop");
            if (h != kHandle || pos_ >= entries.size()) {
                SetLastError(h != kHandle ? ERROR_INVALID_HANDLE : endCode);
                return FALSE;
            }
            return Read(buf, size);
        };
        s.findClose = [this](HANDLE) { ++closes; };
        return s;
    }

private:
    inline static const HANDLE kHandle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x5151));

    BOOL Read(INTERNET_CACHE_ENTRY_INFOA* buf, DWORD* size) {
        const FakeEntry& e = entries[pos_];
        const std::size_t local = e.localFile ? e.localFile->size() + 1 : 0;
        const auto need = static_cast<DWORD>(sizeof(*buf) + e.name.size() + 1 + local);
        if (!buf || *size < need) {
            *size = need;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        if (*size != need) ++wrongSizedReads;
        if (vanishing == pos_++) {
            vanishing.reset();
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        std::memset(buf, 0, need);
        char* text = reinterpret_cast<char*>(buf + 1);
        buf->dwStructSize = sizeof(*buf);
        buf->lpszSourceUrlName = std::strcpy(text, e.name.c_str());
        if (e.localFile) buf->lpszLocalFileName = std::strcpy(text + e.name.size() + 1, e.localFile->c_str());
        buf->CacheEntryType = e.type;
        buf->dwHitRate = e.hits;
        return TRUE;
    }
    std::size_t pos_ = 0;
};

}  // namespace cookie_tests
