// Kept sites across the three stores of cookies - the URL cache (made through
// WinInet), an Edge and a Firefox profile - through "Clear All" with the
// browsers included, the cookie manager's keep flags, and the command; and a
// list that cannot be read, which keeps every cookie, and a name in it that
// earlier versions took and that is no site.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "base/Text.h"
#include "cleaner/iecache/UrlCacheEntries.h"
#include "command/CommandTestSupport.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {

const std::string kTop = "C:\\purgelet-kept-sites\\", kLocal = kTop + "Local\\", kRoaming = kTop + "Roaming\\";
const std::string kEdge = kLocal + "Microsoft\\Edge\\User Data\\Default\\";
const std::string kFirefox = kRoaming + "Mozilla\\Firefox\\p\\";
const char* const kHosts[] = {"example.org", "www.example.org", "badexample.org", "other.net"};

class KeptSitesTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        RemoveTree(kTop);
        ClearUrlCache();
        MakeDir(kEdge + "Network");
        MakeDir(kFirefox);
        MakeDir(kTop + "temp");
        SetEnvironmentVariableA("TMP", (kTop + "temp").c_str());  // this test's process only
        WriteFile(kRoaming + "Mozilla\\Firefox\\profiles.ini", "[Profile0]\nName=release\nIsRelative=1\nPath=p\n");
        // Only the cookies of the browsers are cleared with them.
        for (const char* item : {"BrowserCache", "BrowserHistory"}) RegSetString(SettingsKey(), item, "0");
        RegSetString(SettingsKey(), "IncludeBrowsers", "1");
        RegSetString(KeepKey(), "example.org", "1");
        LayCookies();
    }
    void TearDown() override {
        RegDeleteTree(SettingsKey());
        RemoveTree(kTop);
        ClearUrlCache();
    }
    static std::string KeepKey() { return SettingsKey() + "\\CookiesInfoKeep"; }
    static void LayCookies() {
        std::string chromium = "CREATE TABLE IF NOT EXISTS cookies(host_key TEXT, name TEXT); DELETE FROM cookies;";
        std::string firefox =
            "CREATE TABLE IF NOT EXISTS moz_cookies(id INTEGER PRIMARY KEY, host TEXT, name TEXT); DELETE FROM "
            "moz_cookies;";
        for (const char* host : kHosts) {
            ASSERT_TRUE(InternetSetCookieA(("http://" + std::string(host) + "/").c_str(), nullptr,
                                           "id=1; expires=Fri, 31-Dec-2037 23:59:59 GMT"));
            chromium += "INSERT INTO cookies VALUES ('." + std::string(host) + "', 'id');";
            firefox += "INSERT INTO moz_cookies(host, name) VALUES ('" + std::string(host) + "', 'id');";
        }
        SqlLastValue(kEdge + "Network\\Cookies", chromium);
        SqlLastValue(kFirefox + "cookies.sqlite", firefox);
    }
    // The hosts whose cookies are left in each store: the URL cache (whose
    // entries' files must be left too), Edge, Firefox.
    static std::vector<std::string> Left() {
        std::vector<std::string> hosts;
        WalkUrlCache([&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
            const std::string name = entry.lpszSourceUrlName;
            if (name.rfind("Cookie:", 0) != 0) return true;
            EXPECT_TRUE(entry.lpszLocalFileName && Exists(entry.lpszLocalFileName)) << name;
            hosts.push_back(name.substr(name.find('@') + 1));
            return true;
        });
        std::sort(hosts.begin(), hosts.end());
        std::string cache;
        for (std::string& host : hosts) {
            if (host.ends_with('/')) host.pop_back();
            cache += (cache.empty() ? "" : ",") + host;
        }
        return {cache, SqlLastValue(kEdge + "Network\\Cookies", "SELECT group_concat(host_key) FROM cookies"),
                SqlLastValue(kFirefox + "cookies.sqlite", "SELECT group_concat(host) FROM moz_cookies")};
    }
    static void SteerFolders(Platform& platform) {
        platform.knownFolderPath = [](REFKNOWNFOLDERID id) {
            if (IsEqualGUID(id, FOLDERID_LocalAppData)) return Widen(kLocal);
            if (IsEqualGUID(id, FOLDERID_RoamingAppData)) return Widen(kRoaming);
            return IsEqualGUID(id, FOLDERID_Profile) ? Widen(kTop + "profile\\") : std::wstring();
        };
    }
    // The window's "Clear All" (the browsers included); the log it wrote.
    static std::vector<std::string> ClearAllInWindow() {
        ProgramFixture fx;
        fx.state.SettingsKey = SettingsKey();
        fx.state.WindowsFolder = kTop + "WINDOWS\\";
        SteerFolders(fx.state.platform);
        MakeDir(kTop + "profile");
        TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
        fx.app.CreateForm<TMainForm>(fx.state);
        w.btnClearAll.Click();
        EXPECT_TRUE(fx.recorded.boxes.empty());
        return WithoutRemovedLines(w.Log().Lines());
    }
    static int Command(command_tests::Captured& out) {
        CleaningSite site = SiteOfThisSystem();
        SteerFolders(site.platform);
        return RunCommand({L"clear", L"cookies", L"browser-cookies", L"--json"}, site, SettingsKey(), out);
    }
    const std::vector<std::string> kKeptOnly = {"example.org,www.example.org", ".example.org,.www.example.org",
                                                "example.org,www.example.org"};
};

}  // namespace

