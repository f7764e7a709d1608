#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cleaner/FileRemoval.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {

constexpr DWORD kReadOnlyHiddenSystem = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
const std::string kLinks = "C:\\purgelet-links\\";

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    w.resize(static_cast<std::size_t>(n - 1));
    return w;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return names;
}

// As the clearing operations call the routines: files first, then sub-folders.
bool Clear(const std::string& folder, const Platform& platform = Platform()) {
    bool found = ReadFileAndDelete(folder, platform);
    KillSubFolderFiles(folder, platform);
    return found;
}

bool IsLink(const std::string& path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The files every link target is made with (tests/cleaner/make_links.sh).
void ExpectTargetIntact(const std::string& target) {
    EXPECT_TRUE(Exists(kLinks + target + "\\keep.txt")) << target;
    EXPECT_TRUE(Exists(kLinks + target + "\\inner\\keep2.txt")) << target;
}

#define REQUIRE_LINK_FIXTURE()                                                                  \
    if (!IsDir(kLinks)) GTEST_SKIP() << "the host-side links are missing; run through ctest"

}  // namespace

// --- Ordinary trees -----------------------------------------------------------

TEST(FileRemoval, ProtectedFilesAndFoldersGoAndTheFolderItselfStays) {
    TempDir dir;
    WriteFile(dir / "read-only.txt", "x", FILE_ATTRIBUTE_READONLY);
    WriteFile(dir / "hidden-system.dat", "x", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    WriteFile(dir / "desktop.ini", "[.ShellClassInfo]", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    WriteFile(dir / "plain");
    MakeDir(dir / "sub");
    WriteFile(dir / "sub\\inside.txt", "x", FILE_ATTRIBUTE_READONLY);
    WriteFile(dir / "sub\\desktop.ini", "x", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    MakeDir(dir / "sub\\nested\\deepest");
    WriteFile(dir / "sub\\nested\\deepest\\last.txt", "x", FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((dir / "sub\\nested").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((dir / "sub").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    MakeDir(dir / "empty");
    ASSERT_EQ(Attributes(dir / "sub") & kReadOnlyHiddenSystem, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    // The file pass: the files go, and sub-folders only lose their protective attributes.
    EXPECT_TRUE(ReadFileAndDelete(dir.Path(), Platform()));
    EXPECT_FALSE(Exists(dir / "read-only.txt"));
    EXPECT_FALSE(Exists(dir / "hidden-system.dat"));
    EXPECT_FALSE(Exists(dir / "desktop.ini"));
    EXPECT_FALSE(Exists(dir / "plain"));
    ASSERT_TRUE(IsDir(dir / "sub"));
    EXPECT_EQ(Attributes(dir / "sub") & kReadOnlyHiddenSystem, 0u);
    EXPECT_TRUE(Exists(dir / "sub\\inside.txt"));
    EXPECT_TRUE(Exists(dir / "sub\\nested\\deepest\\last.txt"));

    // The folder pass empties and removes every sub-folder.
    KillSubFolderFiles(dir.Path(), Platform());
    EXPECT_TRUE(IsDir(dir.Path()));
    EXPECT_TRUE(Names(Wide(dir.Path())).empty());
}

TEST(FileRemoval, EmptyFolderStaysAndMissingFolderIsReported) {
    TempDir dir;
    MakeDir(dir / "empty");
    EXPECT_TRUE(Clear(dir / "empty\\"));
    EXPECT_TRUE(IsDir(dir / "empty"));

    EXPECT_FALSE(Clear(dir / "missing\\"));
    EXPECT_FALSE(Exists(dir / "missing"));
    // A file is not a folder either.
    WriteFile(dir / "file");
    EXPECT_FALSE(Clear(dir / "file\\"));
    EXPECT_TRUE(Exists(dir / "file"));
}

TEST(FileRemoval, FileHeldOpenStaysWithArchiveOnlyAndEverythingElseGoes) {
    TempDir dir;
    MakeDir(dir / "sub\\nested");
    WriteFile(dir / "sub\\held.txt", "x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    WriteFile(dir / "sub\\other.txt");
    WriteFile(dir / "sub\\nested\\n.txt");
    WriteFile(dir / "top.txt");
    HANDLE held = CreateFileA((dir / "sub\\held.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    EXPECT_TRUE(Clear(dir.Path()));
    CloseHandle(held);

    EXPECT_TRUE(Exists(dir / "sub\\held.txt"));
    EXPECT_EQ(Attributes(dir / "sub\\held.txt") & kReadOnlyHiddenSystem, 0u);
    EXPECT_TRUE(IsDir(dir / "sub"));
    EXPECT_FALSE(Exists(dir / "sub\\other.txt"));
    EXPECT_FALSE(Exists(dir / "sub\\nested"));
    EXPECT_FALSE(Exists(dir / "top.txt"));
}

// Only absolute folders are acted on: anything else would be resolved against
// whatever the current folder happens to be.
TEST(FileRemoval, RelativeOrEmptyFolderRemovesNothing) {
    TempDir dir;
    MakeDir(dir / "rel\\sub");
    WriteFile(dir / "rel\\f.txt");
    WriteFile(dir / "rel\\sub\\g.txt");
    WriteFile(dir / "loose.txt");

    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
    ASSERT_TRUE(Exists("rel\\f.txt"));  // the relative texts do name the folder
    std::string rootRelative = (dir / "rel\\").substr(2);  // "\purgelet-tests\...\rel\"

    for (const std::string& folder : {std::string(), std::string("rel\\"), std::string("rel"),
                                      std::string(".\\rel\\"), std::string("C:rel\\"), rootRelative,
                                      std::string("."), std::string(".\\")}) {
        EXPECT_FALSE(Clear(folder)) << '"' << folder << '"';
    }
    SetCurrentDirectoryA(previous);

    EXPECT_TRUE(Exists(dir / "rel\\f.txt"));
    EXPECT_TRUE(Exists(dir / "rel\\sub\\g.txt"));
    EXPECT_TRUE(Exists(dir / "loose.txt"));
}

TEST(FileRemoval, AbsoluteFolderIsTakenApartOnlyAfterItsDotsAreResolved) {
    TempDir dir;
    MakeDir(dir / "a\\b");
    WriteFile(dir / "a\\b\\in-b.txt");
    MakeDir(dir / "a\\c\\d");
    WriteFile(dir / "a\\c\\in-c.txt");
    WriteFile(dir / "a\\c\\d\\in-d.txt");

    // "a\b\..\c" is a\c; forward slashes count as separators; no final "\" is needed.
    EXPECT_TRUE(Clear(dir / "a\\b\\..\\c\\"));
    EXPECT_TRUE(Exists(dir / "a\\b\\in-b.txt"));
    EXPECT_TRUE(IsDir(dir / "a\\c"));
    EXPECT_TRUE(Names(Wide(dir / "a\\c\\")).empty());

    WriteFile(dir / "a\\b\\more.txt");
    std::string slashed = dir / "a/b";
    EXPECT_TRUE(Clear(slashed));
    EXPECT_TRUE(IsDir(dir / "a\\b"));
    EXPECT_TRUE(Names(Wide(dir / "a\\b\\")).empty());
}

TEST(FileRemoval, NamesOutsideTheAnsiCodePageAreRemoved) {
    TempDir dir;
    const std::wstring top = Wide(dir.Path());
    const std::wstring chinese = L"\u4e2d\u6587.txt";
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, chinese.c_str(), -1, nullptr, 0, nullptr, &lossy);
    EXPECT_TRUE(lossy) << "the name fits the ANSI code page " << GetACP() << "; the test proves less";

    auto create = [](const std::wstring& path) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    };
    create(top + chinese);
    ASSERT_TRUE(CreateDirectoryW((top + L"\u03a9\u6587").c_str(), nullptr));
    create(top + L"\u03a9\u6587\\\u00e9\u4e2d.txt");
    // A name ending in a dot can only be made and removed by its literal name.
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + top + L"trailing.").c_str(), nullptr));
    create(L"\\\\?\\" + top + L"trailing.\\x.");

    EXPECT_TRUE(Clear(dir.Path()));
    EXPECT_TRUE(Names(top).empty());
}

TEST(FileRemoval, FolderNameIsReadInTheAnsiCodePage) {
    TempDir dir;
    // "caf\xe9": one byte above 127, as the ANSI functions name the folder.
    std::string folder = dir / "caf\xe9\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    MakeDir(folder + "sub");
    WriteFile(folder + "one.txt");
    WriteFile(folder + "sub\\two.txt");

    EXPECT_TRUE(Clear(folder));
    EXPECT_TRUE(IsDir(folder));
    EXPECT_TRUE(Names(Wide(folder)).empty());
}

// --- The attribute filter -------------------------------------------------------

// Wine stores neither normal (128) nor not-content-indexed (8192), so the
// listing is made to report them.
TEST(FileRemoval, EntriesWithOtherAttributeBitsAreLeftAlone) {
    TempDir dir;
    WriteFile(dir / "normal.txt", "x", FILE_ATTRIBUTE_HIDDEN);
    WriteFile(dir / "read-only.txt", "x", FILE_ATTRIBUTE_READONLY);
    MakeDir(dir / "not-indexed\\deeper");
    WriteFile(dir / "not-indexed\\inner.txt");
    WriteFile(dir / "not-indexed\\deeper\\d.txt");
    SetFileAttributesA((dir / "not-indexed").c_str(), FILE_ATTRIBUTE_HIDDEN);
    MakeDir(dir / "plain");
    WriteFile(dir / "plain\\p.txt");

    std::map<std::wstring, int> seen;
    Platform platform;
    platform.listedAttributes = [&](const std::wstring& path, DWORD attributes) -> DWORD {
        ++seen[path];
        std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
        if (name == L"normal.txt") return FILE_ATTRIBUTE_NORMAL;
        if (name == L"not-indexed") return attributes | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        return attributes;
    };
    EXPECT_TRUE(Clear(dir.Path(), platform));

    EXPECT_TRUE(Exists(dir / "normal.txt"));
    EXPECT_EQ(Attributes(dir / "normal.txt") & kReadOnlyHiddenSystem, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(Exists(dir / "read-only.txt"));
    // Skipped as a whole: neither emptied, nor reset, nor removed.
    EXPECT_TRUE(Exists(dir / "not-indexed\\inner.txt"));
    EXPECT_TRUE(Exists(dir / "not-indexed\\deeper\\d.txt"));
    EXPECT_EQ(Attributes(dir / "not-indexed") & kReadOnlyHiddenSystem, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(Exists(dir / "plain"));

    // Entries are reported by their usual full path; nothing below a skipped folder is looked at.
    EXPECT_GT(seen[Wide(dir / "normal.txt")], 0);
    EXPECT_GT(seen[Wide(dir / "plain\\p.txt")], 0);
    EXPECT_EQ(seen.count(Wide(dir / "not-indexed\\inner.txt")), 0u);
    EXPECT_EQ(seen.count(Wide(dir.Path() + ".")), 0u);
}

// --- Depth --------------------------------------------------------------------

// Far deeper than MAX_PATH. The depth of a tree must cost heap, not stack:
// the stack in use while the deepest folders are listed is measured where the
// routines report each entry they see. (Wine's path handling makes each level
// dearer the deeper it lies, so the tree stays at a few hundred levels.)
TEST(FileRemoval, VeryDeepTreeIsRemovedWithoutDeepStack) {
    TempDir dir;
    constexpr int kDepth = 300;
    std::wstring path = L"\\\\?\\" + Wide(dir.Path()) + L"deep";
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    for (int level = 0; level < kDepth; ++level) {
        path += L"\\d";
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << level;
        if (level % 50 == 49) {
            HANDLE h = CreateFileW((path + L"\\f.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_READONLY, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            CloseHandle(h);
        }
    }
    ASSERT_GT(path.size(), 2u * MAX_PATH);

    const auto base = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    std::uintptr_t lowest = base;
    std::size_t longest = 0;
    Platform platform;
    platform.listedAttributes = [&](const std::wstring& entry, DWORD attributes) {
        lowest = std::min(lowest, reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
        longest = std::max(longest, entry.size());
        return attributes;
    };
    EXPECT_TRUE(Clear(dir.Path(), platform));
    EXPECT_TRUE(Names(Wide(dir.Path())).empty());
    EXPECT_GT(longest, 2u * kDepth);  // the deepest entries were seen
    EXPECT_LT(base - lowest, 16u * 1024u) << "stack grows with the depth of the tree";
}

// --- Links and folders that change under the routines ------------------------

TEST(FileRemovalLinks, LinksInsideTheTreeAreNotFollowed) {
    REQUIRE_LINK_FIXTURE();
    const std::string tree = kLinks + "tree\\";
    ASSERT_TRUE(IsLink(tree + "dir-link"));
    ASSERT_TRUE(IsLink(tree + "sub\\inner-link"));

    EXPECT_TRUE(Clear(tree));

    EXPECT_FALSE(Exists(tree + "a.txt"));
    EXPECT_FALSE(Exists(tree + "sub\\b.txt"));
    EXPECT_FALSE(Exists(tree + "sub\\deeper"));
    // The folder links stay as they are, so does the folder that holds one.
    EXPECT_TRUE(IsLink(tree + "dir-link"));
    EXPECT_TRUE(IsLink(tree + "sub\\inner-link"));
    EXPECT_TRUE(IsDir(tree + "sub"));
    ExpectTargetIntact("target-tree");
    ExpectTargetIntact("target-inner");
}

TEST(FileRemovalLinks, FolderHandedInMayItselfBeALink) {
    REQUIRE_LINK_FIXTURE();
    const std::string top = kLinks + "top-link\\";
    ASSERT_TRUE(IsLink(kLinks + "top-link"));
    EXPECT_TRUE(Clear(top));
    EXPECT_TRUE(IsLink(kLinks + "top-link"));
    EXPECT_TRUE(IsDir(kLinks + "top-target"));
    EXPECT_TRUE(Names(Wide(kLinks + "top-target\\")).empty());
}

// A listing can be stale by the time its entries are acted on: here it shows
// two folder links as the plain folders they replaced. Neither the file pass
// (which resets a folder's attributes) nor the folder pass may go through them.
TEST(FileRemovalLinks, FolderThatBecameALinkAfterTheListingIsNotTouched) {
    REQUIRE_LINK_FIXTURE();
    const std::string top = kLinks + "stale\\";
    ASSERT_TRUE(IsLink(top + "victim"));
    ASSERT_TRUE(IsLink(top + "mid\\victim"));
    for (const char* target : {"target-stale", "target-stale-inner"})
        ASSERT_TRUE(SetFileAttributesA((kLinks + target).c_str(), FILE_ATTRIBUTE_HIDDEN));

    int presentedAsPlain = 0;
    Platform platform;
    platform.listedAttributes = [&](const std::wstring&, DWORD attributes) -> DWORD {
        if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return attributes;
        ++presentedAsPlain;
        return attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT);
    };
    EXPECT_TRUE(Clear(top, platform));
    EXPECT_GE(presentedAsPlain, 4);  // each link in both passes

    EXPECT_FALSE(Exists(top + "other.txt"));
    EXPECT_FALSE(Exists(top + "mid\\m.txt"));
    EXPECT_TRUE(IsLink(top + "victim"));
    EXPECT_TRUE(IsLink(top + "mid\\victim"));
    for (const char* target : {"target-stale", "target-stale-inner"}) {
        ExpectTargetIntact(target);
        EXPECT_EQ(Attributes(kLinks + target) & kReadOnlyHiddenSystem, FILE_ATTRIBUTE_HIDDEN) << target;
        SetFileAttributesA((kLinks + target).c_str(), 0);
    }
}

TEST(FileRemovalLinks, UncFolderIsCleared) {
    REQUIRE_LINK_FIXTURE();
    const std::string share = "\\\\purgelet\\tests\\";
    if (!IsDir(share)) GTEST_SKIP() << "no test share";
    TempDir dir;
    MakeDir(dir / "sub");
    WriteFile(dir / "one.txt", "x", FILE_ATTRIBUTE_READONLY);
    WriteFile(dir / "sub\\two.txt");
    const std::string unc = share + dir.Path().substr(std::string("C:\\purgelet-tests\\").size());
    ASSERT_TRUE(Exists(unc + "one.txt"));

    EXPECT_TRUE(Clear(unc));
    EXPECT_TRUE(IsDir(dir.Path()));
    EXPECT_TRUE(Names(Wide(dir.Path())).empty());
}
