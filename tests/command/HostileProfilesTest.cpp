// Browser profiles laid out to mislead the clearing: databases and folders
// that are links or second names of files outside, triggers that reach
// beyond what is cleared, a stale bookmark count, a database held by another
// program, a second clearing at the same time, a hot journal, a read-only
// database, names Windows would change and a list of profiles that is no
// text. Whatever lies outside stays as it was, and a preview says what the
// clear then does.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>
#include <thread>

#include <nlohmann/json.hpp>

#include "cleaner/browsers/Browsers.h"
#include "command/BrowserFixtures.h"
#include "command/Command.h"
#include "command/CommandTestSupport.h"
#include "support/TestSupport.h"

using namespace purgelet;
namespace ts = testing_support;
using namespace command_tests;
using Json = nlohmann::json;

namespace {

const std::string kEdgeData = kLocal + "Microsoft\\Edge\\User Data\\";
const std::string kEdge = kEdgeData + "Default\\";
const std::string kChrome = kLocal + "Google\\Chrome\\User Data\\Default\\";
const std::string kFirefox = kRoaming + "Mozilla\\Firefox\\Profiles\\p.default\\";
const std::string kFirefoxCache = kLocal + "Mozilla\\Firefox\\Profiles\\p.default\\cache2\\";
const std::string kOutside = "C:\\purgelet-outside\\";

const std::vector<std::wstring> kEveryItem = {L"browser-cache", L"browser-cookies", L"browser-history",
                                              L"browser-forms", L"browser-sessions"};

void History(const std::string& file) {
    Make(file,
         "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, data BLOB);"
         "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER);"
         "INSERT INTO urls VALUES (1, 'https://a.test/', x''); INSERT INTO visits VALUES (1, 1), (2, 1)");
}
void Cookies(const std::string& file) {
    Make(file,
         "CREATE TABLE cookies(host_key TEXT, name TEXT); INSERT INTO cookies VALUES ('.a.test', 'id'), ('b.test', "
         "'s')");
}
void WebData(const std::string& file) {
    Make(file,
         "CREATE TABLE autofill(name VARCHAR, value VARCHAR); INSERT INTO autofill VALUES ('q', 'secret');"
         "CREATE TABLE autofill_profiles(guid VARCHAR, city VARCHAR); INSERT INTO autofill_profiles VALUES ('g',"
         " 'Springfield'); CREATE TABLE keywords(id INTEGER PRIMARY KEY, keyword VARCHAR);"
         "INSERT INTO keywords VALUES (1, 's.test')");
}
// Two bookmarked places (the second with a stale count of 0) and one visited only.
void Places(const std::string& file) {
    Make(file,
         "CREATE TABLE moz_origins(id INTEGER PRIMARY KEY, host TEXT);"
         "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url TEXT, visit_count INTEGER, foreign_count INTEGER"
         " DEFAULT 0 NOT NULL, origin_id INTEGER);"
         "CREATE TABLE moz_historyvisits(id INTEGER PRIMARY KEY, place_id INTEGER);"
         "CREATE TABLE moz_bookmarks(id INTEGER PRIMARY KEY, fk INTEGER, title TEXT);"
         "INSERT INTO moz_origins VALUES (1, 'b.test'), (2, 'v.test');"
         "INSERT INTO moz_places VALUES (1, 'https://b.test/1', 2, 1, 1), (2, 'https://b.test/2', 1, 0, 1),"
         " (3, 'https://v.test/', 4, 0, 2);"
         "INSERT INTO moz_historyvisits VALUES (1, 1), (2, 2), (3, 3);"
         "INSERT INTO moz_bookmarks VALUES (1, 1, 'one'), (2, 2, 'two')");
}

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

// Each kept item of a document: its path and why it stays.
std::set<std::pair<std::string, std::string>> KeptItems(const Json& document) {
    std::set<std::pair<std::string, std::string>> kept;
    for (const Json& category : document.at("categories"))
        for (const Json& item : category.at("keptItems"))
            kept.emplace(item.at("path").get<std::string>(), item.at("reason").get<std::string>());
    return kept;
}

class HostileProfiles : public ::testing::Test {
protected:
    void SetUp() override {
        ts::RemoveTree(kBrowsersTop);
        ts::RemoveTree(kOutside);
        site = SiteOfThisSystem();
        SteerAppData(site);
        for (const std::string& folder : {kEdge + "Network\\", kChrome, kFirefox, kFirefoxCache, kOutside})
            ts::MakeDir(folder);
        ts::WriteFile(kRoaming + "Mozilla\\Firefox\\profiles.ini",
                      "[Profile0]\nName=default\nIsRelative=1\nPath=Profiles/p.default\n");
        ts::WriteFile(kFirefoxCache + "entry", std::string(50, 'c'));
    }
    void TearDown() override {
        // The tree's removal leaves links alone: the host takes them first.
        std::string arguments;
        for (const std::string& link : links) arguments += "remove " + Quote(link) + " - ";
        if (!links.empty()) EXPECT_TRUE(ts::ReplaceFromHost(kOutside + "removed", arguments));
        ts::RemoveTree(kBrowsersTop);
        ts::RemoveTree(kOutside);
    }

