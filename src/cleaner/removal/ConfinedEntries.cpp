#include "cleaner/removal/ConfinedEntries.h"

#include <algorithm>

namespace purgelet::confined {

// Everything here works on handles: a folder is opened once, and every entry
// is opened relative to its folder's handle, checked, and changed or deleted
// through its own handle. A name therefore always means an entry of a folder
// already checked, whatever happens to paths meanwhile.
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

namespace {

// What opening an entry answers when another program deleted it meanwhile,
// or is deleting it.
constexpr NTSTATUS kNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kPathNotFound = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS kDeletePending = static_cast<NTSTATUS>(0xC0000056);
constexpr NTSTATUS kSharingViolation = static_cast<NTSTATUS>(0xC0000043);
constexpr NTSTATUS kFileLocked = static_cast<NTSTATUS>(0xC0000054);

// The longest name a UNICODE_STRING holds.
constexpr std::size_t kLongestPath = 32767;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A name as the usual path rules give it inside a path, and at its end.
std::wstring_view WithoutOneFinalDot(std::wstring_view name) {
    if (!name.empty() && name.back() == L'.') name.remove_suffix(1);
    return name;
}
std::wstring_view WithoutFinalDotsAndBlanks(std::wstring_view name) {
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.remove_suffix(1);
    return name;
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

bool IsReparsePoint(HANDLE entry) {
    FILE_BASIC_INFORMATION info{};
    IO_STATUS_BLOCK io{};
    if (!NT_SUCCESS(NtQueryInformationFile(entry, &io, &info, sizeof(info), FileBasicInformation))) return true;
    return (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

UNICODE_STRING Counted(std::wstring_view text) {
    USHORT bytes = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    return UNICODE_STRING{bytes, bytes, const_cast<PWSTR>(text.data())};
}

bool IsPathOf(std::wstring_view path, std::wstring_view folder, std::wstring_view name) {
    return path.size() == folder.size() + 1 + name.size() && path.substr(0, folder.size()) == folder &&
           path[folder.size()] == L'\\' && path.substr(folder.size() + 1) == name;
}

}  // namespace

bool HasOtherNames(HANDLE file) {
    FILE_STANDARD_INFORMATION info{};
    IO_STATUS_BLOCK io{};
    if (!NT_SUCCESS(NtQueryInformationFile(file, &io, &info, sizeof(info), FileStandardInformation))) return true;
    return info.NumberOfLinks > 1;
}

bool IsPlainName(std::wstring_view name) {
    if (name.find_first_not_of(L". ") == std::wstring_view::npos) return false;
    for (wchar_t c : name)
        if (c < 32 || std::wstring_view(L"\"*:<>?|").find(c) != std::wstring_view::npos) return false;
    return true;
}

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

bool ConfinedFolder::SetArchiveOnly(HANDLE entry) {
    FILE_BASIC_INFORMATION info{};  // zero times stay unchanged
    info.FileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    IO_STATUS_BLOCK io{};
    return NT_SUCCESS(NtSetInformationFile(entry, &io, &info, sizeof(info), FileBasicInformation));
}

bool ConfinedFolder::MarkForDeletion(HANDLE entry) {
    FILE_DISPOSITION_INFORMATION info{TRUE};
    IO_STATUS_BLOCK io{};
    return NT_SUCCESS(NtSetInformationFile(entry, &io, &info, sizeof(info), FileDispositionInformation));
}

ConfinedFolder::Top ConfinedFolder::OpenTop(const FolderArgument& arg) {
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
    final_.assign(*final);
    // A link or mount point that leads to a root is refused like the root itself.
    if (IsRootPath(*final)) return Top::Root;
    usualFinal_ = final_;
    return Top::Open;
}

void ConfinedFolder::Enter(std::wstring_view name) {
    final_.append(L"\\").append(name);
    usualFinal_.append(L"\\").append(WithoutOneFinalDot(name));
}

void ConfinedFolder::Leave(PathLength length) {
    final_.resize(length.final);
    usualFinal_.resize(length.usualFinal);
}

ConfinedFolder::FileOutcome ConfinedFolder::DeleteFileEntry(HANDLE folder, std::wstring_view name) {
    Entry file = OpenEntry(folder, name, DELETE | FILE_READ_ATTRIBUTES, kShareAll, Kind::File);
    if (file.elsewhere) return FileOutcome::Elsewhere;
    if (file.vanished) return FileOutcome::Vanished;
    if (file.handle && MarkForDeletion(file.handle.Get())) return FileOutcome::Gone;  // gone as the handle closes
    // Read-only, or held by another program: archive only, then once more.
    if (!ResetToArchive(folder, name, &file.handle, Kind::File)) return KeptAs(file, true);
    if (!file.handle) file = OpenEntry(folder, name, DELETE | FILE_READ_ATTRIBUTES, kShareAll, Kind::File);
    if (file.elsewhere) return FileOutcome::Elsewhere;
    if (file.vanished) return FileOutcome::Vanished;
    return file.handle && MarkForDeletion(file.handle.Get()) ? FileOutcome::Gone : KeptAs(file, false);
}

ConfinedFolder::FileOutcome ConfinedFolder::KeptAs(const Entry& file, bool readOnly) {
    if (!file.handle) return file.inUse ? FileOutcome::InUse : FileOutcome::Denied;
    return readOnly && HasOtherNames(file.handle.Get()) ? FileOutcome::OtherNames : FileOutcome::Denied;
}

bool ConfinedFolder::ResetToArchive(HANDLE folder, std::wstring_view name, const Handle* opened, Kind kind) {
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

ConfinedFolder::Entry ConfinedFolder::OpenEntry(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share,
                                                Kind kind) {
    UNICODE_STRING counted = Counted(name);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &counted, 0, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE h = nullptr;
    ULONG options = FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT |
                    (kind == Kind::Folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
    Entry entry;
    const NTSTATUS status = NtOpenFile(&h, access | SYNCHRONIZE, &attributes, &io, share, options);
    if (!NT_SUCCESS(status)) {
        entry.vanished = status == kNameNotFound || status == kPathNotFound || status == kDeletePending;
        entry.inUse = status == kSharingViolation || status == kFileLocked;
        return entry;
    }
    entry.handle = Handle(h);
    if (!LiesAt(entry.handle.Get(), name) || (kind == Kind::Folder && IsReparsePoint(entry.handle.Get()))) {
        entry.handle.Reset();
        entry.elsewhere = true;
    }
    return entry;
}

// Whether the entry open as handle is name in the folder being worked on:
// its final path is the folder's own plus "\" and name.
bool ConfinedFolder::LiesAt(HANDLE handle, std::wstring_view name) {
    std::optional<std::wstring_view> final = FinalPath(handle, final_.size() + 1 + name.size());
    if (!final) return false;
    if (IsPathOf(*final, final_, name)) return true;
    std::wstring_view usualName = WithoutFinalDotsAndBlanks(name);
    return (usualName.size() != name.size() || usualFinal_.size() != final_.size()) &&
           IsPathOf(*final, usualFinal_, usualName);
}

// Where the entry open as handle really lies ("\\?\C:\x\name"), expected to
// be about expectedLength long; valid until the next call.
std::optional<std::wstring_view> ConfinedFolder::FinalPath(HANDLE handle, std::size_t expectedLength) {
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

std::optional<std::wstring_view> ConfinedFolder::FinalPathFromObjectName(HANDLE handle) {
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

}  // namespace purgelet::confined
