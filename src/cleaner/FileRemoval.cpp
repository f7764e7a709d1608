#include "cleaner/FileRemoval.h"

#include <windows.h>

#include <exception>
#include <memory>
#include <optional>
#include <vector>

namespace purgelet {

namespace {

// Every path below is kept in its long form ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), so neither MAX_PATH nor names with trailing
// dots or spaces get in the way. Folder paths end in "\".
constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";
constexpr std::size_t kLongPrefixLength = 4;
constexpr std::size_t kLongUncPrefixLength = 8;

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

// "*" lists every name, the same as "*.*".
FindHandle FindFirst(const std::wstring& folder, WIN32_FIND_DATAW& data) {
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &data);
    return FindHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

FileHandle Open(const std::wstring& path, DWORD access, DWORD share) {
    // Windows opens a link or junction itself, not what it points to; Wine
    // follows host links, which StillPlain then tells by the path.
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

bool IsDots(const wchar_t* name) { return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)); }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "C:\..." or "\\server\share\..."; drive-relative ("C:x"), root-relative
// ("\x") and relative texts don't qualify, nor do the device forms "\\?\" and "\\.\".
bool IsAbsoluteFolder(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) {
        wchar_t d = path[0];
        return (d >= L'A' && d <= L'Z') || (d >= L'a' && d <= L'z');
    }
    if (path.size() >= 5 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        std::size_t serverEnd = path.find_first_of(L"\\/", 2);
        if (serverEnd == std::wstring::npos || serverEnd == 2) return false;
        std::wstring server = path.substr(2, serverEnd - 2);
        if (server == L"?" || server == L".") return false;
        std::size_t shareEnd = path.find_first_of(L"\\/", serverEnd + 1);
        std::size_t shareLength = (shareEnd == std::wstring::npos ? path.size() : shareEnd) - (serverEnd + 1);
        return shareLength > 0;
    }
    return false;
}

std::optional<std::wstring> Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// The folder argument in long form ending in "\", or nothing when it is not
// an absolute folder.
std::optional<std::wstring> LongFolder(const std::string& folder) {
    std::optional<std::wstring> wide = Widen(folder);
    if (!wide || !IsAbsoluteFolder(*wide) || wide->find(L'\0') != std::wstring::npos) return std::nullopt;

    // Collapse "." and "..", turn "/" into "\": the long form takes names literally.
    DWORD size = GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
    if (size == 0) return std::nullopt;
    std::wstring full(size, L'\0');
    DWORD n = GetFullPathNameW(wide->c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size) return std::nullopt;
    full.resize(n);
    if (!IsAbsoluteFolder(full)) return std::nullopt;  // a device name such as "C:\x\con"
    if (full.back() != L'\\') full += L'\\';

    if (full[1] == L':') return kLongPrefix + full;
    return kLongUncPrefix + full.substr(2);
}

// The usual form of a long path, as the attribute filter is told it.
std::wstring UsualForm(const std::wstring& path) {
    if (path.compare(0, kLongUncPrefixLength, kLongUncPrefix) == 0) return L"\\\\" + path.substr(kLongUncPrefixLength);
    return path.substr(kLongPrefixLength);
}

// A folder path without its final "\" unless it is a drive's or a share's root.
std::wstring WithoutFinalSeparator(const std::wstring& folder) {
    bool uncPath = folder.compare(0, kLongUncPrefixLength, kLongUncPrefix) == 0;
    std::size_t separators = 0;
    for (std::size_t i = uncPath ? kLongUncPrefixLength : kLongPrefixLength; i < folder.size(); ++i)
        if (folder[i] == L'\\') ++separators;
    // "C:\" and "server\share\" are roots.
    if (separators <= (uncPath ? 2u : 1u)) return folder;
    return folder.substr(0, folder.size() - 1);
}