    Json Run(std::vector<std::wstring> args, int expected) {
        output = Captured();
        args.push_back(L"--json");
        EXPECT_EQ(RunCommand(args, site, ts::SettingsKey(), output), expected) << output.err << output.out;
        return Json::parse(output.out, nullptr, false);
    }
    // Runs the preview and then the clear of these arguments: both end with
    // expected and name the same things kept; the clear's document.
    Json PreviewThenClear(std::vector<std::wstring> args, int expected) {
        args.insert(args.begin(), L"preview");
        const Json preview = Run(args, expected);
        args[0] = L"clear";
        const Json clear = Run(args, expected);
        EXPECT_EQ(KeptItems(preview), KeptItems(clear));
        EXPECT_EQ(preview.at("totals").at("rows"), clear.at("totals").at("rows"));
        EXPECT_EQ(preview.at("totals").at("files"), clear.at("totals").at("files"));
        return clear;
    }
    // The contents of every file below kOutside.
    static std::map<std::string, std::string> Outside() {
        std::map<std::string, std::string> files;
        for (const char* name : {"history.db", "webdata.db", "cookies.db", "places.sqlite", "topsites", "net\\Cookies",
                                 "sessions\\Tabs_1", "gpu\\data_0", "profile1\\Cache\\f", "profile1\\History"})
            files[name] = ReadWhole(kOutside + name);
        return files;
    }