TEST_F(KeptSitesTest, TheKeptSitesCookiesStayInEveryStoreAndTheirFlagsShow) {
    const std::vector<std::string> log = ClearAllInWindow();
    EXPECT_EQ(Left(), kKeptOnly);
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
        return line.find("Edge (Default): 2 cookies, 2 kept") != std::string::npos;
    })) << ::testing::PrintToString(log);

    // The command keeps them as well, and counts what it kept.
    LayCookies();
    command_tests::Captured out;
    EXPECT_EQ(Command(out), kExitDone) << out.err;
    EXPECT_EQ(Left(), kKeptOnly);
    for (const std::string& file : {kEdge + "Network\\Cookies", kFirefox + "cookies.sqlite"})
        EXPECT_EQ(SqlLastValue(file, "PRAGMA integrity_check"), "ok") << file;
    const auto json = nlohmann::json::parse(out.out);
    EXPECT_EQ(json["categories"][0]["keptCookies"], 2);
    EXPECT_EQ(json["categories"][1]["keptCookies"], 4);

    // Flags: a refresh of a new cookie manager marks the kept sites' rows;
    // "Set No to Keep" takes the site out of the list, "Set Yes to Keep" puts
    // a row's host in.
    LayCookies();
    ProgramFixture fx;
    fx.state.SettingsKey = SettingsKey();
    TMainForm& manager = fx.app.CreateForm<TMainForm>(fx.state);
    manager.SetVar_CacheEntryType(kCookieEntriesKind);
    manager.btnRefresh.Click();
    std::vector<std::string> yes;
    for (int i = 0; i < manager.lvCookies.Count(); ++i)
        if (manager.lvCookies.Item(i).Text(kColKeep) == kKeepYes) yes.push_back(manager.lvCookies.Item(i).caption);
    std::sort(yes.begin(), yes.end());
    EXPECT_EQ(yes, (std::vector<std::string>{"example.org", "www.example.org"}));
    for (int i = 0; i < manager.lvCookies.Count(); ++i)
        manager.lvCookies.SetSelected(i, manager.lvCookies.Item(i).caption == "www.example.org");
    manager.smSetNo.Click();
    EXPECT_EQ(RegValueNames(KeepKey()), std::vector<std::string>{});
    for (int i = 0; i < manager.lvCookies.Count(); ++i)
        manager.lvCookies.SetSelected(i, manager.lvCookies.Item(i).caption == "other.net");
    manager.smSetYes.Click();
    EXPECT_EQ(RegValueNames(KeepKey()), std::vector<std::string>{"other.net"});
}

// A value that is no text, and a key that denies reading: no cookie goes,
// and the log and the command say why.
TEST_F(KeptSitesTest, AListThatCannotBeReadKeepsEveryCookie) {
    const std::vector<std::string> all = Left();
    RegSetDword(KeepKey(), "other.net", 1);
    const std::vector<std::string> log = ClearAllInWindow();
    EXPECT_EQ(Left(), all);
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) {
                                return line.rfind("No cookie was deleted: ", 0) == 0 &&
                                       line.find("'other.net'") != std::string::npos &&
                                       line.find("REG_DWORD") != std::string::npos;
                            }),
              2)
        << ::testing::PrintToString(log);  // the cache's cookies and the browsers'

    RegDeleteTree(KeepKey());
    DeniedKey denied(KeepKey());
    ASSERT_TRUE(denied.Denied());
    command_tests::Captured out;
    EXPECT_EQ(Command(out), kExitKept);
    EXPECT_EQ(Left(), all);
    EXPECT_NE(out.err.find("cannot be read"), std::string::npos) << out.err;
}

// A public suffix that an earlier version stored (the list then keeps every
// cookie): "Set No to Keep" on a cookie below it takes it out.
TEST_F(KeptSitesTest, AStoredPublicSuffixIsTakenOutBySetNoOnACookieBelowIt) {
    RegSetString(KeepKey(), "org", "1");
    ProgramFixture fx;
    fx.state.SettingsKey = SettingsKey();
    TMainForm& manager = fx.app.CreateForm<TMainForm>(fx.state);
    manager.SetVar_CacheEntryType(kCookieEntriesKind);
    manager.btnRefresh.Click();
    for (int i = 0; i < manager.lvCookies.Count(); ++i)
        manager.lvCookies.SetSelected(i, manager.lvCookies.Item(i).caption == "badexample.org");
    manager.smSetNo.Click();
    EXPECT_EQ(RegValueNames(KeepKey()), std::vector<std::string>{"example.org"});
}
