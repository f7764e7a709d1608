#pragma once
// A stand-in URL cache for the engine's enumeration and the cookie manager.
#include <windows.h>
#include <wininet.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/CleaningSite.h"

namespace testing_support {

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

}  // namespace testing_support