    CleaningSite site;
    Captured output;
    std::vector<std::string> links;  // made by the host
};

TEST_F(HostileProfiles, DatabasesAndFoldersReachedThroughLinksStayWithWhatTheyLeadTo) {
    History(kOutside + "history.db");
    WebData(kOutside + "webdata.db");
    Cookies(kOutside + "cookies.db");
    Places(kOutside + "places.sqlite");
    ts::MakeDir(kOutside + "net\\");
    Cookies(kOutside + "net\\Cookies");
    for (const char* file : {"topsites", "sessions\\Tabs_1", "gpu\\data_0", "profile1\\Cache\\f"}) {
        ts::MakeDir((kOutside + file).substr(0, (kOutside + file).find_last_of('\\') + 1));
        ts::WriteFile(kOutside + file, std::string("outside ") + file);
    }
    History(kOutside + "profile1\\History");
    ts::WriteFile(kEdgeData + "Local State",
                  R"({"profile": {"info_cache": {"Default": {"name": "One"}, "Profile 1": {"name": "Two"}}}})");
    const std::string made[][3] = {
        {"symlink", kEdge + "History", "history.db"},
        {"hardlink", kEdge + "Web Data", "webdata.db"},
        {"hardlink", kEdge + "Network\\Cookies", "cookies.db"},
        {"symlink", kEdge + "Top Sites", "topsites"},
        {"symlink", kEdge + "Sessions", "sessions"},
        {"symlink", kEdge + "GPUCache", "gpu"},
        {"symlink", kEdgeData + "Profile 1", "profile1"},
        {"symlink", kChrome + "Network", "net"},
        {"symlink", kFirefox + "places.sqlite", "places.sqlite"},
    };
    std::string arguments;
    for (const auto& [kind, file, target] : made) {
        arguments += "remove " + Quote(file) + " - " + kind + " " + Quote(file) + " " + kOutside + target + " ";
        links.push_back(file);
    }
    ASSERT_TRUE(ts::ReplaceFromHost(kOutside + "done", arguments));
    DeleteFileA((kOutside + "done").c_str());
    const std::map<std::string, std::string> before = Outside();

    std::vector<std::wstring> args = kEveryItem;
    args.push_back(L"--all-profiles");
    const Json clear = PreviewThenClear(args, kExitKept);
    EXPECT_EQ(Outside(), before);
    const auto kept = KeptItems(clear);
    for (const auto& [path, reason] :
         std::vector<std::pair<std::string, std::string>>{{kEdge + "History", "link"},
                                                          {kEdge + "Web Data", "other-names"},
                                                          {kEdge + "Network\\Cookies", "other-names"},
                                                          {kEdge + "Top Sites", "link"},
                                                          {kEdge + "Sessions\\", "refused"},
                                                          {kEdge + "GPUCache\\", "refused"},
                                                          {kEdgeData + "Profile 1\\", "refused"},
                                                          {kChrome + "Network\\Cookies", "link"},
                                                          {kFirefox + "places.sqlite", "link"}})
        EXPECT_EQ(kept.count({path, reason}), 1u) << path << " " << reason << "\n" << output.out;
    // The refusal names where the folder really leads.
    for (const Json& category : clear.at("categories"))
        for (const Json& item : category.at("keptItems"))
            if (item.at("reason") == "refused")
                EXPECT_NE(item.at("really").get<std::string>().find("purgelet-outside"), std::string::npos) << item;
    EXPECT_FALSE(ts::Exists(kFirefoxCache + "entry")) << "what is no link is cleared";
}

TEST_F(HostileProfiles, ATriggerThatReachesFurtherRollsBackAndAStaleCountLosesNoBookmark) {
    Places(kFirefox + "places.sqlite");
    Exec(OpenDatabase(kFirefox + "places.sqlite").Get(),
         "CREATE TRIGGER wipe AFTER DELETE ON moz_places BEGIN DELETE FROM moz_bookmarks; END");
    WebData(kEdge + "Web Data");
    Exec(OpenDatabase(kEdge + "Web Data").Get(),
         "CREATE TRIGGER wipe AFTER DELETE ON autofill BEGIN DELETE FROM autofill_profiles; DELETE FROM keywords;"
         " END");
    const std::string places = ReadWhole(kFirefox + "places.sqlite"), webData = ReadWhole(kEdge + "Web Data");

    const Json clear = PreviewThenClear({L"browser-history", L"browser-forms"}, kExitKept);
    EXPECT_EQ(KeptItems(clear).count({kFirefox + "places.sqlite", "foreign-trigger"}), 1u) << output.out;
    EXPECT_EQ(KeptItems(clear).count({kEdge + "Web Data", "foreign-trigger"}), 1u);
    EXPECT_EQ(ReadWhole(kFirefox + "places.sqlite"), places);
    EXPECT_EQ(ReadWhole(kEdge + "Web Data"), webData);

    // Without the trigger, the place whose count says 0 stays for its bookmark.
    Exec(OpenDatabase(kFirefox + "places.sqlite").Get(), "DROP TRIGGER wipe");
    Run({L"clear", L"browser-history"}, kExitDone);
    const std::string file = kFirefox + "places.sqlite";
    EXPECT_EQ(Query(file, "SELECT b.title || ':' || p.url FROM moz_bookmarks b JOIN moz_places p ON p.id = b.fk"),
              "one:https://b.test/1,two:https://b.test/2");
    EXPECT_EQ(Query(file, "SELECT count(*) FROM moz_places"), "2");
    EXPECT_EQ(Query(file, "SELECT group_concat(host) FROM moz_origins"), "b.test");
    EXPECT_EQ(Query(file, "SELECT count(*) FROM moz_historyvisits"), "0");
}

TEST_F(HostileProfiles, ABusyDatabaseLeavesItsWholeProfileAndASecondClearingWaitsItsTurn) {
    Places(kFirefox + "places.sqlite");
    Make(kFirefox + "cookies.sqlite", "CREATE TABLE moz_cookies(host TEXT); INSERT INTO moz_cookies VALUES ('a.test')");
    Cookies(kEdge + "Network\\Cookies");
    {
        // Another program holds places.sqlite in a transaction of its own.
        SqliteDatabase holder = OpenDatabase(kFirefox + "places.sqlite");
        Exec(holder.Get(), "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; DELETE FROM moz_historyvisits");
        std::vector<std::wstring> args = kEveryItem;
        const Json clear = PreviewThenClear(args, kExitKept);
        for (const std::wstring& item : kEveryItem)
            EXPECT_TRUE(Profile(clear, Utf8(item), "firefox").at("running").get<bool>()) << Utf8(item);
        Exec(holder.Get(), "ROLLBACK");
    }
    EXPECT_TRUE(ts::Exists(kFirefoxCache + "entry")) << "the cache stays with the rest of the profile";
    EXPECT_EQ(Query(kFirefox + "cookies.sqlite", "SELECT count(*) FROM moz_cookies"), "1");
    EXPECT_EQ(Query(kEdge + "Network\\Cookies", "SELECT count(*) FROM cookies"), "0") << "another browser goes";

    // A clearing of Edge's profile goes on elsewhere: this one waits, then
    // says so, and changes nothing.
    Make(kEdge + "Network\\Cookies", "INSERT INTO cookies VALUES ('.a.test', 'id'), ('b.test', 's')");
    BrowserProfile edge;
    edge.browser = Browser::Edge;
    edge.profileFolder = Widen(kEdge);
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr), release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread other([&] {
        ProfileClearing clearing(edge, 0);
        SetEvent(held);
        WaitForSingleObject(release, INFINITE);
    });
    WaitForSingleObject(held, INFINITE);
    const Json second = Run({L"clear", L"browser-cookies", L"--browser", L"edge"}, kExitKept);
    output = Captured();
    RunCommand({L"clear", L"browser-cookies", L"--browser", L"edge"}, site, ts::SettingsKey(), output);
    SetEvent(release);
    other.join();
    CloseHandle(held);
    CloseHandle(release);
    EXPECT_TRUE(Profile(second, "browser-cookies", "edge").at("anotherClearing").get<bool>());
    EXPECT_FALSE(Profile(second, "browser-cookies", "edge").at("running").get<bool>());
    EXPECT_NE(output.out.find("another clearing of Edge (Default) is running"), std::string::npos) << output.out;
    EXPECT_EQ(Query(kEdge + "Network\\Cookies", "SELECT count(*) FROM cookies"), "2");
}

