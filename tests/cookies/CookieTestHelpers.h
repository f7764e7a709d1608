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
#include "support/FakeCache.h"
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

using testing_support::FakeCache;
using testing_support::FakeEntry;

}  // namespace cookie_tests
