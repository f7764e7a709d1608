#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>

#include "cleaner/FolderDiscovery.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {
struct FakeSystem {
    std::set<std::string> folders;
    std::string appData;
    int appDataReads = 0;

    DiscoveryFacts Facts(const std::string& windows, const std::string& user, unsigned major, unsigned minor,
                         unsigned platformId) {
        DiscoveryFacts f;
        f.windowsFolder = windows;
        f.userName = user;
        f.versionKnown = true;
        f.major = major;
        f.minor = minor;
        f.platformId = platformId;
        f.directoryExists = [this](const std::string& p) { return folders.count(p) > 0; };
        f.readAppData = [this] {
            ++appDataReads;
            return appData;
        };
        f.fullPath = [](const std::string& p) { return p; };
        return f;
    }
};
}  // namespace

TEST(FolderDiscovery, Windows98WithAndWithoutLogonName) {
    FakeSystem sys;
    FolderSet f;
    auto labels = DiscoverFolders(sys.Facts("C:\\WINDOWS\\", "user1", 4, 10, 1), f);
    EXPECT_TRUE(f.IsWin9x);
    EXPECT_EQ(f.WinMajor, 4);
    EXPECT_EQ(*labels.winVer, "Version : 4.10");
    EXPECT_EQ(f.UserCookiesFolder, "Profiles\\user1\\Cookies\\");
    EXPECT_EQ(f.UserHistoryFolder, "Profiles\\user1\\History\\");
    EXPECT_EQ(f.UserRecentFolder, "Profiles\\user1\\Recent\\");
    EXPECT_EQ(f.UserTempInternetFolder, "Profiles\\user1\\Temporary Internet Files\\");
    EXPECT_EQ(labels.curUserDir,
              "Current User Dir : C:\\WINDOWS\\Profiles\\user1\r\n"
              "User History Dir : C:\\WINDOWS\\Profiles\\user1\\History\\\r\n"
              "User Cookies Dir : C:\\WINDOWS\\Profiles\\user1\\Cookies\\\r\n"
              "User Recent Dir : C:\\WINDOWS\\Profiles\\user1\\Recent\\\r\n"
              "User Temp Int File Dir : C:\\WINDOWS\\Profiles\\user1\\Temporary Internet Files\\");

    // Without a logon name: shared folders, every line ended, earlier user folders kept
    // except the temporary internet files one.
    labels = DiscoverFolders(sys.Facts("C:\\WINDOWS\\", "", 4, 10, 1), f);
    EXPECT_EQ(labels.curUserDir,
              "Current User Dir : C:\\WINDOWS\\\r\n"
              "User History Dir : C:\\WINDOWS\\History\\\r\n"
              "User Cookies Dir : C:\\WINDOWS\\Cookies\\\r\n"
              "User Recent Dir : C:\\WINDOWS\\Recent\\\r\n"
              "User Temp Int File Dir : C:\\WINDOWS\\Temporary Internet Files\\\r\n");
    EXPECT_EQ(f.UserCookiesFolder, "Profiles\\user1\\Cookies\\");
    EXPECT_EQ(f.UserTempInternetFolder, "");
    EXPECT_EQ(f.UserName, "");
    EXPECT_EQ(sys.appDataReads, 0);

    // Platform identifiers 0 and 1 both count as the 9x family.
    FolderSet g;
    DiscoverFolders(sys.Facts("C:\\WINDOWS\\", "u", 4, 0, 0), g);
    EXPECT_TRUE(g.IsWin9x);
}

