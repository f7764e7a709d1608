// The end of a real session: `wineboot --end-session --shutdown` sends the
// session messages to every window of the built program and then ends it, as
// Windows does when the user logs off or shuts down. This test process must
// own no window: wineboot would end it as well.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <algorithm>

#include "core/Texts.h"
#include "support/TestSupport.h"
#include "tray/TrayTestHelpers.h"

using namespace purgelet;
using namespace testing_support;
using tray_testing::TrayIconCount;
using tray_testing::WaitForTrayIcons;

namespace {
constexpr char kTypedURLs[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr char kRunMRU[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr char kCookie[] = "Cookie:user@purgelet-session.example/";

bool HasCookie() {
    auto names = CacheEntryNames();
    return std::find(names.begin(), names.end(), kCookie) != names.end();
}

class EndOfSession : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        RegDeleteTree(kTypedURLs);
        RegDeleteTree(kRunMRU);
        // What the chosen categories clear: the cookies and the typed URLs.
        RegSetString(kTypedURLs, "url1", "http://purgelet-session.example/");
        RegSetString(kTypedURLs, "url2", "http://purgelet-session.example/other");
        ASSERT_TRUE(AddCookieEntry(kCookie));
        // A category that is not chosen: the words typed on Run.
        RegSetString(kRunMRU, "a", "notepad\\1");
        RegSetString(kRunMRU, "MRUList", "a");
        RegSetString(SettingsKey(), texts::ValCustomMode.Text(), "1");
        RegSetString(SettingsKey(), texts::ValCustomCookies.Text(), "1");
        RegSetString(SettingsKey(), texts::ValCustomTypedURLs.Text(), "1");
        base = TrayIconCount();
    }
    void TearDown() override {
        if (program) {
            if (WaitForSingleObject(program, 0) == WAIT_TIMEOUT) TerminateProcess(program, 1);
            CloseHandle(program);
        }
        RegDeleteTree(SettingsKey());
        RegDeleteTree(kTypedURLs);
        RegDeleteTree(kRunMRU);
        DeleteUrlCacheEntryA(kCookie);
    }
    // Starts the program in the tray, ends the session, and waits for the program to end.
    void StartAndEndTheSession(bool mainShown) {
        program = Start(ProgramExe());
        ASSERT_NE(program, nullptr);
        ASSERT_TRUE(WaitForTrayIcons(base + 1, 30000)) << "no icon in the notification area";
        WaitForInputIdle(program, 10000);
        const DWORD pid = GetProcessId(program);
        HWND main = WaitForWindow(kProgramName, nullptr, mainShown ? 30000 : 0, pid);
        if (mainShown) {
            ASSERT_NE(main, nullptr);
            for (int i = 0; i < 100 && !IsWindowVisible(main); ++i) Sleep(100);
            EXPECT_TRUE(IsWindowVisible(main));
        } else {
            // Released as soon as the message loop runs.
            for (int i = 0; i < 100 && main; ++i) {
                Sleep(100);
                main = WaitForWindow(kProgramName, nullptr, 0, pid);
            }
            EXPECT_EQ(main, nullptr) << "the main window should have been released at start";
        }
        ASSERT_EQ(RunAndWait("wineboot.exe --end-session --shutdown", 120000), 0);
        ASSERT_EQ(WaitForSingleObject(program, 30000), WAIT_OBJECT_0) << "the program outlived the session";
        EXPECT_EQ(TrayIconCount(), base);
    }
    void ExpectChosenCategoriesCleared() {
        EXPECT_TRUE(RegValueNames(kTypedURLs).empty()) << "typed URLs left";
        EXPECT_FALSE(HasCookie()) << "cookie left";
        EXPECT_EQ(RegValueNames(kRunMRU).size(), 2u) << "a category that was not chosen was cleared";
    }

    HANDLE program = nullptr;
    int base = 0;
};
}  // namespace

TEST_F(EndOfSession, ClearsTheChosenCategoriesWhenTheMainWindowWasReleasedAtStart) {
    RegSetString(SettingsKey(), "RunOnStartup", "1");
    RegSetString(SettingsKey(), texts::ValExecuteClearShutDown.Text(), "1");
    StartAndEndTheSession(false);
    ExpectChosenCategoriesCleared();
}

TEST_F(EndOfSession, ClearsTheChosenCategoriesWithTheMainWindowShown) {
    RegSetString(SettingsKey(), "Check In Tray", "1");
    RegSetString(SettingsKey(), texts::ValExecuteClearShutDown.Text(), "1");
    StartAndEndTheSession(true);
    ExpectChosenCategoriesCleared();
}

TEST_F(EndOfSession, ClearsNothingWhenTheShutdownClearingIsOff) {
    RegSetString(SettingsKey(), "RunOnStartup", "1");
    StartAndEndTheSession(false);
    EXPECT_EQ(RegValueNames(kTypedURLs).size(), 2u);
    EXPECT_TRUE(HasCookie());
    EXPECT_EQ(RegValueNames(kRunMRU).size(), 2u);
}
