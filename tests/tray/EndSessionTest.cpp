// The end of a real session: `wineboot --end-session --shutdown` sends the
// session messages to every window of the built program and then ends it, as
// Windows does when the user logs off or shuts down. This test process must
// own no window: wineboot would end it as well.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <algorithm>

#include "cleaner/RegistryValues.h"
#include "core/Texts.h"
#include "support/TestSupport.h"
#include "tray/TrayTestHelpers.h"

using namespace purgelet;
using namespace testing_support;
using tray_testing::TrayIconCount;
using tray_testing::WaitForTrayIcons;

namespace {
constexpr char kCookie[] = "Cookie:user@purgelet-session.example/";

bool HasCookie() {
    auto names = CacheEntryNames();
    return std::find(names.begin(), names.end(), kCookie) != names.end();
}

class EndOfSession : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        RegDeleteTree(kTypedUrlsKey);
        RegDeleteTree(kRunMruKey);
        // What the chosen categories clear: the cookies and the typed URLs.
        RegSetString(kTypedUrlsKey, "url1", "http://purgelet-session.example/");
        RegSetString(kTypedUrlsKey, "url2", "http://purgelet-session.example/other");
        ASSERT_TRUE(AddCookieEntry(kCookie));
        // A category that is not chosen: the words typed on Run.
        RegSetString(kRunMruKey, "a", "notepad\\1");
        RegSetString(kRunMruKey, "MRUList", "a");
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
        RegDeleteTree(kTypedUrlsKey);
        RegDeleteTree(kRunMruKey);
        DeleteUrlCacheEntryA(kCookie);
    }
    // Starts the program in the tray and waits until the start is over: the
    // main window shown, or released (the start-up clearing comes before either).
    void StartInTheTray(bool mainShown) {
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
    }
    // Ends the session and waits for the program to end.
    void EndTheSession() {
        ASSERT_EQ(RunAndWait("wineboot.exe --end-session --shutdown", 120000), 0);
        ASSERT_EQ(WaitForSingleObject(program, 30000), WAIT_OBJECT_0) << "the program outlived the session";
        EXPECT_EQ(TrayIconCount(), base);
    }
    void StartAndEndTheSession(bool mainShown) {
        ASSERT_NO_FATAL_FAILURE(StartInTheTray(mainShown));
        EndTheSession();
    }
    void ExpectNothingCleared() {
        EXPECT_EQ(RegValueNames(kTypedUrlsKey).size(), 2u);
        EXPECT_TRUE(HasCookie());
        EXPECT_EQ(RegValueNames(kRunMruKey).size(), 2u);
    }
    void ExpectChosenCategoriesCleared() {
        EXPECT_TRUE(RegValueNames(kTypedUrlsKey).empty()) << "typed URLs left";
        EXPECT_FALSE(HasCookie()) << "cookie left";
        EXPECT_EQ(RegValueNames(kRunMruKey).size(), 2u) << "a category that was not chosen was cleared";
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

// A start at logon with the clearing at start on clears the chosen
// categories before the main window is released.
TEST_F(EndOfSession, TheClearingAtStartClearsTheChosenCategoriesOfATrayStart) {
    RegSetString(SettingsKey(), "RunOnStartup", "1");
    RegSetString(SettingsKey(), texts::ValExecuteClearStart.Text(), "1");
    ASSERT_NO_FATAL_FAILURE(StartInTheTray(false));
    ExpectChosenCategoriesCleared();
    EndTheSession();
}

TEST_F(EndOfSession, ClearsNothingAtStartOrAtTheEndWhenBothClearingsAreOff) {
    RegSetString(SettingsKey(), "RunOnStartup", "1");
    ASSERT_NO_FATAL_FAILURE(StartInTheTray(false));
    ExpectNothingCleared();
    EndTheSession();
    ExpectNothingCleared();
}
