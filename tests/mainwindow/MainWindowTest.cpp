#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <set>

#include "app/Start.h"
#include "core/Texts.h"
#include "mainwindow/MainWindow.h"
#include "support/Layout.h"
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
    void TearDown() override { RegDeleteTree(SettingsKey()); }
    TForm1& Create(int dpi = 96) {
        fx.app.SetDpi(dpi);
        return fx.app.CreateForm<TForm1>(fx.state);
    }
    ProgramFixture fx;
};
}  // namespace

namespace {
// Every control shown lies wholly inside its parent and covers none of its
// shown siblings beyond a shared edge (the pages of a page control share one
// place).
void ExpectLaidOut(const ui::Control& parent) {
    RECT area;
    GetClientRect(parent.Handle(), &area);
    std::vector<std::pair<const ui::Control*, RECT>> placed;
    for (const ui::Control* c : parent.Children()) {
        if (!c->Visible()) continue;
        RECT r = PlaceIn(*c);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= area.right && r.bottom <= area.bottom)
            << c->Name() << " sticks out of " << parent.Name();
        InflateRect(&r, -1, -1);  // the design lets neighbours share their edge
        if (!dynamic_cast<const ui::TabSheet*>(c))
            for (const auto& [other, place] : placed) {
                RECT both;
                EXPECT_FALSE(IntersectRect(&both, &r, &place)) << c->Name() << " covers " << other->Name();
            }
        placed.emplace_back(c, r);
        ExpectLaidOut(*c);
    }
}
}  // namespace

// What the user sees of the window at the design density, below it and
// above it (96, 120 and 144 pixels per inch): five
// pages with captions of their own, the Main page first, nothing cut off or
// covered; the hidden information buttons do nothing; the help text cannot
// be typed over; the bar buttons carry a picture.
TEST_F(MainWindowTest, PagesAndControlsAsTheUserSeesThem) {
    for (int dpi : {96, 120, 144}) {
        SCOPED_TRACE(dpi);
        TForm1& w = Create(dpi);
        EXPECT_EQ(w.Caption(), kProgramName);
        std::set<std::string> captions;
        for (int i = 0; i < TabCtrl_GetItemCount(w.PageControl1.Handle()); ++i) {
            char text[64] = {};
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof(text);
            SendMessageA(w.PageControl1.Handle(), TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            if (*text) captions.insert(text);
        }
        EXPECT_EQ(captions.size(), 5u);
        EXPECT_EQ(w.PageControl1.ActivePage(), &w.TabMain);
        ExpectLaidOut(w);
        // The preview's figures beside the boxes cover none of them.
        w.btnPreviewMain.Click();
        ExpectLaidOut(w);
        // The bold ones draw bold at every density, beside the regular ones of their group.
        const int regular = InkOf(FontHandleOf(w.chkClearHistory));
        for (const ui::Control* bold : std::initializer_list<const ui::Control*>{
                 &w.chkClearTypedWordsInRun, &w.chkClearTemp, &w.chkRecentLinks, &w.chkCustom_Temporary})
            EXPECT_GT(InkOf(FontHandleOf(*bold)), regular * 11 / 10) << bold->Name();
        EXPECT_GT(InkOf(FontHandleOf(w.btnTemporary)), InkOf(FontHandleOf(w.btnClearCookies)) * 11 / 10);
        for (ui::Button* b : {&w.btnInfoCookies, &w.btnInfoOfURLHistory, &w.btnInfoTemIntFiles,
                              &w.btnInfoOfOfflineCache, &w.btnInfoOfOnlineCache}) {
            EXPECT_FALSE(IsWindowVisible(b->Handle())) << b->Name();
            b->Click();
        }
        EXPECT_FALSE(w.chkAutoColResize.Visible() || w.gbSysInfo.Visible());
        const std::string help = w.Memo1.Text();
        SendMessageA(w.Memo1.Handle(), WM_CHAR, 'x', 0);
        EXPECT_EQ(w.Memo1.Text(), help);
        for (ui::Button* b : {&w.btnAbout, &w.btnHelp, &w.btnExit}) {
            BUTTON_IMAGELIST list{};
            SendMessageA(b->Handle(), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
            EXPECT_NE(list.himl, nullptr) << b->Name();
        }
        EXPECT_TRUE(fx.recorded.boxes.empty());
        EXPECT_EQ(fx.app.Forms().size(), 2u) << "a hidden button opened a window";
        fx.app.DestroyForm(w);
    }
}

TEST_F(MainWindowTest, OpeningLinesHelpTextAndSystemLabels) {
    TForm1& w = Create();
    // The opening lines themselves: ActivityLogTest; here they carry today.
    SYSTEMTIME today;
    GetLocalTime(&today);
    ASSERT_FALSE(w.Log().Lines().empty());
    EXPECT_NE(w.Log().Lines().back().find(FormatLogDate(today)), std::string::npos);

    const std::string text = w.Memo1.Text();
    EXPECT_EQ(text.rfind(" Visit Ovk's home page to get more freewares!\r\n\r\nMain :\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nHistory Links Of Doc = History links of documents. \r\n"), std::string::npos);
    EXPECT_NE(text.find("(take effect when Windows starts next time)\r\n\r\n\r\nSettings :\r\n"), std::string::npos);
    const std::string end = "it will skip the checks and has no harm!";
    ASSERT_GT(text.size(), end.size());
    EXPECT_EQ(text.substr(text.size() - end.size()), end);  // no line break after the last line
    std::size_t lines = 1;
    for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++lines;
    EXPECT_EQ(lines, 34u);
    EXPECT_NE(text.find("\r\nBrowsers :\r\n\r\nBrowsers page = "), std::string::npos);
    EXPECT_NE(text.find("\r\n\r\nKept sites = "), std::string::npos);

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

// The opener itself: StartupTest.
TEST_F(MainWindowTest, HelpButtonOpensTheHelpFile) {
    TempDir dir;
    fx.state.ProgramFolder = dir.Path();
    WriteFile(dir / "PurgeletHlp.htm");
    std::vector<std::string> opened;
    fx.state.platform.shellOpen = [&](HWND, const std::string& f) {
        opened.push_back(f);
        return INT_PTR(42);
    };
    Create().btnHelp.Click();
    EXPECT_EQ(opened, std::vector<std::string>{dir / "PurgeletHlp.htm"});
}
