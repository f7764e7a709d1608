// The Browsers page over an Edge and a Firefox profile laid out in the test's
// own application data folders: the preview, the stored boxes, the clearing,
// and the mode runs that take the browsers when asked to.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "cleaner/Browsers.h"
#include "cookies/CookieListWindow.h"
#include "core/Texts.h"
#include "mainwindow/MainWindow.h"
#include "support/Input.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;
using Lines = std::vector<std::string>;

namespace {

const std::string kTop = "C:\\purgelet-browsers-page\\";
const std::string kLocal = kTop + "Local\\", kRoaming = kTop + "Roaming\\";
const std::string kEdgeCache = kLocal + "Microsoft\\Edge\\User Data\\Default\\Cache\\Cache_Data\\f1";
const std::string kFirefoxCache = kLocal + "Mozilla\\Firefox\\Profiles\\x.default-release\\cache2\\entries\\e1";

void WriteIn(const std::string& file, const std::string& content) {
    MakeDir(file.substr(0, file.find_last_of('\\')));
    WriteFile(file, content);
}

class BrowsersPage : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        RemoveTree(kTop);
        WriteIn(kLocal + "Microsoft\\Edge\\User Data\\Local State",
                R"({"profile": {"info_cache": {"Default": {"name": "Default"}}}})");
        WriteIn(kRoaming + "Mozilla\\Firefox\\profiles.ini",
                "[Profile0]\nName=default-release\nIsRelative=1\nPath=Profiles/x.default-release\n");
        MakeDir(kRoaming + "Mozilla\\Firefox\\Profiles\\x.default-release");
        LayCaches();
        // The other runs' folders are the test's own too.
        MakeDir(kTop + "profile");
        MakeDir(kTop + "temp");
        MakeDir(kTop + "WINDOWS\\Temp");
        GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
        SetEnvironmentVariableA("TMP", (kTop + "temp").c_str());
        fx.state.SettingsKey = SettingsKey();
        fx.state.WindowsFolder = kTop + "WINDOWS\\";
        fx.state.platform.knownFolderPath = [](REFKNOWNFOLDERID id) {
            if (IsEqualGUID(id, FOLDERID_LocalAppData)) return Widen(kLocal);
            if (IsEqualGUID(id, FOLDERID_RoamingAppData)) return Widen(kRoaming);
            return IsEqualGUID(id, FOLDERID_Profile) ? Widen(kTop + "profile\\") : std::wstring();
        };
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TMP", savedTmp);
        RemoveTree(kTop);
        RegDeleteTree(SettingsKey());
    }
    static void LayCaches() {
        WriteIn(kEdgeCache, std::string(100, 'e'));
        WriteIn(kLocal + "Microsoft\\Edge\\User Data\\Default\\Code Cache\\js\\i", std::string(50, 'e'));
        WriteIn(kFirefoxCache, std::string(30, 'f'));
    }
    TForm1& Create() {
        TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
        fx.app.CreateForm<TMainForm>(fx.state);
        return w;
    }
    // The row of the profile whose label begins with the browser's name.
    static int RowOf(TForm1& w, const std::string& browser) {
        for (int i = 0; i < w.lvBrowsers.Count(); ++i)
            if (w.lvBrowsers.Item(i).caption.rfind(browser, 0) == 0) return i;
        return -1;
    }

    ProgramFixture fx;
    wchar_t savedTmp[MAX_PATH] = {};
};

}  // namespace

TEST_F(BrowsersPage, PreviewBoxesAndClearing) {
    TForm1& w = Create();
    ASSERT_EQ(w.lvBrowsers.Count(), 2);
    const int edge = RowOf(w, "Edge"), firefox = RowOf(w, "Firefox");
    ASSERT_GE(edge, 0);
    ASSERT_GE(firefox, 0);
    EXPECT_TRUE(w.lvBrowsers.Checked(edge) && w.lvBrowsers.Checked(firefox));

    w.btnPreviewBrowsers.Click();
    EXPECT_EQ(w.lvBrowsers.Item(edge).Text(1), "2 files, 150 bytes");
    EXPECT_EQ(w.lvBrowsers.Item(firefox).Text(1), "1 file, 30 bytes");
    EXPECT_TRUE(Exists(kEdgeCache) && Exists(kFirefoxCache));
    EXPECT_FALSE(w.HourglassShown());

    // Unticked by the user: stored at once, and left out of the clearing.
    w.lvBrowsers.SetFocusedIndex(firefox);
    Key(w.lvBrowsers.Handle(), VK_SPACE);
    EXPECT_FALSE(w.lvBrowsers.Checked(firefox));
    const std::string firefoxBox = std::string(texts::ValBrowserProfilePrefix) + "firefox:Profiles/x.default-release";
    EXPECT_EQ(RegGetString(SettingsKey(), firefoxBox), "0");
    w.Log().Add("earlier");
    w.btnClearBrowsers.Click();
    ASSERT_EQ(w.Log().Lines().size(), 1u);
    EXPECT_NE(w.Log().Lines()[0].find("Edge"), std::string::npos);
    EXPECT_NE(w.Log().Lines()[0].find("2 files, 150 bytes"), std::string::npos);
    EXPECT_FALSE(Exists(kEdgeCache));
    EXPECT_TRUE(Exists(kFirefoxCache));
    EXPECT_TRUE(fx.recorded.boxes.empty());

    // The box is loaded as stored.
    w.FillBrowserList();
    EXPECT_FALSE(w.lvBrowsers.Checked(RowOf(w, "Firefox")));

    // No browser: one line that says so, in the list and in the log.
    RemoveTree(kLocal);
    RemoveTree(kRoaming);
    w.FillBrowserList();
    ASSERT_EQ(w.lvBrowsers.Count(), 1);
    EXPECT_EQ(w.lvBrowsers.Item(0).caption, Narrow(kNoBrowserFound));
    w.btnClearBrowsers.Click();
    EXPECT_EQ(w.Log().Lines(), Lines{Narrow(kNoBrowserFound)});
}

TEST_F(BrowsersPage, ClearAllTakesTheBrowsersLastOnlyWhenIncluded) {
    TForm1& w = Create();
    w.btnClearAll.Click();
    const Lines without = w.Log().Lines();
    EXPECT_TRUE(Exists(kEdgeCache) && Exists(kFirefoxCache));

    Click(w.chkIncludeBrowsers.Handle());
    ASSERT_TRUE(w.chkIncludeBrowsers.Checked());
    EXPECT_EQ(RegGetString(SettingsKey(), texts::ValIncludeBrowsers), "1");
    w.btnClearAll.Click();
    const Lines with = w.Log().Lines();
    ASSERT_EQ(with.size(), without.size() + 2);
    EXPECT_EQ(Lines(with.begin(), with.begin() + static_cast<long>(without.size())), without);
    EXPECT_NE(with[without.size()].find("Edge"), std::string::npos);
    EXPECT_NE(with[without.size() + 1].find("Firefox"), std::string::npos);
    EXPECT_FALSE(Exists(kEdgeCache) || Exists(kFirefoxCache));
    EXPECT_FALSE(w.HourglassShown());

    // The custom execution takes them after its categories too.
    LayCaches();
    w.rbtnCustom.SetChecked(true);
    w.ExecuteClearChosen();
    EXPECT_EQ(w.Log().Lines().size(), 2u);
    EXPECT_FALSE(Exists(kEdgeCache) || Exists(kFirefoxCache));
    EXPECT_TRUE(fx.recorded.boxes.empty());
}
