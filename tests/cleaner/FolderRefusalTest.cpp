// The decision which folders are never emptied, on facts alone: written and
// final paths, identities, holders and what lies inside, the Windows
// folder's Temp, relative values and a program folder that could not be
// opened.
#include <gtest/gtest.h>

#include "cleaner/removal/FolderRefusal.h"

using namespace purgelet;

namespace {

FolderFacts Facts(std::wstring written, std::wstring final = {}, std::optional<FileId> id = {},
                  std::vector<FileId> holders = {}) {
    return {std::move(written), std::move(final), id, std::move(holders)};
}

GuardedFacts Guard(Guarded role, FolderFacts facts, bool holders = true, bool inside = false, FolderFacts except = {}) {
    GuardedFacts g;
    g.folder.role = role;
    g.folder.path = facts.written;
    g.folder.holders = holders;
    g.folder.inside = inside;
    g.facts = std::move(facts);
    g.except = std::move(except);
    g.resolved = !g.facts.final.empty();
    return g;
}

constexpr FileId kDriveC{1, 1}, kUsers{1, 2}, kProfile{1, 10}, kWindows{1, 20}, kWindowsTemp{1, 21}, kSystem32{1, 22},
    kTool{1, 30}, kDriveD{2, 1}, kDocs{2, 40}, kProgramFiles{1, 50};

std::vector<GuardedFacts> System(bool toolResolved = true) {
    std::vector<GuardedFacts> g;
    g.push_back(Guard(Guarded::Profile, Facts(L"C:\\Users\\Me\\", L"C:\\Users\\Me", kProfile, {kUsers, kDriveC})));
    g.push_back(Guard(Guarded::Windows, Facts(L"C:\\Windows\\", L"C:\\Windows", kWindows, {kDriveC}), true, true,
                      Facts(L"C:\\Windows\\Temp\\", L"C:\\Windows\\Temp", kWindowsTemp, {kWindows, kDriveC})));
    g.push_back(toolResolved ? Guard(Guarded::ProgramFolder,
                                     Facts(L"C:\\Users\\Me\\Temp\\tool\\", L"C:\\Users\\Me\\Temp\\tool", kTool), false)
                             : Guard(Guarded::ProgramFolder, Facts(L"\\\\nohost\\c$\\Users\\Me\\Temp\\tool\\"), false));
    // Documents redirected to another drive.
    g.push_back(Guard(Guarded::Documents, Facts(L"C:\\Users\\Me\\Documents", L"D:\\Docs", kDocs, {kDriveD})));
    g.push_back(Guard(Guarded::ProgramFiles,
                      Facts(L"C:\\Program Files", L"C:\\Program Files", kProgramFiles, {kDriveC}), true, true));
    return g;
}

TEST(FolderRefusal, DecidedByNameFinalPathAndIdentity) {
    const Refusal none, notFull{RefusalKind::NotFullPath}, root{RefusalKind::Root};
    const auto is = [](Guarded g) { return Refusal{RefusalKind::Itself, g}; };
    const auto holds = [](Guarded g) { return Refusal{RefusalKind::Holds, g}; };
    const auto inside = [](Guarded g) { return Refusal{RefusalKind::Inside, g}; };
    const std::pair<FolderFacts, Refusal> cases[] = {
        // Ordinary folders, also where a link leads to another drive.
        {Facts(L"C:\\Users\\Me\\Temp\\", L"C:\\Users\\Me\\Temp", FileId{1, 11}, {kProfile, kUsers, kDriveC}), none},
        {Facts(L"C:\\tmp-link\\", L"E:\\Scratch", FileId{3, 5}, {FileId{3, 1}}), none},
        {Facts(L"\\\\server\\share\\t\\"), none},
        // The Windows folder's Temp, and what lies inside it.
        {Facts(L"C:\\Windows\\Temp\\", L"C:\\Windows\\Temp", kWindowsTemp, {kWindows, kDriveC}), none},
        {Facts(L"c:\\windows\\temp\\sub\\"), none},
        // The program's own folder is refused itself; what holds it is emptied around it.
        {Facts(L"C:\\Users\\Me\\Temp\\tool"), is(Guarded::ProgramFolder)},
        // Roots, as written or where a link leads.
        {Facts(L"C:\\"), root},
        {Facts(L"\\\\server\\share\\"), root},
        {Facts(L"C:\\root-link\\", L"C:\\", kDriveC), root},
        // Not plain full paths.
        {Facts(L""), notFull},
        {Facts(L"."), notFull},
        {Facts(L"Temp\\"), notFull},
        {Facts(L"C:Temp\\"), notFull},
        {Facts(L"\\Temp\\"), notFull},
        {Facts(L"\\\\?\\C:\\Temp\\"), notFull},
        {Facts(L"C:\\Users\\Me\\Temp\\..\\"), notFull},
        // The profile: as written, through a link, a share path (only its
        // identity tells), a short name; what holds it, by name or identity.
        {Facts(L"c:\\USERS\\me"), is(Guarded::Profile)},
        {Facts(L"C:\\lnk_prof\\", L"C:\\Users\\Me", kProfile), is(Guarded::Profile)},
        {Facts(L"\\\\localhost\\c$\\Users\\Me", L"\\\\localhost\\c$\\Users\\Me", kProfile), is(Guarded::Profile)},
        {Facts(L"C:\\Users\\ME~1\\", L"C:\\Users\\Me", kProfile), is(Guarded::Profile)},
        {Facts(L"C:\\Users\\"), holds(Guarded::Profile)},
        {Facts(L"F:\\alias\\", L"F:\\alias", kUsers), holds(Guarded::Profile)},
        // The Windows folder, what lies inside it, under other names too.
        {Facts(L"C:\\lnk_win\\", L"C:\\Windows", kWindows), is(Guarded::Windows)},
        {Facts(L"C:\\Windows\\System32\\"), inside(Guarded::Windows)},
        {Facts(L"\\\\srv\\sys\\32\\", L"\\\\srv\\sys\\32", kSystem32, {kWindows, kDriveC}), inside(Guarded::Windows)},
        // A known folder where it really lies, and the program files.
        {Facts(L"C:\\docs-link\\", L"D:\\Docs", kDocs), is(Guarded::Documents)},
        {Facts(L"C:\\Users\\Me\\Documents\\"), is(Guarded::Documents)},
        {Facts(L"C:\\Program Files\\App\\"), inside(Guarded::ProgramFiles)},
    };
    const std::vector<GuardedFacts> system = System();
    for (const auto& [top, expected] : cases) EXPECT_EQ(Decide(top, system), expected) << top.written;
}

TEST(FolderRefusal, AProgramFolderThatCouldNotBeOpenedRefusesWhateverCouldHoldIt) {
    const std::vector<GuardedFacts> system = System(false);
    const auto decide = [&](const wchar_t* written, const wchar_t* final = L"") {
        return Decide(Facts(written, final, FileId{9, 9}), system);
    };
    EXPECT_EQ(decide(L"C:\\Users\\Me\\Temp\\", L"C:\\Users\\Me\\Temp"),
              (Refusal{RefusalKind::Holds, Guarded::ProgramFolder}));
    EXPECT_EQ(decide(L"C:\\x\\", L"C:\\Users\\Me\\Temp\\tool"), (Refusal{RefusalKind::Itself, Guarded::ProgramFolder}));
    EXPECT_EQ(decide(L"C:\\Other\\", L"C:\\Other"), Refusal{});
}

TEST(FolderRefusal, UsualPathsAndTheLineThatNamesWhatAFolderReallyIs) {
    EXPECT_EQ(UsualPath(L"\\\\?\\C:\\x"), L"C:\\x");
    EXPECT_EQ(UsualPath(L"\\\\?\\UNC\\srv\\share\\x"), L"\\\\srv\\share\\x");
    EXPECT_EQ(UsualPath(L"UNC\\localhost\\c$\\t\\PurgeletCmd.exe"), L"\\\\localhost\\c$\\t\\PurgeletCmd.exe");
    EXPECT_EQ(ReallyUnlessSame(L"c:\\users\\me\\", L"C:\\Users\\Me"), L"");
    EXPECT_EQ(ReallyUnlessSame(L"C:\\lnk_prof", L"C:\\Users\\Me"), L"C:\\Users\\Me\\");
    const std::string line =
        SkippedLine("user's Temp", L"C:\\lnk_prof", {RefusalKind::Itself, Guarded::Profile}, L"C:\\Users\\Me\\");
    EXPECT_NE(line.find("C:\\lnk_prof"), std::string::npos);
    EXPECT_NE(line.find("C:\\Users\\Me\\"), std::string::npos);
    EXPECT_NE(line.find(RefusalReason({RefusalKind::Itself, Guarded::Profile})), std::string::npos);
}

}  // namespace
