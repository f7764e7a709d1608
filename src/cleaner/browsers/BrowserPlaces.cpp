#include "cleaner/browsers/BrowserPlaces.h"

#include <winternl.h>

#include "cleaner/removal/ConfinedEntries.h"

namespace purgelet {

namespace {

bool SameText(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

bool Unmark(HANDLE file) {
    FILE_DISPOSITION_INFO info{FALSE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof(info));
}

}  // namespace

PlaceRoot RootOf(const std::wstring& folder) {
    PlaceRoot root{folder, {}};
    FileHandle handle(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, confined::kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle) root.final = WithoutTrailingBackslash(FinalPathOf(handle.Get()));
    return root;
}

PlaceCheck CheckPlace(const PlaceRoot& root, std::wstring_view name, PlaceKind kind, ACCESS_MASK access) {
    PlaceCheck check;
    check.path = root.folder + std::wstring(name);
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    check.handle.Reset(
        CreateFileW(check.path.c_str(), access, confined::kShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
    if (!check.handle && GetLastError() == ERROR_ACCESS_DENIED && (access & GENERIC_WRITE)) {
        check.writable = false;
        check.handle.Reset(CreateFileW(check.path.c_str(), access & ~(GENERIC_WRITE | DELETE), confined::kShareAll,
                                       nullptr, OPEN_EXISTING, flags, nullptr));
    }
    if (!check.handle) {
        switch (GetLastError()) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_INVALID_NAME:
                check.place = Place::Missing;
                break;
            case ERROR_SHARING_VIOLATION:
            case ERROR_LOCK_VIOLATION:
                check.place = Place::InUse;
                break;
            default:
                check.place = Place::Unopened;
        }
        return check;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(check.handle.Get(), &info) || root.final.empty()) {
        check.place = Place::Unopened;
        check.handle.Reset();
        return check;
    }
    const bool folder = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    const std::wstring final = FinalPathOf(check.handle.Get());
    const std::wstring expected = root.final + L"\\" + std::wstring(name);
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || final.empty() ||
        !SameText(WithoutTrailingBackslash(final), WithoutTrailingBackslash(expected))) {
        check.place = Place::Link;
        check.really = final;
    } else if (folder != (kind == PlaceKind::Folder)) {
        check.place = Place::Missing;
    } else if (!folder && info.nNumberOfLinks != 1) {
        check.place = Place::OtherNames;
    } else {
        check.place = Place::Here;
        check.readOnly = info.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
        if (check.readOnly) check.writable = false;
        check.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
        check.id = FileId{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
        return check;
    }
    check.handle.Reset();
    return check;
}

PlaceCheck DeleteTogether(const PlaceRoot& root, const std::vector<std::wstring>& names, bool count,
                          std::uint64_t& files, std::uint64_t& bytes) {
    std::vector<PlaceCheck> opened;
    for (const std::wstring& name : names) {
        PlaceCheck check =
            CheckPlace(root, name, PlaceKind::File, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
        if (check.place == Place::Missing) continue;
        if (check.place != Place::Here) return check;
        opened.push_back(std::move(check));
    }
    std::size_t marked = 0;
    if (!count) {
        for (; marked < opened.size(); ++marked) {
            HANDLE file = opened[marked].handle.Get();
            if (opened[marked].readOnly) confined::ConfinedFolder::SetArchiveOnly(file);
            if (!confined::ConfinedFolder::MarkForDeletion(file)) break;
        }
        if (marked < opened.size()) {
            // One would not go: none goes, and each keeps its attributes.
            PlaceCheck stopped;
            stopped.place = Place::Unopened;
            stopped.path = opened[marked].path;
            for (std::size_t i = 0; i <= marked && i < opened.size(); ++i) {
                if (i < marked) Unmark(opened[i].handle.Get());
                if (opened[i].readOnly) SetFileAttributesW(opened[i].path.c_str(), FILE_ATTRIBUTE_READONLY);
            }
            return stopped;
        }
    }
    for (const PlaceCheck& check : opened) {
        ++files;
        bytes += check.size;
    }
    PlaceCheck done;
    done.place = Place::Here;
    return done;  // the marked files go as their handles close, with opened
}

}  // namespace purgelet
