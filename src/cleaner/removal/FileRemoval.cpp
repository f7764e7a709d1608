#include "cleaner/removal/FileRemoval.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cleaner/removal/ConfinedEntries.h"

// Only the driver kit's headers declare it; ntdll exports it.
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apcRoutine, PVOID apcContext,
                                               PIO_STATUS_BLOCK ioStatus, PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS infoClass, BOOLEAN returnSingleEntry,
                                               PUNICODE_STRING fileName, BOOLEAN restartScan);

namespace purgelet {

namespace {

using namespace confined;

// The folder handed in is opened once, and every entry is listed through its
// folder's handle; what is done through an entry is done as ConfinedFolder
// does it, after the entry was opened and checked to lie where it was listed.

constexpr std::size_t kListingBytes = 64 * 1024;

bool IsDots(std::wstring_view name) { return name == L"." || name == L".."; }

class Remover : public ConfinedFolder {
public:
    Remover(const Platform& platform, Walk walk, RemovalTally* tally)
        : platform_(platform), listing_(kListingBytes / sizeof(LONGLONG)), walk_(walk), tally_(tally) {}

    // Opens the folder handed in and takes its final path.
    Top OpenTop(const FolderArgument& arg) {
        Top top = ConfinedFolder::OpenTop(arg);
        shown_ = arg.shown;
        return top;
    }

    void DeleteFilesOfTop() { DeleteFiles(TopHandle(), nullptr); }

    // Both passes on the one handle of the folder handed in: its files, then
    // its sub-folders, so what is emptied is that folder as it was opened,
    // whatever is put in its place meanwhile.
    void EmptyTop() {
        KeptFolders kept;
        const FilePass pass = DeleteFiles(TopHandle(), &kept);
        KillSubFoldersOfTop(std::move(kept), pass.holdsIndex);
    }