TEST(FolderDiscovery, WindowsXpProfileFolderFirstCandidateThenAppData) {
    FakeSystem sys;
    sys.folders = {"C:\\Documents and Settings\\user1\\"};
    FolderSet f;
    auto labels = DiscoverFolders(sys.Facts("C:\\WINDOWS\\", "user1", 5, 1, 2), f);
    EXPECT_FALSE(f.IsWin9x);
    EXPECT_EQ(*labels.winVer, "Version : 5.1");
    EXPECT_EQ(f.ProfileFolder, "C:\\Documents and Settings\\user1\\");
    EXPECT_EQ(sys.appDataReads, 0);
    const std::string pf = f.ProfileFolder;
    EXPECT_EQ(labels.curUserDir, "Current User Dir : " + pf + "\r\nUser Cookies Dir : " + pf + "Cookies\\\r\n" +
                                     "User Recent Dir : " + pf + "Recent\\\r\n" + "User History Dir : " + pf +
                                     "Local Settings\\History\\\r\n" + "User Temp Dir : " + pf +
                                     "Local Settings\\Temp\\\r\n" + "User Temp Int Files Dir : " + pf +
                                     "Local Settings\\Temporary Internet Files\\\r\n");

    // The profile folder carries a suffix: found through APPDATA.
    sys.folders = {"C:\\Documents and Settings\\user1.OFFICE\\"};
    sys.appData = "C:\\Documents and Settings\\user1.OFFICE\\Application Data";
    DiscoverFolders(sys.Facts("C:\\WINDOWS\\", "user1", 5, 1, 2), f);
    EXPECT_EQ(f.ProfileFolder, "C:\\Documents and Settings\\user1.OFFICE\\");

    // Neither candidate exists.
    sys.folders.clear();
    DiscoverFolders(sys.Facts("C:\\WINDOWS\\", "user1", 5, 1, 2), f);
    EXPECT_EQ(f.ProfileFolder, "");

    // Windows on drive D.
    sys.folders = {"D:\\Documents and Settings\\user1\\"};
    DiscoverFolders(sys.Facts("D:\\WINNT\\", "user1", 5, 0, 2), f);
    EXPECT_EQ(f.ProfileFolder, "D:\\Documents and Settings\\user1\\");

    // No logon name, or no name after APPDATA's last backslash: never the
    // profiles root itself, but APPDATA may still name the profile.
    sys.folders = {"C:\\Documents and Settings\\\\", "C:\\Documents and Settings\\",
                   "C:\\Documents and Settings\\user1.OFFICE\\"};
    for (const char* appData : {"nothing", "", "C:\\Documents and Settings\\"}) {
        sys.appData = appData;
        DiscoverFolders(sys.Facts("C:\\WINDOWS\\", "", 5, 1, 2), f);
        EXPECT_EQ(f.ProfileFolder, "") << appData;
    }
    sys.appData = "C:\\Documents and Settings\\user1.OFFICE\\Application Data";
    DiscoverFolders(sys.Facts("C:\\WINDOWS\\", "", 5, 1, 2), f);
    EXPECT_EQ(f.ProfileFolder, "C:\\Documents and Settings\\user1.OFFICE\\");
}

TEST(FolderDiscovery, WindowsNt4UsesProfilesUnderTheWindowsFolder) {
    FakeSystem sys;
    sys.folders = {"C:\\WINNT\\Profiles\\admin\\"};
    FolderSet f;
    auto labels = DiscoverFolders(sys.Facts("C:\\WINNT\\", "admin", 4, 0, 2), f);
    EXPECT_EQ(f.ProfileFolder, "C:\\WINNT\\Profiles\\admin\\");
    // Without the Windows folder the base would be relative: no profile.
    sys.folders.insert("Profiles\\admin\\");
    EXPECT_EQ(FindProfileFolder(sys.Facts("", "admin", 4, 0, 2), 4), "");
    EXPECT_EQ(labels.curUserDir,
              "Current User Dir : C:\\WINNT\\Profiles\\admin\\\r\n"
              "User Cookies Dir : C:\\WINNT\\Profiles\\admin\\Cookies\\\r\n"
              "User Recent Dir : C:\\WINNT\\Profiles\\admin\\Recent\\\r\n"
              "User History Dir : History\\\r\n"
              "User Temp Dir : Temp\\\r\n"
              "User Temp Int Files Dir : Temporary Internet Files\\\r\n");
}

TEST(FolderDiscovery, WindowsVistaAndLaterAskTheShellForEachFolderAndSearchOnlyForAMissingProfile) {
    FakeSystem sys;
    std::wstring profile = L"C:\\Users\\Anna";
    auto facts = sys.Facts("C:\\Windows\\", "anna", 10, 0, 2);
    facts.knownFolder = [&](REFKNOWNFOLDERID id) {
        if (IsEqualGUID(id, FOLDERID_Profile)) return profile;
        if (IsEqualGUID(id, FOLDERID_InternetCache)) return std::wstring(L"C:\\Cache");
        if (IsEqualGUID(id, FOLDERID_Recent)) return std::wstring(L"E:\\Recent\\");
        if (IsEqualGUID(id, FOLDERID_Cookies)) return std::wstring(L"C:\\Cookies");
        return std::wstring(IsEqualGUID(id, FOLDERID_History) ? L"C:\\History" : L"");
    };
    facts.tempPath = [] { return std::wstring(L"D:\\Tmp\\"); };
    FolderSet f;
    auto labels = DiscoverFolders(facts, f);
    EXPECT_EQ(f.ProfileFolder, "C:\\Users\\Anna\\");
    EXPECT_EQ(sys.appDataReads, 0);
    EXPECT_EQ(labels.curUserDir,
              "Current User Dir : C:\\Users\\Anna\\\r\nUser Cookies Dir : C:\\Cookies\\\r\n"
              "User Recent Dir : E:\\Recent\\\r\nUser History Dir : C:\\History\\\r\n"
              "User Temp Dir : D:\\Tmp\\\r\nUser Temp Int Files Dir : C:\\Cache\\\r\n");

    // No profile from the shell: the search by name, as on 2000/XP.
    profile.clear();
    sys.folders = {"C:\\Documents and Settings\\anna\\"};
    DiscoverFolders(facts, f);
    EXPECT_EQ(f.shell.profile, L"C:\\Documents and Settings\\anna\\");
}

