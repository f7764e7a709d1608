// Every kind of document the command prints keeps to its published schema
// (docs/purgeletcmd.schema.json): a list, a preview and a clear with the
// browsers in them and a browser that runs, the browsers left out, nothing
// chosen, the kept sites changed and not, a usage error. And the text beside
// the documents: the browsers left out said in one line, the table's kept
// column as the lines under it count, a list whose names never run into
// their titles.
#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "command/BrowserFixtures.h"
#include "command/Command.h"
#include "command/CommandTestSupport.h"
#include "command/JsonSchema.h"
#include "command_schema.h"
#include "core/KeptSites.h"
#include "core/Texts.h"
#include "support/TestSupport.h"

using namespace purgelet;
namespace ts = testing_support;
using namespace command_tests;
using Json = nlohmann::json;

namespace {

const std::string kEdge = kLocal + "Microsoft\\Edge\\User Data\\";
const std::string kChrome = kLocal + "Google\\Chrome\\User Data\\";

class CommandSchema : public ::testing::Test {
protected:
    void SetUp() override {
        ts::RemoveTree(kBrowsersTop);
        ts::RegDeleteTree(ts::SettingsKey());
        site = SiteOfThisSystem();
        SteerAppData(site);
        // Edge and Chrome, each with a cache, a history and cookies.
        for (const std::string& data : {kEdge, kChrome}) {
            ts::MakeDir(data + "Default\\Cache\\Cache_Data\\");
            ts::MakeDir(data + "Default\\Network\\");
            ts::WriteFile(data + "Default\\Cache\\Cache_Data\\f_000001", std::string(2000, 'c'));
            Make(data + "Default\\History",
                 "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, visit_count INTEGER,"
                 " typed_count INTEGER, last_visit_time INTEGER);"
                 "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER, visit_time INTEGER, transition INTEGER);"
                 "INSERT INTO urls VALUES (1, 'https://a.test/', 'A', 2, 0, 9);"
                 "INSERT INTO visits VALUES (1, 1, 9, 0), (2, 1, 10, 0)");
            Make(data + "Default\\Network\\Cookies",
                 "CREATE TABLE cookies(creation_utc INTEGER, host_key TEXT, name TEXT, value TEXT,"
                 " encrypted_value BLOB, path TEXT); INSERT INTO cookies VALUES (1, '.a.test', 'id', '', x'76', '/'),"
                 " (2, '.kept.test', 's', '', x'76', '/')");
        }
    }
    void TearDown() override {
        ts::RegDeleteTree(ts::SettingsKey());
        ts::RemoveTree(kBrowsersTop);
    }

    // Runs the command and checks its document against the schema. A run
    // over the prefix's own folders ends with kAsItFinds: done, or kept when
    // the prefix holds something that stays.
    static constexpr int kAsItFinds = -1;
    Json Document(std::vector<std::wstring> args, int exitCode) {
        args.push_back(L"--json");
        output = Captured();
        const int code = RunCommand(args, site, ts::SettingsKey(), output);
        if (exitCode == kAsItFinds)
            EXPECT_TRUE(code == kExitDone || code == kExitKept) << output.err;
        else
            EXPECT_EQ(code, exitCode) << output.err;
        const Json document = Json::parse(output.out, nullptr, false);
        EXPECT_FALSE(document.is_discarded()) << output.out;
        const std::vector<std::string> problems = schema.Problems(document);
        std::string shown;
        for (const std::string& p : problems) shown += p + "\n";
        EXPECT_TRUE(problems.empty()) << shown;
        return document;
    }
    std::string Text(std::vector<std::wstring> args) {
        output = Captured();
        RunCommand(args, site, ts::SettingsKey(), output);
        return output.out;
    }

    const JsonSchema schema{Json::parse(kCommandSchema)};
    CleaningSite site;
    Captured output;
};

// A category of a document, by name.
const Json& Category(const Json& document, const std::string& name) {
    for (const Json& category : document.at("categories"))
        if (category.at("name") == name) return category;
    static const Json none;
    ADD_FAILURE() << "no " << name;
    return none;
}

TEST(JsonSchemaCheck, CatchesWhatTheSchemaForbids) {
    const JsonSchema schema{Json::parse(kCommandSchema)};
    const Json failed = Json::parse(R"({"schemaVersion": 2, "program": {"name": "PurgeletCmd", "version": "2"},
        "windows": {"family": "NT", "version": "10.0", "build": 19045}, "command": null, "error": "x", "exitCode": 2})");
    EXPECT_EQ(schema.Problems(failed), std::vector<std::string>{});
    for (const char* broken : {R"({"schemaVersion": 1})", R"({"exitCode": 0})", R"({"stray": true})",
                               R"({"windows": {"family": "NT", "version": 10, "build": 1}})"}) {
        Json document = failed;
        document.merge_patch(Json::parse(broken));
        EXPECT_NE(schema.Problems(document), std::vector<std::string>{}) << broken;
    }
}

