#include "cleaner/iecache/UrlCacheEntries.h"

#include <shlobj.h>

#include <memory>

#include "base/Handles.h"
#include "cleaner/removal/ConfinedEntries.h"
#include "cleaner/removal/FileRemoval.h"
#include "cleaner/removal/FolderRefusal.h"

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

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool SameText(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
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
        std::wstring final = held.Get() == INVALID_HANDLE_VALUE ? std::wstring() : FinalPathOf(held.Get());
        cacheFolders_.push_back({std::move(folder), std::move(final)});
    }
}

// An entry's file belongs to the cache when it is named below one of the
// cache's folders with plain names only (that much its name tells).
bool UrlCacheEraser::NamedInside(const std::string& localFile, std::wstring* shown, std::wstring* rest,
                                 const CacheFolder** in) const {
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
        if (shown) *shown = file->shown.substr(0, file->shown.size() - 1);
        if (rest) *rest = path.substr(base.size());  // "\\name..."
        if (in) *in = &folder;
        return true;
    }
    return false;
}

bool UrlCacheEraser::FileBelongs(const std::string& localFile) const {
    return localFile.empty() || NamedInside(localFile, nullptr, nullptr, nullptr);
}

// The entry's file is opened once, without following a link given as it,
// and what it is read from that handle: the cache's own file (lying where its
// name says, below a cache folder, no link, one name) is deleted through the
// handle; a second name of it in the cache goes too, unless it is read-only
// (its attributes are shared); anything else - a link, a file outside the
// cache - is held open without delete sharing while the cache removes the
// entry, so that the cache, which deletes an entry's file by its path, cannot
// reach it. A file that cannot be opened at all keeps its entry.
UrlCacheEraser::Outcome UrlCacheEraser::Erase(const std::string& name, const std::string& localFile) const {
    if (pass_ == DeletionPass::None) return Outcome::Kept;
    FileHandle held;
    bool fileLeft = false;
    if (!localFile.empty()) {
        std::wstring shown, rest;
        const CacheFolder* folder = nullptr;
        const bool inside = NamedInside(localFile, &shown, &rest, &folder);
        if (!inside) {
            const std::optional<std::wstring> wide = WidenPath(localFile);
            if (!wide) return Outcome::Outside;
            shown = *wide;
        }
        held.Reset(CreateFileW(shown.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!held) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                return inside ? Outcome::Kept : Outcome::Outside;  // not to be held: the cache could reach it
        } else {
            BY_HANDLE_FILE_INFORMATION info{};
            const std::wstring final = FinalPathOf(held.Get());
            const bool here = inside && GetFileInformationByHandle(held.Get(), &info) && !final.empty() &&
                              final.size() == folder->final.size() + rest.size() &&
                              SameText(std::wstring_view(final).substr(0, folder->final.size()), folder->final) &&
                              SameText(std::wstring_view(final).substr(folder->final.size()), rest) &&
                              !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
            const bool readOnly = info.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
            // Only the cache's own name of a file goes: its other names stay.
            // Without the cache's function, only a cookie's file goes.
            const bool goes =
                here && (info.nNumberOfLinks == 1 || !readOnly) && (deleteEntry_ || pass_ == DeletionPass::Cookies);
            if (goes && readOnly) confined::ConfinedFolder::SetArchiveOnly(held.Get());
            if (goes && confined::ConfinedFolder::MarkForDeletion(held.Get()))
                held.Reset();  // gone as it closes
            else
                fileLeft = !here || info.nNumberOfLinks != 1;  // held until the entry is gone
        }
    }
    Outcome outcome = Outcome::Kept;
    if (deleteEntry_)
        outcome = deleteEntry_(name.c_str())               ? Outcome::Gone
                  : GetLastError() == ERROR_FILE_NOT_FOUND ? Outcome::Vanished
                                                           : Outcome::Kept;
    if (outcome == Outcome::Gone && fileLeft) outcome = Outcome::GoneFileLeft;
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
        // A preview judges an entry's file by its name alone.
        UrlCacheEraser::Outcome outcome = UrlCacheEraser::Outcome::Gone;
        if (!preview)
            outcome = eraser.Erase(it->name, it->localFile);
        else if (!eraser.FileBelongs(it->localFile))
            outcome = UrlCacheEraser::Outcome::GoneFileLeft;
        if (outcome == UrlCacheEraser::Outcome::Vanished) continue;
        if (outcome == UrlCacheEraser::Outcome::GoneFileLeft) {
            ++tally.entries;
            if (tally.leftFiles.size() < kKeptNamed) tally.leftFiles.push_back(it->localFile);
            ++tally.filesLeft;
            tally.keptFiles.insert(CountedElsewhereKey(Widen(it->localFile)));
        } else if (outcome == UrlCacheEraser::Outcome::Gone) {
            ++tally.entries;
            tally.bytes += it->bytes;
            if (!it->localFile.empty()) tally.localFiles.push_back(Widen(it->localFile));
        } else {
            ++tally.kept;
            if (tally.keptNames.size() < kKeptNamed)
                tally.keptNames.push_back({it->name, outcome == UrlCacheEraser::Outcome::Outside});
            if (!it->localFile.empty()) tally.keptFiles.insert(CountedElsewhereKey(Widen(it->localFile)));
        }
    }
    return tally;
}

}  // namespace purgelet
