#include "cleaner/FileRemoval.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/Handles.h"

// Only the driver kit's headers declare it; ntdll exports it.
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apcRoutine, PVOID apcContext,
                                               PIO_STATUS_BLOCK ioStatus, PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS infoClass, BOOLEAN returnSingleEntry,
                                               PUNICODE_STRING fileName, BOOLEAN restartScan);

namespace purgelet {

namespace {

// Everything below works on handles: the folder handed in is opened once, and
// every entry is listed through its folder's handle, opened relative to it,
// checked, and changed or deleted through its own handle. A name therefore
// always means an entry of a folder already checked, whatever happens to
// paths meanwhile.
//
// Windows opens a link or junction itself here, never what it points to.
// Wine follows host links even so, and a name opened through a held folder
// still follows a link put in that folder's place; there, what the system
// reports as an entry's final path tells where it really lies. So every entry
// is opened first and compared: its final path must be its folder's final
// path plus its own name, or nothing is changed through it.
//
// Wine reports final paths in the form the usual path rules give them: the
// last name without its trailing dots and blanks, every name before it
// without one trailing dot. Where names end so, the comparison is made
// against the folder's path in that form too.
//
// What stays out of reach: Wine deletes by path when the last handle closes,
// right after checking that the path still names the file the handle was
// opened on. A host process that swaps a folder of that path for a link in
// the moment between that check and the deletion redirects it.

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A sub-folder is held without delete sharing while it is emptied, so no
// other program can rename or replace it until it is closed.
constexpr ULONG kShareHeld = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ACCESS_MASK kListAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
constexpr std::size_t kListingBytes = 64 * 1024;
// The longest name a UNICODE_STRING holds.
constexpr std::size_t kLongestPath = 32767;

using Handle = ui::FileHandle;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDots(std::wstring_view name) { return name == L"." || name == L".."; }

// A name as the usual path rules give it inside a path, and at its end.
std::wstring_view WithoutOneFinalDot(std::wstring_view name) {
    if (!name.empty() && name.back() == L'.') name.remove_suffix(1);
    return name;
}
std::wstring_view WithoutFinalDotsAndBlanks(std::wstring_view name) {
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.remove_suffix(1);
    return name;
}

// A name that stands for itself: not empty, not "." or ".." (nor any run of
// dots and blanks, which the usual path rules fold into one of those), no
// stream and no wildcard.
bool IsPlainName(std::wstring_view name) {
    if (name.find_first_not_of(L". ") == std::wstring_view::npos) return false;
    for (wchar_t c : name)
        if (c < 32 || std::wstring_view(L"\"*:<>?|").find(c) != std::wstring_view::npos) return false;
    return true;
}

std::optional<std::wstring> Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

struct FolderArgument {
    std::wstring ntPath;  // "\??\C:\x\y" or "\??\UNC\server\share\x"
    std::wstring shown;   // "C:\x\y\" or "\\server\share\x\", as the attribute filter is told it
};

// The folder argument, when it is a folder below a drive's root ("C:\x\") or
// a share's root ("\\server\share\x\"). Roots themselves, relative and
// drive-relative forms, device forms ("\\?\", "\\.\") and any "." or ".."
// component are refused: the folder is taken as written, never resolved.
std::optional<FolderArgument> ParseFolder(const std::wstring& text) {
    if (text.find(L'\0') != std::wstring::npos) return std::nullopt;

    FolderArgument arg;
    std::size_t pos = 0, rootParts = 0;
    if (text.size() >= 3 && text[1] == L':' && IsSeparator(text[2]) &&
        ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'))) {
        arg.ntPath = L"\\??\\" + text.substr(0, 2);
        arg.shown = text.substr(0, 2) + L'\\';
        pos = 3;
    } else if (text.size() >= 3 && IsSeparator(text[0]) && IsSeparator(text[1]) && !IsSeparator(text[2])) {
        arg.ntPath = L"\\??\\UNC";
        arg.shown = L"\\\\";
        pos = 2;
        rootParts = 2;  // server and share
    } else {
        return std::nullopt;
    }

    std::size_t parts = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        std::wstring_view part(text.data() + pos, end - pos);
        pos = end + 1;
        if (part.empty()) continue;  // doubled separators
        if (!IsPlainName(part)) return std::nullopt;
        arg.ntPath.append(L"\\").append(part);
        arg.shown.append(part).append(L"\\");
        ++parts;
    }
    if (parts <= rootParts) return std::nullopt;  // a drive's or a share's root
    if (arg.ntPath.size() > kLongestPath) return std::nullopt;
    return arg;
}

// Whether a final path ("\\?\C:\", "\\?\UNC\server\share", ...) names the root
// of a volume or a share.
bool IsRootPath(std::wstring_view path) {
    if (path.substr(0, 4) == L"\\\\?\\") path.remove_prefix(4);
    std::size_t volumeParts = 1;
    if (path.size() >= 4 && CompareStringOrdinal(path.data(), 4, L"UNC\\", 4, TRUE) == CSTR_EQUAL) volumeParts = 3;
    std::size_t parts = 0, pos = 0;
    while (pos < path.size()) {
        std::size_t end = path.find(L'\\', pos);
        if (end == std::wstring_view::npos) end = path.size();
        if (end > pos) ++parts;
        pos = end + 1;
    }
    return parts <= volumeParts;
}

bool SetArchiveOnly(HANDLE entry) {
    FILE_BASIC_INFORMATION info{};  // zero times stay unchanged
    info.FileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    IO_STATUS_BLOCK io{};
    return NT_SUCCESS(NtSetInformationFile(entry, &io, &info, sizeof(info), FileBasicInformation));
}

// Marks the entry to be deleted when its last handle closes; fails for a
// read-only file and a folder that is not empty.
bool MarkForDeletion(HANDLE entry) {
    FILE_DISPOSITION_INFORMATION info{TRUE};
    IO_STATUS_BLOCK io{};
    return NT_SUCCESS(NtSetInformationFile(entry, &io, &info, sizeof(info), FileDispositionInformation));
}

// A file with more than one name shares its attributes with names elsewhere:
// they are never changed through it.
bool HasOtherNames(HANDLE file) {
    FILE_STANDARD_INFORMATION info{};
    IO_STATUS_BLOCK io{};
    if (!NT_SUCCESS(NtQueryInformationFile(file, &io, &info, sizeof(info), FileStandardInformation))) return true;
    return info.NumberOfLinks > 1;
}

bool IsReparsePoint(HANDLE entry) {
    FILE_BASIC_INFORMATION info{};
    IO_STATUS_BLOCK io{};
    if (!NT_SUCCESS(NtQueryInformationFile(entry, &io, &info, sizeof(info), FileBasicInformation))) return true;
    return (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

enum class Kind { File, Folder };

// The outcome of opening a listed entry.
struct Entry {
    Handle handle;
    bool elsewhere = false;  // opened, but it does not lie where the listing put it
};

class Remover {
public:
    explicit Remover(const Platform& platform) : platform_(platform), listing_(kListingBytes / sizeof(LONGLONG)) {}

    enum class Top { Missing, Unusable, Open };

    // Opens the folder handed in and takes its final path.
    Top OpenTop(const FolderArgument& arg) {
        UNICODE_STRING name = Counted(arg.ntPath);
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
        IO_STATUS_BLOCK io{};
        HANDLE h = nullptr;
        NTSTATUS status = NtOpenFile(&h, kListAccess | SYNCHRONIZE, &attributes, &io, kShareAll,
                                     FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT);
        if (!NT_SUCCESS(status)) {
            // A folder that exists but can't be opened is not missing; it just can't be listed.
            std::wstring longPath = L"\\\\?\\" + arg.ntPath.substr(4);
            DWORD a = GetFileAttributesW(longPath.c_str());
            return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? Top::Unusable : Top::Missing;
        }
        top_ = Handle(h);
        std::optional<std::wstring_view> final = FinalPath(top_.Get(), arg.ntPath.size());
        if (!final) return Top::Unusable;
        // A link or mount point that leads to a root is refused like the root itself.
        if (IsRootPath(*final)) return Top::Missing;
        final_.assign(*final);
        usualFinal_ = final_;
        shown_ = arg.shown;
        return Top::Open;
    }

    void DeleteFilesOfTop() { DeleteFiles(top_.Get(), nullptr); }

    // Both passes on the one handle of the folder handed in: its files, then
    // its sub-folders, so what is emptied is that folder as it was opened,
    // whatever is put in its place meanwhile.
    void EmptyTop() {
        KeptFolders kept;
        const bool holdsIndex = DeleteFiles(top_.Get(), &kept);
        KillSubFoldersOfTop(std::move(kept), holdsIndex);
    }

    // What stays besides: the folder left (the program's own) is never
    // entered nor changed; with cacheIndexes, see LeaveAlso.
    void Leave(const LeaveAlso& also) {
        cacheIndexes_ = also.cacheIndexes;
        if (also.folder.empty()) return;
        Handle held(CreateFileW(also.folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (held.Get() == INVALID_HANDLE_VALUE) return;
        if (std::optional<std::wstring_view> final = FinalPath(held.Get(), also.folder.size() + 4))
            leftFinal_.assign(*final);
    }
    // Whether the folder handed in is the one to leave.
    bool TopIsLeft() const { return !leftFinal_.empty() && SameText(final_, leftFinal_); }

    // Every sub-folder below the folder handed in, depth first: each is
    // emptied of its files, then of its sub-folders, then removed. The open
    // folders are kept on the heap, so the depth of the tree is limited
    // neither by the thread's stack nor by path lengths, and each entry costs
    // the same at any depth.
    void KillSubFoldersOfTop() { KillSubFoldersOfTop(KeptFolders(), false); }

private:
    // A sub-folder held while it is emptied.
    struct Held {
        Handle handle;
        bool removable = false;  // opened with the right to delete it
    };

    // Sub-folders that the file pass opened, checked and reset, kept for
    // the folder pass that follows, so that each is opened and checked once.
    using KeptFolders = std::vector<std::pair<std::wstring, Held>>;
    static constexpr std::size_t kKeptPerFolder = 64, kKeptInAll = 1024;

    struct Level {
        Held folder;  // empty for the folder handed in, which is held as top_
        std::size_t finalLength, usualFinalLength, shownLength;
        std::vector<std::wstring> subFolders;  // those that passed the filter
        std::size_t next;
        KeptFolders kept;
        bool holdsIndex = false;  // holds a URL cache index: its sub-folders are containers, which stay
    };

    void KillSubFoldersOfTop(KeptFolders keptOfTop, bool topHoldsIndex) {
        std::vector<Level> levels;
        levels.push_back({Held(), final_.size(), usualFinal_.size(), shown_.size(), SubFolders(top_.Get()), 0,
                          std::move(keptOfTop), topHoldsIndex});
        while (!levels.empty()) {
            Level& level = levels.back();
            HANDLE folder = levels.size() == 1 ? top_.Get() : level.folder.handle.Get();
            if (level.next == level.subFolders.size()) {
                if (level.folder.removable) MarkForDeletion(level.folder.handle.Get());  // goes when closed, if empty
                kept_ -= level.kept.size();
                levels.pop_back();
                if (!levels.empty()) Return(levels.back());
                continue;
            }
            const std::wstring name = std::move(level.subFolders[level.next++]);
            KeptFolders kept;
            try {
                Held sub = TakeKept(level.kept, name);
                if (!sub.handle) sub = OpenHeld(folder, name, 0);
                if (!sub.handle) continue;
                if (level.holdsIndex) sub.removable = false;  // a cache container: emptied, kept
                final_.append(L"\\").append(name);
                usualFinal_.append(L"\\").append(WithoutOneFinalDot(name));
                shown_.append(name).append(L"\\");
                const bool holdsIndex = DeleteFiles(sub.handle.Get(), &kept);
                std::vector<std::wstring> subFolders = SubFolders(sub.handle.Get());
                levels.push_back({std::move(sub), final_.size(), usualFinal_.size(), shown_.size(),
                                  std::move(subFolders), 0, std::move(kept), holdsIndex});
            } catch (const std::exception&) {
                // Passed over like any folder that can't be emptied.
                kept_ -= kept.size();
                Return(levels.back());
            }
        }
    }

    static UNICODE_STRING Counted(std::wstring_view text) {
        USHORT bytes = static_cast<USHORT>(text.size() * sizeof(wchar_t));
        return UNICODE_STRING{bytes, bytes, const_cast<PWSTR>(text.data())};
    }

    // Back in level's folder after one of its sub-folders.
    void Return(const Level& level) {
        final_.resize(level.finalLength);
        usualFinal_.resize(level.usualFinalLength);
        shown_.resize(level.shownLength);
    }

    // Calls visit(name, attributes) for every entry of folder but "." and
    // "..", as the attribute filter sees it, when the filter lets it pass.
    template <typename Visit>
    void ForEachHandled(HANDLE folder, Visit visit) {
        IO_STATUS_BLOCK io{};
        BOOLEAN restart = TRUE;
        for (;;) {
            NTSTATUS status = NtQueryDirectoryFile(folder, nullptr, nullptr, nullptr, &io, listing_.data(),
                                                   static_cast<ULONG>(listing_.size() * sizeof(LONGLONG)),
                                                   FileDirectoryInformation, FALSE, nullptr, restart);
            restart = FALSE;
            if (!NT_SUCCESS(status) || io.Information == 0) return;
            const char* at = reinterpret_cast<const char*>(listing_.data());
            for (;;) {
                const auto* info = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(at);
                std::wstring_view name(info->FileName, info->FileNameLength / sizeof(wchar_t));
                if (!IsDots(name)) {
                    try {
                        std::size_t shownLength = shown_.size();
                        shown_.append(name);
                        DWORD attributes = platform_.listedAttributes(shown_, info->FileAttributes);
                        shown_.resize(shownLength);
                        if ((attributes & ~static_cast<DWORD>(kHandledAttributes)) == 0) visit(name, attributes);
                    } catch (const std::exception&) {
                        // Passed over like any entry that can't be deleted.
                    }
                }
                if (info->NextEntryOffset == 0) break;
                at += info->NextEntryOffset;
            }
        }
    }

    // The files directly inside folder; sub-folders only get their
    // attributes reset. With kept, the sub-folders are opened to be emptied
    // next, and (some of them) kept open for that. True when the folder holds
    // a URL cache index that stays.
    bool DeleteFiles(HANDLE folder, KeptFolders* kept) {
        bool holdsIndex = false;
        ForEachHandled(folder, [&](std::wstring_view name, DWORD attributes) {
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                if (cacheIndexes_ && IsCacheIndexName(name)) {
                    holdsIndex = true;
                    return;
                }
                DeleteFileEntry(folder, name);
                return;
            }
            if (IsLeft(name)) return;
            // A folder can't go as a file; only its attributes are reset here.
            if (kept && kept->size() < kKeptPerFolder && kept_ < kKeptInAll) {
                Held sub = OpenHeld(folder, name, FILE_WRITE_ATTRIBUTES);
                if (sub.handle && SetArchiveOnly(sub.handle.Get())) {
                    kept->emplace_back(name, std::move(sub));
                    ++kept_;
                    return;
                }
            }
            ResetToArchive(folder, name, nullptr, Kind::Folder);
        });
        return holdsIndex;
    }

    // WinInet's own files in its cache folders: an index, whose folder's
    // sub-folders are the cache's containers.
    static bool IsCacheIndexName(std::wstring_view name) {
        for (std::wstring_view index : {std::wstring_view(L"index.dat"), std::wstring_view(L"container.dat")})
            if (SameText(name, index)) return true;
        return false;
    }

    static bool SameText(std::wstring_view a, std::wstring_view b) {
        return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
               CSTR_EQUAL;
    }

    // Whether name in the current folder is the folder to leave.
    bool IsLeft(std::wstring_view name) const {
        return !leftFinal_.empty() && leftFinal_.size() == final_.size() + 1 + name.size() &&
               SameText(std::wstring_view(leftFinal_).substr(0, final_.size()), final_) &&
               leftFinal_[final_.size()] == L'\\' &&
               SameText(std::wstring_view(leftFinal_).substr(final_.size() + 1), name);
    }

    // Opens a sub-folder to be emptied, held without delete sharing, with the
    // right to delete it where another program does not deny it.
    Held OpenHeld(HANDLE folder, std::wstring_view name, ACCESS_MASK extra) {
        Held sub;
        Entry entry = OpenEntry(folder, name, kListAccess | DELETE | extra, kShareHeld, Kind::Folder);
        sub.removable = true;
        if (!entry.handle && !entry.elsewhere) {
            // Held open by a program that does not share deletion: it can still be emptied.
            entry = OpenEntry(folder, name, kListAccess | extra, kShareHeld, Kind::Folder);
            sub.removable = false;
        }
        sub.handle = std::move(entry.handle);
        return sub;
    }

    Held TakeKept(KeptFolders& kept, std::wstring_view name) {
        for (auto it = kept.begin(); it != kept.end(); ++it) {
            if (it->first != name) continue;
            Held sub = std::move(it->second);
            kept.erase(it);
            --kept_;
            return sub;
        }
        return Held();
    }

    std::vector<std::wstring> SubFolders(HANDLE folder) {
        std::vector<std::wstring> names;
        ForEachHandled(folder, [&](std::wstring_view name, DWORD attributes) {
            // Files left behind by the file pass are of no concern here.
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLeft(name)) names.emplace_back(name);
        });
        return names;
    }

    void DeleteFileEntry(HANDLE folder, std::wstring_view name) {
        Entry file = OpenEntry(folder, name, DELETE | FILE_READ_ATTRIBUTES, kShareAll, Kind::File);
        if (file.elsewhere) return;
        if (file.handle && MarkForDeletion(file.handle.Get())) return;  // gone as the handle closes
        // Read-only, or held by another program: archive only, then once more.
        if (!ResetToArchive(folder, name, &file.handle, Kind::File)) return;
        if (!file.handle) file = OpenEntry(folder, name, DELETE | FILE_READ_ATTRIBUTES, kShareAll, Kind::File);
        if (file.handle) MarkForDeletion(file.handle.Get());
    }

    // Replaces the entry's attributes by archive only, through opened (when
    // given) or a handle of its own. False when the entry turned out to lie
    // elsewhere or to share its attributes with other names.
    bool ResetToArchive(HANDLE folder, std::wstring_view name, const Handle* opened, Kind kind) {
        if (opened && *opened) {
            if (kind == Kind::File && HasOtherNames(opened->Get())) return false;
            if (SetArchiveOnly(opened->Get())) return true;
        }
        // Windows wants the right to write attributes; Wine changes them
        // through any handle, but grants that right on a read-only file to
        // its owner only when the owner is root.
        for (ACCESS_MASK access :
             {ACCESS_MASK(FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES), ACCESS_MASK(FILE_READ_ATTRIBUTES)}) {
            Entry entry = OpenEntry(folder, name, access, kShareAll, kind);
            if (entry.elsewhere) return false;
            if (!entry.handle) continue;
            if (kind == Kind::File && HasOtherNames(entry.handle.Get())) return false;
            if (SetArchiveOnly(entry.handle.Get())) return true;
        }
        return true;  // nothing was refused; the deletion is tried once more all the same
    }

    // Opens name relative to folder without following links, and keeps it
    // only when it lies where the listing put it. A sub-folder must also not
    // be a reparse point (Windows reports a junction put in its place).
    Entry OpenEntry(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share, Kind kind) {
        UNICODE_STRING counted = Counted(name);
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &counted, 0, folder, nullptr);
        IO_STATUS_BLOCK io{};
        HANDLE h = nullptr;
        ULONG options = FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT |
                        (kind == Kind::Folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
        Entry entry;
        if (!NT_SUCCESS(NtOpenFile(&h, access | SYNCHRONIZE, &attributes, &io, share, options))) return entry;
        entry.handle = Handle(h);
        if (!LiesAt(entry.handle.Get(), name) || (kind == Kind::Folder && IsReparsePoint(entry.handle.Get()))) {
            entry.handle.Reset();
            entry.elsewhere = true;
        }
        return entry;
    }

    // Whether the entry open as handle is name in the current folder: its
    // final path is the folder's own plus "\" and name.
    bool LiesAt(HANDLE handle, std::wstring_view name) {
        std::optional<std::wstring_view> final = FinalPath(handle, final_.size() + 1 + name.size());
        if (!final) return false;
        if (IsPathOf(*final, final_, name)) return true;
        std::wstring_view usualName = WithoutFinalDotsAndBlanks(name);
        return (usualName.size() != name.size() || usualFinal_.size() != final_.size()) &&
               IsPathOf(*final, usualFinal_, usualName);
    }

    static bool IsPathOf(std::wstring_view path, std::wstring_view folder, std::wstring_view name) {
        return path.size() == folder.size() + 1 + name.size() && path.substr(0, folder.size()) == folder &&
               path[folder.size()] == L'\\' && path.substr(folder.size() + 1) == name;
    }

    // Where the entry open as handle really lies ("\\?\C:\x\name"), expected
    // to be about expectedLength long; valid until the next call.
    std::optional<std::wstring_view> FinalPath(HANDLE handle, std::size_t expectedLength) {
        if (expectedLength >= shortAnswerLimit_) return FinalPathFromObjectName(handle);
        for (;;) {
            DWORD n = GetFinalPathNameByHandleW(handle, finalBuffer_.data(), static_cast<DWORD>(finalBuffer_.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            if (n == 0) break;
            if (n < finalBuffer_.size()) return std::wstring_view(finalBuffer_.data(), n);
            finalBuffer_.resize(n + 1);
        }
        if (GetLastError() != ERROR_MORE_DATA) return std::nullopt;
        // Wine answers from a buffer of about MAX_PATH characters and fails
        // beyond it; the object name it builds the answer from has no limit.
        // Paths as long are asked that way from then on.
        shortAnswerLimit_ = std::min(shortAnswerLimit_, expectedLength);
        return FinalPathFromObjectName(handle);
    }

    std::optional<std::wstring_view> FinalPathFromObjectName(HANDLE handle) {
        for (;;) {
            ULONG needed = 0;
            NTSTATUS status = NtQueryObject(handle, ObjectNameInformation, nameBuffer_.data(),
                                            static_cast<ULONG>(nameBuffer_.size() * sizeof(LONGLONG)), &needed);
            if (NT_SUCCESS(status)) break;
            std::size_t words = (needed + sizeof(LONGLONG) - 1) / sizeof(LONGLONG);
            if (needed == 0 || words <= nameBuffer_.size()) return std::nullopt;
            nameBuffer_.resize(words);
        }
        const auto* info = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(nameBuffer_.data());
        std::wstring_view name(info->Name.Buffer, info->Name.Length / sizeof(wchar_t));
        if (name.substr(0, 4) != L"\\??\\") return std::nullopt;
        name.remove_prefix(4);
        if (finalBuffer_.size() < name.size() + 5) finalBuffer_.resize(name.size() + 5);
        std::wstring_view prefix = L"\\\\?\\";
        std::copy(prefix.begin(), prefix.end(), finalBuffer_.begin());
        std::copy(name.begin(), name.end(), finalBuffer_.begin() + 4);
        return std::wstring_view(finalBuffer_.data(), name.size() + 4);
    }

    const Platform& platform_;
    Handle top_;
    std::wstring final_;       // final path of the folder being worked on, no final "\"
    std::wstring usualFinal_;  // the same with the names inside it as the usual path rules give them
    std::wstring shown_;       // the same folder as the attribute filter is told it, ending in "\"
    std::vector<LONGLONG> listing_;
    std::vector<wchar_t> finalBuffer_ = std::vector<wchar_t>(MAX_PATH + 1);
    std::vector<LONGLONG> nameBuffer_ = std::vector<LONGLONG>(128);
    std::size_t shortAnswerLimit_ = SIZE_MAX;
    std::size_t kept_ = 0;    // sub-folders kept open in all
    std::wstring leftFinal_;  // final path of the folder to leave, if any
    bool cacheIndexes_ = false;
};

// Opens the folder handed in and runs work on the open folder; false when the
// folder counts as missing (a folder that is there but can't be opened is
// left alone).
template <typename Work>
bool OnFolder(const std::optional<std::wstring>& folder, const Platform& platform, Work work,
              const LeaveAlso& also = {}) {
    std::optional<FolderArgument> arg = folder ? ParseFolder(*folder) : std::nullopt;
    if (!arg) return false;
    Remover remover(platform);
    switch (remover.OpenTop(*arg)) {
        case Remover::Top::Missing:
            return false;
        case Remover::Top::Unusable:
            return true;
        case Remover::Top::Open:
            break;
    }
    remover.Leave(also);
    if (!remover.TopIsLeft()) work(remover);
    return true;
}

}  // namespace

bool EmptyFolder(const std::wstring& folder, const Platform& platform) {
    return OnFolder(folder, platform, [](Remover& remover) { remover.EmptyTop(); });
}

bool EmptyFolder(const std::wstring& folder, const Platform& platform, const LeaveAlso& also) {
    return OnFolder(
        folder, platform, [](Remover& remover) { remover.EmptyTop(); }, also);
}

bool EmptyFolder(const std::string& folder, const Platform& platform) {
    return OnFolder(Widen(folder), platform, [](Remover& remover) { remover.EmptyTop(); });
}

bool ReadFileAndDelete(const std::string& folder, const Platform& platform) {
    return OnFolder(Widen(folder), platform, [](Remover& remover) { remover.DeleteFilesOfTop(); });
}

void KillSubFolderFiles(const std::string& folder, const Platform& platform) {
    OnFolder(Widen(folder), platform, [](Remover& remover) { remover.KillSubFoldersOfTop(); });
}

}  // namespace purgelet
