#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "cleaner/removal/FileRemoval.h"
#include "support/HostSwapper.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {

constexpr DWORD kRO = FILE_ATTRIBUTE_READONLY, kHS = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD kProtective = kRO | kHS;
const std::string kLinks = "C:\\purgelet-links\\";

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
// A host link to a folder lists as a folder and a reparse point.
bool IsFolderLink(const std::string& path) { return IsDir(path) && (Attributes(path) & FILE_ATTRIBUTE_REPARSE_POINT); }

// As the clearing operations empty a folder: files first, then sub-folders.
bool Clear(const std::string& folder, const Platform& platform = Platform()) { return EmptyFolder(folder, platform); }

// Every link target the host-side fixture makes holds these two files.
void ExpectTargetIntact(const std::string& target) {
    EXPECT_TRUE(Exists(kLinks + target + "\\keep.txt")) << target;
    EXPECT_TRUE(Exists(kLinks + target + "\\inner\\keep2.txt")) << target;
}

// Every file below folder (links not followed) with its attributes.
std::map<std::string, DWORD> Sentinels(const std::string& folder) {
    std::map<std::string, DWORD> files;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return files;
    do {
        const std::string name = data.cFileName, path = folder + name;
        if (name == "." || name == ".." || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files.merge(Sentinels(path + "\\"));
        } else {
            files[path] = data.dwFileAttributes;
        }
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return files;
}

// What differs between two sets of sentinels: missing files and changed attributes.
std::string Changes(const std::map<std::string, DWORD>& before, const std::map<std::string, DWORD>& after) {
    std::string changes;
    for (const auto& [path, attributes] : before) {
        auto now = after.find(path);
        if (now == after.end()) {
            changes += path + " gone; ";
        } else if (now->second != attributes) {
            changes += path + " " + std::to_string(attributes) + " -> " + std::to_string(now->second) + "; ";
        }
    }
    for (const auto& [path, attributes] : after)
        if (!before.count(path)) changes += path + " added; ";
    return changes;
}

#define REQUIRE_LINK_FIXTURE() \
    if (!IsDir(kLinks)) GTEST_SKIP() << "the host-side links are missing; run through ctest"

}  // namespace

