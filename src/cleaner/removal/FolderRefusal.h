#pragma once
// The folders a clearing never empties, and the decision whether a folder it
// is given is one of them. A folder is judged by what it really is, not by
// how it is spelled: the path as written, the final path of the folder as
// opened (so a link, a share path or a short name leads to the folder it
// names) and the folder's identity on its volume are all compared with those
// of the guarded folders. A folder that cannot be opened is still judged by
// its name.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ProgramState.h"

namespace purgelet {

// The folders that are never emptied, by role.
enum class Guarded : std::uint8_t {
    Profile,
    Windows,
    ProgramFolder,  // this program's own
    ProgramFiles,
    ProgramFilesX86,
    ProgramData,
    LocalAppData,
    RoamingAppData,
    Documents,
    Desktop,
    Downloads,
    Pictures,
    Music,
    Videos,
    Favorites,
    StartMenu,
};

// Why a folder is not emptied: it is not a plain full path, it is the root
// of a drive or share, or it is a guarded folder itself, holds one, or lies
// inside one that guards what lies inside it; or (Elsewhere) a folder that
// must lie inside another - a browser's cache in its profile - is a link or
// leads out of it.
enum class RefusalKind : std::uint8_t { None, NotFullPath, Root, Itself, Holds, Inside, Elsewhere };
struct Refusal {
    RefusalKind kind = RefusalKind::None;
    Guarded folder = Guarded::Profile;  // for Itself, Holds and Inside

    explicit operator bool() const { return kind != RefusalKind::None; }
    bool operator==(const Refusal&) const = default;
};

// A folder that is never emptied, as the system names it.
struct GuardedFolder {
    Guarded role{};
    std::wstring path;
    bool holders = true;  // a folder that holds it is refused as well
    bool inside = false;  // so is a folder that lies inside it ...
    std::wstring except;  // ... unless it is this one or lies inside it
};

// The guarded folders of a family: the program's own everywhere; on the NT
// family the profile and the Windows folder; on Windows Vista and later also
// everything below the Windows folder but its Temp, the program files
// folders and the user's own known folders. The program's own folder is
// refused itself; what holds it is emptied around it.
std::vector<GuardedFolder> GuardedFoldersOf(const FolderSet& folders, const std::string& windowsFolder,
                                            const std::wstring& programFolder,
                                            const std::function<std::wstring(REFKNOWNFOLDERID)>& knownFolder);

// A folder's identity on its volume.
struct FileId {
    DWORD volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> IdOf(HANDLE handle);
// Where the file or folder open as handle really lies, in its usual form
// (see UsualPath); empty when that can't be told.
std::wstring FinalPathOf(HANDLE handle);

// What is known of a folder: its path as written, where it really lies (the
// usual form of its final path, empty when it could not be opened), its
// identity, and the identities of the folders that hold it.
struct FolderFacts {
    std::wstring written;
    std::wstring final;
    std::optional<FileId> id;
    std::vector<FileId> holders;
};
// Opens written (following a link given as the folder itself) and reads its facts.
FolderFacts FactsOf(const std::wstring& written);
// The facts of written as opened through handle, whose final path is final.
FolderFacts FactsOf(const std::wstring& written, HANDLE handle, std::wstring_view final);

struct GuardedFacts {
    GuardedFolder folder;
    FolderFacts facts;
    FolderFacts except;
    bool resolved = false;  // it could be opened
};

// The decision, on facts alone.
Refusal Decide(const FolderFacts& top, const std::vector<GuardedFacts>& guarded);

// The guarded folders of a system, opened once and read.
class FolderGuard {
public:
    FolderGuard() = default;
    explicit FolderGuard(const std::vector<GuardedFolder>& folders);

    // The verdict on a folder named written, opened as handle with the final
    // path final; without a handle, by what can be opened or by its name.
    Refusal Judge(const std::wstring& written, HANDLE handle, std::wstring_view final) const;
    struct Verdict {
        Refusal refusal;
        std::wstring really;  // where it really lies, when that is not where its name says
    };
    Verdict LookAt(const std::wstring& written) const;

    // The program's own folder as it was read, when it could be opened.
    const GuardedFacts* ProgramFolder() const;

private:
    std::vector<GuardedFacts> guarded_;
};

// A path in its usual form: "\\?\C:\x" and "\\?\UNC\server\share\x" (final
// paths) become "C:\x" and "\\server\share\x", and a module path that Wine
// gives as "UNC\server\share\x" becomes "\\server\share\x".
std::wstring UsualPath(std::wstring_view path);
// Where folder really lies, when its final path says otherwise than its name
// (letters' case and a final "\" aside); empty otherwise.
std::wstring ReallyUnlessSame(const std::wstring& written, const std::wstring& final);

// Why a refused folder was refused, as a line says it.
std::string RefusalReason(Refusal why);
// The line logged instead of the category's own when a folder is refused:
// what was skipped, the folder as configured, where it really lies when that
// differs, and why; in UTF-8 (the log's lines are), so any name stays whole.
std::string SkippedLine(const std::string& what, const std::wstring& folder, Refusal why,
                        const std::wstring& really = {});

}  // namespace purgelet