TEST(FolderDiscovery, FailedVersionQueryFollowsTheNt4Rules) {
    FakeSystem sys;
    sys.folders = {"C:\\WINNT\\Profiles\\admin\\"};
    FolderSet f;
    auto facts = sys.Facts("C:\\WINNT\\", "admin", 0, 0, 0);
    facts.versionKnown = false;
    auto labels = DiscoverFolders(facts, f);
    EXPECT_FALSE(labels.winVer.has_value());
    EXPECT_FALSE(f.IsWin9x);
    EXPECT_EQ(f.WinMajor, 0);
    EXPECT_EQ(f.ProfileFolder, "C:\\WINNT\\Profiles\\admin\\");
}

TEST(FolderDiscovery, DrivePartOfAPath) {
    EXPECT_EQ(ExtractFileDrive("C:\\WINNT\\"), "C:");
    EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\windows\\"), "\\\\server\\share");
    EXPECT_EQ(ExtractFileDrive("windows"), "");
    EXPECT_EQ(ExtractFileDrive(""), "");
}

// Runs in a child process started by the test below, with the prefix
// reporting another Windows version; writes what it found to a file.
TEST(FolderDiscoveryProbe, DISABLED_Report) {
    const char* out = getenv("PURGELET_PROBE_OUT");
    ASSERT_NE(out, nullptr);
    ProgramFixture fx;
    char win[MAX_PATH];
    GetWindowsDirectoryA(win, MAX_PATH);
    fx.state.WindowsFolder = WithTrailingBackslash(win);
    auto labels = DiscoverFolders(SystemFacts(fx.state), fx.state.folders);
    std::ofstream f(out);
    f << (labels.winVer ? *labels.winVer : "-") << "\n"
      << int(fx.state.folders.WinMajor) << "\n"
      << fx.state.folders.IsWin9x << "\n"
      << fx.state.folders.ProfileFolder << "\n"
      << fx.state.folders.UserCookiesFolder << "\n";
}

// The program's manifest declares Windows 10, so a prefix set to it reports
// 10.0, which takes the Vista and later folders as 6.1 does.
TEST(FolderDiscovery, RealPrefixReportingWindows98Nt4XpSevenAndTen) {
    char user[128];
    DWORD size = sizeof(user);
    ASSERT_TRUE(GetUserNameA(user, &size));
    char win[MAX_PATH];
    GetWindowsDirectoryA(win, MAX_PATH);
    const std::string windows = WithTrailingBackslash(win);
    const std::string xpProfile = std::string("C:\\Documents and Settings\\") + user + "\\";
    const std::string nt4Profile = windows + "Profiles\\" + user + "\\";
    const std::string vistaProfile = std::string("C:\\users\\") + user + "\\";
    MakeDir(xpProfile);
    MakeDir(nt4Profile);
    TempDir dir;
    const std::string out = dir / "probe.txt";
    SetEnvironmentVariableA("PURGELET_PROBE_OUT", out.c_str());

    struct Expect {
        const char* version;
        const char* winVer;
        int major;
        bool win9x;
        std::string profile;
        std::string cookies;
    };
    const Expect cases[] = {
        {"win98", "Version : 4.10", 4, true, "", std::string("Profiles\\") + user + "\\Cookies\\"},
        {"nt40", "Version : 4.0", 4, false, nt4Profile, ""},
        {"winxp", "Version : 5.1", 5, false, xpProfile, ""},
        {"win7", "Version : 6.1", 6, false, vistaProfile, ""},
        {"win10", "Version : 10.0", 10, false, vistaProfile, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        DeleteFileA(out.c_str());
        {
            ReportedVersion v(c.version);
            ASSERT_EQ(RunTestInChild("FolderDiscoveryProbe.DISABLED_Report"), 0);
        }
        std::ifstream in(out);
        std::string winVer, major, win9x, profile, cookies;
        std::getline(in, winVer);
        std::getline(in, major);
        std::getline(in, win9x);
        std::getline(in, profile);
        std::getline(in, cookies);
        EXPECT_EQ(winVer, c.winVer);
        EXPECT_EQ(std::stoi(major), c.major);
        EXPECT_EQ(win9x == "1", c.win9x);
        EXPECT_EQ(profile, c.profile);
        EXPECT_EQ(cookies, c.cookies);
    }
    RemoveTree("C:\\Documents and Settings");
    RemoveTree(windows + "Profiles");
}
