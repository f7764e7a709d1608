// The "Privacy..." launcher against a stand-in for Internet Options
// (standin/PrivacyStandIn.cpp), which the launch seam starts in place of the
// control panel. The polls, limits, messages and window searches are the
// launcher's own.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>

#include "CookieTestHelpers.h"
#include "cookies/CookieListWindow.h"
#include "cookies/PrivacyLauncher.h"
#include "support/Input.h"

using namespace purgelet;
using namespace testing_support;
using namespace cookie_tests;

namespace {
HWND OptionsWindow() { return FindWindowA(kDialogClass, kInternetOptionsTitle); }
HWND PerSiteDialog() { return FindWindowA(kDialogClass, kPerSiteTitle); }

// A control's own text (GetWindowText would give another process's edit
// field's title, not its content).
std::string FieldText(HWND window) {
    char text[512] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

class PrivacyLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearUrlCache();
        RegDeleteTree(SettingsKey());
        fx.state.SettingsKey = SettingsKey();
        fx.state.platform.winExec = [this](const std::string& command, UINT show) -> UINT {
            launches.push_back({command, show});
            if (standInArguments)
                standIn = Start("\"" + BesideTestProgram("privacy_standin.exe") + "\" " + *standInArguments);
            return 33;
        };
        ASSERT_TRUE(AddCookie("Cookie:tester@a.example/"));
        ASSERT_TRUE(AddCookie("Cookie:tester@b.example/"));
        ASSERT_EQ(OptionsWindow(), nullptr) << "an options window is left from elsewhere";
    }
    void TearDown() override {
        EndStandIn();
        ClearUrlCache();
        RegDeleteTree(SettingsKey());
    }
    TMainForm& CreateWithRows() {
        TMainForm& w = fx.app.CreateForm<TMainForm>(fx.state);
        w.SetVar_CacheEntryType(1);
        w.btnRefresh.Click();
        return w;
    }
    void EndStandIn() {
        if (!standIn) return;
        if (HWND options = OptionsWindow()) PostMessageA(options, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(standIn, 10000) != WAIT_OBJECT_0) TerminateProcess(standIn, 1);
        CloseHandle(standIn);
        standIn = nullptr;
    }
    // Runs the program's messages (and so its timer) until `done`.
    bool RunUntil(const std::function<bool()>& done, double seconds) {
        const double end = SecondsNow() + seconds;
        while (!done()) {
            if (SecondsNow() > end) return false;
            fx.app.ProcessMessages();
            Sleep(20);
        }
        return true;
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (auto& b : fx.recorded.boxes) out.push_back(b.text);
        return out;
    }

    ProgramFixture fx;
    std::optional<std::string> standInArguments;  // none: nothing starts
    HANDLE standIn = nullptr;
    std::vector<std::pair<std::string, UINT>> launches;
};
}  // namespace

