// The option controls on the real main window, the settings key and the
// current user's Run key. A Run key that cannot be opened is made for real
// with an empty access list; only a value that will not be written or removed
// from a key that opened is stood in for.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "base/Errors.h"
#include "core/Texts.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OptionRules.h"
#include "support/Input.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {
constexpr char kFailureText[] =
    "Failing to update registry. If under Windows NT, only Administrator or Super Users have authorities to execute "
    "this command. Contact System Administrator to have furthur advice.";

struct Box {
    std::string text, caption;
    UINT flags;
    HWND owner;
};

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        DeleteRunEntry();
        fx.state.SettingsKey = SettingsKey();
        // The program file the Run key names: a file of the test's own, in a folder with a blank.
        MakeDir(dir / "Ovk Purgelet");
        WriteFile(exe);
        fx.state.platform.moduleFileName = [this] { return Widen(exe); };
        fx.app.hooks.messageBox = [this](HWND owner, const std::string& text, const std::string& caption, UINT flags) {
            boxes.push_back({text, caption, flags, owner});
            return IDOK;
        };
        first = &fx.app.CreateForm<ui::Form>("FirstInitial", ui::DesignRect{0, 0, 100, 100}, "FirstInitial");
    }
    void TearDown() override {
        RegDeleteTree(SettingsKey());
        DeleteRunEntry();
        HKEY key = nullptr;  // the Run key exists in every profile
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
            ERROR_SUCCESS)
            RegCloseKey(key);
    }
    static void DeleteRunEntry() { RegRemoveValue(kRunKeyPath, kRunEntryName); }
    TForm1& Create() {
        TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
        w.Show();
        // The keyboard reaches the options only on the page shown.
        w.PageControl1.SetActivePage(&w.TabSettings);
        return w;
    }
    void Press(ui::Control& c, WORD key) { PressKey(fx.app, c.Handle(), key); }
    static std::string Stored(const std::string& name) { return RegGetString(SettingsKey(), name); }
    static std::string RunEntry() { return RegGetString(kRunKeyPath, kRunEntryName); }
    static bool RunEntryExists() { return RegValueExists(kRunKeyPath, kRunEntryName); }
    static void SetRunEntry(const std::string& data) { RegSetString(kRunKeyPath, kRunEntryName, data); }
    int TrayWindows() const {
        int n = 0;
        for (ui::Form* f : fx.app.Forms()) n += f->Caption() == "Form2";
        return n;
    }
    void ExpectFailureBox() {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, kFailureText);
        EXPECT_EQ(boxes[0].caption, "Ovk Purgelet");
        EXPECT_EQ(boxes[0].flags, UINT(MB_OK));
        EXPECT_EQ(boxes[0].owner, first->Handle());
        boxes.clear();
    }

    TempDir dir;
    const std::string exe = dir / "Ovk Purgelet\\Purgelet.exe";
    ProgramFixture fx;
    ui::Form* first = nullptr;
    std::vector<Box> boxes;
};
}  // namespace

TEST(OptionRules, RunKeyEntryIsQuotedOnlyWhenThePathHoldsABlank) {
    EXPECT_EQ(RunKeyData("C:\\Programs\\Purgelet.exe"), "C:\\Programs\\Purgelet.exe");
    EXPECT_EQ(RunKeyData("C:\\Program Files\\Purgelet.exe"), "\"C:\\Program Files\\Purgelet.exe\"");
    for (const char* data : {"\"C:\\Program Files\\Purgelet.exe\"", "C:\\Program Files\\Purgelet.exe",
                             "\"C:\\Program Files\\Purgelet.exe"})
        EXPECT_EQ(RunKeyEntryPath(data), "C:\\Program Files\\Purgelet.exe");
}

