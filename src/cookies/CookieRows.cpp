#include "cookies/CookieRows.h"

#include <cstring>

#include "base/Errors.h"

namespace purgelet {

std::uint32_t CookieRows::Store(const char* text) {
    if (!text) return kNoText;
    const auto offset = static_cast<std::uint32_t>(texts_.size());
    texts_.insert(texts_.end(), text, text + std::strlen(text) + 1);
    return offset;
}

const char* CookieRows::TextAt(std::uint32_t offset) const { return offset == kNoText ? "" : &texts_[offset]; }

void CookieRows::Add(const INTERNET_CACHE_ENTRY_INFOA& entry, bool cacheFile) {
    Entry row;
    row.name = Store(entry.lpszSourceUrlName);
    row.localFile = Store(entry.lpszLocalFileName);
    row.hits = entry.dwHitRate;
    if (!cacheFile) {
        row.modified = LocalDosTime::Of(entry.LastModifiedTime);
        row.expires = LocalDosTime::Of(entry.ExpireTime);
    }
    row.cacheFile = cacheFile;
    rows_.push_back(row);
}

void CookieRows::AddEntry(const INTERNET_CACHE_ENTRY_INFOA& entry) { Add(entry, false); }

void CookieRows::AddCacheFile(const INTERNET_CACHE_ENTRY_INFOA& entry) { Add(entry, true); }

std::string CookieRows::Text(int index, int column) const {
    const Entry& row = rows_[static_cast<std::size_t>(index)];
    switch (column) {
        case kColAddress:
            return row.cacheFile ? std::string(TextAt(row.name)) : AddressPart(TextAt(row.name));
        case kColHits:
            return std::to_string(row.hits);
        case kColModified:
            return row.cacheFile ? std::string() : row.modified.Text(separators_);
        case kColExpires:
            return row.cacheFile ? std::string() : row.expires.Text(separators_);
        case kColFullAddress:
            return TextAt(row.cacheFile ? row.localFile : row.name);
        case kColKeep:
            return keepTexts_[row.keep];
        case kColLocalFilename:
            return row.cacheFile ? std::string() : std::string(TextAt(row.localFile));
        default:
            return {};
    }
}

std::string CookieRows::LocalFile(int index) const { return TextAt(rows_[static_cast<std::size_t>(index)].localFile); }

ui::ListItem CookieRows::Row(int index) const {
    ui::ListItem item;
    item.caption = Text(index, kColAddress);
    // A row of an ordinary entry has no Local Filename cell at all.
    const int last = rows_[static_cast<std::size_t>(index)].cacheFile ? kColKeep : kColLocalFilename;
    for (int column = kColHits; column <= last; ++column) item.subItems.push_back(Text(index, column));
    return item;
}

void CookieRows::SetText(int index, int column, const std::string& text) {
    if (column != kColKeep) throw Error("Only the Keep cell of a cookie row can be changed");
    std::size_t keep = 0;
    while (keep < keepTexts_.size() && keepTexts_[keep] != text) ++keep;
    if (keep == keepTexts_.size()) {
        if (keep > 0xFF) throw Error("Too many different Keep texts");
        keepTexts_.push_back(text);
    }
    rows_[static_cast<std::size_t>(index)].keep = static_cast<std::uint8_t>(keep);
}

void CookieRows::Erase(int index) {
    rows_.erase(rows_.begin() + index);
    // The names of erased rows stay in the text store until it is empty.
    if (rows_.empty()) Clear();
}

void CookieRows::Clear() {
    std::vector<Entry>().swap(rows_);
    std::vector<char>().swap(texts_);
    keepTexts_.resize(2);
}

void CookieRows::Reorder(const std::vector<int>& order) {
    std::vector<Entry> reordered;
    reordered.reserve(rows_.size());
    for (int old : order) reordered.push_back(rows_[static_cast<std::size_t>(old)]);
    rows_ = std::move(reordered);
}

}  // namespace purgelet
