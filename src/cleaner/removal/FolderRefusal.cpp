#include "cleaner/removal/FolderRefusal.h"

#include <algorithm>
#include <cwctype>

#include "base/Handles.h"
#include "core/Texts.h"

namespace purgelet {

namespace {

// A full path's names in upper case, the drive or share root as the first
// one or two ("C:" or "SERVER", "SHARE"); nothing when the path is not a
// plain full path: relative, drive- or root-relative, a device form
// ("\\?\"), or with a "." or ".." name, which would make it name another
// folder than it seems to.
struct Names {
    std::vector<std::wstring> names;
    std::size_t root = 0;
    bool IsRoot() const { return names.size() == root; }
};

std::optional<Names> NamesOf(std::wstring_view path) {
    Names out;
    std::size_t pos = 0;
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/') && std::iswalpha(path[0])) {
        out.root = 1;
    } else if (path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\' && path[2] != L'?' &&
               path[2] != L'.') {
        out.root = 2;
        pos = 2;
    } else {
        return std::nullopt;
    }
    while (pos < path.size()) {
        std::size_t end = path.find_first_of(L"\\/", pos);
        if (end == std::wstring_view::npos) end = path.size();
        std::wstring name(path.substr(pos, end - pos));
        pos = end + 1;
        if (name.empty()) continue;
        if (name.find_first_not_of(L". ") == std::wstring::npos) return std::nullopt;
        CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
        out.names.push_back(std::move(name));
    }
    if (out.names.size() < out.root) return std::nullopt;
    return out;
}

// Whether a's names begin b's: a is b or holds it.
bool Begins(const Names& a, const Names& b) {
    return a.names.size() <= b.names.size() && std::equal(a.names.begin(), a.names.end(), b.names.begin());
}
bool Same(const Names& a, const Names& b) { return a.names == b.names; }

// Whether a folder named a could be b or hold it under some other name for
// the same place (a share that stands for a drive): a's names below its root
// run, in order, somewhere in b's. Asked only of a folder that could not be
// opened, whose place is unknown.
bool CouldHold(const Names& a, const Names& b) {
    const auto first = a.names.begin() + static_cast<std::ptrdiff_t>(a.root);
    if (first == a.names.end()) return true;  // a root holds everything
    return std::search(b.names.begin(), b.names.end(), first, a.names.end()) != b.names.end();
}

// The names a folder is known by: as written and where it really lies.
std::vector<Names> KnownNames(const FolderFacts& facts) {
    std::vector<Names> out;
    for (const std::wstring* path : {&facts.written, &facts.final})
        if (!path->empty())
            if (std::optional<Names> names = NamesOf(*path)) out.push_back(std::move(*names));
    return out;
}

bool AnyPair(const std::vector<Names>& a, const std::vector<Names>& b, bool (*test)(const Names&, const Names&)) {
    for (const Names& x : a)
        for (const Names& y : b)
            if (test(x, y)) return true;
    return false;
}

bool Contains(const std::vector<FileId>& ids, const std::optional<FileId>& id) {
    return id && std::find(ids.begin(), ids.end(), *id) != ids.end();
}

bool SameId(const std::optional<FileId>& a, const std::optional<FileId>& b) { return a && b && *a == *b; }

FileHandle OpenFolder(const std::wstring& path) {
    return FileHandle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The identities of the folders that hold the one at final, nearest first.
std::vector<FileId> HolderIds(const std::wstring& final) {
    std::vector<FileId> ids;
    const std::optional<Names> names = NamesOf(final);
    if (!names) return ids;
    std::wstring path = final;
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    for (std::size_t depth = names->names.size(); depth > names->root; --depth) {
        const std::size_t slash = path.find_last_of(L'\\');
        if (slash == std::wstring::npos) break;
        path.resize(slash);
        // A drive's root wants its final "\".
        const std::wstring open = path.size() == 2 && path[1] == L':' ? path + L'\\' : path;
        FileHandle holder = OpenFolder(open);
        if (holder.Get() == INVALID_HANDLE_VALUE) continue;
        if (std::optional<FileId> id = IdOf(holder.Get())) ids.push_back(*id);
    }
    return ids;
}

GuardedFolder Guard(Guarded role, std::wstring path, bool holders = true, bool inside = false) {
    GuardedFolder folder;
    folder.role = role;
    folder.path = std::move(path);
    folder.holders = holders;
    folder.inside = inside;
    return folder;
}

FolderFacts WrittenOnly(const std::wstring& written) {
    FolderFacts facts;
    facts.written = written;
    return facts;
}

const char* RoleName(Guarded role) {
    switch (role) {
        case Guarded::Profile:
            return "the user's profile folder";
        case Guarded::Windows:
            return "the Windows folder";
        case Guarded::ProgramFolder:
            return "this program's own folder";
        case Guarded::ProgramFiles:
            return "the program files folder";
        case Guarded::ProgramFilesX86:
            return "the 32-bit program files folder";
        case Guarded::ProgramData:
            return "the program data folder";
        case Guarded::LocalAppData:
            return "the user's local application data folder";
        case Guarded::RoamingAppData:
            return "the user's roaming application data folder";
        case Guarded::Documents:
            return "the user's Documents folder";
        case Guarded::Desktop:
            return "the user's Desktop folder";
        case Guarded::Downloads:
            return "the user's Downloads folder";
        case Guarded::Pictures:
            return "the user's Pictures folder";
        case Guarded::Music:
            return "the user's Music folder";
        case Guarded::Videos:
            return "the user's Videos folder";
        case Guarded::Favorites:
            return "the user's Favorites folder";
        case Guarded::StartMenu:
            return "the user's Start Menu folder";
    }
    return "";
}

}  // namespace

std::wstring FinalPathOf(HANDLE handle) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return {};
        if (n < buffer.size()) return UsualPath(std::wstring_view(buffer.data(), n));
        buffer.resize(n + 1);
    }
    return {};
}

