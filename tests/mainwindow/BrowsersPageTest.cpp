// The Browsers page over an Edge and a Firefox profile laid out in the test's
// own application data folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include "base/Text.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"
#include "support/Input.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {
const std::string kTop = "C:\\purgelet-browsers-page\\", kLocal = kTop + "Local\\", kRoaming = kTop + "Roaming\\";
const std::string kEdge = kLocal + "Microsoft\\Edge\\User Data\\";
const std::string kFirefoxCache = kLocal + "Mozilla\\Firefox\\Profiles\\x.default-release\\cache2\\e1";

void WriteIn(const std::string& file, const std::string& content) {
    MakeDir(file.substr(0, file.find_last_of('\\')));
    WriteFile(file, content);
}
void LayCaches() {
    WriteIn(kEdge + "Default\\Cache\\Cache_Data\\f1", std::string(100, 'e'));
    WriteIn(kEdge + "Default\\Code Cache\\js\\i", std::string(50, 'e'));
    WriteIn(kFirefoxCache, std::string(30, 'f'));
}
bool CachesThere() { return Exists(kEdge + "Default\\Cache\\Cache_Data\\f1") && Exists(kFirefoxCache); }
}  // namespace

TEST(BrowsersPage, PreviewBoxesClearingAndClearAll) {
    RegDeleteTree(SettingsKey());
    RemoveTree(kTop);
    WriteIn(kEdge + "Local State", R"({"profile": {"info_cache": {"Default": {"name": "Default"}}}})");
    WriteIn(kRoaming + "Mozilla\\Firefox\\profiles.ini",
            "[Profile0]\nName=default-release\nIsRelative=1\nPath=Profiles/x.default-release\n");
    MakeDir(kRoaming + "Mozilla\\Firefox\\Profiles\\x.default-release");
    LayCaches();
    // The other categories clear the test's own folders.
    MakeDir(kTop + "profile");
    MakeDir(kTop + "temp");
    wchar_t tmp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
    SetEnvironmentVariableA("TMP", (kTop + "temp").c_str());
    ProgramFixture fx;
    fx.state.SettingsKey = SettingsKey();
    fx.state.WindowsFolder = kTop + "WINDOWS\\";
    fx.state.platform.knownFolderPath = [](REFKNOWNFOLDERID id) {
        if (IsEqualGUID(id, FOLDERID_LocalAppData)) return Widen(kLocal);
        if (IsEqualGUID(id, FOLDERID_RoamingAppData)) return Widen(kRoaming);
        return IsEqualGUID(id, FOLDERID_Profile) ? Widen(kTop + "profile\\") : std::wstring();
    };
    TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
    fx.app.CreateForm<TMainForm>(fx.state);
    ASSERT_EQ(w.lvBrowsers.Count(), 2);  // Edge, then Firefox
    EXPECT_TRUE(w.lvBrowsers.Checked(0) && w.lvBrowsers.Checked(1));

    w.btnPreviewBrowsers.Click();
    EXPECT_EQ(w.lvBrowsers.Item(0).Text(1), "2 files, 150 bytes");
    EXPECT_EQ(w.lvBrowsers.Item(1).Text(1), "1 file, 30 bytes");
    EXPECT_TRUE(CachesThere());

    // Clear All takes the browsers last, and only with "Include browsers" on.
    w.btnClearAll.Click();
    const std::vector<std::string> without = w.Log().Lines();
    EXPECT_TRUE(CachesThere());
    Click(w.chkIncludeBrowsers.Handle());
    EXPECT_EQ(RegGetString(SettingsKey(), "IncludeBrowsers"), "1");
    w.btnClearAll.Click();
    std::vector<std::string> with = w.Log().Lines();
    ASSERT_EQ(with.size(), without.size() + 2);
    EXPECT_NE(with.back().find("Firefox"), std::string::npos);
    EXPECT_NE(with[without.size()].find("Edge"), std::string::npos);
    with.resize(without.size());
    EXPECT_EQ(with, without);
    EXPECT_FALSE(Exists(kEdge + "Default\\Cache\\Cache_Data\\f1") || Exists(kFirefoxCache));

    // Unticked by the user: stored at once, and left out.
    LayCaches();
    w.lvBrowsers.SetFocusedIndex(1);
    Key(w.lvBrowsers.Handle(), VK_SPACE);
    EXPECT_EQ(RegGetString(SettingsKey(), "Browser:firefox:Profiles/x.default-release"), "0");
    w.btnClearBrowsers.Click();
    ASSERT_EQ(w.Log().Lines().size(), 1u);
    EXPECT_NE(w.Log().Lines()[0].find("Edge (Default): 2 files, 150 bytes"), std::string::npos);
    EXPECT_TRUE(Exists(kFirefoxCache));
    EXPECT_FALSE(Exists(kEdge + "Default\\Cache\\Cache_Data\\f1"));
    EXPECT_TRUE(fx.recorded.boxes.empty());

    RemoveTree(kTop);
    w.FillBrowserList();
    ASSERT_EQ(w.lvBrowsers.Count(), 1);
    EXPECT_EQ(w.lvBrowsers.Item(0).caption, Narrow(kNoBrowserFound));
    SetEnvironmentVariableW(L"TMP", tmp);
    RegDeleteTree(SettingsKey());
}
