// Today's browsers through the command: profiles found as the browsers lay
// them out, a preview that names what the clear then removes, a running
// browser skipped whole, and nothing but the caches touched.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <map>

#include <nlohmann/json.hpp>

#include "command/Command.h"
#include "command/CommandTestSupport.h"
#include "support/TestSupport.h"

using namespace purgelet;
namespace ts = testing_support;
using namespace command_tests;
using Json = nlohmann::json;

namespace {

const std::string kTop = kBrowsersTop;
const std::string kEdge = kLocal + "Microsoft\\Edge\\User Data\\";
const std::string kChrome = kLocal + "Google\\Chrome\\User Data\\";
const std::string kFirefox = kRoaming + "Mozilla\\Firefox\\";
const std::string kFirefoxLocal = kLocal + "Mozilla\\Firefox\\Profiles\\abc.default-release\\";
// A Firefox profile kept elsewhere; its cache holds links to sentinels outside.
const std::string kElsewhere = "C:\\purgelet-command\\browsers\\ff\\";

class Browsers : public ::testing::Test {
protected:
    void SetUp() override {
        ts::RemoveTree(kTop);
        site = SiteOfThisSystem();
        SteerAppData(site);
        // Edge names two profiles (and a key that is no folder name); Chrome's
        // Local State is damaged, so its profile folders are taken as found.
        ts::MakeDir(kEdge);
        ts::WriteFile(kEdge + "Local State", R"({"profile": {"info_cache": {"Default": {"name": "Person 1"},
            "Profile 3": {"name": "Work"}, "..\\..": {"name": "up"}}}})");
        Cache(kEdge + "Default\\Cache\\Cache_Data\\f_000001", 100);
        Cache(kEdge + "Default\\Code Cache\\js\\index", 50);
        Cache(kEdge + "GrShaderCache\\data_0", 10);
        Cache(kEdge + "Profile 3\\GPUCache\\data_1", 20);
        Cache(kEdge + "Profile 2\\Cache\\not-listed", 1);
        ts::MakeDir(kChrome);
        ts::WriteFile(kChrome + "Local State", "{\"profile\": {");
        Cache(kChrome + "Default\\Cache\\f", 30);
        Cache(kChrome + "Profile 1\\Service Worker\\CacheStorage\\x", 40);
        // Firefox: a relative profile with its caches below the local folder,
        // one kept elsewhere, one that would leave its folder, one at a root.
        ts::MakeDir(kFirefox + "Profiles\\abc.default-release\\");
        ts::WriteFile(kFirefox + "profiles.ini",
                      "[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=default-release\nIsRelative=1\n"
                      "Path=Profiles/abc.default-release\n\n[Profile1]\nName=elsewhere\nIsRelative=0\nPath=" +
                          kElsewhere +
                          "\n\n[Profile2]\nName=up\nIsRelative=1\nPath=../..\n\n"
                          "[Profile3]\nName=root\nIsRelative=0\nPath=C:\\\n");
        Cache(kFirefoxLocal + "cache2\\entries\\E1", 60);
        Cache(kFirefoxLocal + "startupCache\\s", 5);
        Cache(kElsewhere + "cache2\\entries\\E2", 70);
        // What is never touched.
        for (const std::string& file :
             {kEdge + "Local State", kEdge + "Default\\Bookmarks", kEdge + "Default\\Login Data",
              kChrome + "Profile 1\\Preferences", kFirefox + "Profiles\\abc.default-release\\places.sqlite",
              kFirefox + "Profiles\\abc.default-release\\logins.json", kElsewhere + "key4.db",
              kElsewhere + "prefs.js"}) {
            if (!ts::Exists(file)) ts::WriteFile(file, "keep " + file);
            kept[file] = ReadWhole(file);
        }
    }
    void TearDown() override { ts::RemoveTree(kTop); }

    static void Cache(const std::string& file, std::size_t size) {
        ts::MakeDir(file.substr(0, file.find_last_of('\\') + 1));
        ts::WriteFile(file, std::string(size, 'c'));
    }
    Json Run(std::vector<std::wstring> args, int expected) {
        output = Captured();
        args.push_back(L"--json");
        EXPECT_EQ(RunCommand(args, site, ts::SettingsKey(), output), expected) << output.err << output.out;
        Json document = Json::parse(output.out, nullptr, false);
        EXPECT_FALSE(document.is_discarded()) << output.out;
        return document;
    }
    bool NothingElseTouched() {
        for (const auto& [file, content] : kept)
            if (ReadWhole(file) != content) return ADD_FAILURE() << file, false;
        return ts::Exists("C:\\purgelet-command\\outside\\sentinel.txt") &&
               ts::Exists("C:\\purgelet-command\\outside\\inner\\keep.txt") &&
               ts::Exists(kElsewhere + "cache2\\out-dir");
    }

    CleaningSite site;
    Captured output;
    std::map<std::string, std::string> kept;
};

// Each profile's line: browser, profile, skipped or what it freed.
std::map<std::string, std::string> Profiles(const Json& document) {
    std::map<std::string, std::string> seen;
    for (const Json& category : document.at("categories"))
        for (const Json& p : category.at("profiles"))
            seen[p.at("browser").get<std::string>() + ":" + p.at("name").get<std::string>()] =
                p.at("running") ? "running"
                : p.at("refused").is_string()
                    ? "refused"
                    : std::to_string(p.at("files").get<int>()) + " files, " + std::to_string(p.at("bytes").get<int>());
    return seen;
}