bool IsExistingFolder(const std::wstring& folder) {
    DWORD a = GetFileAttributesW(WithoutFinalSeparator(folder).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether the entry opened as handle, at path, is still what was listed: not
// a reparse point, and a folder when one is wanted. Both the handle and the
// path are asked: Windows reports a junction through a handle opened on the
// entry itself, Wine reports a host symbolic link only by its path.
bool StillPlain(HANDLE handle, const std::wstring& path, bool folderWanted) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return false;
    DWORD byPath = GetFileAttributesW(path.c_str());
    if (byPath == INVALID_FILE_ATTRIBUTES) return false;
    DWORD both = info.dwFileAttributes | byPath;
    if (both & FILE_ATTRIBUTE_REPARSE_POINT) return false;
    if (folderWanted) return (info.dwFileAttributes & byPath & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

// Replaces all attributes of the entry by archive only, unless it has become
// a reparse point since it was listed. The change goes through a handle on
// the checked entry, so a link put in its place meanwhile is not followed.
bool ResetToArchive(const std::wstring& path, bool folderWanted) {
    FileHandle h = Open(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!h || !StillPlain(h.get(), path, folderWanted)) return false;
    FILE_BASIC_INFO info{};  // zero times stay unchanged
    info.FileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    SetFileInformationByHandle(h.get(), FileBasicInfo, &info, sizeof(info));
    return true;
}

// Holds a sub-folder while it is being emptied: the handle denies delete
// sharing, so the folder can be neither renamed nor replaced until it is
// closed. Empty when the entry is no longer a plain folder.
FileHandle HoldPlainFolder(const std::wstring& path) {
    FileHandle h = Open(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (h && !StillPlain(h.get(), path, true)) h.reset();
    return h;
}

// Removes an emptied sub-folder if it is still a plain folder; fails quietly
// when something is left in it.
void RemovePlainFolder(const std::wstring& path) {
    FileHandle h = Open(path, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!h || !StillPlain(h.get(), path, true)) return;
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = TRUE;
    SetFileInformationByHandle(h.get(), FileDispositionInfo, &info, sizeof(info));
}

class Remover {
public:
    explicit Remover(const Platform& platform) : platform_(platform) {}

    // The files directly inside folder (long form, ending in "\").
    void DeleteFiles(const std::wstring& folder) const {
        WIN32_FIND_DATAW data;
        FindHandle find = FindFirst(folder, data);
        if (!find) return;
        do {
            try {
                DWORD attributes = 0;
                if (!Handled(folder, data, attributes)) continue;
                std::wstring path = folder + data.cFileName;
                if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                    // A folder can't go as a file; only its attributes are reset here.
                    ResetToArchive(path, true);
                } else if (!DeleteFileW(path.c_str())) {
                    if (ResetToArchive(path, false)) DeleteFileW(path.c_str());
                }
            } catch (const std::exception&) {
                // Passed over like any entry that can't be deleted.
            }
        } while (FindNextFileW(find.get(), &data));
    }

    // Every sub-folder below folder, depth first. Each level keeps its
    // listing open while the sub-folders found in it are emptied and removed;
    // the levels live on the heap, so the depth of the tree is not limited by
    // the thread's stack.
    void KillSubFolders(const std::wstring& folder) const {
        struct Level {
            FindHandle find;
            FileHandle held;    // empty for the folder handed in
            std::wstring path;  // ends in "\"
        };
        std::vector<Level> levels;
        WIN32_FIND_DATAW data;
        FindHandle first = FindFirst(folder, data);
        if (!first) return;
        levels.push_back({std::move(first), nullptr, folder});
        bool freshListing = true;  // data holds the first entry of the newest level

        while (!levels.empty()) {
            if (!freshListing && !FindNextFileW(levels.back().find.get(), &data)) {
                Level done = std::move(levels.back());
                levels.pop_back();
                done.find.reset();
                if (done.held) {
                    done.held.reset();
                    RemovePlainFolder(done.path.substr(0, done.path.size() - 1));
                }
                continue;
            }
            freshListing = false;
            try {
                DWORD attributes = 0;
                if (!Handled(levels.back().path, data, attributes)) continue;
                // Files left behind by the file pass are of no concern here.
                if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
                std::wstring sub = levels.back().path + data.cFileName;
                FileHandle held = HoldPlainFolder(sub);
                if (!held) continue;
                sub += L'\\';
                DeleteFiles(sub);
                FindHandle find = FindFirst(sub, data);
                if (!find) {
                    held.reset();
                    RemovePlainFolder(sub.substr(0, sub.size() - 1));
                    continue;
                }
                levels.push_back({std::move(find), std::move(held), std::move(sub)});
                freshListing = true;
            } catch (const std::exception&) {
                // Passed over; the listing goes on.
            }
        }
    }

private:
    // Whether a listed entry is one to act on; gives the attribute word it is seen with.
    bool Handled(const std::wstring& folder, const WIN32_FIND_DATAW& data, DWORD& attributes) const {
        if (IsDots(data.cFileName)) return false;
        attributes = platform_.listedAttributes(UsualForm(folder + data.cFileName), data.dwFileAttributes);
        return (attributes & ~static_cast<DWORD>(kHandledAttributes)) == 0;
    }

    const Platform& platform_;
};

}  // namespace

bool ReadFileAndDelete(const std::string& folder, const Platform& platform) {
    std::optional<std::wstring> path = LongFolder(folder);
    if (!path || !IsExistingFolder(*path)) return false;
    Remover(platform).DeleteFiles(*path);
    return true;
}

void KillSubFolderFiles(const std::string& folder, const Platform& platform) {
    std::optional<std::wstring> path = LongFolder(folder);
    if (!path || !IsExistingFolder(*path)) return;
    Remover(platform).KillSubFolders(*path);
}

}  // namespace purgelet