TEST_F(OptionsTest, ExecutionBoxTurnsOnLoadWhenWindowsStarts) {
    TForm1& w = Create();
    EXPECT_FALSE(RunEntryExists());
    Click(w.chkExecuteClearShutDown.Handle());
    EXPECT_TRUE(w.chkRunWhenWinStarts.Checked());
    EXPECT_EQ(RunEntry(), "\"" + exe + "\"");
    EXPECT_EQ(Stored("RunOnStartup"), "1");
    EXPECT_EQ(Stored(texts::ValExecuteClearShutDown.Text()), "1");
    EXPECT_TRUE(w.rbtnClearAll.Enabled());
    EXPECT_FALSE(w.chkCustom_Cookies.Enabled());
    EXPECT_TRUE(boxes.empty());

    // Turning it off leaves the start at logon alone.
    Click(w.chkExecuteClearShutDown.Handle());
    EXPECT_EQ(Stored(texts::ValExecuteClearShutDown.Text()), "0");
    EXPECT_TRUE(w.chkRunWhenWinStarts.Checked());
    EXPECT_TRUE(RunEntryExists());
    EXPECT_FALSE(w.rbtnClearAll.Enabled());

    // It cannot be turned off while a clearing is on: the entry is written again.
    Click(w.chkExecuteClearStart.Handle());
    DeleteRunEntry();
    Click(w.chkRunWhenWinStarts.Handle());
    EXPECT_TRUE(w.chkRunWhenWinStarts.Checked());
    EXPECT_EQ(RunEntry(), "\"" + exe + "\"");
    EXPECT_EQ(Stored("RunOnStartup"), "1");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(OptionsTest, RunKeyThatCannotBeWritten) {
    TForm1& w = Create();
    {
        DeniedKey denied(kRunKeyPath);
        ASSERT_TRUE(denied.Denied());
        Click(w.chkExecuteClearShutDown.Handle());
    }
    ExpectFailureBox();
    EXPECT_FALSE(w.chkRunWhenWinStarts.Checked());
    EXPECT_FALSE(RegValueExists(SettingsKey(), "RunOnStartup"));
    EXPECT_FALSE(RunEntryExists());
    EXPECT_EQ(Stored(texts::ValExecuteClearShutDown.Text()), "1");
    EXPECT_TRUE(w.chkExecuteClearShutDown.Checked());
    EXPECT_TRUE(w.rbtnCustom.Enabled());

    // The key opens but the value cannot be set: the box returns to its state before the click.
    fx.state.platform.runKey.setValue = [](HKEY, const char*, const std::wstring&) {
        return LONG(ERROR_ACCESS_DENIED);
    };
    Click(w.chkRunWhenWinStarts.Handle());
    ExpectFailureBox();
    EXPECT_FALSE(w.chkRunWhenWinStarts.Checked());
    EXPECT_FALSE(RegValueExists(SettingsKey(), "RunOnStartup"));
    EXPECT_FALSE(RunEntryExists());

    // An error that is no refusal of the registry is shown as what it is.
    fx.state.platform.runKey = Platform::RunKeyCalls{};
    fx.state.platform.moduleFileName = []() -> std::wstring { throw Error("No module name"); };
    Click(w.chkRunWhenWinStarts.Handle());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No module name.");
    EXPECT_EQ(boxes[0].flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(RegValueExists(SettingsKey(), "RunOnStartup"));
    EXPECT_FALSE(RunEntryExists());
}

TEST_F(OptionsTest, RemovalRules) {
    RegSetString(SettingsKey(), "RunOnStartup", "1");
    TForm1& w = Create();
    ASSERT_TRUE(w.chkRunWhenWinStarts.Checked());
    const auto turnOff = [&] {
        w.chkRunWhenWinStarts.SetChecked(true);
        RegSetString(SettingsKey(), "RunOnStartup", "1");
        Click(w.chkRunWhenWinStarts.Handle());
    };

    // No entry: removed, no message.
    turnOff();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Stored("RunOnStartup"), "0");
    EXPECT_FALSE(w.chkRunWhenWinStarts.Checked());

    // An entry that will not go, naming the program file in either form: the message, and nothing changes.
    fx.state.platform.runKey.deleteValue = [](HKEY, const char*) { return LONG(ERROR_ACCESS_DENIED); };
    for (const std::string& data : {RunKeyData(exe), exe}) {
        SCOPED_TRACE(data);
        SetRunEntry(data);
        turnOff();
        ExpectFailureBox();
        EXPECT_TRUE(w.chkRunWhenWinStarts.Checked());
        EXPECT_EQ(Stored("RunOnStartup"), "1");
    }
    // One that names no existing file (or a folder) counts as removed.
    const std::string missing = dir / "gone away\\Purgelet.exe";
    for (const std::string& data : {RunKeyData(missing), dir / "Ovk Purgelet"}) {
        SCOPED_TRACE(data);
        SetRunEntry(data);
        turnOff();
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(Stored("RunOnStartup"), "0");
        EXPECT_FALSE(w.chkRunWhenWinStarts.Checked());
    }

    // A Run key that cannot be opened: the message.
    fx.state.platform.runKey = Platform::RunKeyCalls{};
    {
        DeniedKey denied(kRunKeyPath);
        ASSERT_TRUE(denied.Denied());
        turnOff();
    }
    ExpectFailureBox();
    EXPECT_TRUE(w.chkRunWhenWinStarts.Checked());
    EXPECT_EQ(Stored("RunOnStartup"), "1");

    // No Run key at all: nothing is registered, so the option turns off.
    DeleteRunEntry();
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, kRunKeyPath), ERROR_SUCCESS);
    turnOff();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Stored("RunOnStartup"), "0");
    EXPECT_FALSE(w.chkRunWhenWinStarts.Checked());
}