TEST(FileRemoval, ProtectedFilesAndFoldersGoAndTheFolderItselfStays) {
    TempDir dir;
    MakeDir(dir / "sub\\nested\\deepest");
    MakeDir(dir / "empty");
    WriteFile(dir / "read-only.txt", "x", kRO);
    WriteFile(dir / "hidden-system.dat", "x", kHS);
    WriteFile(dir / "desktop.ini", "[.ShellClassInfo]", kHS);
    WriteFile(dir / "sub\\inside.txt", "x", kRO);
    WriteFile(dir / "sub\\desktop.ini", "x", kHS);
    WriteFile(dir / "sub\\nested\\deepest\\last.txt", "x", FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((dir / "sub\\nested").c_str(), kRO | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((dir / "sub").c_str(), kHS);
    ASSERT_EQ(Attributes(dir / "sub") & kProtective, kHS);

    // The file pass: files go, sub-folders only lose their protective attributes.
    EXPECT_TRUE(ReadFileAndDelete(dir.Path(), Platform()));
    for (const char* gone : {"read-only.txt", "hidden-system.dat", "desktop.ini"}) EXPECT_FALSE(Exists(dir / gone));
    EXPECT_EQ(Attributes(dir / "sub") & kProtective, 0u);
    EXPECT_TRUE(Exists(dir / "sub\\nested\\deepest\\last.txt"));

    KillSubFolderFiles(dir.Path(), Platform());
    EXPECT_TRUE(IsFolderEmpty(dir.Path()));
}

TEST(FileRemoval, WhatCannotGoStaysAndAMissingFolderIsReported) {
    TempDir dir;
    MakeDir(dir / "sub\\nested");
    MakeDir(dir / "empty");
    WriteFile(dir / "sub\\held.txt", "x", kRO | FILE_ATTRIBUTE_HIDDEN);
    WriteFile(dir / "sub\\other.txt");
    WriteFile(dir / "sub\\nested\\n.txt");
    HANDLE held =
        CreateFileA((dir / "sub\\held.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Clear(dir / "empty\\"));
    EXPECT_TRUE(IsDir(dir / "empty"));
    EXPECT_TRUE(Clear(dir.Path()));
    CloseHandle(held);

    // The held file stays with archive as its only attribute, and so does its folder.
    EXPECT_EQ(Attributes(dir / "sub\\held.txt") & kProtective, 0u);
    EXPECT_FALSE(Exists(dir / "sub\\other.txt"));
    EXPECT_FALSE(Exists(dir / "sub\\nested"));
    EXPECT_FALSE(Exists(dir / "empty"));

    EXPECT_FALSE(Clear(dir / "missing\\"));
    EXPECT_FALSE(Clear(dir / "sub\\held.txt\\"));
}

// Only absolute folders are acted on: anything else would be resolved against
// whatever the current folder happens to be. An absolute one is read in the
// ANSI code page.
TEST(FileRemoval, OnlyAbsoluteFoldersAreCleared) {
    TempDir dir;
    MakeDir(dir / "rel\\sub");
    WriteFile(dir / "rel\\f.txt");
    WriteFile(dir / "rel\\sub\\g.txt");
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
    ASSERT_TRUE(Exists("rel\\f.txt"));
    const std::string rootRelative = (dir / "rel\\").substr(2);  // "\purgelet-tests\...\rel\"
    for (const std::string& folder : {std::string(), std::string("rel\\"), std::string(".\\rel\\"),
                                      std::string("C:rel\\"), rootRelative, std::string(".")})
        EXPECT_FALSE(Clear(folder)) << '"' << folder << '"';
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(Exists(dir / "rel\\f.txt"));
    EXPECT_TRUE(Exists(dir / "rel\\sub\\g.txt"));

    EXPECT_TRUE(Clear(dir / "rel/sub"));  // no final "\" needed, and "/" separates too
    EXPECT_TRUE(IsFolderEmpty(dir / "rel\\sub\\"));
    EXPECT_TRUE(Exists(dir / "rel\\f.txt"));

    const std::string ansi = dir / "caf\xe9\\";
    ASSERT_TRUE(CreateDirectoryA(ansi.c_str(), nullptr));
    MakeDir(ansi + "sub");
    WriteFile(ansi + "sub\\two.txt");
    EXPECT_TRUE(Clear(ansi));
    EXPECT_TRUE(IsFolderEmpty(ansi));
}

TEST(FileRemoval, NamesOutsideTheAnsiCodePageAreRemoved) {
    TempDir dir;
    const std::wstring top = L"\\\\?\\" + Widen(dir.Path());
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, L"\u4e2d\u6587", -1, nullptr, 0, nullptr, &lossy);
    EXPECT_TRUE(lossy) << "the name fits code page " << GetACP() << "; the test proves less";
    auto create = [](const std::wstring& path) {
        CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kRO, nullptr));
    };
    create(top + L"\u4e2d\u6587.txt");
    ASSERT_TRUE(CreateDirectoryW((top + L"\u03a9\u6587").c_str(), nullptr));
    create(top + L"\u03a9\u6587\\\u00e9\u4e2d.txt");
    // Names ending in a dot exist only by their literal names.
    ASSERT_TRUE(CreateDirectoryW((top + L"trailing.").c_str(), nullptr));
    create(top + L"trailing.\\x.");

    EXPECT_TRUE(Clear(dir.Path()));
    EXPECT_TRUE(IsFolderEmpty(dir.Path()));
}

// Wine stores neither normal (128) nor not-content-indexed (8192), so the
// listing is made to report them.
TEST(FileRemoval, EntriesWithOtherAttributeBitsAreLeftAlone) {
    TempDir dir;
    MakeDir(dir / "not-indexed\\deeper");
    MakeDir(dir / "plain");
    WriteFile(dir / "normal.txt", "x", FILE_ATTRIBUTE_HIDDEN);
    WriteFile(dir / "read-only.txt", "x", kRO);
    WriteFile(dir / "not-indexed\\deeper\\d.txt");
    WriteFile(dir / "plain\\p.txt");
    SetFileAttributesA((dir / "not-indexed").c_str(), FILE_ATTRIBUTE_HIDDEN);

    Platform platform;
    bool sawBelowSkipped = false;
    platform.listedAttributes = [&](const std::wstring& path, DWORD attributes) -> DWORD {
        sawBelowSkipped |= path.find(L"not-indexed\\") != std::wstring::npos;
        if (path == Widen(dir / "normal.txt")) return FILE_ATTRIBUTE_NORMAL;
        if (path == Widen(dir / "not-indexed")) return attributes | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        return attributes;
    };
    EXPECT_TRUE(Clear(dir.Path(), platform));

    EXPECT_EQ(Attributes(dir / "normal.txt") & kProtective, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Attributes(dir / "not-indexed") & kProtective, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(Exists(dir / "not-indexed\\deeper\\d.txt"));
    EXPECT_FALSE(sawBelowSkipped);
    EXPECT_FALSE(Exists(dir / "read-only.txt"));
    EXPECT_FALSE(Exists(dir / "plain"));
}

// Far deeper than MAX_PATH. The depth of a tree must cost heap, not stack:
// the stack in use is measured where the deepest entries are reported. (Each
// level costs Wine more the deeper it lies, so the tree stays at 300 levels.)
TEST(FileRemoval, VeryDeepTreeIsRemovedWithoutDeepStack) {
    TempDir dir;
    constexpr int kDepth = 300;
    std::wstring path = L"\\\\?\\" + Widen(dir.Path()) + L"deep";
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    for (int level = 0; level < kDepth; ++level) {
        path += L"\\d";
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << level;
        if (level % 50 == 49)
            CloseHandle(CreateFileW((path + L"\\f.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kRO, nullptr));
    }

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
    EXPECT_TRUE(IsFolderEmpty(dir.Path()));
    EXPECT_GT(longest, 2u * kDepth);
    EXPECT_LT(base - lowest, 16u * 1024u) << "stack grows with the depth of the tree";
}

TEST(FileRemovalLinks, LinksInsideTheTreeAreNotFollowed) {
    REQUIRE_LINK_FIXTURE();
    const std::string tree = kLinks + "tree\\";
    ASSERT_TRUE(IsFolderLink(tree + "dir-link") && IsFolderLink(tree + "sub\\inner-link"));
    EXPECT_TRUE(Clear(tree));

    EXPECT_FALSE(Exists(tree + "a.txt"));
    EXPECT_FALSE(Exists(tree + "sub\\b.txt"));
    EXPECT_FALSE(Exists(tree + "sub\\deeper"));
    EXPECT_TRUE(IsFolderLink(tree + "dir-link"));
    EXPECT_TRUE(IsFolderLink(tree + "sub\\inner-link"));
    ExpectTargetIntact("target-tree");
    ExpectTargetIntact("target-inner");
}

// A listing can be stale by the time its entries are acted on: here it shows
// two folder links as the plain folders they replaced. Neither the file pass
// (which resets a folder's attributes) nor the folder pass may go through them.
TEST(FileRemovalLinks, FolderThatBecameALinkAfterTheListingIsNotTouched) {
    REQUIRE_LINK_FIXTURE();
    const std::string top = kLinks + "stale\\";
    ASSERT_TRUE(IsFolderLink(top + "victim") && IsFolderLink(top + "mid\\victim"));
    const char* targets[] = {"target-stale", "target-stale-inner"};
    for (const char* target : targets) SetFileAttributesA((kLinks + target).c_str(), FILE_ATTRIBUTE_HIDDEN);

    int presentedAsPlain = 0;
    Platform platform;
    platform.listedAttributes = [&](const std::wstring&, DWORD attributes) -> DWORD {
        presentedAsPlain += (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        return attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT);
    };
    EXPECT_TRUE(Clear(top, platform));
    EXPECT_GE(presentedAsPlain, 4);  // each link in both passes

    EXPECT_FALSE(Exists(top + "other.txt"));
    EXPECT_FALSE(Exists(top + "mid\\m.txt"));
    EXPECT_TRUE(IsFolderLink(top + "victim"));
    EXPECT_TRUE(IsFolderLink(top + "mid\\victim"));
    for (const char* target : targets) {
        ExpectTargetIntact(target);
        EXPECT_EQ(Attributes(kLinks + target) & kProtective, FILE_ATTRIBUTE_HIDDEN) << target;
    }
}

// The folder handed in may itself be reached through a link, or through a share.
TEST(FileRemovalLinks, FolderHandedInThroughALinkOrAShareIsCleared) {
    REQUIRE_LINK_FIXTURE();
    ASSERT_TRUE(IsFolderLink(kLinks + "top-link"));
    EXPECT_TRUE(Clear(kLinks + "top-link\\"));
    EXPECT_TRUE(IsFolderLink(kLinks + "top-link"));
    EXPECT_TRUE(IsFolderEmpty(kLinks + "top-target\\"));

    TempDir dir;
    MakeDir(dir / "sub");
    WriteFile(dir / "one.txt", "x", kRO);
    WriteFile(dir / "sub\\two.txt");
    const std::string unc = "\\\\purgelet\\tests\\" + dir.Path().substr(std::string("C:\\purgelet-tests\\").size());
    ASSERT_TRUE(Exists(unc + "one.txt"));
    EXPECT_TRUE(Clear(unc));
    EXPECT_TRUE(IsFolderEmpty(dir.Path()));
}

// Roots, and folders given with a "." or ".." component, count as missing:
// nothing is even listed. (Every entry listed is made to look untouchable, so
// that a fault here can't empty the drive.)
TEST(FileRemovalLinks, RootsAndDotFormsCountAsMissing) {
    REQUIRE_LINK_FIXTURE();
    ASSERT_TRUE(IsFolderLink(kLinks + "c-root"));
    TempDir dir;
    MakeDir(dir / "x\\sub");
    MakeDir(dir / "y");
    WriteFile(dir / "x\\sub\\s.txt");
    WriteFile(dir / "y\\keep.txt");
    int listed = 0;
    Platform untouchable;
    untouchable.listedAttributes = [&](const std::wstring&, DWORD attributes) -> DWORD {
        ++listed;
        return attributes | FILE_ATTRIBUTE_OFFLINE;
    };
    const std::string share = "\\\\purgelet\\tests";
    ASSERT_TRUE(IsDir(share + "\\" + dir.Path().substr(std::string("C:\\purgelet-tests\\").size())));
    for (const std::string& folder :
         {std::string("C:\\"), std::string("c:/"), std::string("C:\\\\"), std::string("C:\\."), share + "\\", share,
          share + "\\.\\", share + "\\x\\..\\", kLinks + "c-root\\", kLinks + "c-root", dir / "x\\sub\\..\\..\\",
          dir / "x\\sub\\..\\..\\y\\", dir / "x\\.\\sub\\", dir / "x\\sub\\.", dir / "x\\sub\\...\\",
          dir / "x\\sub\\.. \\", "\\\\?\\" + dir.Path(), "\\\\.\\" + dir.Path()}) {
        EXPECT_FALSE(ReadFileAndDelete(folder, untouchable)) << folder;
        KillSubFolderFiles(folder, untouchable);
    }
    EXPECT_EQ(listed, 0);
    EXPECT_TRUE(Exists(dir / "x\\sub\\s.txt"));
    EXPECT_TRUE(Exists(dir / "y\\keep.txt"));
}

// Links to files and folders outside the tree (read-only targets among them),
// links to the tree's own ancestors and second names of outside files: after
// the run every file outside is there with its attributes. The folder links
// are also shown to the routines as plain folders, as a listing taken just
// before a link was put in a folder's place shows them, so the checks on each
// opened entry are what stops them.
TEST(FileRemovalLinks, HostileTreeDeletesAndChangesNothingOutside) {
    REQUIRE_LINK_FIXTURE();
    const std::string tree = kLinks + "hostile\\tree\\", outside = kLinks + "hostile\\outside\\";
    for (const char* link : {"dir-link", "sub\\up", "sub\\ro-dir-link", "sub\\deeper\\top"})
        ASSERT_TRUE(IsFolderLink(tree + link)) << link;
    SetFileAttributesA((outside + "sentinel.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((outside + "dir\\inner.txt").c_str(), kHS);
    const std::map<std::string, DWORD> before = Sentinels(outside);
    ASSERT_EQ(before.size(), 7u);
    ASSERT_EQ(before.at(outside + "read-only.txt") & kRO, kRO);

    Platform platform;
    platform.listedAttributes = [](const std::wstring&, DWORD attributes) -> DWORD {
        return attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT);
    };
    EXPECT_TRUE(Clear(tree, platform));
    EXPECT_TRUE(Clear(tree));
    EXPECT_EQ(Changes(before, Sentinels(outside)), "");

    for (const char* gone : {"plain.txt", "sub\\plain2.txt", "sub\\deeper\\plain3.txt", "hard-rw.txt"})
        EXPECT_FALSE(Exists(tree + gone)) << gone;
    // A read-only file with a second name outside keeps its attributes, so it can't go.
    EXPECT_EQ(Attributes(tree + "hard-ro.txt") & kRO, kRO);
    for (const char* link : {"dir-link", "sub\\up", "sub\\ro-dir-link", "sub\\deeper\\top"})
        EXPECT_TRUE(IsFolderLink(tree + link)) << link;
}

// A host process keeps swapping a sub-folder for a link to a folder outside
// that holds files of the same names (read-only ones among them), while the
// routines empty the tree: in no round may a file outside go or change.
TEST(FileRemovalLinks, SubFolderSwappedForALinkMeanwhileLosesNothingOutside) {
    TempDir race;
    constexpr int kRounds = 10, kFiles = 150;
    auto makeFiles = [](const std::string& folder, const char* content) {
        char name[32];
        for (int i = 0; i < kFiles; ++i) {
            std::snprintf(name, sizeof(name), "f%03d.txt", i);
            WriteFile(folder + name, content, i % 4 == 0 ? kRO : i % 4 == 1 ? kHS : 0);
        }
    };
    MakeDir(race / "outside\\deeper");
    makeFiles(race / "outside\\", "keep");
    makeFiles(race / "outside\\deeper\\", "keep");
    const std::map<std::string, DWORD> outside = Sentinels(race / "outside\\");
    ASSERT_EQ(outside.size(), 2u * kFiles);

    MakeDir(race / "work");
    HostSwapper swapper(race.Path(), "work\\sub", "../outside", 120, 10.0);
    ASSERT_TRUE(swapper.Ready()) << "the host-side script did not start";
    long swaps = 0;
    int swappedRounds = 0;
    for (int round = 0; round < kRounds; ++round) {
        RemoveTree(race / "work");
        MakeDir(race / "work\\sub\\deeper");
        makeFiles(race / "work\\sub\\", "x");
        makeFiles(race / "work\\sub\\deeper\\", "x");
        ASSERT_TRUE(swapper.Go());
        Clear(race / "work\\");
        long before = swaps;
        swaps = swapper.Pause();
        ASSERT_GE(swaps, 0) << "the host-side script stopped answering";
        swappedRounds += swaps > before;
        ASSERT_EQ(Changes(outside, Sentinels(race / "outside\\")), "") << "round " << round;
    }
    EXPECT_GE(swappedRounds, kRounds / 2) << "the folder was hardly swapped; the race proves little";
}

// The folder handed in is swapped for a link to an outside folder of the same
// names while its files are being deleted: the sub-folder pass that follows
// must not go through the link.
TEST(FileRemovalLinks, FolderSwappedForALinkBetweenThePassesLosesNothingOutside) {
    TempDir race;
    for (const char* folder : {"work", "outside"}) {
        MakeDir(race / folder + "\\sub\\deeper");
        for (const char* file : {"\\a.txt", "\\sub\\b.txt", "\\sub\\deeper\\c.txt"}) WriteFile(race / folder + file);
    }
    const std::map<std::string, DWORD> outside = Sentinels(race / "outside\\");
    HostSwapper swapper(race.Path(), "work", "outside", 60);
    ASSERT_TRUE(swapper.Ready()) << "the host-side script did not start";
    bool asked = false, held = false;
    Platform platform;
    platform.listedAttributes = [&](const std::wstring&, DWORD attributes) {
        if (!asked) held = swapper.Hold();  // while the file pass lists the folder
        asked = true;
        return attributes;
    };
    EXPECT_TRUE(Clear(race / "work\\", platform));
    ASSERT_TRUE(held) << "the host-side script did not swap the folder";
    ASSERT_EQ(swapper.Pause(), 1);
    EXPECT_EQ(Changes(outside, Sentinels(race / "outside\\")), "");
}