std::optional<FileId> IdOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
    return FileId{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

std::vector<GuardedFolder> GuardedFoldersOf(const FolderSet& folders, const std::string& windowsFolder,
                                            const std::wstring& programFolder,
                                            const std::function<std::wstring(REFKNOWNFOLDERID)>& knownFolder) {
    std::vector<GuardedFolder> out;
    if (!folders.IsWin9x) {
        const std::wstring profile = folders.WinMajor >= 6 ? folders.shell.profile : Widen(folders.ProfileFolder);
        if (!profile.empty()) out.push_back(Guard(Guarded::Profile, profile));
        if (!windowsFolder.empty()) {
            GuardedFolder windows = Guard(Guarded::Windows, Widen(windowsFolder));
            if (folders.WinMajor >= 6) {
                windows.inside = true;
                windows.except = WithTrailingBackslash(windows.path) + Widen(texts::WindowsTempName.Text());
            }
            out.push_back(std::move(windows));
        }
    }
    if (!programFolder.empty()) out.push_back(Guard(Guarded::ProgramFolder, UsualPath(programFolder), false));
    if (folders.IsWin9x || folders.WinMajor < 6 || !knownFolder) return out;
    const std::pair<Guarded, const KNOWNFOLDERID*> known[] = {
        {Guarded::ProgramFiles, &FOLDERID_ProgramFiles},
        {Guarded::ProgramFilesX86, &FOLDERID_ProgramFilesX86},
        {Guarded::ProgramData, &FOLDERID_ProgramData},
        {Guarded::LocalAppData, &FOLDERID_LocalAppData},
        {Guarded::RoamingAppData, &FOLDERID_RoamingAppData},
        {Guarded::Documents, &FOLDERID_Documents},
        {Guarded::Desktop, &FOLDERID_Desktop},
        {Guarded::Downloads, &FOLDERID_Downloads},
        {Guarded::Pictures, &FOLDERID_Pictures},
        {Guarded::Music, &FOLDERID_Music},
        {Guarded::Videos, &FOLDERID_Videos},
        {Guarded::Favorites, &FOLDERID_Favorites},
        {Guarded::StartMenu, &FOLDERID_StartMenu},
    };
    for (const auto& [role, id] : known) {
        std::wstring path = knownFolder(*id);
        if (path.empty()) continue;
        const bool programs = role == Guarded::ProgramFiles || role == Guarded::ProgramFilesX86;
        out.push_back(Guard(role, std::move(path), true, programs));
    }
    return out;
}

FolderFacts FactsOf(const std::wstring& written, HANDLE handle, std::wstring_view final) {
    FolderFacts facts;
    facts.written = written;
    facts.final = UsualPath(final);
    facts.id = IdOf(handle);
    facts.holders = HolderIds(facts.final);
    return facts;
}

FolderFacts FactsOf(const std::wstring& written) {
    FileHandle handle = OpenFolder(UsualPath(written));
    if (handle.Get() == INVALID_HANDLE_VALUE) return WrittenOnly(written);
    const std::wstring final = FinalPathOf(handle.Get());
    if (final.empty()) return WrittenOnly(written);
    return FactsOf(written, handle.Get(), final);
}

Refusal Decide(const FolderFacts& top, const std::vector<GuardedFacts>& guarded) {
    const std::optional<Names> written = NamesOf(top.written);
    if (!written) return {RefusalKind::NotFullPath};
    if (written->IsRoot()) return {RefusalKind::Root};
    const std::optional<Names> final = top.final.empty() ? std::nullopt : NamesOf(top.final);
    if (final && final->IsRoot()) return {RefusalKind::Root};
    const std::vector<Names> topNames = KnownNames(top);

    for (const GuardedFacts& g : guarded) {
        const std::vector<Names> names = KnownNames(g.facts);
        const bool unplaced = g.folder.role == Guarded::ProgramFolder && !g.resolved;
        if (AnyPair(topNames, names, Same) || SameId(top.id, g.facts.id)) return {RefusalKind::Itself, g.folder.role};
        // A program folder that could not be opened: whatever ends in its
        // names may be it.
        if (unplaced)
            for (const Names& n : names)
                for (const Names& t : topNames)
                    if (t.names.size() > t.root && n.names.size() >= t.names.size() - t.root &&
                        std::equal(t.names.begin() + static_cast<std::ptrdiff_t>(t.root), t.names.end(),
                                   n.names.end() - static_cast<std::ptrdiff_t>(t.names.size() - t.root)))
                        return {RefusalKind::Itself, g.folder.role};
    }
    for (const GuardedFacts& g : guarded) {
        const bool unplaced = g.folder.role == Guarded::ProgramFolder && !g.resolved;
        if (!g.folder.holders && !unplaced) continue;
        const std::vector<Names> names = KnownNames(g.facts);
        if (AnyPair(topNames, names, Begins) || Contains(g.facts.holders, top.id) ||
            (unplaced && AnyPair(topNames, names, CouldHold)))
            return {RefusalKind::Holds, g.folder.role};
    }
    for (const GuardedFacts& g : guarded) {
        if (!g.folder.inside) continue;
        const std::vector<Names> names = KnownNames(g.facts);
        const bool inside = AnyPair(names, topNames, Begins) || Contains(top.holders, g.facts.id);
        if (!inside) continue;
        const std::vector<Names> except = KnownNames(g.except);
        const bool excepted =
            AnyPair(except, topNames, Begins) || SameId(top.id, g.except.id) || Contains(top.holders, g.except.id);
        if (!excepted) return {RefusalKind::Inside, g.folder.role};
    }
    return {};
}

FolderGuard::FolderGuard(const std::vector<GuardedFolder>& folders) {
    for (const GuardedFolder& folder : folders) {
        GuardedFacts g;
        g.folder = folder;
        g.facts = FactsOf(folder.path);
        g.resolved = !g.facts.final.empty();
        if (!folder.except.empty()) g.except = FactsOf(folder.except);
        guarded_.push_back(std::move(g));
    }
}

Refusal FolderGuard::Judge(const std::wstring& written, HANDLE handle, std::wstring_view final) const {
    return Decide(handle ? FactsOf(written, handle, final) : FactsOf(written), guarded_);
}

FolderGuard::Verdict FolderGuard::LookAt(const std::wstring& written) const {
    const FolderFacts facts = FactsOf(written);
    return {Decide(facts, guarded_), ReallyUnlessSame(written, facts.final)};
}

const GuardedFacts* FolderGuard::ProgramFolder() const {
    for (const GuardedFacts& g : guarded_)
        if (g.folder.role == Guarded::ProgramFolder && g.resolved) return &g;
    return nullptr;
}

std::wstring UsualPath(std::wstring_view path) {
    const auto starts = [&](std::wstring_view prefix) {
        return path.size() >= prefix.size() &&
               CompareStringOrdinal(path.data(), static_cast<int>(prefix.size()), prefix.data(),
                                    static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
    };
    if (starts(L"\\\\?\\UNC\\")) return L"\\\\" + std::wstring(path.substr(8));
    if (starts(L"\\\\?\\") && path.size() >= 6 && path[5] == L':') return std::wstring(path.substr(4));
    if (starts(L"UNC\\")) return L"\\\\" + std::wstring(path.substr(4));
    return std::wstring(path);
}

std::wstring ReallyUnlessSame(const std::wstring& written, const std::wstring& final) {
    if (final.empty()) return {};
    const auto trimmed = [](std::wstring s) {
        while (s.size() > 3 && (s.back() == L'\\' || s.back() == L'/')) s.pop_back();
        return s;
    };
    const std::wstring a = trimmed(written), b = trimmed(final);
    if (CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
        CSTR_EQUAL)
        return {};
    return WithTrailingBackslash(b);
}

std::string RefusalReason(Refusal why) {
    switch (why.kind) {
        case RefusalKind::NotFullPath:
            return "it is not a plain full path";
        case RefusalKind::Root:
            return "it is the root of a drive or share";
        case RefusalKind::Itself:
            if (why.folder == Guarded::ProgramFolder) return "it is this program's own folder";
            return std::string("it is ") + RoleName(why.folder) + " itself";
        case RefusalKind::Holds:
            return std::string("it holds ") + RoleName(why.folder);
        case RefusalKind::Inside:
            return std::string("it lies inside ") + RoleName(why.folder);
        case RefusalKind::Elsewhere:
            return "it is a link, or leads out of the folder it belongs to";
        case RefusalKind::None:
            break;
    }
    return {};
}

std::string SkippedLine(const std::string& what, const std::wstring& folder, Refusal why, const std::wstring& really) {
    std::string named = Utf8(folder);
    if (!really.empty()) named += ", which is " + Utf8(really);
    return "Skipped clearing of " + what + " (" + named + "): " + RefusalReason(why);
}

}  // namespace purgelet
