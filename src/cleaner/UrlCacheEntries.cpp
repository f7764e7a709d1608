#include "cleaner/UrlCacheEntries.h"

#include <shlobj.h>

#include <memory>

#include "base/Handles.h"
#include "cleaner/ConfinedEntries.h"
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

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool SameText(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// Where the object open as handle really lies, "\\?\C:\...", however long.
std::wstring RawFinalPathOf(HANDLE handle) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return {};
        if (n < buffer.size()) return buffer.substr(0, n);
        buffer.resize(n + 1);
    }
    return {};
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
    if (pass_ == DeletionPass::None) return;
    for (std::wstring& folder : CacheFolders()) {
        FileHandle held(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        std::wstring final = held.Get() == INVALID_HANDLE_VALUE ? std::wstring() : RawFinalPathOf(held.Get());
        cacheFolders_.push_back({std::move(folder), std::move(final)});
    }
}

// An entry's file belongs to the cache when it is named below one of the
// cache's folders with plain names only, and, opened, it really lies there
// (no link on the way nor at its end: its final path is the folder's plus
// the rest of its name), is a file and has no other names. A file that is
// not there belongs: the cache deletes nothing for it.
bool UrlCacheEraser::FileBelongs(const std::string& localFile) const {
    if (localFile.empty()) return true;
    const std::optional<std::wstring> wide = WidenPath(localFile);
    const std::optional<confined::FolderArgument> file = wide ? confined::ParseFolder(*wide) : std::nullopt;
    if (!file) return false;
    for (const CacheFolder& folder : cacheFolders_) {
        const std::optional<confined::FolderArgument> top = confined::ParseFolder(folder.written);
        if (!top || folder.final.empty()) continue;
        const std::wstring_view base = top->ntPath, path = file->ntPath;
        if (path.size() <= base.size() + 1 || path[base.size()] != L'\\' ||
            !SameText(path.substr(0, base.size()), base))
            continue;
        const std::wstring_view rest = path.substr(base.size());  // "\\name..."
        FileHandle opened(CreateFileW(file->shown.substr(0, file->shown.size() - 1).c_str(), FILE_READ_ATTRIBUTES,
                                      kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (opened.Get() == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }
        const std::wstring final = RawFinalPathOf(opened.Get());
        BY_HANDLE_FILE_INFORMATION info{};
        return !final.empty() && final.size() == folder.final.size() + rest.size() &&
               SameText(std::wstring_view(final).substr(0, folder.final.size()), folder.final) &&
               SameText(std::wstring_view(final).substr(folder.final.size()), rest) &&
               GetFileInformationByHandle(opened.Get(), &info) && info.nNumberOfLinks == 1 &&
               !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    }
    return false;
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
        for (const CacheFolder& folder : cacheFolders_)
            if (DeleteFileInside(folder.written, localFile)) break;
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
            ++tally.keptAsAsked;
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