    // What stays besides: the folder left (the program's own) is never
    // entered nor changed, found by its final path or, under any other name,
    // by its identity; with cacheIndexes and files, see LeaveAlso.
    void SetLeft(const LeaveAlso& also) {
        cacheIndexes_ = also.cacheIndexes;
        leftFiles_ = also.files && !also.files->empty() ? also.files : nullptr;
        if (also.folder.empty()) return;
        Handle held(CreateFileW(UsualPath(also.folder).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (held.Get() == INVALID_HANDLE_VALUE) return;
        if (std::optional<std::wstring> final = FinalPathOf(held.Get())) leftFinal_ = std::move(*final);
        leftId_ = IdOf(held.Get());
    }
    // Whether the folder handed in is the one to leave.
    bool TopIsLeft() const {
        return (!leftFinal_.empty() && SameText(FolderFinalPath(), leftFinal_)) || IsLeftFolder(TopHandle());
    }

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
        bool vanished = false;   // another program deleted it meanwhile
        bool elsewhere = false;  // it does not lie where it was listed (a link put in its place)
        bool left = false;       // the folder to leave, under another name
        bool container = false;  // a cache container, which stays
    };

    // Sub-folders that the file pass opened, checked and reset, kept for
    // the folder pass that follows, so that each is opened and checked once.
    using KeptFolders = std::vector<std::pair<std::wstring, Held>>;
    static constexpr std::size_t kKeptPerFolder = 64, kKeptInAll = 1024;

    struct Level {
        Held folder;  // empty for the folder handed in, which is held as the top
        PathLength length;
        std::size_t shownLength;
        std::vector<std::wstring> subFolders;  // those that passed the filter
        std::size_t next;
        KeptFolders kept;
        bool holdsIndex = false;  // holds a URL cache index: its sub-folders are containers, which stay
        bool allGone = true;      // nothing in it stays (so far)
    };

    // What the file pass of a folder found.
    struct FilePass {
        bool holdsIndex = false;
        bool allGone = true;
    };

    void KillSubFoldersOfTop(KeptFolders keptOfTop, bool topHoldsIndex) {
        std::vector<Level> levels;
        levels.push_back(
            {Held(), Length(), shown_.size(), SubFolders(TopHandle()), 0, std::move(keptOfTop), topHoldsIndex});
        while (!levels.empty()) {
            Level& level = levels.back();
            HANDLE folder = levels.size() == 1 ? TopHandle() : level.folder.handle.Get();
            if (level.next == level.subFolders.size()) {
                const bool gone = FolderGoes(level);
                kept_ -= level.kept.size();
                levels.pop_back();
                if (!levels.empty()) {
                    Return(levels.back());
                    if (!gone) levels.back().allGone = false;
                }
                continue;
            }
            const std::wstring name = std::move(level.subFolders[level.next++]);
            KeptFolders kept;
            try {
                Held sub = TakeKept(level.kept, name);
                if (!sub.handle) sub = OpenHeld(folder, name, 0);
                if (!sub.handle) {
                    if (!sub.vanished) level.allGone = false;
                    if (sub.left) Note(LeftAs::OwnFolder, name, true);
                    if (sub.elsewhere) Note(LeftAs::Link, name, true);
                    continue;
                }
                if (level.holdsIndex) sub.container = true;  // a cache container: emptied, kept
                Enter(name);
                shown_.append(name).append(L"\\");
                const FilePass pass = DeleteFiles(sub.handle.Get(), &kept);
                std::vector<std::wstring> subFolders = SubFolders(sub.handle.Get());
                levels.push_back({std::move(sub), Length(), shown_.size(), std::move(subFolders), 0, std::move(kept),
                                  pass.holdsIndex, pass.allGone});
            } catch (const std::exception&) {
                // Passed over like any folder that can't be emptied.
                kept_ -= kept.size();
                Return(levels.back());
                levels.back().allGone = false;
            }
        }
    }

    // A sub-folder whose walk has ended is removed as its handle closes, if
    // it is empty by then; whether it went, or in a preview would go, is
    // told by its walk: nothing in it stayed.
    bool FolderGoes(Level& level) {
        if (!level.folder.handle || level.folder.container) return false;  // the top, or a cache container
        // Held open by another program without delete sharing, or denied: it
        // is emptied, but it stays.
        if (!level.folder.removable) {
            NoteCurrentFolder();
            return false;
        }
        bool gone = level.allGone;
        if (walk_ == Walk::Delete) {
            const bool marked = MarkForDeletion(level.folder.handle.Get());  // goes when closed, if empty
            if (gone && !marked) NoteCurrentFolder();
            gone = gone && marked;
        }
        if (gone && tally_) {
            ++tally_->folders;
            Progress();
        }
        return gone;
    }

    // Back in level's folder after one of its sub-folders.
    void Return(const Level& level) {
        Leave(level.length);
        shown_.resize(level.shownLength);
    }

    // Calls visit(name, attributes, size) for every entry of folder but "."
    // and "..", as the attribute filter sees it, when the filter lets it
    // pass. False when an entry did not pass, or could not be handled. With
    // noteLinks, a link the filter keeps out is noted as left in place.
    template <typename Visit>
    bool ForEachHandled(HANDLE folder, Visit visit, bool noteLinks = false) {
        bool allHandled = true;
        IO_STATUS_BLOCK io{};
        BOOLEAN restart = TRUE;
        for (;;) {
            NTSTATUS status = NtQueryDirectoryFile(folder, nullptr, nullptr, nullptr, &io, listing_.data(),
                                                   static_cast<ULONG>(listing_.size() * sizeof(LONGLONG)),
                                                   FileDirectoryInformation, FALSE, nullptr, restart);
            restart = FALSE;
            if (!NT_SUCCESS(status) || io.Information == 0) return allHandled;
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
                        if ((attributes & ~static_cast<DWORD>(kHandledAttributes)) == 0) {
                            visit(name, attributes, static_cast<std::uint64_t>(info->EndOfFile.QuadPart));
                        } else {
                            allHandled = false;
                            if (noteLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                                Note(LeftAs::Link, name, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
                        }
                    } catch (const std::exception&) {
                        // Passed over like any entry that can't be deleted.
                        allHandled = false;
                    }
                }
                if (info->NextEntryOffset == 0) break;
                at += info->NextEntryOffset;
            }
        }
    }