TEST_F(CommandSchema, EveryDocumentKindKeepsToTheSchema) {
    // list: the folders each category empties, as a preview names them.
    const Json list = Document({L"list"}, kExitDone);
    for (const Json& category : list.at("categories"))
        for (const Json& folder : category.at("byFolder"))
            EXPECT_TRUE(folder.at("path").get<std::string>().ends_with("\\"));
    ASSERT_EQ(Category(list, "browser-cache").at("profiles").size(), 2u);

    // The browsers left out of --all, and said so; --browser then has nothing to choose from.
    const Json left = Document({L"preview", L"--all"}, kAsItFinds);
    EXPECT_EQ(left.at("browsers"), "not-included");
    EXPECT_NE(left.at("browsersNotIncluded").get<std::string>().find("Include browsers"), std::string::npos);
    const Json usage = Document({L"preview", L"--all", L"--browser", L"edge"}, kExitUsage);
    EXPECT_EQ(usage.at("exitCode"), kExitUsage);
    EXPECT_EQ(Document({L"preview", L"temp", L"--browser", L"chrome"}, kExitUsage).at("exitCode"), kExitUsage);

    // Taken in: every item, a kept site's cookie and Edge running.
    ts::RegSetString(ts::SettingsKey(), texts::ValIncludeBrowsers, "1");
    ASSERT_EQ(AddKeptSites(ts::SettingsKey(), {"kept.test"}), "");
    const HANDLE lock = CreateFileA((kEdge + "lockfile").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const Json preview = Document({L"preview", L"--all"}, kExitKept);
    EXPECT_EQ(preview.at("browsers"), "included");
    EXPECT_TRUE(preview.at("browsersNotIncluded").is_null());
    const Json clear = Document({L"clear", L"browser-history", L"browser-cookies", L"browser-cache"}, kExitKept);
    CloseHandle(lock);
    const Json& history = Category(clear, "browser-history");
    EXPECT_EQ(history.at("visits"), 2);
    EXPECT_EQ(Category(clear, "browser-cookies").at("cookies"), 1);
    EXPECT_EQ(Category(clear, "browser-cookies").at("keptCookies"), 1);
    EXPECT_EQ(clear.at("totals").at("visits"), 2);
    EXPECT_EQ(Category(preview, "browser-history").at("visits"), history.at("visits"));
    for (const Json& profile : history.at("profiles"))
        EXPECT_EQ(profile.at("running"), profile.at("browser") == "edge") << profile;
    EXPECT_EQ(Profile(clear, "browser-history", "chrome").at("visits"), 2);
    EXPECT_EQ(Profile(clear, "browser-history", "chrome").at("databases").at(0).at("visits"), 2);
    EXPECT_EQ(Profile(clear, "browser-cache", "chrome").at("bytes"), 2000);

    // Nothing chosen; the kept sites, changed and left as they were.
    EXPECT_FALSE(Document({L"preview", L"--chosen"}, kExitDone).at("nothingChosen").is_null());
    const Json added = Document({L"keep", L"add", L"www.kept.test", L"new.test"}, kExitDone);
    EXPECT_EQ(added.at("keptSites"), Json::parse(R"(["kept.test", "new.test"])"));
    EXPECT_EQ(added.at("unchanged"),
              Json::parse(R"([{"site": "www.kept.test", "reason": "kept-already", "keptBy": "kept.test"}])"));
    const Json removed = Document({L"keep", L"remove", L"www.kept.test", L"new.test"}, kExitDone);
    EXPECT_EQ(removed.at("keptSites"), Json::parse(R"(["kept.test"])"));
    EXPECT_EQ(removed.at("unchanged").at(0).at("reason"), "not-in-list");
    EXPECT_EQ(removed.at("unchanged").at(0).at("keptBy"), "kept.test");
    Document({L"keep", L"list"}, kExitDone);
}

TEST_F(CommandSchema, TheTextSaysWhatTheDocumentSays) {
    // Each name of the list stands apart from its title.
    const std::string list = Text({L"list"});
    for (const CategoryRow& row : kCategories) {
        const std::string name = Utf8(row.name);
        EXPECT_NE(list.find("\n" + name + "  "), std::string::npos) << name;
    }
    // The browsers left out: one line says how to take them in.
    const std::string left = Text({L"preview", L"--all"});
    EXPECT_NE(left.find("Include browsers in Clear All"), std::string::npos) << left;
    EXPECT_NE(left.find("browser-cache"), std::string::npos) << left;

    // The table counts rows, and what stays as the lines under it do.
    const HANDLE lock = CreateFileA((kEdge + "lockfile").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ASSERT_EQ(AddKeptSites(ts::SettingsKey(), {"kept.test"}), "");
    const std::string cleared = Text({L"clear", L"browser-history", L"browser-cookies"});
    CloseHandle(lock);
    std::istringstream lines(cleared);
    std::string line;
    std::map<std::string, std::pair<std::string, std::string>> table;  // rows and kept per category
    std::map<std::string, std::string> keptLines;
    ASSERT_NE(cleared.find("Rows"), std::string::npos) << cleared;
    const std::regex tableRow(R"(^(browser-\w+) +\d+ +\d+ +\d+ +\d+ +(\d+) +\d+(?:\.\d)? \w+ +(\d+)\r?$)");
    const std::regex keptLine(R"(^  (browser-\w+): (\d+) \((.*)\)\r?$)");
    for (std::smatch m; std::getline(lines, line);) {
        if (std::regex_match(line, m, tableRow)) table[m[1]] = {m[2], m[3]};
        if (std::regex_match(line, m, keptLine)) keptLines[m[1]] = m[2];
    }
    EXPECT_EQ(table["browser-history"].first, "3") << cleared;   // Chrome's two visits and its one place
    EXPECT_EQ(table["browser-cookies"].second, "2") << cleared;  // Edge skipped, one cookie of a kept site
    for (const auto& [name, counts] : table) EXPECT_EQ(keptLines[name], counts.second) << name << "\n" << cleared;

    // keep says when it leaves a site as it was.
    EXPECT_NE(Text({L"keep", L"add", L"a.kept.test"}).find("a.kept.test is kept already, by kept.test"),
              std::string::npos);
    EXPECT_NE(Text({L"keep", L"remove", L"other.test"}).find("other.test is not in the list"), std::string::npos);
}

}  // namespace
