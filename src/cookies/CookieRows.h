#pragma once
// The rows of the cookie list, kept once and small: per row the numbers and
// times as read from the cache entry, its two names in one shared text
// store, and its Keep cell. The cells are written out only when asked for,
// in exactly the form the row builders give them.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cookies/UrlCache.h"
#include "framework/ListView.h"

namespace purgelet {

class CookieRows : public ui::ListRows {
public:
    // The separators the date cells of the next rows are written with.
    void SetSeparators(const DateSeparators& separators) { separators_ = separators; }

    // A row laid out as BuildEntryRow lays it out (a set filter).
    void AddEntry(const INTERNET_CACHE_ENTRY_INFOA& entry);
    // A row laid out as BuildCacheFileRow lays it out (filter 0).
    void AddCacheFile(const INTERNET_CACHE_ENTRY_INFOA& entry);

    int Count() const override { return static_cast<int>(rows_.size()); }
    ui::ListItem Row(int index) const override;
    std::string Text(int index, int column) const override;
    // The entry's own file, whatever the row shows of it.
    std::string LocalFile(int index) const;
    // Only the Keep cell can be written.
    void SetText(int index, int column, const std::string& text) override;
    void Erase(int index) override;
    void Clear() override;
    void Reorder(const std::vector<int>& order) override;

private:
    static constexpr std::uint32_t kNoText = 0xFFFFFFFFu;
    struct Entry {
        std::uint32_t name = kNoText;       // lpszSourceUrlName in texts_
        std::uint32_t localFile = kNoText;  // lpszLocalFileName in texts_
        std::uint32_t hits = 0;
        LocalDosTime modified;
        LocalDosTime expires;
        std::uint8_t keep = 0;  // index in keepTexts_
        bool cacheFile = false;
    };
    std::uint32_t Store(const char* text);
    const char* TextAt(std::uint32_t offset) const;
    void Add(const INTERNET_CACHE_ENTRY_INFOA& entry, bool cacheFile);

    std::vector<Entry> rows_;
    std::vector<char> texts_;  // every name, each ending in a zero
    std::vector<std::string> keepTexts_{kKeepNo, kKeepYes};
    DateSeparators separators_;
};

}  // namespace purgelet