    // The files directly inside folder; sub-folders only get their
    // attributes reset. With kept, the sub-folders are opened to be emptied
    // next, and (some of them) kept open for that. A preview changes nothing
    // and leaves the sub-folders to the folder pass.
    FilePass DeleteFiles(HANDLE folder, KeptFolders* kept) {
        FilePass pass;
        const bool allHandled = ForEachHandled(
            folder,
            [&](std::wstring_view name, DWORD attributes, std::uint64_t size) {
                if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    if (cacheIndexes_ && IsCacheIndexName(name)) {
                        pass.holdsIndex = true;
                        pass.allGone = false;
                        return;
                    }
                    if (!RemoveFile(folder, name, attributes, size)) pass.allGone = false;
                    return;
                }
                if (IsLeft(name)) {
                    pass.allGone = false;
                    Note(LeftAs::OwnFolder, name, true);
                    return;
                }
                if (walk_ == Walk::Count) return;
                // A folder can't go as a file; only its attributes are reset
                // here, once it is known to be neither elsewhere nor the
                // folder to leave (those are noted by the folder pass).
                Held sub = OpenHeld(folder, name, FILE_WRITE_ATTRIBUTES);
                if (sub.left || sub.elsewhere) {
                    pass.allGone = false;
                    return;
                }
                if (sub.handle && SetArchiveOnly(sub.handle.Get())) {
                    if (kept && kept->size() < kKeptPerFolder && kept_ < kKeptInAll) {
                        kept->emplace_back(name, std::move(sub));
                        ++kept_;
                    }
                    return;
                }
                ResetToArchive(folder, name, nullptr, Kind::Folder);
            },
            true);
        if (!allHandled) pass.allGone = false;
        return pass;
    }

    // Deletes a file of the folder being worked on, or in a preview sees
    // whether it would go, and counts it; true when it goes.
    bool RemoveFile(HANDLE folder, std::wstring_view name, DWORD attributes, std::uint64_t size) {
        if (leftFiles_) {
            std::wstring path = shown_;
            path.append(name);
            if (leftFiles_->contains(CountedElsewhereKey(std::move(path)))) return false;  // a kept entry's own
        }
        // A preview counts from the listing, opening no file: what it lists
        // as a plain file counts as going (a file in use, or a link that the
        // listing shows as a plain file - a host's under Wine - is found to
        // stay only by the clearing).
        const FileOutcome outcome = walk_ == Walk::Count ? FileOutcome::Gone : DeleteFileEntry(folder, name);
        if (outcome == FileOutcome::Vanished) return true;  // not counted: another program took it
        if (outcome == FileOutcome::Elsewhere) {
            Note(LeftAs::Link, name, false);
        } else if (tally_) {
            std::wstring path = shown_;
            path.append(name);
            if (outcome == FileOutcome::InUse || outcome == FileOutcome::Denied || outcome == FileOutcome::OtherNames) {
                Note(outcome == FileOutcome::InUse    ? LeftAs::InUse
                     : outcome == FileOutcome::Denied ? LeftAs::Denied
                                                      : LeftAs::OtherNames,
                     name, false);
            } else if (tally_->countedElsewhere.empty() ||
                       !tally_->countedElsewhere.contains(CountedElsewhereKey(std::move(path)))) {
                ++tally_->files;
                tally_->bytes += size;
                Progress();
            }
        }
        return outcome == FileOutcome::Gone;
    }

    // Notes what stays of an entry of the folder being worked on.
    void Note(LeftAs why, std::wstring_view name, bool folder) {
        if (!tally_) return;
        (IsFile(why) ? tally_->keptFiles : why == LeftAs::Link ? tally_->keptLinks : tally_->keptFolders)++;
        if (tally_->kept.size() >= kKeptNamed) return;
        std::wstring path = shown_;
        path.append(name);
        if (folder) path.append(L"\\");
        tally_->kept.push_back({why, std::move(path)});
    }
    // Notes that the folder being worked on stays as a folder.
    void NoteCurrentFolder() {
        if (!tally_) return;
        ++tally_->keptFolders;
        if (tally_->kept.size() < kKeptNamed) tally_->kept.push_back({LeftAs::FolderInUse, shown_});
    }

