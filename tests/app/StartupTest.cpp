#include <gtest/gtest.h>

#include "app/Start.h"
#include "core/Texts.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"
#include "support/TestSupport.h"
#include "tray/TrayWindow.h"

using namespace purgelet;
using namespace testing_support;

namespace {
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTree(SettingsKey()); }
    void TearDown() override { RegDeleteTree(SettingsKey()); }
    std::vector<std::string> FormNames() {
        std::vector<std::string> names;
        for (auto* f : fx.app.Forms()) names.push_back(f->Name());
        return names;
    }
    ProgramFixture fx;
};
}  // namespace

TEST_F(StartupTest, NormalStartShowsTheMainWindowAndCreatesNoTrayWindow) {
    RegSetString(SettingsKey(), texts::ValExecuteClearStart.Text(), "1");
    StartProgram(fx.state);
    EXPECT_FALSE(fx.state.TrayMode);
    EXPECT_EQ(FormNames(), (std::vector<std::string>{"FirstInitial", "Form1", "MainForm"}));
    ASSERT_NE(fx.state.windows.MainWindow(), nullptr);
    EXPECT_TRUE(fx.state.windows.MainWindow()->IsShowing());
    EXPECT_EQ(fx.state.windows.MainWindow()->Caption(), kProgramName);
    EXPECT_FALSE(fx.state.windows.FirstWindow()->IsShowing());
    EXPECT_EQ(fx.state.windows.FirstWindow()->Caption(), "FirstInitial");
    ASSERT_NE(fx.state.windows.CookieManager(), nullptr);
    EXPECT_FALSE(fx.state.windows.CookieManager()->IsShowing());
    EXPECT_EQ(fx.state.windows.CookieManager()->Caption(), std::string(kProgramName) + "...Information");
    EXPECT_EQ(fx.app.FindFormByCaption("Form2"), nullptr);
    EXPECT_EQ(fx.state.SettingsKey, "Software\\Ovk Software\\Purgelet\\v2.0");
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(StartupTest, TrayStartCreatesTheTrayWindowThenTheMainWindowThenTheCookieManager) {
    RegSetString(SettingsKey(), "Check In Tray", "1");
    StartProgram(fx.state);
    EXPECT_TRUE(fx.state.TrayMode);
    EXPECT_EQ(FormNames(), (std::vector<std::string>{"FirstInitial", "Form2", "Form1", "MainForm"}));
}

TEST_F(StartupTest, TrayDecisionTable) {
    struct Row {
        const char* runOnStartup;
        const char* inTray;
        bool trayMode;
        bool mainShown;  // otherwise released (tray mode) or shown (normal)
    };
    const Row rows[] = {
        {"1", nullptr, true, false}, {"1", "0", true, false},   {"0", "1", true, true},
        {"1", "1", true, false},     {" 1", "01", false, true}, {"1 ", nullptr, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.runOnStartup) + "/" + (row.inTray ? row.inTray : "-"));
        RegDeleteTree(SettingsKey());
        RegSetString(SettingsKey(), "RunOnStartup", row.runOnStartup);
        if (row.inTray) RegSetString(SettingsKey(), "Check In Tray", row.inTray);
        ProgramFixture local;
        StartProgram(local.state);
        EXPECT_EQ(local.state.TrayMode, row.trayMode);
        EXPECT_EQ(local.app.FindFormByCaption("Form2") != nullptr, row.trayMode);
        EXPECT_NE(local.state.windows.CookieManager(), nullptr);
        local.app.ProcessMessages();
        TForm1* main = static_cast<TForm1*>(local.app.FindFormByCaption(kProgramName));
        if (row.mainShown) {
            ASSERT_NE(main, nullptr);
            EXPECT_TRUE(main->IsShowing());
        } else {
            EXPECT_EQ(main, nullptr) << "released main window still open";
            EXPECT_EQ(local.state.windows.MainWindow(), nullptr);
        }
    }
}

TEST_F(StartupTest, SecondInstanceBeepsShowsOneBoxAndCreatesNothingElse) {
    HANDLE first = CreateMutexA(nullptr, TRUE, texts::MutexName.Text().c_str());
    ASSERT_NE(first, nullptr);
    StartProgram(fx.state);
    EXPECT_TRUE(fx.state.SecondInstance);
    EXPECT_TRUE(fx.app.Terminated());
    EXPECT_EQ(FormNames(), (std::vector<std::string>{"FirstInitial"}));
    EXPECT_EQ(fx.recorded.beeps, 1);
    ASSERT_EQ(fx.recorded.boxes.size(), 1u);
    EXPECT_EQ(fx.recorded.boxes[0].text, std::string(kProgramName) + " is already running.");
    EXPECT_EQ(fx.recorded.boxes[0].flags, UINT(MB_OK | MB_ICONINFORMATION));
    EXPECT_TRUE(fx.state.SettingsKey.empty());
    CloseHandle(first);
}

