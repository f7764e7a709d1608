#pragma once
// What a file or folder of a browser's profile really is, decided on the
// handle opened for it: there as itself, or something that only carries its
// name - a link, a second name of a file that lies elsewhere, a folder whose
// final path leads out of the profile. Only what is there as itself is
// opened by SQLite, deleted or emptied; the rest is left wholly alone.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Handles.h"
#include "cleaner/removal/FolderRefusal.h"

namespace purgelet {

// A folder things must lie in: as named ("...\\") and where it really lies
// (its final path in the usual form, no final "\"; empty when it could not
// be opened: then nothing below it passes).
struct PlaceRoot {
    std::wstring folder;
    std::wstring final;
};
PlaceRoot RootOf(const std::wstring& folder);

enum class Place : std::uint8_t {
    Here,        // there as itself
    Missing,     // not there (or a folder where a file is expected, and the other way round)
    Link,        // a link, or it does not lie where its name says: really tells where
    OtherNames,  // a file with more names than this one
    InUse,       // held by another program without the sharing asked for
    Unopened,    // there, but it could not be opened to be told apart
};

struct PlaceCheck {
    Place place = Place::Missing;
    std::wstring path;    // root's folder plus the name
    std::wstring really;  // where it really lies, for a link
    FileHandle handle;    // open while Here
    bool readOnly = false;
    bool writable = true;  // for a file opened with write access asked: it could be
    std::uint64_t size = 0;
    std::optional<FileId> id;
};

enum class PlaceKind : std::uint8_t { File, Folder };

// Opens name (a relative path, "\" between its parts) below root without
// following a link given as it, with access and full sharing, and tells what
// it is. With GENERIC_WRITE asked, a file whose writing is denied is opened
// for reading only and marked not writable.
PlaceCheck CheckPlace(const PlaceRoot& root, std::wstring_view name, PlaceKind kind,
                      ACCESS_MASK access = FILE_READ_ATTRIBUTES);

// Deletes the files together or not at all: each is opened for deletion and
// checked, and only when every one is there as itself, none is held by
// another program and each can be marked, do they all go. A missing name is
// passed over. Returns the check of the first that stopped them (place Here
// when they went, or would go when count is set and nothing is changed).
PlaceCheck DeleteTogether(const PlaceRoot& root, const std::vector<std::wstring>& names, bool count,
                          std::uint64_t& files, std::uint64_t& bytes);

}  // namespace purgelet