    void Progress() {
        if (tally_->onProgress && ++sinceProgress_ >= 256) {
            sinceProgress_ = 0;
            tally_->onProgress(*tally_);
        }
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
        const std::wstring_view folder = FolderFinalPath(), left = leftFinal_;
        return !left.empty() && left.size() == folder.size() + 1 + name.size() &&
               SameText(left.substr(0, folder.size()), folder) && left[folder.size()] == L'\\' &&
               SameText(left.substr(folder.size() + 1), name);
    }

    // Opens a sub-folder to be emptied, held without delete sharing, with the
    // right to delete it where another program does not deny it.
    Held OpenHeld(HANDLE folder, std::wstring_view name, ACCESS_MASK extra) {
        Held sub;
        Entry entry = OpenEntry(folder, name, kListAccess | DELETE | extra, kShareHeld, Kind::Folder);
        sub.removable = true;
        if (!entry.handle && !entry.elsewhere && !entry.vanished) {
            // Held open by a program that does not share deletion: it can still be emptied.
            entry = OpenEntry(folder, name, kListAccess | extra, kShareHeld, Kind::Folder);
            sub.removable = false;
        }
        sub.handle = std::move(entry.handle);
        sub.vanished = entry.vanished;
        sub.elsewhere = entry.elsewhere;
        if (sub.handle && IsLeftFolder(sub.handle.Get())) {
            sub.handle.Reset();
            sub.left = true;
        }
        return sub;
    }

    // Whether the folder open as handle is the folder to leave, by its
    // identity (it may be reached under a name its final path does not give).
    bool IsLeftFolder(HANDLE handle) const { return leftId_ && IdOf(handle) == leftId_; }

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
        ForEachHandled(folder, [&](std::wstring_view name, DWORD attributes, std::uint64_t) {
            // Files left behind by the file pass are of no concern here.
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLeft(name)) names.emplace_back(name);
        });
        return names;
    }

    const Platform& platform_;
    std::wstring shown_;  // the folder being worked on as the attribute filter is told it, ending in "\\"
    std::vector<LONGLONG> listing_;
    std::size_t kept_ = 0;    // sub-folders kept open in all
    std::wstring leftFinal_;  // final path of the folder to leave, if any
    std::optional<FileId> leftId_;
    const std::unordered_set<std::wstring>* leftFiles_ = nullptr;
    bool cacheIndexes_ = false;
    Walk walk_;
    RemovalTally* tally_;
    unsigned sinceProgress_ = 0;
};