TEST_F(OptionsTest, RadioButtonsAndCustomEnabling) {
    RegSetString(SettingsKey(), texts::ValExecuteClearStart.Text(), "1");
    TForm1& w = Create();
    const auto modes = [] {
        return Stored(texts::ValClearAllMode.Text()) + Stored(texts::ValClearSelectedMode.Text()) +
               Stored(texts::ValClearNotSelectedMode.Text()) + Stored(texts::ValCustomMode.Text());
    };
    Click(w.rbtnCustom.Handle());
    EXPECT_EQ(modes(), "0001");
    EXPECT_TRUE(w.chkCustom_TypedWordsInRun.Enabled());
    Click(w.rbtnClearAll.Handle());
    EXPECT_EQ(modes(), "1000");
    EXPECT_FALSE(w.chkCustom_TypedWordsInRun.Enabled());

    // The keyboard selects on the key press; the release stores it.
    Press(w.rbtnClearAll, VK_DOWN);
    EXPECT_TRUE(w.rbtnClearSelected.Checked());
    EXPECT_EQ(GetFocus(), w.rbtnClearSelected.Handle());
    EXPECT_EQ(modes(), "0100");
    Press(w.rbtnCustom, VK_SPACE);
    EXPECT_EQ(modes(), "0001");
    EXPECT_TRUE(w.chkCustom_Cookies.Enabled());
    RegDeleteTree(SettingsKey());
    Press(w.rbtnCustom, 'A');  // any key
    EXPECT_EQ(modes(), "0001");

    // Both clearings off: buttons and boxes disabled, the choice kept.
    Click(w.chkExecuteClearStart.Handle());
    EXPECT_FALSE(w.rbtnCustom.Enabled());
    EXPECT_FALSE(w.chkCustom_Cookies.Enabled());
    EXPECT_TRUE(w.rbtnCustom.Checked());
}