TEST_F(Browsers, ProfilesAreFoundAndAPreviewNamesWhatTheClearRemoves) {
    const std::map<std::string, std::string> expected = {{"edge:Person 1", "3 files, 160"},
                                                         {"edge:Work", "1 files, 20"},
                                                         {"chrome:Default", "1 files, 30"},
                                                         {"chrome:Profile 1", "1 files, 40"},
                                                         {"firefox:default-release", "2 files, 65"},
                                                         {"firefox:elsewhere", "1 files, 70"},
                                                         {"firefox:root", "refused"}};
    const Json preview = Run({L"preview", L"browser-cache"}, kExitKept);
    // The preview reads the listings: the profile kept elsewhere lists the
    // host's link to a file in its cache (5 bytes) as a plain file.
    std::map<std::string, std::string> previewed = expected;
    previewed["firefox:elsewhere"] = "2 files, 75";
    EXPECT_EQ(Profiles(preview), previewed);
    EXPECT_TRUE(ts::Exists(kEdge + "Default\\Cache\\Cache_Data\\f_000001"));

    const Json clear = Run({L"clear", L"browser-cache"}, kExitKept);  // the links and the refused profile stay
    EXPECT_EQ(Profiles(clear), expected);
    EXPECT_EQ(clear.at("totals").at("files").get<int>() + 1, preview.at("totals").at("files").get<int>());
    EXPECT_FALSE(ts::Exists(kEdge + "Default\\Cache\\Cache_Data\\f_000001"));
    EXPECT_FALSE(ts::Exists(kFirefoxLocal + "startupCache\\s"));
    EXPECT_FALSE(ts::Exists(kElsewhere + "cache2\\entries"));
    EXPECT_TRUE(ts::Exists(kEdge + "Default\\Cache\\")) << "a cache folder is emptied, not removed";
    EXPECT_TRUE(ts::Exists(kEdge + "Profile 2\\Cache\\not-listed")) << "a profile Local State does not name";
    EXPECT_TRUE(NothingElseTouched());
}

TEST_F(Browsers, ARunningBrowserIsSkippedWholeAndSaidSo) {
    // Edge holds its lock file; a process of Chrome's program runs; one
    // Firefox profile is open.
    HANDLE edgeLock =
        CreateFileA((kEdge + "lockfile").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    HANDLE firefoxLock =
        CreateFileA((kElsewhere + "parent.lock").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ts::MakeDir(kTop + "bin\\");
    ASSERT_TRUE(
        CopyFileA(ts::BesideTestProgram("privacy_standin.exe").c_str(), (kTop + "bin\\chrome.exe").c_str(), FALSE));
    ts::StartedProgram chrome(kTop + "bin\\chrome.exe");
    ASSERT_TRUE(chrome);
    WaitForInputIdle(chrome.Handle(), 20000);

    const Json clear = Run({L"clear", L"browser-cache", L"--browser", L"edge", L"--browser", L"Chrome", L"--browser",
                            L"firefox", L"--all-profiles"},
                           kExitKept);
    // The table names the browser and says to close it; Edge's line adds
    // that it may go on in the background.
    output = Captured();
    RunCommand({L"preview", L"browser-cache", L"--browser", L"edge"}, site, ts::SettingsKey(), output);
    EXPECT_NE(output.out.find("Skipped Edge (Work): it is running; close it and try again (Edge may"),
              std::string::npos)
        << output.out;
    CloseHandle(edgeLock);
    CloseHandle(firefoxLock);
    const std::map<std::string, std::string> profiles = Profiles(clear);
    for (const char* running :
         {"edge:Person 1", "edge:Work", "chrome:Default", "chrome:Profile 1", "firefox:elsewhere"})
        EXPECT_EQ(profiles.at(running), "running") << running;
    EXPECT_EQ(profiles.at("firefox:default-release"), "2 files, 65");
    EXPECT_TRUE(ts::Exists(kEdge + "Default\\Cache\\Cache_Data\\f_000001"));
    EXPECT_TRUE(ts::Exists(kChrome + "Default\\Cache\\f"));
    EXPECT_TRUE(ts::Exists(kElsewhere + "cache2\\entries\\E2"));
    EXPECT_TRUE(NothingElseTouched());
}

// A profile whose box is off is left out unless every profile is asked for;
// --all takes the browsers only when "Include browsers" is on.
TEST_F(Browsers, StoredBoxesChooseTheProfiles) {
    ts::RegSetString(ts::SettingsKey(), std::string(texts::ValBrowserProfilePrefix) + "edge:Default", "0");
    EXPECT_EQ(Profiles(Run({L"preview", L"browser-cache", L"--browser", L"edge"}, kExitDone)).count("edge:Person 1"),
              0u);
    EXPECT_EQ(Profiles(Run({L"preview", L"browser-cache", L"--browser", L"edge", L"--all-profiles"}, kExitDone))
                  .count("edge:Person 1"),
              1u);
    const auto takesBrowsers = [&] {
        const Json all = Run({L"preview", L"--all"}, kExitKept);
        return all.at("categories").back().at("name") == "browser-history";
    };
    EXPECT_FALSE(takesBrowsers());
    ts::RegSetString(ts::SettingsKey(), texts::ValIncludeBrowsers, "1");
    EXPECT_TRUE(takesBrowsers());
    ts::RegDeleteTree(ts::SettingsKey());
}

}  // namespace