TEST_F(HostileProfiles, APreviewCountsWhatTheClearThenDoesWithAHotJournalAReadOnlyFileAndNoDatabase) {
    // Chrome's History: a crash left its journal hot over a half-written
    // deletion of its 36 pages; the transaction's rows are all there again
    // once it is rolled back.
    const std::string work = kOutside + "hot.db";
    {
        SqliteDatabase db = OpenDatabase(work);
        Exec(db.Get(), "PRAGMA journal_mode=DELETE; CREATE TABLE urls(id INTEGER PRIMARY KEY, data BLOB)");
        for (int i = 0; i < 36; ++i)
            Exec(db.Get(), "INSERT INTO urls VALUES (" + std::to_string(i) + ", zeroblob(4000))");
        Exec(db.Get(), "PRAGMA cache_size=2; BEGIN; DELETE FROM urls");
        ASSERT_TRUE(ts::Exists(work + "-journal"));
        ASSERT_TRUE(CopyFileA(work.c_str(), (kChrome + "History").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((work + "-journal").c_str(), (kChrome + "History-journal").c_str(), FALSE));
        Exec(db.Get(), "ROLLBACK");
    }
    // Edge's Web Data is read-only; Firefox's form history is no database.
    WebData(kEdge + "Web Data");
    SetFileAttributesA((kEdge + "Web Data").c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string webData = ReadWhole(kEdge + "Web Data");
    ts::WriteFile(kFirefox + "formhistory.sqlite", std::string(3000, 'z'));

    const Json clear = PreviewThenClear({L"browser-history", L"browser-forms"}, kExitKept);
    EXPECT_EQ(Profile(clear, "browser-history", "chrome").at("databases").at(0).at("tables").at("urls"), 36);
    EXPECT_EQ(Query(kChrome + "History", "SELECT count(*) FROM urls"), "0");
    EXPECT_EQ(KeptItems(clear).count({kEdge + "Web Data", "database-kept"}), 1u) << output.out;
    EXPECT_EQ(KeptItems(clear).count({kFirefox + "formhistory.sqlite", "not-a-database"}), 1u);
    SetFileAttributesA((kEdge + "Web Data").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadWhole(kEdge + "Web Data"), webData);
}

TEST_F(HostileProfiles, NamesWindowsWouldChangeAreRefusedAndAnUnreadableListIsSaid) {
    // "Default." and "NUL" name no folder of their own; a name with a line
    // break stays on its line.
    ts::WriteFile(kEdgeData + "Local State",
                  "{\"profile\": {\"info_cache\": {\"Default\": {\"name\": \"Line\\nBreak\"}, \"Default.\": {},"
                  " \"NUL\": {}, \"default\": {}}}}");
    ts::MakeDir(kEdge + "Cache\\");
    ts::WriteFile(kEdge + "Cache\\f", std::string(10, 'c'));
    ts::WriteFile(kRoaming + "Mozilla\\Firefox\\profiles.ini", std::string("[Profile0]\0\xff\xfe", 13));

    const Json preview = Run({L"preview", L"browser-cache"}, kExitKept);
    int edgeProfiles = 0;
    for (const Json& p : preview.at("categories").at(0).at("profiles"))
        if (p.at("browser") == "edge") {
            ++edgeProfiles;
            EXPECT_EQ(p.at("name"), "Line Break");
        }
    EXPECT_EQ(edgeProfiles, 1);
    EXPECT_EQ(KeptItems(preview).count({kRoaming + "Mozilla\\Firefox\\", "unreadable"}), 1u) << output.out;

    output = Captured();
    RunCommand({L"preview", L"browser-cache"}, site, ts::SettingsKey(), output);
    EXPECT_EQ(output.out.find("\nBreak"), std::string::npos) << output.out;
    EXPECT_NE(output.out.find("its list of profiles"), std::string::npos) << output.out;
}

}  // namespace
