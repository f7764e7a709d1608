#include "cleaner/UrlCacheEntries.h"

#include <shlobj.h>

#include <memory>

#include "base/Handles.h"
#include "cleaner/FileRemoval.h"

namespace purgelet {

namespace {
// Most entries (the record, the name and the local file's path) fit here.
constexpr DWORD kFirstEntryBufferSize = 4096;

INTERNET_CACHE_ENTRY_INFOA* AsEntry(std::unique_ptr<char[]>& buffer) {
    return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.get());
}

// The folders of the URL cache; a cookie's file is deleted only inside them.
std::vector<std::wstring> CacheFolders() {
    std::vector<std::wstring> folders;
    for (int id : {CSIDL_COOKIES, CSIDL_INTERNET_CACHE, CSIDL_HISTORY}) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0])
            folders.emplace_back(path);
    }
    return folders;
}

constexpr std::size_t kMaxKeptNames = 100;
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

DeletionPass PassOfFilter(std::uint32_t filter) {
    switch (filter) {
        case kCookieCacheEntry:
            return DeletionPass::Cookies;
        case kUrlHistoryCacheEntry:
            return DeletionPass::History;
        case 0:
            return DeletionPass::CacheFiles;
        default:
            return DeletionPass::None;
    }
}

UrlCacheEraser::UrlCacheEraser(DeleteUrlCacheEntryFn deleteEntry, DeletionPass pass)
    : deleteEntry_(deleteEntry), pass_(pass) {
    if (pass_ != DeletionPass::None) cacheFolders_ = CacheFolders();
}

bool UrlCacheEraser::FileBelongs(const std::string& localFile) const {
    if (localFile.empty()) return true;
    return PlaceOfFile(cacheFolders_, Widen(localFile)) != FilePlace::Outside;
}

UrlCacheEraser::Outcome UrlCacheEraser::Erase(const std::string& name, const std::string& localFile) const {
    if (pass_ == DeletionPass::None) return Outcome::Kept;
    if (!FileBelongs(localFile)) return Outcome::Outside;
    Outcome outcome = Outcome::Kept;
    if (deleteEntry_)
        outcome = deleteEntry_(name.c_str())               ? Outcome::Gone
                  : GetLastError() == ERROR_FILE_NOT_FOUND ? Outcome::Vanished
                                                           : Outcome::Kept;
    // A cookie's own file, when one is named and still there; a file that
    // will not go is retried once with its attributes reset to archive only,
    // and if it still stays, it is left.
    if (pass_ == DeletionPass::Cookies && !localFile.empty())
        for (const std::wstring& folder : cacheFolders_)
            if (DeleteFileInside(folder, localFile)) break;
    return outcome;
}

namespace {

ListedEntry ListedOf(const INTERNET_CACHE_ENTRY_INFOA& entry) {
    ListedEntry e;
    if (entry.lpszSourceUrlName) e.name = entry.lpszSourceUrlName;
    if (entry.lpszLocalFileName) e.localFile = entry.lpszLocalFileName;
    e.bytes = (std::uint64_t{entry.dwSizeHigh} << 32) | entry.dwSizeLow;
    return e;
}

}  // namespace

CacheListing ListUrlCache(const UrlCacheSource& source) {
    CacheListing listing;
    EnumerateUrlCache(source, [&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
        listing.entries.emplace_back(entry.CacheEntryType, ListedOf(entry));
    });
    return listing;
}

CacheTally ClearEntriesOfKind(std::uint8_t kind, bool preview, const UrlCacheSource& source,
                              DeleteUrlCacheEntryFn deleteEntry, const std::function<bool(const ListedEntry&)>& keep,
                              const CacheListing* listing) {
    CacheTally tally;
    const std::optional<std::uint32_t> filter = FilterOfKind(kind);
    const DeletionPass pass = filter ? PassOfFilter(*filter) : DeletionPass::None;
    if (pass == DeletionPass::None) return tally;

    std::vector<ListedEntry> listed;
    if (preview && listing) {
        for (const auto& [type, entry] : listing->entries)
            if (EntryKept(type, *filter)) listed.push_back(entry);
    } else {
        EnumerateUrlCache(source, [&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
            if (EntryKept(entry.CacheEntryType, *filter)) listed.push_back(ListedOf(entry));
        });
    }

    const UrlCacheEraser eraser(preview ? nullptr : deleteEntry, pass);
    for (auto it = listed.rbegin(); it != listed.rend(); ++it) {
        if (keep && keep(*it)) {
            if (!it->localFile.empty()) tally.keptFiles.insert(CountedElsewhereKey(Widen(it->localFile)));
            continue;
        }
        UrlCacheEraser::Outcome outcome = UrlCacheEraser::Outcome::Gone;
        if (!preview)
            outcome = eraser.Erase(it->name, it->localFile);
        else if (!eraser.FileBelongs(it->localFile))
            outcome = UrlCacheEraser::Outcome::Outside;
        if (outcome == UrlCacheEraser::Outcome::Vanished) continue;
        if (outcome == UrlCacheEraser::Outcome::Gone) {
            ++tally.entries;
            tally.bytes += it->bytes;
            if (!it->localFile.empty()) tally.localFiles.push_back(Widen(it->localFile));
        } else {
            ++tally.kept;
            if (tally.keptNames.size() < kMaxKeptNames)
                tally.keptNames.push_back({it->name, outcome == UrlCacheEraser::Outcome::Outside});
            if (!it->localFile.empty()) tally.keptFiles.insert(CountedElsewhereKey(Widen(it->localFile)));
        }
    }
    return tally;
}

}  // namespace purgelet
