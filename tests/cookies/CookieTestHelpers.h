#pragma once
// Helpers of the cookie manager tests: local times as FILETIMEs, cache
// entries with times, hits and files, and a stand-in URL cache whose
// entries and failures a test decides.
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
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

// The text a date-time cell should show, built with the user's separators.
inline std::string Expected(const char* year, const char* month, const char* day, const char* hh, const char* mm,
                            const char* ss, const char* ampm) {
    auto seps = purgelet::DateSeparators::OfUserLocale();
    return std::string(year) + seps.date + month + seps.date + day + " " + hh + seps.time + mm + seps.time + ss +
           ampm;
}

// A cookie entry with the given times.
inline bool AddCookie(const std::string& name, FILETIME modified = {}, FILETIME expires = {}) {
    return CommitUrlCacheEntryA(name.c_str(), nullptr, expires, modified, COOKIE_CACHE_ENTRY, nullptr, 0, nullptr,
                                nullptr) != FALSE;
}

// A cookie entry with a file of its own in the cookie store; returns the
// file's path (empty on failure).
inline std::string AddCookieWithFile(const std::string& name, FILETIME modified = {}, FILETIME expires = {}) {
    char file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(name.c_str(), 0, "txt", file, 0)) return {};
    testing_support::WriteFile(file, "id=1\n");
    if (!CommitUrlCacheEntryA(name.c_str(), file, expires, modified, COOKIE_CACHE_ENTRY, nullptr, 0, nullptr,
                              nullptr))
        return {};
    return file;
}

inline bool SetHits(const std::string& name, DWORD hits) {
    INTERNET_CACHE_ENTRY_INFOA info{};
    info.dwStructSize = sizeof(info);
    info.dwHitRate = hits;
    return SetUrlCacheEntryInfoA(name.c_str(), &info, CACHE_ENTRY_HITRATE_FC) != FALSE;
}

inline std::vector<std::string> CacheNamesStartingWith(const std::string& prefix) {
    std::vector<std::string> out;
    for (auto& n : testing_support::CacheEntryNames())
        if (n.compare(0, prefix.size(), prefix) == 0) out.push_back(n);
    std::sort(out.begin(), out.end());
    return out;
}

inline std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// A stand-in for the URL cache with WinInet's calling conventions: a size
// query with no buffer fails with 122 and the size needed; a read fills the
// buffer (texts inside it) or fails with 122 when it is too small.
struct FakeEntry {
    FakeEntry(std::string n, std::optional<std::string> local = std::nullopt, DWORD t = COOKIE_CACHE_ENTRY,
              DWORD h = 0)
        : name(std::move(n)), localFile(std::move(local)), type(t), hits(h) {}
    std::string name;
    std::optional<std::string> localFile;  // none: a null pointer
    DWORD type = COOKIE_CACHE_ENTRY;
    DWORD hits = 0;
    FILETIME modified{};
    FILETIME expires{};
    bool nullName = false;
};

class FakeCache {
public:
    std::vector<FakeEntry> entries;
    // The failure after the last entry (WinInet: 259).
    DWORD endCode = ERROR_NO_MORE_ITEMS;
    // The first lookup fails with this code although there are entries.
    std::optional<DWORD> firstFailsWith;
    // Reads of these entry positions fail once (the entry went away).
    std::vector<std::size_t> vanishing;
    // Calls beyond this many mean the enumeration does not stop.
    int callLimit = 1000;

    int firstCalls = 0, nextCalls = 0, closes = 0, wrongSizedReads = 0;
    int nextCallsWithoutHandle = 0;

    purgelet::UrlCacheSource Source() {
        purgelet::UrlCacheSource s;
        s.findFirst = [this](INTERNET_CACHE_ENTRY_INFOA* buf, DWORD* size) -> HANDLE {
            ++firstCalls;
            pos_ = 0;
            if (firstFailsWith) {
                SetLastError(*firstFailsWith);
                return nullptr;
            }
            if (entries.empty()) {
                SetLastError(ERROR_NO_MORE_ITEMS);
                return nullptr;
            }
            if (!Read(buf, size)) return nullptr;
            return kHandle;
        };
        s.findNext = [this](HANDLE h, INTERNET_CACHE_ENTRY_INFOA* buf, DWORD* size) -> BOOL {
            if (++nextCalls > callLimit) throw std::runtime_error("enumeration does not stop");
            if (h != kHandle) {
                ++nextCallsWithoutHandle;
                SetLastError(ERROR_INVALID_HANDLE);
                return FALSE;
            }
            if (pos_ >= entries.size()) {
                SetLastError(endCode);
                return FALSE;
            }
            return Read(buf, size) ? TRUE : FALSE;
        };
        s.findClose = [this](HANDLE) { ++closes; };
        return s;
    }

    static DWORD SizeOf(const FakeEntry& e) {
        return static_cast<DWORD>(sizeof(INTERNET_CACHE_ENTRY_INFOA) + e.name.size() + 1 +
                                  (e.localFile ? e.localFile->size() + 1 : 0));
    }

private:
    inline static const HANDLE kHandle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x5151));

    bool Read(INTERNET_CACHE_ENTRY_INFOA* buf, DWORD* size) {
        const FakeEntry& e = entries[pos_];
        const DWORD need = SizeOf(e);
        if (!buf || *size < need) {
            *size = need;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        if (*size != need) ++wrongSizedReads;
        if (std::find(vanishing.begin(), vanishing.end(), pos_) != vanishing.end()) {
            vanishing.erase(std::find(vanishing.begin(), vanishing.end(), pos_));
            ++pos_;
            SetLastError(ERROR_FILE_NOT_FOUND);
            return false;
        }
        std::memset(buf, 0, need);
        char* text = reinterpret_cast<char*>(buf) + sizeof(INTERNET_CACHE_ENTRY_INFOA);
        buf->dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOA);
        std::memcpy(text, e.name.c_str(), e.name.size() + 1);
        buf->lpszSourceUrlName = e.nullName ? nullptr : text;
        text += e.name.size() + 1;
        if (e.localFile) {
            std::memcpy(text, e.localFile->c_str(), e.localFile->size() + 1);
            buf->lpszLocalFileName = text;
        }
        buf->CacheEntryType = e.type;
        buf->dwHitRate = e.hits;
        buf->LastModifiedTime = e.modified;
        buf->ExpireTime = e.expires;
        ++pos_;
        return true;
    }

    std::size_t pos_ = 0;
};

}  // namespace cookie_tests
