// The Main page's preview counts what Clear All then removes: one run over
// every category, the browsers included, each category's figures beside its
// box against the lines the clearing adds after its own ("Removed from ...").
#include <gtest/gtest.h>

#include <shlobj.h>

#include <regex>

#include "base/Text.h"
#include "cleaner/RegistryValues.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"
#include "support/Input.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {

const std::string kTop = "C:\\purgelet-main-preview\\", kLocal = kTop + "Local\\";
const std::string kEdge = kLocal + "Microsoft\\Edge\\User Data\\Default\\";

// The numbers a text gives before each of these words ("3 files, 41 bytes").
std::uint64_t NumberBefore(const std::string& text, const std::string& word) {
    std::smatch m;
    const std::regex before("(\\d+) " + word);
    return std::regex_search(text, m, before) ? std::stoull(m[1]) : 0;
}

// The lines of the log that begin so.
std::vector<std::string> LinesStarting(const std::vector<std::string>& lines, const std::string& start) {
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.rfind(start, 0) == 0) found.push_back(line);
    return found;
}

}  // namespace

TEST(MainPreview, TheFiguresBesideEachCategoryAreWhatClearAllRemoves) {
    RegDeleteTree(SettingsKey());
    RemoveTree(kTop);
    ClearUrlCache();
    // Folders of the test's own; every file under 1 KB, so that sizes add up as written.
    const std::pair<std::string, std::size_t> laid[] = {{kTop + "temp\\a.tmp", 10},
                                                        {kTop + "temp\\sub\\b.tmp", 20},
                                                        {kTop + "WINDOWS\\Temp\\w.tmp", 30},
                                                        {kTop + "Recent\\doc.lnk", 5},
                                                        {kTop + "Recent\\two.lnk", 7}};
    for (const auto& [file, size] : laid) {
        MakeDir(file.substr(0, file.find_last_of('\\')));
        WriteFile(file, std::string(size, 'x'));
    }
    RegDeleteTree(kTypedUrlsKey);
    RegDeleteTree(kRunMruKey);
    SetEnvironmentVariableA("TMP", (kTop + "temp").c_str());  // this test's process only
    ASSERT_TRUE(AddCookieEntry("Cookie:tester@one.example/"));
    ASSERT_TRUE(AddCookieEntry("Cookie:tester@two.example/"));
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://one.example/"));
    ASSERT_FALSE(AddNormalEntry("http://one.example/page.htm").empty());
    RegSetString(kTypedUrlsKey, "url1", "http://one.example/");
    RegSetString(kTypedUrlsKey, "url2", "http://two.example/");
    RegSetString(kRunMruKey, "a", "notepad\\1");
    // Edge, taken in by "Include browsers": its cache and its history.
    MakeDir(kEdge + "Cache");
    WriteFile(kEdge + "Cache\\f", std::string(100, 'x'));
    SqlLastValue(kEdge + "History",
                 "CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT); INSERT INTO urls VALUES (1, 'https://a.test/');"
                 "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER); INSERT INTO visits VALUES (1, 1), (2, 1);");
    RegSetString(SettingsKey(), "IncludeBrowsers", "1");

    ProgramFixture fx;
    fx.state.SettingsKey = SettingsKey();
    fx.state.WindowsFolder = kTop + "WINDOWS\\";
    const Platform system;
    fx.state.platform.knownFolderPath = [system](REFKNOWNFOLDERID id) {
        if (IsEqualGUID(id, FOLDERID_LocalAppData)) return Widen(kLocal);
        if (IsEqualGUID(id, FOLDERID_RoamingAppData)) return Widen(kTop + "Roaming\\");
        if (IsEqualGUID(id, FOLDERID_Recent)) return Widen(kTop + "Recent");
        return system.knownFolderPath(id);
    };
    TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
    fx.app.CreateForm<TMainForm>(fx.state);
    ASSERT_TRUE(w.chkMainBrowsers.Checked());

    w.btnPreviewMain.Click();
    const std::string history = w.lblPreviewHistory.Caption(), cache = w.lblPreviewTempInternet.Caption(),
                      cookies = w.lblPreviewCookies.Caption(), typed = w.lblPreviewTypedURLs.Caption(),
                      run = w.lblPreviewTypedWordsInRun.Caption(), temp = w.lblPreviewTemp.Caption(),
                      recent = w.lblPreviewRecent.Caption(), browsers = w.lblPreviewBrowsers.Caption(),
                      total = w.lblPreviewTotal.Caption();
    EXPECT_EQ(history, "1 entry");
    EXPECT_EQ(cookies, "2 entries");
    EXPECT_EQ(typed, "2 values");
    EXPECT_EQ(run, "1 value");
    EXPECT_EQ(recent, "2 files, 12 bytes");
    EXPECT_EQ(temp, "3 files, 60 bytes");
    EXPECT_EQ(browsers, "Browsers: 1 file, 100 bytes, 3 rows");
    EXPECT_EQ(total.rfind("Total: ", 0), 0u) << total;
    EXPECT_TRUE(Exists(kTop + "temp\\a.tmp") && Exists(kEdge + "Cache\\f")) << "a preview changes nothing";

    w.btnClearAll.Click();
    const std::vector<std::string> log = w.Log().Lines();
    std::string shown;
    for (const std::string& line : log) shown += line + "\n";
    SCOPED_TRACE(shown);
    // Each category's line after its own, with what its preview showed.
    const auto after = [&](const std::string& own, const std::string& removed) {
        const auto at = std::find(log.begin(), log.end(), own);
        ASSERT_NE(at, log.end()) << own;
        ASSERT_NE(at + 1, log.end()) << own;
        EXPECT_EQ(*(at + 1), removed);
    };
    after("Executed clearing of user's history links of web sites",
          "Removed from Internet Explorer's history: " + history);
    after("Executed clearing of Cookies", "Removed from Internet Explorer's cookies: " + cookies);
    after("Executed clearing of typed URLs", "Removed from typed URLs: " + typed);
    after("Executed clearing of typed words on Run", "Removed from typed words on Run: " + run);
    after("Executed clearing of history links of documents", "Removed from history links of documents: " + recent);
    // The internet cache: its entries, then its folder's files.
    const std::vector<std::string> cacheLines = LinesStarting(log, "Removed from Internet Explorer's cache: ");
    const std::vector<std::string> cacheFolder = LinesStarting(log, "Removed from temporary internet files: ");
    ASSERT_EQ(cacheLines.size(), 1u);
    ASSERT_EQ(cacheFolder.size(), 1u);
    EXPECT_EQ(cache, cacheLines[0].substr(cacheLines[0].find(": ") + 2) + ", " +
                         cacheFolder[0].substr(cacheFolder[0].find(": ") + 2));
    // Temporary files: two folders, the user's and the Windows one.
    std::uint64_t files = 0, bytes = 0;
    for (const std::string& line : LinesStarting(log, "Removed from ")) {
        if (line.find("Temp: ") == std::string::npos) continue;
        files += NumberBefore(line, "file");
        bytes += NumberBefore(line, "byte");
    }
    EXPECT_EQ("3 files, " + std::to_string(bytes) + " bytes", temp);
    EXPECT_EQ(files, 3u);
    // The browsers: the profile's line names its files and rows.
    const std::vector<std::string> edge = LinesStarting(log, "Cleared Edge");
    ASSERT_EQ(edge.size(), 1u);
    EXPECT_EQ(NumberBefore(edge[0], "file"), NumberBefore(browsers, "file"));
    EXPECT_EQ(NumberBefore(edge[0], "rows"), NumberBefore(browsers, "rows"));
    // And the lines the clearing always wrote are all there, in their order.
    EXPECT_EQ(LinesStarting(log, "Executed clearing of "),
              (std::vector<std::string>{"Executed clearing of user's history links of web sites",
                                        "Executed clearing of temporary internet files", "Executed clearing of Cookies",
                                        "Executed clearing of typed URLs", "Executed clearing of typed words on Run",
                                        "Executed clearing of user's Temp", "Executed clearing of Windows Temp",
                                        "Executed clearing of history links of documents"}));
    EXPECT_FALSE(Exists(kTop + "temp\\a.tmp") || Exists(kEdge + "Cache\\f"));

    RegDeleteTree(SettingsKey());
    RegDeleteTree(kTypedUrlsKey);
    RegDeleteTree(kRunMruKey);
    RemoveTree(kTop);
    ClearUrlCache();
}
