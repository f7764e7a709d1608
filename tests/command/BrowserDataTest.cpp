// The browsers' databases through the command: fixture profiles whose
// databases are made here with the same SQLite library, cleared row by row
// with bookmarks, addresses and passwords left as they were; locked, damaged
// and incomplete databases.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

#include <nlohmann/json.hpp>

#include "base/Sqlite.h"
#include "command/Command.h"
#include "command/BrowserFixtures.h"
#include "command/CommandTestSupport.h"
#include "support/TestSupport.h"

using namespace purgelet;
namespace ts = testing_support;
using namespace command_tests;
using Json = nlohmann::json;

namespace {

const std::string kTop = kBrowsersTop;
const std::string kEdge = kLocal + "Microsoft\\Edge\\User Data\\Default\\";
const std::string kChrome = kLocal + "Google\\Chrome\\User Data\\Default\\";
const std::string kFirefox = kRoaming + "Mozilla\\Firefox\\Profiles\\p.default\\";

class BrowserData : public ::testing::Test {
protected:
    void SetUp() override {
        ts::RemoveTree(kTop);
        site = SiteOfThisSystem();
        SteerAppData(site);
        for (const std::string& folder : {kEdge + "Network\\", kEdge + "Sessions\\", kChrome, kFirefox})
            ts::MakeDir(folder);
        ts::WriteFile(kRoaming + "Mozilla\\Firefox\\profiles.ini",
                      "[Profile0]\nName=default\nIsRelative=1\nPath=Profiles/p.default\n");
        // Edge: a History that misses most of the browser's tables, with
        // visits still in its WAL; cookies of three hosts; form entries beside
        // an address and a search engine; files rebuilt by the browser.
        Make(
            kEdge + "History",
            "PRAGMA journal_mode=WAL; CREATE TABLE meta(key LONGVARCHAR PRIMARY KEY, value LONGVARCHAR);"
            "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, visit_count INTEGER,"
            " typed_count INTEGER, last_visit_time INTEGER);"
            "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER, visit_time INTEGER, transition INTEGER);"
            "CREATE TABLE keyword_search_terms(keyword_id INTEGER, url_id INTEGER, term LONGVARCHAR);"
            "CREATE TABLE downloads(id INTEGER PRIMARY KEY, guid VARCHAR, target_path LONGVARCHAR, tab_url VARCHAR);"
            "INSERT INTO meta VALUES ('version', '67'); INSERT INTO urls VALUES (1, 'https://a.test/', 'A', 2, 1, 9),"
            " (2, 'https://b.test/', 'B', 1, 0, 9); INSERT INTO visits VALUES (1, 1, 9, 1), (2, 1, 9, 0), (3, 2, 9, 0);"
            "INSERT INTO keyword_search_terms VALUES (2, 2, 'secret'); INSERT INTO downloads VALUES (1, 'g', 'C:\\x',"
            " 'https://b.test/');");
        {
            SqliteDatabase db = OpenDatabase(kEdge + "History");
            sqlite3_db_config(db.Get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            Exec(db.Get(), "PRAGMA wal_autocheckpoint=0; INSERT INTO visits VALUES (4, 2, 10, 0), (5, 2, 11, 0)");
        }
        Make(kEdge + "Network\\Cookies",
             "CREATE TABLE cookies(creation_utc INTEGER, host_key TEXT, name TEXT, value TEXT, encrypted_value BLOB,"
             " path TEXT); INSERT INTO cookies VALUES (1, '.a.test', 'id', '', x'763130', '/'), (2, 'b.test', 's', '',"
             " x'763130', '/'), (3, '.c.test', 'k', '', x'763130', '/'), (4, '.c.test', 'j', '', x'763130', '/')");
        Make(kEdge + "Web Data",
             "CREATE TABLE autofill(name VARCHAR, value VARCHAR, value_lower VARCHAR, count INTEGER);"
             "CREATE TABLE autofill_profiles(guid VARCHAR PRIMARY KEY, street_address VARCHAR, city VARCHAR);"
             "CREATE TABLE keywords(id INTEGER PRIMARY KEY, short_name VARCHAR, keyword VARCHAR);"
             "INSERT INTO autofill VALUES ('email', 'me@a.test', 'me@a.test', 3), ('q', 'x', 'x', 1);"
             "INSERT INTO autofill_profiles VALUES ('g1', '1 Main St', 'Springfield');"
             "INSERT INTO keywords VALUES (1, 'Search', 's.test')");
        for (const std::string& file : {kEdge + "Top Sites", kEdge + "Top Sites-journal", kEdge + "Sessions\\Tabs_1"})
            ts::WriteFile(file, std::string(100, 't'));
        // Firefox: two bookmarked places (one also visited) and nine places
        // visited only, each visited place with its metadata.
        std::string places =
            "CREATE TABLE moz_origins(id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL,"
            " frecency INTEGER NOT NULL);"
            "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, visit_count INTEGER"
            " DEFAULT 0, typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date"
            " INTEGER, foreign_count INTEGER DEFAULT 0 NOT NULL, origin_id INTEGER REFERENCES moz_origins(id),"
            " recalc_frecency INTEGER NOT NULL DEFAULT 0);"
            "CREATE TABLE moz_historyvisits(id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER,"
            " visit_date INTEGER, visit_type INTEGER);"
            "CREATE TABLE moz_bookmarks(id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER,"
            " title LONGVARCHAR);"
            "CREATE TABLE moz_places_metadata(id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, total_view_time"
            " INTEGER NOT NULL DEFAULT 0, FOREIGN KEY (place_id) REFERENCES moz_places(id) ON DELETE CASCADE);"
            "CREATE TABLE moz_inputhistory(place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL, use_count INTEGER);"
            "INSERT INTO moz_origins VALUES (1, 'https://', 'b1.test', 9), (2, 'https://', 'b2.test', 9),"
            " (3, 'https://', 'v.test', 9);"
            "INSERT INTO moz_places VALUES (1, 'https://b1.test/', 'B1', 3, 1, 900, 9, 1, 1, 0),"
            " (2, 'https://b2.test/', 'B2', 0, 0, 100, NULL, 1, 2, 0);"
            "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 'root'), (2, 1, 1, 1, 'B1'), (3, 1, 2, 1, 'B2');"
            "INSERT INTO moz_inputhistory VALUES (1, 'b1', 1);";
        for (int id = 3; id <= 11; ++id)
            places += "INSERT INTO moz_places VALUES (" + std::to_string(id) + ", 'https://v.test/" +
                      std::to_string(id) + "', 'V', 1, 0, 100, 9, 0, 3, 0);";
        for (int id : {1, 3, 4, 5, 6, 7, 8, 9, 10, 11})
            places += "INSERT INTO moz_historyvisits VALUES (" + std::to_string(id) + ", 0, " + std::to_string(id) +
                      ", 9, 1); INSERT INTO moz_places_metadata VALUES (" + std::to_string(id) + ", " +
                      std::to_string(id) + ", 5);";
        Make(kFirefox + "places.sqlite", places);
        Make(kFirefox + "favicons.sqlite",
             "CREATE TABLE moz_pages_w_icons(id INTEGER PRIMARY KEY, page_url TEXT NOT NULL);"
             "INSERT INTO moz_pages_w_icons VALUES (1, 'https://b1.test/'), (2, 'https://b2.test/')");
        Make(kFirefox + "cookies.sqlite",
             "CREATE TABLE moz_cookies(id INTEGER PRIMARY KEY, name TEXT, value TEXT, host TEXT, path TEXT);"
             "INSERT INTO moz_cookies VALUES (1, 'a', '1', '.a.test', '/'), (2, 'b', '2', 'b.test', '/')");
        Make(kFirefox + "formhistory.sqlite",
             "CREATE TABLE moz_formhistory(id INTEGER PRIMARY KEY, fieldname TEXT NOT NULL, value TEXT NOT NULL);"
             "INSERT INTO moz_formhistory VALUES (1, 'q', 'secret')");
        ts::WriteFile(kFirefox + "sessionstore.jsonlz4", "mozLz40");
        // What is never touched.
        for (const std::string& file : {kEdge + "Login Data", kEdge + "Bookmarks", kEdge + "Preferences",
                                        kFirefox + "logins.json", kFirefox + "key4.db", kFirefox + "favicons.sqlite"}) {
            if (!ts::Exists(file)) ts::WriteFile(file, "keep " + file);
            kept[file] = ReadWhole(file);
        }
    }
    void TearDown() override { ts::RemoveTree(kTop); }

    Json Run(std::vector<std::wstring> args, int expected) {
        output = Captured();
        args.push_back(L"--json");
        EXPECT_EQ(RunCommand(args, site, ts::SettingsKey(), output), expected) << output.err << output.out;
        return Json::parse(output.out, nullptr, false);
    }
    bool NothingElseTouched() {
        for (const auto& [file, content] : kept)
            if (ReadWhole(file) != content) return ADD_FAILURE() << file, false;
        return true;
    }

    CleaningSite site;
    Captured output;
    std::map<std::string, std::string> kept;
};

const std::vector<std::wstring> kItems = {L"browser-cookies", L"browser-history", L"browser-forms",
                                          L"browser-sessions"};

TEST_F(BrowserData, ThePreviewCountsWhatTheClearThenRemovesRowByRow) {
    std::vector<std::wstring> args = kItems;
    args.insert(args.begin(), L"preview");
    const Json preview = Run(args, kExitDone);
    ASSERT_TRUE(ts::Exists(kEdge + "History-wal"));
    args[0] = L"clear";
    const Json clear = Run(args, kExitDone);
    for (const Json* document : {&preview, &clear}) {
        const Json edgeHistory = Profile(*document, "browser-history", "edge");
        EXPECT_EQ(edgeHistory.at("databases").at(0).at("tables").at("visits"), 5) << "the WAL's rows too";
        EXPECT_EQ(edgeHistory.at("rows"), 9);
        EXPECT_EQ(edgeHistory.at("files"), 2) << "Top Sites with its journal";
        EXPECT_EQ(Profile(*document, "browser-cookies", "edge").at("rows"), 4);
        EXPECT_EQ(Profile(*document, "browser-forms", "edge").at("rows"), 2);
        EXPECT_EQ(Profile(*document, "browser-history", "firefox").at("rows"), 10 + 10 + 1 + 9 + 1);
        EXPECT_EQ(Profile(*document, "browser-sessions", "firefox").at("files"), 1);
    }
    EXPECT_EQ(clear.at("totals").at("rows"), preview.at("totals").at("rows"));

    EXPECT_EQ(Query(kEdge + "History",
                    "SELECT (SELECT count(*) FROM urls) + (SELECT count(*) FROM visits) +"
                    " (SELECT count(*) FROM keyword_search_terms) + (SELECT count(*) FROM downloads)"),
              "0");
    EXPECT_EQ(Query(kEdge + "History", "SELECT value FROM meta"), "67");
    EXPECT_EQ(Query(kEdge + "Network\\Cookies", "SELECT count(*) FROM cookies"), "0");
    EXPECT_EQ(Query(kEdge + "Web Data", "SELECT count(*) FROM autofill"), "0");
    EXPECT_EQ(Query(kEdge + "Web Data", "SELECT city FROM autofill_profiles UNION ALL SELECT keyword FROM keywords"),
              "Springfield,s.test");
    for (const std::string& file : {kEdge + "History", kEdge + "Web Data", kFirefox + "places.sqlite"})
        EXPECT_EQ(Query(file, "PRAGMA integrity_check"), "ok") << file;
    EXPECT_FALSE(ts::Exists(kEdge + "Top Sites") || ts::Exists(kEdge + "Top Sites-journal"));
    EXPECT_FALSE(ts::Exists(kEdge + "Sessions\\Tabs_1") || ts::Exists(kFirefox + "sessionstore.jsonlz4"));

    // Bookmarked places stay, having forgotten their visits; their origins stay.
    const std::string places = kFirefox + "places.sqlite";
    EXPECT_EQ(Query(places,
                    "SELECT url || visit_count || typed || ifnull(last_visit_date, '-') || recalc_frecency"
                    " FROM moz_places ORDER BY id"),
              "https://b1.test/00-1,https://b2.test/00-1");
    EXPECT_EQ(Query(places, "SELECT title FROM moz_bookmarks ORDER BY id"), "root,B1,B2");
    EXPECT_EQ(Query(places, "SELECT group_concat(host) FROM moz_origins"), "b1.test,b2.test");
    EXPECT_EQ(Query(places,
                    "SELECT (SELECT count(*) FROM moz_historyvisits) + (SELECT count(*) FROM"
                    " moz_places_metadata) + (SELECT count(*) FROM moz_inputhistory)"),
              "0");
    EXPECT_EQ(Query(places, "PRAGMA foreign_key_check"), "");
    EXPECT_EQ(Query(kFirefox + "cookies.sqlite", "SELECT count(*) FROM moz_cookies"), "0");
    EXPECT_EQ(Query(kFirefox + "formhistory.sqlite", "SELECT count(*) FROM moz_formhistory"), "0");
    EXPECT_TRUE(NothingElseTouched());

    // The table names what went, per profile.
    output = Captured();
    RunCommand({L"clear", L"browser-history", L"--compact"}, site, ts::SettingsKey(), output);
    EXPECT_NE(output.out.find("Cleared the history of Edge (Default): 0 visits"), std::string::npos) << output.out;
}

TEST_F(BrowserData, LockedAndForeignDatabasesAreLeftAsTheyAre) {
    // Chrome holds its History locked, as it does while it runs; Firefox's
    // cookies.sqlite is no database at all.
    Make(kChrome + "History",
         "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR); INSERT INTO urls VALUES (1,"
         " 'https://a.test/')");
    const std::string history = ReadWhole(kChrome + "History");
    ts::WriteFile(kFirefox + "cookies.sqlite", std::string(3000, '\x5a'));
    const std::string garbage = ReadWhole(kFirefox + "cookies.sqlite");
    {
        SqliteDatabase holder = OpenDatabase(kChrome + "History");
        Exec(holder.Get(), "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE");
        for (const wchar_t* verb : {L"preview", L"clear"}) {
            const Json document = Run({verb, L"browser-history", L"browser-cookies"}, kExitKept);
            EXPECT_TRUE(Profile(document, "browser-history", "chrome").at("running").get<bool>()) << verb;
            EXPECT_FALSE(Profile(document, "browser-history", "edge").at("running").get<bool>()) << verb;
            EXPECT_TRUE(Profile(document, "browser-cookies", "firefox").at("databases").at(0).at("notADatabase"));
        }
        Exec(holder.Get(), "COMMIT");
    }
    EXPECT_EQ(ReadWhole(kChrome + "History"), history);
    EXPECT_EQ(ReadWhole(kFirefox + "cookies.sqlite"), garbage);
    EXPECT_EQ(Query(kEdge + "History", "SELECT count(*) FROM visits"), "0") << "another browser is cleared";
    EXPECT_TRUE(NothingElseTouched());
}

// Cache, cookies and history are on unless their box is stored off; form
// data and open tabs only when stored on; nothing without "Include browsers".
TEST(BrowserItems, TheStoredItemBoxesChooseTheBrowsersCategories) {
    std::map<std::string, std::string> stored;
    const auto read = [&](const std::string& name) { return stored.count(name) ? stored[name] : std::string(); };
    EXPECT_TRUE(StoredBrowserItems(read).empty());
    stored[texts::ValIncludeBrowsers] = "1";
    EXPECT_EQ(StoredBrowserItems(read),
              (std::vector<Category>{Category::BrowserCache, Category::BrowserCookies, Category::BrowserHistory}));
    stored[texts::ValBrowserHistory] = "0";
    stored[texts::ValBrowserSessions] = "1";
    stored[texts::ValBrowserForms] = "yes";
    EXPECT_EQ(StoredBrowserItems(read),
              (std::vector<Category>{Category::BrowserCache, Category::BrowserCookies, Category::BrowserSessions}));
}

}  // namespace