TEST_F(OptionsTest, SpaceStoresTheStateEveryBoxShowsAfterwards) {
    TForm1& w = Create();
    const auto stored = [] {
        std::map<std::string, std::string> values;
        for (const std::string& name : RegValueNames(SettingsKey())) values[name] = Stored(name);
        return values;
    };
    // Space must leave the box, the settings and the Run key as a click leading to the same state does.
    for (ui::CheckBox* box : {&w.chkClearHistory,
                              &w.chkTempInternet,
                              &w.chkClearCookies,
                              &w.chkClearTypedURLs,
                              &w.chkClearTypedWordsInRun,
                              &w.chkClearTemp,
                              &w.chkRecentLinks,
                              &w.chkRunWhenWinStarts,
                              &w.chkInTray,
                              &w.chkExecuteClearStart,
                              &w.chkExecuteClearShutDown,
                              &w.chkCustom_HistoryLinksWeb,
                              &w.chkCustom_Cookies,
                              &w.chkCustom_TypedURLs,
                              &w.chkCustom_TempInternetFiles,
                              &w.chkCustom_Temporary,
                              &w.chkCustom_HistoryLinksDoc,
                              &w.chkCustom_TypedWordsInRun,
                              &w.chkXPmenu,
                              &w.chkAutoColResize}) {
        SCOPED_TRACE(box->Name());
        const bool before = box->Checked();
        const auto valuesBefore = stored();
        Key(box->Handle(), VK_SPACE);
        EXPECT_NE(box->Checked(), before);
        const auto bySpace = stored();
        EXPECT_NE(bySpace, valuesBefore);
        Click(box->Handle());
        Click(box->Handle());
        EXPECT_NE(box->Checked(), before);
        EXPECT_EQ(stored(), bySpace);
        EXPECT_EQ(RunEntryExists(), w.chkRunWhenWinStarts.Checked());
    }
    EXPECT_FALSE(w.chkXPmenu.Checked());
    // A release without the press does not toggle the box and stores what it shows; other keys store nothing.
    RegDeleteTree(SettingsKey());
    SendMessageA(w.chkClearTemp.Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_TRUE(w.chkClearTemp.Checked());
    EXPECT_EQ(Stored(texts::ValClearTemp.Text()), "1");
    Key(w.chkClearCookies.Handle(), 'X');
    EXPECT_FALSE(RegValueExists(SettingsKey(), texts::ValClearCookies.Text()));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(OptionsTest, EveryCheckBoxAndRadioButtonOfTheMainWindowIsAStoredOption) {
    TForm1& w = Create();
    std::vector<ui::Control*> controls;
    const std::function<void(ui::Control&)> collect = [&](ui::Control& c) {
        if (dynamic_cast<ui::CheckBox*>(&c) || dynamic_cast<ui::RadioButton*>(&c)) controls.push_back(&c);
        for (ui::Control* child : c.Children()) collect(*child);
    };
    collect(w);
    ASSERT_FALSE(controls.empty());
    // Each check box stores under names of its own (the radio buttons store
    // as one), but for the two boxes of "Include browsers", which show one
    // setting on two pages and follow each other.
    std::set<std::vector<std::string>> stored;
    std::size_t boxes = 0;
    for (ui::Control* c : controls) {
        SCOPED_TRACE(c->Name());
        RegDeleteTree(SettingsKey());
        Click(c->Handle());
        EXPECT_FALSE(RegValueNames(SettingsKey()).empty()) << "released without storing anything";
        if (!dynamic_cast<ui::CheckBox*>(c)) continue;
        ++boxes;
        std::vector<std::string> names = RegValueNames(SettingsKey());
        std::sort(names.begin(), names.end());
        stored.insert(names);
        EXPECT_EQ(w.chkMainBrowsers.Checked(), w.chkIncludeBrowsers.Checked());
    }
    EXPECT_EQ(stored.size(), boxes - 1) << "two boxes store under the same names";
}

TEST_F(OptionsTest, TrayOptionCreatesAndRemovesTheTrayWindow) {
    TForm1& w = Create();
    Click(w.chkInTray.Handle());
    EXPECT_EQ(Stored("Check In Tray"), "1");
    EXPECT_TRUE(fx.state.TrayMode);
    EXPECT_EQ(TrayWindows(), 1);
    // A right-button release stores the same state again and changes nothing else.
    Click(w.chkInTray.Handle(), {4, 4}, Mouse::Right);
    EXPECT_TRUE(w.chkInTray.Checked());
    EXPECT_EQ(TrayWindows(), 1);
    // Closing now only hides the main window.
    SendMessageA(w.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(w.IsShowing());
    EXPECT_FALSE(fx.app.Terminated());

    Click(w.chkInTray.Handle());
    fx.app.ProcessMessages();
    EXPECT_EQ(Stored("Check In Tray"), "0");
    EXPECT_FALSE(fx.state.TrayMode);
    EXPECT_EQ(TrayWindows(), 0);
    EXPECT_TRUE(w.IsShowing());
    EXPECT_EQ(GetForegroundWindow(), w.Handle());
    SendMessageA(w.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(fx.app.Terminated());
}

TEST_F(OptionsTest, TrayWindowOfALogonStartStaysWhenTheTrayOptionIsTurnedOn) {
    fx.state.TrayMode = true;
    fx.state.windows.CreateTrayWindow();
    TForm1& w = Create();
    Click(w.chkInTray.Handle());
    EXPECT_EQ(Stored("Check In Tray"), "1");
    EXPECT_EQ(TrayWindows(), 1);
    EXPECT_TRUE(fx.state.TrayMode);
}

TEST_F(OptionsTest, AutoColumnSizingActsOnTheCookieList) {
    TMainForm& cookies = fx.app.CreateForm<TMainForm>(fx.state);
    TForm1& w = Create();
    RegSetString(SettingsKey(), "ColWidth0", "120");
    cookies.lvCookies.SetColumnWidth(0, 33);
    Click(w.chkAutoColResize.Handle());  // never shown, so only code reaches it
    EXPECT_EQ(Stored(texts::ValAutoColResize.Text()), "1");
    for (int c = 0; c < 7; ++c) EXPECT_TRUE(cookies.lvCookies.ColumnAutoSize(c)) << c;
    EXPECT_NE(cookies.lvCookies.ColumnWidth(0), 33);
    Click(w.chkAutoColResize.Handle());
    EXPECT_EQ(Stored(texts::ValAutoColResize.Text()), "0");
    EXPECT_EQ(cookies.lvCookies.ColumnWidth(0), 120);
}

TEST_F(OptionsTest, LoadingWritesNothingAndTouchesNeitherRunKeyNorTray) {
    for (const std::string& name : {std::string("RunOnStartup"), std::string("Check In Tray"),
                                    texts::ValExecuteClearStart.Text(), texts::ValExecuteClearShutDown.Text()})
        RegSetString(SettingsKey(), name, "1");
    TForm1& w = Create();
    EXPECT_TRUE(w.chkRunWhenWinStarts.Checked());
    EXPECT_TRUE(w.chkInTray.Checked());
    EXPECT_FALSE(RunEntryExists());
    EXPECT_EQ(TrayWindows(), 0);
    EXPECT_FALSE(fx.state.TrayMode);
    EXPECT_EQ(RegValueNames(SettingsKey()).size(), 4u);
}

// A settings key that cannot be opened for writing (Wine creates a key below
// a denied one, so the key itself is denied): the click stores nothing and
// says nothing, and the box keeps the user's state and does the rest of its work.
// A value that will not be stored: the error is shown and the rest of the
// click's work is skipped, the box keeping the user's state.
TEST_F(OptionsTest, AnOptionWhoseSettingsKeyOrValueCannotBeWritten) {
    TForm1& w = Create();
    {
        DeniedKey denied(SettingsKey());
        ASSERT_TRUE(denied.Denied());
        Click(w.chkClearTemp.Handle());
        Click(w.chkInTray.Handle());
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(fx.recorded.beeps, 0);
    EXPECT_TRUE(w.chkClearTemp.Checked());
    EXPECT_TRUE(w.chkInTray.Checked());
    EXPECT_EQ(TrayWindows(), 1);
    EXPECT_TRUE(RegValueNames(SettingsKey()).empty());

    Click(w.chkInTray.Handle());
    fx.app.ProcessMessages();
    ASSERT_EQ(TrayWindows(), 0);
    fx.state.platform.regSetValue = [](HKEY, const char*, DWORD, const BYTE*, DWORD) {
        return LONG(ERROR_ACCESS_DENIED);
    };
    Click(w.chkInTray.Handle());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to set data for 'Check In Tray'.");
    EXPECT_EQ(boxes[0].flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(w.chkInTray.Checked());
    EXPECT_EQ(TrayWindows(), 0);
    EXPECT_FALSE(fx.state.TrayMode);
    EXPECT_EQ(Stored("Check In Tray"), "0");
}

TEST_F(OptionsTest, ClosingWhenThePositionCannotBeStored) {
    TForm1& w = Create();
    fx.state.platform.regSetValue = [](HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
        if (std::string(name) == "MainTop") return LONG(ERROR_ACCESS_DENIED);
        return RegSetValueExA(key, name, 0, type, data, size);
    };
    w.btnExit.Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to set data for 'MainTop'.");
    EXPECT_TRUE(w.IsShowing());
    EXPECT_FALSE(fx.app.Terminated());
    EXPECT_FALSE(RegValueExists(SettingsKey(), "MainLeft"));
}

TEST_F(OptionsTest, EndOfSessionClosesTheMainWindowAndAnswersYes) {
    TForm1& w = Create();
    w.SetLeft(40);
    EXPECT_EQ(SendMessageA(w.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(Stored("MainLeft"), "40");
    EXPECT_TRUE(fx.app.Terminated());
}