TEST_F(PrivacyLauncherTest, WholePathFillsTheAddressAndRefreshesWhenInternetOptionsCloses) {
    TMainForm& w = CreateWithRows();
    ASSERT_EQ(w.lvCookies.Count(), 2);
    w.lvCookies.SetSelected(1, true);
    const std::string address = w.lvCookies.Item(1).caption;
    standInArguments = "";

    w.btnPrivacy.Click();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].first, "rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,@0,2");
    EXPECT_EQ(launches[0].second, 2u);
    const HWND perSite = PerSiteDialog();
    ASSERT_NE(perSite, nullptr) << "the Edit button's command did not reach the options window";
    const HWND field = FindWindowExA(perSite, nullptr, "Edit", nullptr);
    EXPECT_EQ(FieldText(field), address);
    EXPECT_EQ(FieldText(FindWindowExA(perSite, field, "Edit", nullptr)), "") << "only the first field is written";
    EXPECT_TRUE(w.Timer.Enabled());
    EXPECT_TRUE(fx.recorded.boxes.empty());

    // The watch keeps polling while Internet Options stays open, and
    // refreshes the list once it is closed.
    ASSERT_TRUE(AddCookie("Cookie:tester@c.example/"));
    const double closedAt = SecondsNow() + 1.6;
    std::thread closer([] {
        Sleep(1600);
        PostMessageA(OptionsWindow(), WM_CLOSE, 0, 0);
    });
    const bool refreshed = RunUntil([&] { return w.lvCookies.Count() == 3; }, 10);
    closer.join();
    EXPECT_TRUE(refreshed);
    EXPECT_GE(SecondsNow(), closedAt);
    EXPECT_FALSE(w.Timer.Enabled());
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(PrivacyLauncherTest, NoInternetOptionsGivesTheFirstMessageAfterTwentyOnePolls) {
    TMainForm& w = CreateWithRows();
    // A message waiting in the queue is handled while the launcher polls.
    ASSERT_TRUE(AddCookie("Cookie:tester@c.example/"));
    PostMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(w.btnRefresh.Handle()));

    // Each poll waits kPollWaitMs at least, so the polls take at least this long.
    const double start = SecondsNow();
    w.btnPrivacy.Click();
    EXPECT_GE(SecondsNow() - start, kLaunchPolls * kPollWaitMs / 1000.0 - 0.1);
    EXPECT_EQ(w.lvCookies.Count(), 3) << "pending messages were not processed during the polls";
    ASSERT_EQ(fx.recorded.boxes.size(), 1u);
    EXPECT_EQ(fx.recorded.boxes[0].text, kNoInternetOptionsText);
    EXPECT_EQ(fx.recorded.boxes[0].caption, "Crumbex");
    EXPECT_EQ(fx.recorded.boxes[0].flags, UINT(MB_OK | MB_ICONINFORMATION));
    EXPECT_FALSE(w.Timer.Enabled());
}

TEST_F(PrivacyLauncherTest, AnOptionsWindowWithoutThePrivacyPageGivesTheSecondMessage) {
    TMainForm& w = CreateWithRows();
    w.lvCookies.SetSelected(0, true);
    standInArguments = "nopage";
    w.btnPrivacy.Click();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kNoPrivacyPageText});
    EXPECT_EQ(fx.recorded.boxes.at(0).caption, "Crumbex");
    EXPECT_NE(OptionsWindow(), nullptr) << "Internet Options is left open";
    EXPECT_EQ(PerSiteDialog(), nullptr);
    EXPECT_FALSE(w.Timer.Enabled());
}

TEST_F(PrivacyLauncherTest, WithoutASelectedRowTheFieldStaysEmptyAndAnEarlyCloseRefreshesAtOnce) {
    TMainForm& w = CreateWithRows();
    ASSERT_TRUE(w.lvCookies.SelectedIndices().empty());
    standInArguments = "";
    w.btnPrivacy.Click();
    const HWND perSite = PerSiteDialog();
    ASSERT_NE(perSite, nullptr);
    EXPECT_EQ(FieldText(FindWindowExA(perSite, nullptr, "Edit", nullptr)), "");
    ASSERT_TRUE(w.Timer.Enabled());

    // Closed before the first tick runs: the watch's first poll finds nothing.
    ASSERT_TRUE(AddCookie("Cookie:tester@c.example/"));
    EndStandIn();
    ASSERT_TRUE(RunUntil([&] { return w.lvCookies.Count() == 3; }, 10));
    EXPECT_FALSE(w.Timer.Enabled());
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(PrivacyLauncherTest, TheProgramToldToEndStopsThePollsAtOnce) {
    TMainForm& w = CreateWithRows();
    ModalWatch endsTheProgram([&] { fx.app.Terminate(); }, 10);
    Sleep(20);
    const double start = SecondsNow();
    w.btnPrivacy.Click();
    EXPECT_LT(SecondsNow() - start, 1.0) << "the launch kept polling after the program was told to end";
    EXPECT_TRUE(fx.app.Terminated());
    EXPECT_TRUE(fx.recorded.boxes.empty());
}
