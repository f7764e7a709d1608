#pragma once
// Entries of a folder reached only through held handles, each checked to lie
// where its name says before anything is changed or deleted through it: the
// ground that the folder removal and the cookie manager's file deletion both
// stand on. Links (to files too), links put in a folder's place meanwhile and
// second names of outside files lead nowhere.
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Handles.h"
#include "base/Text.h"

namespace purgelet::confined {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A folder held without delete sharing, so that no other program can rename
// or replace it until it is closed.
constexpr ULONG kShareHeld = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ACCESS_MASK kListAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

using Handle = FileHandle;

// A name that stands for itself: not empty, not "." or ".." (nor any run of
// dots and blanks, which the usual path rules fold into one of those), no
// stream and no wildcard.
bool IsPlainName(std::wstring_view name);

struct FolderArgument {
    std::wstring ntPath;  // "\??\C:\x\y" or "\??\UNC\server\share\x"
    std::wstring shown;   // "C:\x\y\" or "\\server\share\x\"
};

// A path below a drive's root ("C:\x\") or a share's root
// ("\\server\share\x\"), taken as written, never resolved. Roots themselves,
// relative and drive-relative forms, device forms ("\\?\", "\\.\") and any
// name that is not plain are refused.
std::optional<FolderArgument> ParseFolder(const std::wstring& text);

// A file with more than one name shares its attributes with names elsewhere:
// they are never changed through it. True when it can't be told.
bool HasOtherNames(HANDLE file);

enum class Kind { File, Folder };

// A folder opened once by its path (a link handed in as the folder itself is
// followed) and entries below it, each opened relative to its own folder's
// handle and kept only when its final path is that folder's final path plus
// its name.
class ConfinedFolder {
public:
    enum class Top { Missing, Unusable, Root, Open };

    // Opens the folder and takes its final path. Missing: not there.
    // Unusable: there, but it can't be opened. Root: it leads to the root of
    // a volume or share (a link or mount point), whose final path is then
    // FolderFinalPath.
    Top OpenTop(const FolderArgument& arg);
    HANDLE TopHandle() const { return top_.Get(); }

    // The folder being worked on becomes name, a sub-folder of it opened and
    // checked through OpenEntry; Leave goes back to the folder whose path
    // length PathLength gave.
    struct PathLength {
        std::size_t final, usualFinal;
    };
    PathLength Length() const { return {final_.size(), usualFinal_.size()}; }
    void Enter(std::wstring_view name);
    void Leave(PathLength length);

    // The outcome of opening an entry of the folder being worked on.
    struct Entry {
        Handle handle;
        bool elsewhere = false;  // opened, but it does not lie where its name says
        bool vanished = false;   // gone meanwhile, or going: deleted by another program
        bool inUse = false;      // not opened: another program holds it without the sharing asked for
    };
    // Opens name relative to folder (the handle of the folder being worked
    // on) without following links, and keeps it only when it lies where its
    // name says. A sub-folder must also not be a reparse point (Windows
    // reports a junction put in its place).
    Entry OpenEntry(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share, Kind kind);

    // What became of a file, or in a preview would.
    enum class FileOutcome {
        Gone,
        InUse,       // kept: held by another program without delete sharing
        Denied,      // kept: the right to delete it, or to reset its attributes, is denied
        OtherNames,  // kept: read-only, and its attributes are shared with other names
        Elsewhere,   // it does not lie where its name says: left wholly alone
        Vanished,    // another program deleted it meanwhile
    };

    // Deletes the file name of the folder being worked on (its handle is
    // folder). A file that resists is given the archive attribute only and
    // deleted once more - unless it has other names, whose attributes it
    // shares. An entry that lies elsewhere is left wholly alone.
    FileOutcome DeleteFileEntry(HANDLE folder, std::wstring_view name);
    // Replaces the entry's attributes by archive only, through opened (when
    // given) or a handle of its own. False when the entry turned out to lie
    // elsewhere or to share its attributes with other names.
    bool ResetToArchive(HANDLE folder, std::wstring_view name, const Handle* opened, Kind kind);

    // The final path of the folder being worked on ("\\?\C:\x", no final
    // "\"), and where the object open as handle lies, in the same form.
    std::wstring_view FolderFinalPath() const { return final_; }
    std::optional<std::wstring> FinalPathOf(HANDLE handle) {
        std::optional<std::wstring_view> final = FinalPath(handle, MAX_PATH);
        return final ? std::optional<std::wstring>(*final) : std::nullopt;
    }

    static bool SetArchiveOnly(HANDLE entry);
    // Marks the entry to be deleted when its last handle closes; fails for a
    // read-only file and a folder that is not empty.
    static bool MarkForDeletion(HANDLE entry);

private:
    bool LiesAt(HANDLE handle, std::wstring_view name);
    // Why a file that would not go stays, as its last opening for deletion tells.
    static FileOutcome KeptAs(const Entry& file, bool readOnly);
    std::optional<std::wstring_view> FinalPath(HANDLE handle, std::size_t expectedLength);
    std::optional<std::wstring_view> FinalPathFromObjectName(HANDLE handle);

    Handle top_;
    std::wstring final_;       // final path of the folder being worked on, no final "\"
    std::wstring usualFinal_;  // the same with the names inside it as the usual path rules give them
    std::vector<wchar_t> finalBuffer_ = std::vector<wchar_t>(MAX_PATH + 1);
    std::vector<LONGLONG> nameBuffer_ = std::vector<LONGLONG>(128);
    std::size_t shortAnswerLimit_ = SIZE_MAX;
};

}  // namespace purgelet::confined