TEST_F(StartupTest, FoldersGetExactlyOneTrailingBackslash) {
    fx.state.platform.moduleFileName = [] { return std::wstring(L"C:\\Purgelet.exe"); };
    fx.state.platform.getWindowsDirectory = [](char* buf, UINT) {
        lstrcpyA(buf, "D:\\");
        return UINT(3);
    };
    fx.app.CreateForm<TFirstInitial>(fx.state);
    EXPECT_EQ(fx.state.ProgramFolder, "C:\\");
    EXPECT_EQ(fx.state.WindowsFolder, "D:\\");

    ProgramFixture other;
    other.state.platform.moduleFileName = [] { return std::wstring(L"C:\\Program Files\\Ovk\\Purgelet.exe"); };
    other.state.platform.getWindowsDirectory = [](char* buf, UINT) {
        lstrcpyA(buf, "C:\\WINDOWS");
        return UINT(10);
    };
    // The first copy in this process holds the mutex; let the second one think it is alone.
    fx.state.instanceMutex.Release();
    other.app.CreateForm<TFirstInitial>(other.state);
    EXPECT_EQ(other.state.ProgramFolder, "C:\\Program Files\\Ovk\\");
    EXPECT_EQ(other.state.WindowsFolder, "C:\\WINDOWS\\");
}

TEST_F(StartupTest, WithoutWindowsFolderTheStartIsNormalAndWithoutSettingsKey) {
    RegSetString("", "RunOnStartup", "1");  // would select a tray start if the root were read
    fx.state.platform.getWindowsDirectory = [](char*, UINT) { return UINT(0); };
    StartProgram(fx.state);
    EXPECT_TRUE(fx.state.WindowsFolder.empty());
    EXPECT_TRUE(fx.state.SettingsKey.empty());
    EXPECT_FALSE(fx.state.TrayMode);
    ASSERT_GE(fx.recorded.boxes.size(), 1u);
    EXPECT_EQ(fx.recorded.boxes[0].text, texts::NoWindowsFolder.Text());
    EXPECT_EQ(fx.recorded.boxes[0].flags, UINT(MB_OK));
    EXPECT_EQ(fx.recorded.beeps, 0);
    ASSERT_NE(fx.state.windows.MainWindow(), nullptr);
    EXPECT_TRUE(fx.state.windows.MainWindow()->IsShowing());
    RegRemoveValue("", texts::ValRunOnStartup);
}

TEST_F(StartupTest, HelpOpenerReportsAMissingFileAndAMissingAssociation) {
    TempDir dir;
    fx.state.platform.moduleFileName = [&] { return Widen(dir.Path() + "Purgelet.exe"); };
    std::vector<std::string> opened;
    INT_PTR answer = 42;
    fx.state.platform.shellOpen = [&](HWND, const std::string& file) {
        opened.push_back(file);
        return answer;
    };
    auto& first = fx.app.CreateForm<TFirstInitial>(fx.state);

    first.OpenHelpFile();
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(fx.recorded.boxes.size(), 1u);
    EXPECT_EQ(fx.recorded.boxes[0].text, texts::HelpMissing.Text());
    EXPECT_EQ(fx.recorded.boxes[0].flags, UINT(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(fx.recorded.beeps, 1);

    WriteFile(dir / "PurgeletHlp.htm", "<html></html>");
    first.OpenHelpFile();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], dir / "PurgeletHlp.htm");
    EXPECT_EQ(fx.recorded.boxes.size(), 1u);

    answer = 31;
    first.OpenHelpFile();
    ASSERT_EQ(fx.recorded.boxes.size(), 2u);
    EXPECT_EQ(fx.recorded.boxes[1].text, texts::HelpNoAssociation.Text());
    EXPECT_EQ(fx.recorded.boxes[1].flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(fx.recorded.beeps, 2);
}

TEST_F(StartupTest, TrayStartWithABadPositionStillShowsTheMainWindow) {
    RegSetString(SettingsKey(), "Check In Tray", "1");
    RegSetString(SettingsKey(), "MainTop", "top");
    StartProgram(fx.state);
    fx.app.ProcessMessages();
    EXPECT_EQ(fx.recorded.boxes.size(), 1u);
    auto* main = fx.app.FindFormByCaption(kProgramName);
    ASSERT_NE(main, nullptr) << "the main window was released";
    EXPECT_TRUE(main->IsShowing());
}
