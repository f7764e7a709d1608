#pragma once
// Emptying a folder tree: the files directly inside a folder, then every
// sub-folder below it, depth first. The folder handed in is never removed.
//
// Only entries whose attribute word holds nothing but the six classic bits
// (read-only, hidden, system, volume label, directory, archive) are touched;
// anything else - reparse points above all - is skipped and stays, together
// with everything below it. Nothing is logged here; a caller that asks for it
// is told what went (RemovalTally), and a preview walks the same way and
// only counts (Walk::Count).
//
// Nothing outside the folder handed in is deleted or changed: the folder is
// opened once, and every entry is opened through its folder's handle and
// checked to lie where the listing put it before anything is done through it,
// so links (to files too), links put in a folder's place meanwhile and
// second names of outside files lead nowhere (cleaner/ConfinedEntries.h holds
// those checks; DeleteFileInside below offers them for a single file).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "cleaner/removal/FolderRefusal.h"
#include "core/Platform.h"

namespace purgelet {

// How many of what stays a report names one by one (it counts them all).
inline constexpr std::size_t kKeptNamed = 100;

// The classic attribute bits; an entry with any other bit is left alone.
inline constexpr unsigned long kHandledAttributes = 0x3F;

// Empties folder: its files, then its sub-folders, as ReadFileAndDelete and
// KillSubFolderFiles do, but with the folder opened once for both, so both
// passes work on the folder that was there when it was opened. A link handed
// in as the folder itself is followed (a temporary folder may be a junction
// to another drive); one put in its place meanwhile is not. Returns false,
// having done nothing, when the folder counts as missing (see
// ReadFileAndDelete). The narrow form takes a path in the ANSI code page.
bool EmptyFolder(const std::wstring& folder, const Platform& platform);
bool EmptyFolder(const std::string& folder, const Platform& platform);

// What an emptying leaves besides.
struct LeaveAlso {
    // A folder that is never entered nor changed wherever it lies in the tree
    // (the program's own, which may have been unpacked into a temporary
    // folder); nothing is done when it is the folder handed in.
    std::wstring folder;
    // WinInet's cache structure: a file named "index.dat" or "container.dat"
    // stays, and the sub-folders beside it (the cache's containers) are
    // emptied but kept, so the cache goes on storing entries.
    bool cacheIndexes = false;
    // The folders never emptied: the folder handed in is judged by what it
    // is as opened, and refused when it is one of them (see RemovalTally).
    const FolderGuard* guard = nullptr;
    // Files that stay wherever they lie (the own files of cache entries that
    // stayed), in the form RemovalTally::countedElsewhere holds.
    const std::unordered_set<std::wstring>* files = nullptr;
};
bool EmptyFolder(const std::wstring& folder, const Platform& platform, const LeaveAlso& also);

// An emptying that deletes, or a preview: the same walk with the same filter
// and checks (links never followed, entries that do not lie where they were
// listed left alone) that changes nothing and counts what would go.
enum class Walk { Delete, Count };

// What stays of what an emptying found, and why: files held by another
// program, denied, or read-only with other names; links; sub-folders.
enum class LeftAs { InUse, Denied, OtherNames, Link, OwnFolder, FolderInUse };
constexpr bool IsFile(LeftAs why) { return why == LeftAs::InUse || why == LeftAs::Denied || why == LeftAs::OtherNames; }
struct LeftEntry {
    LeftAs why;
    std::wstring path;
};

// What an emptying removed below its folder, or a preview would remove.
struct RemovalTally {
    // Set when the folder handed in was refused as it was opened (the root of
    // a drive or share, or a guarded folder under whatever name): nothing was
    // done. really is where it lies, when that is not where its name says.
    Refusal refusal;
    std::wstring really;
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
    std::uint64_t bytes = 0;  // the sizes of the files
    // Files that passed the filter but stay: held by another program without
    // delete sharing, denied, or read-only with other names.
    std::uint64_t keptFiles = 0;
    // Links (and entries that do not lie where they were listed), left in place.
    std::uint64_t keptLinks = 0;
    // Sub-folders that stay as folders: the program's own, and those held
    // open by another program without delete sharing.
    std::uint64_t keptFolders = 0;
    std::vector<LeftEntry> kept;  // what of these stays, the first hundred
    // Files counted elsewhere (a cache entry's own file), in upper case: they
    // are removed like any other, but not counted here.
    std::unordered_set<std::wstring> countedElsewhere;
    // Called every few hundred entries while the walk goes on.
    std::function<void(const RemovalTally&)> onProgress;
};
bool EmptyFolder(const std::wstring& folder, const Platform& platform, const LeaveAlso& also, Walk walk,
                 RemovalTally& tally);
// A path in the form RemovalTally::countedElsewhere holds.
std::wstring CountedElsewhereKey(std::wstring path);

// Deletes the files directly inside folder (a full path below a drive's root,
// like "C:\x\", or below a share's root, like "\\server\share\x\", in the ANSI
// code page). A file that resists is given the archive attribute only and
// deleted once more - unless it has other names, whose attributes it shares;
// sub-folders get the same attribute reset and are left for
// KillSubFolderFiles.
// Returns false only when the folder doesn't exist; an empty or relative
// folder, a drive's or a share's root (or a folder that leads to one) and a
// folder written with a "." or ".." component count as missing.
bool ReadFileAndDelete(const std::string& folder, const Platform& platform);

// Empties and removes every sub-folder of folder, depth first. Each sub-folder
// is held open while it is emptied; anything that has become a reparse point
// or lies elsewhere by the time it is opened is left untouched.
// Does nothing for a folder that ReadFileAndDelete counts as missing.
void KillSubFolderFiles(const std::string& folder, const Platform& platform);

// Deletes one file below folder (both full paths, as for EmptyFolder) the way
// these routines delete a file: folder is opened (a link handed in as folder
// is followed), each folder between is opened through the one above it, and
// it and the file must lie where their names say and be no links; a file
// that resists is given the archive attribute only and deleted once more,
// unless it has other names. Anything else - a link, an entry that lies
// elsewhere, a missing file - is left alone. Returns false, having done
// nothing, when file is not a path below folder. The narrow form takes file
// in the ANSI code page.
bool DeleteFileInside(const std::wstring& folder, const std::wstring& file);
bool DeleteFileInside(const std::wstring& folder, const std::string& file);

}  // namespace purgelet
