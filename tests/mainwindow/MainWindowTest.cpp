#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/Start.h"
#include "core/Texts.h"
#include "mainwindow/MainWindow.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        fx.app.CreateForm<TFirstInitial>(fx.state);
    }
    void TearDown() override {
        fx.state.instanceMutex.Release();
        RegDeleteTree(SettingsKey());
    }
    TForm1& Create(int dpi = 96) {
        fx.app.SetDpi(dpi);
        return fx.app.CreateForm<TForm1>(fx.state);
    }
    static RECT PlaceIn(const ui::Control& c) {
        RECT r;
        GetWindowRect(c.Handle(), &r);
        MapWindowPoints(nullptr, GetParent(c.Handle()), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    static std::string FontOf(const ui::Control& c, int* height = nullptr, bool* bold = nullptr) {
        HFONT f = reinterpret_cast<HFONT>(SendMessageA(c.Handle(), WM_GETFONT, 0, 0));
        LOGFONTA lf{};
        GetObjectA(f, sizeof(lf), &lf);
        if (height) *height = lf.lfHeight;
        if (bold) *bold = lf.lfWeight >= FW_BOLD;
        return lf.lfFaceName;
    }
    ProgramFixture fx;
};
}  // namespace

TEST_F(MainWindowTest, PagesAndControlsSitAtTheirDesignPlaces) {
    TForm1& w = Create(96);
    EXPECT_EQ(w.Caption(), kProgramName);
    EXPECT_EQ(w.Width(), 497);
    EXPECT_EQ(w.Height(), 403);
    EXPECT_EQ(w.Left(), 179);
    EXPECT_EQ(w.Top(), 94);
    ASSERT_EQ(w.PageControl1.Pages().size(), 5u);
    const char* captions[] = {"Main", "Browsers", "Settings", "Misc", "Brief help"};
    for (int i = 0; i < 5; ++i) {
        char text[64] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(w.PageControl1.Handle(), TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, captions[i]);
    }
    EXPECT_EQ(w.PageControl1.ActivePage(), &w.TabMain);
    EXPECT_TRUE(IsWindowVisible(w.TabMain.Handle()) || !w.IsShowing());

    struct Place {
        ui::Control* c;
        int left, top, width, height;
    };
    const Place places[] = {
        {&w.ListBox1, 16, 32, 329, 153},
        {&w.btnClearAll, 376, 12, 201, 25},
        {&w.btnClearNotSelected, 376, 60, 201, 25},
        {&w.GroupBox3, 360, 112, 225, 233},
        {&w.btnClearTypedWordsInRun, 16, 144, 201, 25},
        {&w.btnClearRecent, 16, 192, 201, 25},
        {&w.GroupBox4, 16, 200, 329, 145},
        {&w.chkRecentLinks, 16, 120, 297, 17},
        {&w.Panel1, 16, 360, 569, 57},
        {&w.btnExit, 480, 16, 67, 25},
        {&w.gbExecution, 24, 96, 545, 265},
        {&w.chkExecuteClearShutDown, 24, 52, 393, 21},
        {&w.chkXPmenu, 32, 24, 297, 17},
    };
    for (const auto& p : places) {
        RECT r = PlaceIn(*p.c);
        EXPECT_EQ(r.left, ui::Scale(p.left, 96)) << p.c->Name();
        EXPECT_EQ(r.top, ui::Scale(p.top, 96)) << p.c->Name();
        EXPECT_EQ(r.right - r.left, ui::Scale(p.width, 96)) << p.c->Name();
        EXPECT_EQ(r.bottom - r.top, ui::Scale(p.height, 96)) << p.c->Name();
    }
    int h = 0;
    bool bold = false;
    EXPECT_EQ(FontOf(w.lblMessage, &h), "Comic Sans MS");
    EXPECT_EQ(h, ui::Scale(-14, 96));
    EXPECT_EQ(w.lblMessage.EffectiveFont().color, ui::clMaroon);
    EXPECT_EQ(FontOf(w.ListBox1, &h), "Arial");
    EXPECT_EQ(w.ListBox1.EffectiveColor(), ui::clSkyBlue);
    EXPECT_EQ(SendMessageA(w.ListBox1.Handle(), LB_GETITEMHEIGHT, 0, 0), ui::Scale(15, 96));
    EXPECT_FALSE(GetWindowLongA(w.ListBox1.Handle(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(FontOf(w.GroupBox3, &h, &bold), "Times New Roman");
    EXPECT_TRUE(bold);
    EXPECT_EQ(w.GroupBox3.EffectiveFont().color, ui::clRed);
    EXPECT_EQ(w.GroupBox4.EffectiveFont().color, ui::clGreen);
    EXPECT_EQ(FontOf(w.chkClearTemp, &h, &bold), "Tahoma");
    EXPECT_TRUE(bold);
    EXPECT_EQ(FontOf(w.chkClearHistory, &h, &bold), "Tahoma");
    EXPECT_FALSE(bold);
    FontOf(w.btnTemporary, &h, &bold);
    EXPECT_TRUE(bold);
    EXPECT_EQ(FontOf(w.Memo1, &h), "Comic Sans MS");
    EXPECT_TRUE(GetWindowLongA(w.Memo1.Handle(), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongA(w.Memo1.Handle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(MainWindowTest, CaptionsAndHiddenControls) {
    TForm1& w = Create();
    EXPECT_EQ(w.lblMessage.Caption(), "Messages :");
    EXPECT_EQ(w.GroupBox3.Caption(), " Clear ");
    EXPECT_EQ(w.GroupBox4.Caption(), " Selected Items ");
    EXPECT_EQ(w.chkClearHistory.Caption(), "IE History Links Of  Web Sites");
    EXPECT_EQ(w.btnClearHistory.Caption(), "IE History Links Of Web Sites");
    EXPECT_EQ(w.btnClearRecent.Caption(), "History Links Of Doc");
    EXPECT_EQ(w.lblSupplement.Caption(), "(Enabled Execution will enable above option simutaneously)");
    EXPECT_EQ(w.rbtnClearNotSelected.Caption(), "Clear Not Selected (refer to Main Page)");
    EXPECT_EQ(w.gbSysInfo.Caption(), " System Information ");
    for (ui::Button* b : {&w.btnInfoCookies, &w.btnInfoOfURLHistory, &w.btnInfoTemIntFiles, &w.btnInfoOfOfflineCache,
                          &w.btnInfoOfOnlineCache}) {
        EXPECT_FALSE(IsWindowVisible(b->Handle())) << b->Name();
        EXPECT_FALSE(IsWindowEnabled(b->Handle())) << b->Name();
        b->Click();  // does nothing
    }
    EXPECT_EQ(w.btnInfoCookies.Caption(), "Info Of &Cookies");
    // The three bar buttons carry a picture beside their caption.
    for (ui::Button* b : {&w.btnAbout, &w.btnHelp, &w.btnExit}) {
        BUTTON_IMAGELIST list{};
        SendMessageA(b->Handle(), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
        EXPECT_NE(list.himl, nullptr) << b->Name();
    }
    EXPECT_EQ(w.btnAbout.Caption(), "&About");
    EXPECT_EQ(w.btnExit.Caption(), "&Exit");
    EXPECT_FALSE(GetWindowLongA(w.btnInfoOfOnlineCache.Handle(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(w.chkAutoColResize.Visible());
    EXPECT_FALSE(w.gbSysInfo.Visible());
    EXPECT_FALSE(w.lblWinVer.Visible());
    EXPECT_FALSE(w.lblCurUserDir.Visible());
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(MainWindowTest, At120PixelsPerInchTheDesignSizeIsKept) {
    TForm1& w = Create(120);
    EXPECT_EQ(w.Width(), 612);
    EXPECT_EQ(w.Height(), 496);
    RECT r = PlaceIn(w.btnClearAll);
    EXPECT_EQ(r.left, 376);
    EXPECT_EQ(r.right - r.left, 201);
}

TEST_F(MainWindowTest, OpeningLinesHelpTextAndSystemLabels) {
    TForm1& w = Create();
    SYSTEMTIME today;
    GetLocalTime(&today);
    ASSERT_EQ(w.Log().Lines().size(), 4u);
    EXPECT_EQ(w.Log().Lines()[0], "Ovk");
    EXPECT_EQ(w.Log().Lines()[1], "Log");
    EXPECT_EQ(w.Log().Lines()[2], "");
    EXPECT_EQ(w.Log().Lines()[3], "Today is " + FormatLogDate(today));

    const std::string text = w.Memo1.Text();
    EXPECT_EQ(text.rfind(" Visit Ovk's home page to get more freewares!\r\n\r\nMain :\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nHistory Links Of Doc = History links of documents. \r\n"), std::string::npos);
    EXPECT_NE(text.find("(take effect when Windows starts next time)\r\n\r\n\r\nSettings :\r\n"), std::string::npos);
    const std::string end = "it will skip the checks and has no harm!";
    ASSERT_GT(text.size(), end.size());
    EXPECT_EQ(text.substr(text.size() - end.size()), end);  // no line break after the last line
    std::size_t lines = 1;
    for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++lines;
    EXPECT_EQ(lines, 28u);

    // The version label on the prefix's default version, the folder label filled.
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof(v);
    GetVersionExA(&v);
    EXPECT_EQ(w.lblWinVer.Caption(),
              "Version : " + std::to_string(v.dwMajorVersion) + "." + std::to_string(v.dwMinorVersion));
    EXPECT_EQ(w.lblCurUserDir.Caption().rfind("Current User Dir : ", 0), 0u);
}

TEST_F(MainWindowTest, FirstRunOptionsAndEnabling) {
    TForm1& w = Create();
    for (ui::CheckBox* c : {&w.chkClearHistory, &w.chkRunWhenWinStarts, &w.chkInTray, &w.chkExecuteClearStart,
                            &w.chkCustom_Cookies, &w.chkAutoColResize})
        EXPECT_FALSE(c->Checked()) << c->Name();
    EXPECT_TRUE(w.chkXPmenu.Checked());
    for (ui::RadioButton* r : {&w.rbtnClearAll, &w.rbtnClearSelected, &w.rbtnClearNotSelected, &w.rbtnCustom}) {
        EXPECT_FALSE(r->Checked());
        EXPECT_FALSE(r->Enabled());
    }
    EXPECT_FALSE(w.chkCustom_Temporary.Enabled());
}

TEST_F(MainWindowTest, StoredOptionsAreLoaded) {
    const std::string key = SettingsKey();
    RegSetString(key, texts::ValClearCookies.Text(), "1");
    RegSetString(key, texts::ValClearTemp.Text(), "true");
    RegSetString(key, texts::ValExecuteClearShutDown.Text(), "1");
    RegSetString(key, texts::ValClearSelectedMode.Text(), "1");
    RegSetString(key, texts::ValCustomMode.Text(), "1");
    RegSetString(key, texts::ValCustomTemporary.Text(), "1");
    RegSetString(key, texts::ValXPmenu.Text(), "0");
    RegSetString(key, "Check In Tray", "1");
    fx.state.SettingsKey = key;
    TForm1& w = Create();
    EXPECT_TRUE(w.chkClearCookies.Checked());
    EXPECT_FALSE(w.chkClearTemp.Checked());
    EXPECT_TRUE(w.chkExecuteClearShutDown.Checked());
    EXPECT_TRUE(w.rbtnCustom.Checked());
    EXPECT_FALSE(w.rbtnClearSelected.Checked());
    EXPECT_TRUE(w.rbtnCustom.Enabled());
    EXPECT_TRUE(w.chkCustom_Temporary.Checked());
    EXPECT_TRUE(w.chkCustom_Temporary.Enabled());
    EXPECT_FALSE(w.chkXPmenu.Checked());
    EXPECT_TRUE(w.chkInTray.Checked());
    // Loading writes nothing.
    EXPECT_EQ(RegValueNames(key).size(), 8u);
}

TEST_F(MainWindowTest, PositionRestoreBounds) {
    const std::string key = SettingsKey();
    fx.state.SettingsKey = key;
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    struct Row {
        const char* top;
        const char* left;
        int wantTop, wantLeft;
    };
    const Row rows[] = {
        {"0", "0", 0, 0},  {"-1", "10", 94, 10},     {nullptr, nullptr, 94, 179},
        {"", "", 94, 179}, {"100000", "25", 94, 25},
    };
    for (const auto& row : rows) {
        RegDeleteTree(key);
        if (row.top) RegSetString(key, "MainTop", row.top);
        if (row.left) RegSetString(key, "MainLeft", row.left);
        TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
        EXPECT_EQ(w.Top(), row.wantTop) << (row.top ? row.top : "-");
        EXPECT_EQ(w.Left(), row.wantLeft) << (row.left ? row.left : "-");
        fx.app.DestroyForm(w);
    }
    RegDeleteTree(key);
    RegSetString(key, "MainTop", std::to_string(screenH));
    TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
    EXPECT_EQ(w.Top(), 94);
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(MainWindowTest, BadStoredValuesAreReportedAndTheLoadingGoesOn) {
    const std::string key = SettingsKey();
    fx.state.SettingsKey = key;
    RegSetString(key, "MainTop", "abc");
    RegSetString(key, "MainLeft", "25");
    RegSetString(key, texts::ValClearCookies.Text(), "1");
    RegSetDword(key, texts::ValClearTemp.Text(), 1);
    RegSetString(key, texts::ValExecuteClearStart.Text(), "1");
    RegSetString(key, "Check In Tray", "1");
    TForm1& w = Create();
    ASSERT_EQ(fx.recorded.boxes.size(), 2u);
    EXPECT_EQ(fx.recorded.boxes[0].text, "'abc' is not a valid integer value.");
    EXPECT_EQ(fx.recorded.boxes[0].flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(fx.recorded.boxes[1].text, "Invalid data type for '" + texts::ValClearTemp.Text() + "'.");
    EXPECT_EQ(fx.app.FindFormByCaption(kProgramName), &w);
    EXPECT_EQ(w.Top(), 94);
    EXPECT_EQ(w.Left(), 25);
    EXPECT_TRUE(w.chkClearCookies.Checked());
    EXPECT_FALSE(w.chkClearTemp.Checked());
    EXPECT_TRUE(w.chkExecuteClearStart.Checked());
    EXPECT_TRUE(w.chkInTray.Checked());
    EXPECT_TRUE(w.rbtnClearAll.Enabled());  // the enabling rules were applied
    EXPECT_FALSE(w.chkCustom_Cookies.Enabled());
    EXPECT_EQ(w.PageControl1.ActivePage(), &w.TabMain);
}

TEST_F(MainWindowTest, ExitClosesLikeTheTitleBarButton) {
    fx.state.SettingsKey = SettingsKey();
    TForm1& w = Create();
    w.Show();
    w.SetLeft(33);
    w.SetTop(44);
    w.btnExit.Click();
    EXPECT_EQ(RegGetString(SettingsKey(), "MainTop"), "44");
    EXPECT_EQ(RegGetString(SettingsKey(), "MainLeft"), "33");
    EXPECT_TRUE(fx.app.Terminated());
    EXPECT_FALSE(w.IsShowing());

    ProgramFixture tray;
    tray.state.SettingsKey = SettingsKey();
    tray.state.TrayMode = true;
    TForm1& t = tray.app.CreateForm<TForm1>(tray.state);
    t.Show();
    SendMessageA(t.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(tray.app.Terminated());
    EXPECT_FALSE(t.IsShowing());
    EXPECT_EQ(tray.app.FindFormByCaption(kProgramName), &t);
}

TEST_F(MainWindowTest, HelpButtonOpensTheHelpFile) {
    TempDir dir;
    fx.state.ProgramFolder = dir.Path();
    std::vector<std::string> opened;
    fx.state.platform.shellOpen = [&](HWND, const std::string& f) {
        opened.push_back(f);
        return INT_PTR(42);
    };
    TForm1& w = Create();
    w.btnHelp.Click();
    ASSERT_EQ(fx.recorded.boxes.size(), 1u);
    EXPECT_EQ(fx.recorded.boxes[0].text, texts::HelpMissing.Text());
    WriteFile(dir / "PurgeletHlp.htm");
    w.btnHelp.Click();
    EXPECT_EQ(opened, std::vector<std::string>{dir / "PurgeletHlp.htm"});
}