// Opens the folder handed in and runs work on the open folder; false when the
// folder counts as missing (a folder that is there but can't be opened is
// left alone).
template <typename Work>
bool OnFolder(const std::optional<std::wstring>& folder, const Platform& platform, Work work,
              const LeaveAlso& also = {}, Walk walk = Walk::Delete, RemovalTally* tally = nullptr) {
    std::optional<FolderArgument> arg = folder ? ParseFolder(*folder) : std::nullopt;
    if (!arg) return false;
    Remover remover(platform, walk, tally);
    const auto refuse = [&](Refusal why) {
        if (!tally) return;
        tally->refusal = why;
        tally->really = ReallyUnlessSame(*folder, UsualPath(remover.FolderFinalPath()));
    };
    switch (remover.OpenTop(*arg)) {
        case Remover::Top::Missing:
            return false;
        case Remover::Top::Unusable:
            // There, but it can't be opened to be listed: judged by what can
            // be read of it, and said to stay.
            if (also.guard)
                if (const Refusal why = also.guard->Judge(*folder, nullptr, {})) {
                    if (tally) tally->refusal = why;
                    return true;
                }
            if (tally) {
                ++tally->keptFolders;
                tally->kept.push_back({LeftAs::FolderInUse, arg->shown});
            }
            return true;
        case Remover::Top::Root:
            // Reported where the caller asks what was done; otherwise the
            // root counts as missing.
            refuse({RefusalKind::Root});
            return tally != nullptr;
        case Remover::Top::Open:
            break;
    }
    // Judged on the folder as opened, whose handle the walk then uses.
    if (also.guard) {
        if (const Refusal why = also.guard->Judge(*folder, remover.TopHandle(), remover.FolderFinalPath())) {
            refuse(why);
            return true;
        }
    }
    remover.SetLeft(also);
    if (remover.TopIsLeft()) {
        refuse({RefusalKind::Itself, Guarded::ProgramFolder});
        return true;
    }
    work(remover);
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

bool EmptyFolder(const std::wstring& folder, const Platform& platform, const LeaveAlso& also, Walk walk,
                 RemovalTally& tally) {
    return OnFolder(
        folder, platform, [](Remover& remover) { remover.EmptyTop(); }, also, walk, &tally);
}

std::wstring CountedElsewhereKey(std::wstring path) {
    if (!path.empty()) CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    return path;
}

bool EmptyFolder(const std::string& folder, const Platform& platform) {
    return OnFolder(WidenPath(folder), platform, [](Remover& remover) { remover.EmptyTop(); });
}

bool ReadFileAndDelete(const std::string& folder, const Platform& platform) {
    return OnFolder(WidenPath(folder), platform, [](Remover& remover) { remover.DeleteFilesOfTop(); });
}

void KillSubFolderFiles(const std::string& folder, const Platform& platform) {
    OnFolder(WidenPath(folder), platform, [](Remover& remover) { remover.KillSubFoldersOfTop(); });
}

namespace {

// Where a file named below folder is, reached from folder through held
// handles; found gives its folder's handle and its name.
enum class Reach { NotBelow, Missing, Elsewhere, Found };
template <typename Found>
Reach ReachFileInside(const std::wstring& folder, const std::wstring& file, Found found) {
    std::optional<FolderArgument> top = ParseFolder(folder), path = ParseFolder(file);
    if (!top || !path) return Reach::NotBelow;
    const std::wstring& base = top->ntPath;
    std::wstring_view rest = path->ntPath;
    if (rest.size() <= base.size() + 1 || rest[base.size()] != L'\\' ||
        CompareStringOrdinal(rest.data(), static_cast<int>(base.size()), base.data(), static_cast<int>(base.size()),
                             TRUE) != CSTR_EQUAL)
        return Reach::NotBelow;
    rest.remove_prefix(base.size() + 1);

    ConfinedFolder walk;
    switch (walk.OpenTop(*top)) {
        case ConfinedFolder::Top::Open:
            break;
        case ConfinedFolder::Top::Missing:
            return Reach::Missing;
        default:
            return Reach::Elsewhere;
    }
    // Down to the file's own folder, each folder opened through the one above.
    Handle held;
    HANDLE folderHandle = walk.TopHandle();
    for (std::size_t end; (end = rest.find(L'\\')) != std::wstring_view::npos; rest.remove_prefix(end + 1)) {
        const std::wstring_view name = rest.substr(0, end);
        ConfinedFolder::Entry sub = walk.OpenEntry(folderHandle, name, kListAccess, kShareAll, Kind::Folder);
        if (!sub.handle) return sub.elsewhere ? Reach::Elsewhere : Reach::Missing;
        walk.Enter(name);
        held = std::move(sub.handle);
        folderHandle = held.Get();
    }
    return found(walk, folderHandle, rest);
}

}  // namespace

bool DeleteFileInside(const std::wstring& folder, const std::wstring& file) {
    return ReachFileInside(folder, file, [](ConfinedFolder& walk, HANDLE folderHandle, std::wstring_view name) {
               walk.DeleteFileEntry(folderHandle, name);
               return Reach::Found;
           }) != Reach::NotBelow;
}

bool DeleteFileInside(const std::wstring& folder, const std::string& file) {
    std::optional<std::wstring> wide = WidenPath(file);
    return wide && DeleteFileInside(folder, *wide);
}

}  // namespace purgelet
