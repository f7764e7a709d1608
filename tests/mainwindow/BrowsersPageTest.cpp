// The Browsers page over an Edge and a Firefox profile laid out in the test's
// own folders, which the other categories clear too; Edge has a history.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "base/Text.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"
#include "support/Input.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

TEST(BrowsersPage, PreviewBoxesClearingAndClearAll) {
    const std::string top = "C:\\purgelet-browsers-page\\", local = top + "Local\\", roaming = top + "Roaming\\";
    const std::string edge = local + "Microsoft\\Edge\\User Data\\", firefox = roaming + "Mozilla\\Firefox\\";
    const std::string edgeCache = edge + "Default\\Cache\\f", firefoxCache = local + "Mozilla\\Firefox\\p\\cache2\\f";
    const auto lay = [](const std::string& file, const std::string& content) {
        MakeDir(file.substr(0, file.find_last_of('\\')));
        WriteFile(file, content);
    };
    RegDeleteTree(SettingsKey());
    RemoveTree(top);
    lay(edge + "Local State", R"({"profile": {"info_cache": {"Default": {"name": "Default"}}}})");
    lay(firefox + "profiles.ini", "[Profile0]\nName=release\nIsRelative=1\nPath=p\n");
    for (const std::string& folder : {firefox + "p", top + "temp", top + "profile"}) MakeDir(folder);
    lay(edgeCache, std::string(100, 'x'));
    lay(edge + "Default\\Code Cache\\i", std::string(50, 'x'));
    lay(firefoxCache, std::string(30, 'x'));
    const std::string history = edge + "Default\\History", visits = "SELECT count(*) FROM visits";
    SqlLastValue(history,
                 "CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT); INSERT INTO urls VALUES (1, 'https://a.test/');"
                 "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER); INSERT INTO visits VALUES (1, 1), (2, 1);");
    RegSetString(SettingsKey(), "BrowserCookies", "0");
    SetEnvironmentVariableA("TMP", (top + "temp").c_str());  // this test's process only
    ProgramFixture fx;
    fx.state.SettingsKey = SettingsKey();
    fx.state.WindowsFolder = top + "WINDOWS\\";
    fx.state.platform.knownFolderPath = [=](REFKNOWNFOLDERID id) {
        if (IsEqualGUID(id, FOLDERID_LocalAppData)) return Widen(local);
        if (IsEqualGUID(id, FOLDERID_RoamingAppData)) return Widen(roaming);
        return IsEqualGUID(id, FOLDERID_Profile) ? Widen(top + "profile\\") : std::wstring();
    };
    TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
    fx.app.CreateForm<TMainForm>(fx.state);
    ASSERT_EQ(w.lvBrowsers.Count(), 2);  // Edge, then Firefox
    EXPECT_TRUE(w.lvBrowsers.Checked(0) && w.lvBrowsers.Checked(1));
    // The Main page names them, with the same box as "Include browsers", off at first.
    EXPECT_EQ(w.chkMainBrowsers.Caption(), "Browsers: Edge, Firefox");
    EXPECT_FALSE(w.chkMainBrowsers.Checked() || w.chkIncludeBrowsers.Checked());
    EXPECT_TRUE(w.chkBrowserCache.Checked() && w.chkBrowserHistory.Checked());
    EXPECT_FALSE(w.chkBrowserCookies.Checked() || w.chkBrowserForms.Checked() || w.chkBrowserSessions.Checked());

    w.btnPreviewBrowsers.Click();
    EXPECT_EQ(w.lvBrowsers.Item(0).Text(1), "cache: 2 files, 150 bytes; history: 2 visits (3 rows)");
    EXPECT_EQ(w.lvBrowsers.Item(1).Text(1).rfind("cache: 1 file, 30 bytes; history: ", 0), 0u);
    w.btnClearAll.Click();
    const std::vector<std::string> without = WithoutRemovedLines(w.Log().Lines());
    EXPECT_TRUE(Exists(edgeCache) && Exists(firefoxCache));

    // History unticked: only the caches go.
    Click(w.chkBrowserHistory.Handle());
    EXPECT_EQ(RegGetString(SettingsKey(), "BrowserHistory"), "0");
    Click(w.chkMainBrowsers.Handle());
    EXPECT_EQ(RegGetString(SettingsKey(), "IncludeBrowsers"), "1");
    EXPECT_TRUE(w.chkIncludeBrowsers.Checked());
    w.btnClearAll.Click();
    std::vector<std::string> with = WithoutRemovedLines(w.Log().Lines());
    ASSERT_EQ(with.size(), without.size() + 2);
    EXPECT_NE(with.back().find("Firefox (release): 1 file, 30 bytes"), std::string::npos);
    with.pop_back();
    EXPECT_NE(with.back().find("Edge (Default): 2 files, 150 bytes"), std::string::npos);
    with.pop_back();
    EXPECT_EQ(with, without);
    EXPECT_FALSE(Exists(edgeCache) || Exists(firefoxCache));
    EXPECT_EQ(SqlLastValue(history, visits), "2");

    // History ticked again, Firefox unticked by the user: stored at once, and left out.
    lay(edgeCache, std::string(100, 'x'));
    lay(firefoxCache, std::string(30, 'x'));
    Click(w.chkBrowserHistory.Handle());
    w.lvBrowsers.SetFocusedIndex(1);
    Key(w.lvBrowsers.Handle(), VK_SPACE);
    EXPECT_EQ(RegGetString(SettingsKey(), "Browser:firefox:p"), "0");
    w.btnClearBrowsers.Click();
    ASSERT_EQ(WithoutRemovedLines(w.Log().Lines()).size(), 1u) << "one line for the profile";
    EXPECT_NE(WithoutRemovedLines(w.Log().Lines())[0].find(
                  "Edge (Default): the cache 1 file, 100 bytes; the history 2 visits"),
              std::string::npos)
        << WithoutRemovedLines(w.Log().Lines())[0];
    EXPECT_TRUE(Exists(firefoxCache) && !Exists(edgeCache));
    EXPECT_EQ(SqlLastValue(history, visits), "0");
    EXPECT_TRUE(fx.recorded.boxes.empty());

    RemoveTree(top);
    w.FillBrowserList();
    EXPECT_EQ(w.lvBrowsers.Item(0).caption, Narrow(kNoBrowserFound));
    RegDeleteTree(SettingsKey());
}
