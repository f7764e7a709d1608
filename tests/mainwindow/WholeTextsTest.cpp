// Every list that shows a path, a profile or a site shows it whole: a name
// outside the code page is read back from the window as it was written, a
// result longer than its column widens it, and a log line longer than the
// log scrolls sideways.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "base/Text.h"
#include "cookies/CookieListWindow.h"
#include "cookies/KeptSitesDialog.h"
#include "mainwindow/MainWindow.h"
#include "support/Input.h"
#include "support/Layout.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {

// "Семья · 家庭": a family's profile, in Russian and Chinese.
const std::wstring kFamily = L"\u0421\u0435\u043c\u044c\u044f \u00b7 \u5bb6\u5ead";

class WholeTexts : public ::testing::Test {
protected:
    void SetUp() override {
        LayOut();
        MakeDir(top + "profile");
        fx.state.SettingsKey = SettingsKey();
        fx.state.WindowsFolder = top + "WINDOWS\\";
        const std::string l = local, r = roaming, p = top + "profile\\";
        fx.state.platform.knownFolderPath = [=](REFKNOWNFOLDERID id) {
            if (IsEqualGUID(id, FOLDERID_LocalAppData)) return Widen(l);
            if (IsEqualGUID(id, FOLDERID_RoamingAppData)) return Widen(r);
            return IsEqualGUID(id, FOLDERID_Profile) ? Widen(p) : std::wstring();
        };
    }
    // Edge with one profile, its cache, history and cookies; no setting stored.
    void LayOut() {
        RegDeleteTree(SettingsKey());
        RemoveTree(local);
        const std::string edge = local + "Microsoft\\Edge\\User Data\\";
        MakeDir(edge + "Default\\Cache");
        MakeDir(edge + "Default\\Network");
        WriteFile(edge + "Local State",
                  "{\"profile\": {\"info_cache\": {\"Default\": {\"name\": \"" + Utf8(kFamily) + "\"}}}}");
        WriteFile(edge + "Default\\Cache\\f", std::string(1234, 'x'));
        // A history whose visit count runs the preview's text past any column.
        SqlLastValue(
            edge + "Default\\History",
            "CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT); INSERT INTO urls VALUES (1, 'https://a.test/');"
            "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER); INSERT INTO visits VALUES (1, 1);"
            "CREATE TABLE keyword_search_terms(keyword_id INTEGER, url_id INTEGER, term TEXT);"
            "INSERT INTO keyword_search_terms VALUES (1, 1, 'x');");
        SqlLastValue(edge + "Default\\Network\\Cookies",
                     "CREATE TABLE cookies(creation_utc INTEGER, host_key TEXT, name TEXT, value TEXT,"
                     " encrypted_value BLOB, path TEXT); INSERT INTO cookies VALUES (1, '.family.test', 'id', '',"
                     " x'76', '/')");
    }
    void TearDown() override {
        RemoveTree(top);
        RegDeleteTree(SettingsKey());
    }

    const std::string top = "C:\\purgelet-whole-texts\\", local = top + "Local\\", roaming = top + "Roaming\\";
    ProgramFixture fx;
};

}  // namespace

TEST_F(WholeTexts, ProfilesSitesAndResultsShowWhole) {
    for (int dpi : {96, 144}) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " dpi");
        LayOut();
        fx.app.SetDpi(dpi);
        TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
        const HWND list = w.lvBrowsers.Handle();
        ASSERT_EQ(w.lvBrowsers.Count(), 1);
        EXPECT_EQ(CellText(list, 0, 0), L"Edge \u2014 " + kFamily);

        // The preview's text widens its column, and a total row follows.
        Click(w.chkBrowserForms.Handle());
        w.btnPreviewBrowsers.Click();
        ASSERT_EQ(w.lvBrowsers.Count(), 2);
        const std::wstring preview = CellText(list, 0, 1);
        EXPECT_EQ(preview.rfind(L"cache: 1 file, 1.2 KB; cookies: 1 cookie; history: 1 visit (3 rows)", 0), 0u)
            << Utf8(preview);
        EXPECT_GT(preview.size(), 60u);
        EXPECT_EQ(CellText(list, 1, 0), L"Total");
        EXPECT_EQ(CellText(list, 1, 1), L"1 file, 1.2 KB; 4 database rows");
        EXPECT_EQ(CutCell(list), "");
        // What went shows where the preview was.
        w.btnClearBrowsers.Click();
        EXPECT_EQ(CellText(list, 0, 1).rfind(L"cache: 1 file, 1.2 KB; cookies: 1 cookie; history: 1 visit", 0), 0u)
            << Utf8(CellText(list, 0, 1));
        EXPECT_EQ(CellText(list, 1, 1), L"1 file, 1.2 KB; 4 database rows");
        EXPECT_EQ(CutCell(list), "");

        // A log line of 230 characters scrolls sideways, whole.
        const std::string longLine = "Skipped clearing of user's Temp (" + std::string(180, 'd') + "): it is a link";
        w.Log().Add(longLine);
        SIZE size{};
        {
            HDC dc = GetDC(w.ListBox1.Handle());
            HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(w.ListBox1.Handle(), WM_GETFONT, 0, 0)));
            GetTextExtentPoint32A(dc, longLine.c_str(), static_cast<int>(longLine.size()), &size);
            SelectObject(dc, old);
            ReleaseDC(w.ListBox1.Handle(), dc);
        }
        EXPECT_GE(SendMessageA(w.ListBox1.Handle(), LB_GETHORIZONTALEXTENT, 0, 0), size.cx);
        EXPECT_TRUE(GetWindowLongA(w.ListBox1.Handle(), GWL_STYLE) & WS_HSCROLL);
        w.Log().Clear();
        EXPECT_EQ(SendMessageA(w.ListBox1.Handle(), LB_GETHORIZONTALEXTENT, 0, 0), 0);
        fx.app.DestroyForm(w);
    }
}

TEST_F(WholeTexts, AddFromCookiesNamesEveryPlaceWhole) {
    bool found = false;
    fx.app.CreateForm<TForm1>(fx.state);  // finds the system's folders, as at start
    for (const SiteWithCookies& site : SitesWithCookies(fx.state.site)) {
        if (site.site != "family.test") continue;
        found = true;
        EXPECT_EQ(site.where, std::vector<std::wstring>{L"Edge \u2014 " + kFamily});
    }
    EXPECT_TRUE(found);
    const std::wstring where = L"Internet Explorer, Edge \u2014 " + kFamily + L", Firefox \u2014 " +
                               std::wstring(60, L'\u00e9') + L", Chrome \u2014 Profile 1";
    TCookieSites& pick = fx.app.CreateForm<TCookieSites>(
        std::vector<SiteWithCookies>{{"family.test",
                                      3,
                                      {L"Internet Explorer", L"Edge \u2014 " + kFamily,
                                       L"Firefox \u2014 " + std::wstring(60, L'\u00e9'), L"Chrome \u2014 Profile 1"}}},
        std::vector<std::string>{});
    EXPECT_EQ(CellText(pick.lvCookieSites.Handle(), 0, 2), where);
    EXPECT_EQ(CutCell(pick.lvCookieSites.Handle()), "");
}
