// The console companion end to end: a preview names exactly what the clear
// after it removes, on the Windows XP layout (in process, on a site of its
// own) and on the default layout of this system (the built PurgeletCmd.exe,
// its output redirected, and its windowless twin PurgeletTask.exe); links to
// sentinels outside stay; the exit codes.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cleaner/removal/FileRemoval.h"
#include "command/Command.h"
#include "command/CommandTestSupport.h"
#include "core/KeptSites.h"
#include "purgelet_version.h"
#include "support/TestSupport.h"

using namespace purgelet;
namespace ts = testing_support;
using namespace command_tests;

namespace {

using Json = nlohmann::json;

const std::string kTop = "C:\\purgelet-command\\";
const std::string kXp = kTop + "xp\\";
const std::string kProfile = kXp + "profile\\";
const std::string kUserTemp = kProfile + "Local Settings\\Temp\\";
const std::string kWindowsTemp = kXp + "WINDOWS\\Temp\\";
const std::string kCache = kProfile + "Local Settings\\Temporary Internet Files\\";

int RunCmd(const CleaningSite& site, std::vector<std::wstring> args, Captured& output,
           const std::string& settingsKey = ts::SettingsKey()) {
    output = Captured();
    return RunCommand(args, site, settingsKey, output);
}

// One JSON document; a parse error fails the test.
Json Parsed(const std::string& text) {
    Json document = Json::parse(text, nullptr, false);
    if (document.is_discarded()) ADD_FAILURE() << "no JSON: " << text;
    return document;
}

// The counts of a category or of the totals, as one comparable text.
std::string Counts(const Json& t) {
    return "files " + std::to_string(t.at("files").get<std::uint64_t>()) + ", folders " +
           std::to_string(t.at("folders").get<std::uint64_t>()) + ", entries " +
           std::to_string(t.at("cacheEntries").get<std::uint64_t>()) + ", values " +
           std::to_string(t.at("values").get<std::uint64_t>()) + ", bytes " +
           std::to_string(t.at("bytes").get<std::uint64_t>()) + ", kept files " +
           std::to_string(t.at("kept").at("files").get<std::uint64_t>());
}

class CommandXp : public ::testing::Test {
protected:
    void SetUp() override {
        EmptyFolder(Widen(kUserTemp), site.platform);  // its links stay
        ts::RemoveTree(kXp + "WINDOWS\\");
        ts::RemoveTree(kCache);
        ts::RemoveTree(kProfile + "Recent\\");
        ts::MakeDir(kWindowsTemp);
        ts::MakeDir(kCache);
        ts::MakeDir(kProfile + "Recent\\");
        site.platform.getVersion = [](OSVERSIONINFOA* v) {
            v->dwMajorVersion = 5;
            v->dwMinorVersion = 1;
            v->dwPlatformId = VER_PLATFORM_WIN32_NT;
            return TRUE;
        };
        site.windowsFolder = kXp + "WINDOWS\\";
        site.programFolder = L"C:\\purgelet-command\\program\\";
        site.folders.WinMajor = 5;
        site.folders.ProfileFolder = kProfile;
        site.deleteEntry = LookUpDeleteUrlCacheEntry();
        ts::ClearUrlCache();
        ts::RegDeleteTree(kTypedUrlsKey);
        ts::RegDeleteTree(kRunMruKey);
    }
    void TearDown() override { ts::RegDeleteTree(ts::SettingsKey()); }

    // The traces, with their count of files and bytes: read-only and hidden
    // entries, sub-folders, a cache index with its container, a shortcut.
    void LayOut() {
        ts::WriteFile(kUserTemp + "a.txt", "aaaa");
        ts::WriteFile(kUserTemp + "ro.txt", "rr", FILE_ATTRIBUTE_READONLY);
        ts::MakeDir(kUserTemp + "sub\\deeper\\");
        ts::WriteFile(kUserTemp + "sub\\b.txt", "bbbbbb");
        ts::WriteFile(kUserTemp + "sub\\deeper\\c.txt", "c", FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesA((kUserTemp + "sub\\deeper").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        ts::WriteFile(kWindowsTemp + "w.tmp", "wwwww");
        ts::MakeDir(kCache + "Content.IE5\\ABCD1234\\");
        ts::WriteFile(kCache + "Content.IE5\\index.dat", "index");
        ts::WriteFile(kCache + "Content.IE5\\ABCD1234\\page.htm", "<html>");
        ts::WriteFile(kProfile + "Recent\\doc.lnk", "link");
        ASSERT_TRUE(ts::AddCookieEntry("Cookie:user@one.example/"));
        ASSERT_TRUE(ts::AddHistoryEntry("Visited: user@http://one.example/"));
        ts::RegSetString(kTypedUrlsKey, "url1", "http://one.example/");
        ts::RegSetString(kRunMruKey, "a", "notepad\\1");
        ts::RegSetString(kRunMruKey, "MRUList", "a");
    }
    static constexpr const char* kLaidOut = "files 7, folders 2, entries 2, values 3, bytes 28, kept files 0";
    // A preview counts from the listings: the user's Temp also lists the
    // host's link to a file (5 bytes) as a plain file, which the clear leaves.
    static constexpr const char* kPreviewed = "files 8, folders 2, entries 2, values 3, bytes 33, kept files 0";

    CleaningSite site;
    Captured output;
};

TEST_F(CommandXp, PreviewNamesWhatTheClearThenRemovesAndLinksOutLeadNowhere) {
    LayOut();
    ASSERT_EQ(RunCmd(site, {L"preview", L"--all", L"--json"}, output), kExitKept) << output.err;
    const Json preview = Parsed(output.out);
    EXPECT_EQ(Counts(preview.at("totals")), kPreviewed);
    EXPECT_TRUE(ts::Exists(kUserTemp + "ro.txt")) << "a preview changes nothing";
    EXPECT_TRUE(GetFileAttributesA((kUserTemp + "ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);

    // The user's Temp holds two links to outside, which stay and are said to.
    ASSERT_EQ(RunCmd(site, {L"clear", L"--all", L"--json"}, output), kExitKept) << output.err;
    const Json clear = Parsed(output.out);
    EXPECT_EQ(Counts(clear.at("totals")), kLaidOut);
    EXPECT_EQ(clear.at("totals").at("kept").at("links").get<std::uint64_t>(), 2u);
    ASSERT_EQ(clear.at("categories").size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) {
        Json cleared = clear.at("categories")[i];
        if (cleared.at("name") == "temp") {
            cleared["files"] = cleared.at("files").get<int>() + 1;
            cleared["bytes"] = cleared.at("bytes").get<int>() + 5;
        }
        EXPECT_EQ(Counts(cleared), Counts(preview.at("categories")[i]));
    }

    EXPECT_FALSE(ts::Exists(kUserTemp + "sub"));
    EXPECT_FALSE(ts::Exists(kWindowsTemp + "w.tmp"));
    EXPECT_FALSE(ts::Exists(kCache + "Content.IE5\\ABCD1234\\page.htm"));
    EXPECT_TRUE(ts::Exists(kCache + "Content.IE5\\index.dat")) << "the cache's own structure stays";
    EXPECT_TRUE(ts::CacheEntryNames().empty());
    // An entry gone meanwhile (another clearing took it) is not one kept.
    EXPECT_EQ(UrlCacheEraser(site.deleteEntry, DeletionPass::History).Erase("Visited: user@http://one.example/", {}),
              UrlCacheEraser::Outcome::Vanished);
    EXPECT_TRUE(ts::RegValueNames(kRunMruKey).empty());
    EXPECT_TRUE(ts::Exists(kTop + "outside\\sentinel.txt"));
    EXPECT_TRUE(ts::Exists(kTop + "outside\\inner\\keep.txt"));
    EXPECT_TRUE(ts::Exists(kUserTemp + "out-dir\\inner\\keep.txt")) << "the link itself stays too";
}

TEST_F(CommandXp, APreviewListsTheCacheOnceForAllItsCategories) {
    LayOut();
    int listings = 0;
    const UrlCacheSource cache = UrlCacheSource::WinInet();
    site.cacheSource.findClose = [&](HANDLE handle) {
        ++listings;
        cache.findClose(handle);
    };
    ASSERT_EQ(RunCmd(site, {L"preview", L"--all", L"--json"}, output), kExitKept) << output.err;
    EXPECT_EQ(Counts(Parsed(output.out).at("totals")), kPreviewed);
    EXPECT_EQ(listings, 1);
}

// The clear keeps what it cannot delete and names it; the preview, which
// counts from the listings and opens no file, counts those files as going.
TEST_F(CommandXp, AFileHeldOpenIsKeptByTheClearAndNamedWithExitCodeOne) {
    ts::WriteFile(kWindowsTemp + "held.tmp", "held");
    ts::WriteFile(kWindowsTemp + "free.tmp", "free");
    // Another program deletes this one right after it was listed: it is
    // neither counted nor kept.
    ts::WriteFile(kWindowsTemp + "taken.tmp", "taken");
    site.platform.listedAttributes = [](const std::wstring& path, DWORD attributes) {
        if (path.ends_with(L"taken.tmp")) DeleteFileW(path.c_str());
        return attributes;
    };
    HANDLE held = CreateFileA((kWindowsTemp + "held.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // A read-only file with a second name stays: its attributes are the other name's too.
    ts::WriteFile(kWindowsTemp + "ro-twice.tmp", "ro", FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(CreateHardLinkA((kXp + "second-name.tmp").c_str(), (kWindowsTemp + "ro-twice.tmp").c_str(), nullptr));
    // A sub-folder held open without delete sharing is emptied, and stays.
    ts::MakeDir(kWindowsTemp + "busy\\");
    ts::WriteFile(kWindowsTemp + "busy\\inside.tmp");
    HANDLE busy = CreateFileA((kWindowsTemp + "busy").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunCmd(site, {L"preview", L"temp", L"--json"}, output), kExitKept);  // the links in the user's Temp
    const Json predicted = Parsed(output.out).at("totals");
    EXPECT_EQ(RunCmd(site, {L"clear", L"temp", L"--json"}, output), kExitKept);
    const Json cleared = Parsed(output.out);
    CloseHandle(held);
    CloseHandle(busy);
    // The two files kept, the one another program took meanwhile, and the
    // host's link to a file in the user's Temp.
    EXPECT_EQ(predicted.at("files").get<int>(), cleared.at("totals").at("files").get<int>() + 2 + 1 + 1);
    EXPECT_EQ(predicted.at("kept").at("files").get<int>(), 0);
    EXPECT_EQ(cleared.at("totals").at("kept").at("files").get<std::uint64_t>(), 2u);
    EXPECT_EQ(cleared.at("totals").at("kept").at("folders").get<std::uint64_t>(), 1u);
    EXPECT_FALSE(ts::Exists(kWindowsTemp + "busy\\inside.tmp"));
    ASSERT_EQ(cleared.at("categories").size(), 1u);
    const Json& items = cleared.at("categories")[0].at("keptItems");
    for (const auto& [name, reason] : {std::pair{"held.tmp", "in-use"}, std::pair{"ro-twice.tmp", "other-names"}})
        EXPECT_TRUE(std::any_of(items.begin(), items.end(), [&](const Json& item) {
            return item.at("reason") == reason && item.at("path").get<std::string>().ends_with(name);
        })) << items;
    EXPECT_TRUE(ts::Exists(kXp + "second-name.tmp"));
    EXPECT_EQ(cleared.at("exitCode").get<std::uint64_t>(), 1u);
}

TEST_F(CommandXp, AMissingProfileChangesNothing) {
    ts::WriteFile(kWindowsTemp + "w.tmp");
    site.folders.ProfileFolder = kXp + "no-such-profile\\";
    EXPECT_EQ(RunCmd(site, {L"clear", L"temp"}, output), kExitImpossible);
    EXPECT_FALSE(output.err.empty());
    EXPECT_TRUE(output.out.empty());
    EXPECT_TRUE(ts::Exists(kWindowsTemp + "w.tmp"));
}

TEST_F(CommandXp, ChosenFollowsTheStoredCustomChoice) {
    // Of the mode buttons the last stored as "1" counts.
    ts::RegSetString(ts::SettingsKey(), texts::ValClearAllMode.Text(), "1");
    ts::RegSetString(ts::SettingsKey(), texts::ValCustomMode.Text(), "1");
    ts::RegSetString(ts::SettingsKey(), texts::ValCustomCookies.Text(), "1");
    ts::RegSetString(ts::SettingsKey(), texts::ValCustomTemporary.Text(), "1");
    ts::RegSetString(ts::SettingsKey(), texts::ValClearHistory.Text(), "1");
    ASSERT_EQ(RunCmd(site, {L"preview", L"--chosen", L"--json"}, output), kExitKept) << output.err;
    std::vector<std::string> names;
    const Json document = Parsed(output.out);
    for (const Json& category : document.at("categories")) names.push_back(category.at("name"));
    EXPECT_EQ(names, (std::vector<std::string>{"cookies", "temp"}));
}

// A document says what ran, and counts each folder of a category apart.
TEST_F(CommandXp, TheDocumentNamesTheRunAndCountsEachFolderApart) {
    LayOut();
    ts::RegSetString(ts::SettingsKey(), texts::ValCustomMode.Text(), "1");
    ts::RegSetString(ts::SettingsKey(), texts::ValCustomTemporary.Text(), "1");
    for (const wchar_t* verb : {L"preview", L"clear"}) {
        RunCmd(site, {verb, L"--chosen", L"--json"}, output);
        const Json document = Parsed(output.out);
        EXPECT_EQ(document.at("schemaVersion"), 2);
        EXPECT_EQ(document.at("program").at("version"), PURGELET_VERSION_TEXT);
        EXPECT_EQ(document.at("windows"), Json::parse(R"({"family": "NT", "version": "5.1", "build": 0})"));
        EXPECT_EQ(document.at("mode"), "custom");
        const Json& folders = document.at("categories").at(0).at("byFolder");
        ASSERT_EQ(folders.size(), 2u) << document;
        // The preview counts the host's link to a file (5 bytes) from the
        // listing, where it shows as a plain file; the clear leaves it.
        const int preview = std::wstring_view(verb) == L"preview" ? 1 : 0;
        EXPECT_EQ(folders[0].at("path"), kUserTemp);
        EXPECT_EQ(folders[0].at("files"), 4 + preview);
        EXPECT_EQ(folders[0].at("bytes"), 13 + 5 * preview);
        EXPECT_EQ(folders[0].at("kept").at("links"), 2 - preview);
        EXPECT_EQ(folders[1].at("files"), 1);
        EXPECT_EQ(folders[1].at("bytes"), 5);
    }
}

// The built program on this system's own layout: output redirected to a file
// is UTF-8 and one JSON document.
class CommandProgram : public ::testing::Test {
protected:
    static inline const std::wstring kTemp = L"C:\\purgelet-command\\vista-temp\\";

    void SetUp() override {
        SetEnvironmentVariableW(L"TMP", kTemp.c_str());
        ASSERT_NE(ts::RunAndWait(Command(L"clear --all --quiet")), -1);
    }
    void TearDown() override { SetEnvironmentVariableW(L"TMP", nullptr); }

    static std::string Command(const std::wstring& args) {
        return Narrow(L"\"" + Widen(ts::ProgramExe()).substr(0, Widen(ts::ProgramExe()).find_last_of(L'\\')) +
                      L"\\PurgeletCmd.exe\" " + args);
    }
    // Starts the program with its output in the file C:\purgelet-command\NAME.
    static HANDLE StartProgram(const std::wstring& args, const std::wstring& name) {
        return StartLine(Command(args), name);
    }
    // The same with a command line of its own, in a current folder of its own.
    static HANDLE StartLine(std::string line, const std::wstring& name, const char* folder = nullptr) {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE h = CreateFileW((L"C:\\purgelet-command\\" + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = h;
        PROCESS_INFORMATION pi{};
        const bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder, &si, &pi);
        CloseHandle(h);
        if (!started) return nullptr;
        CloseHandle(pi.hThread);
        return pi.hProcess;
    }
    // Waits for it; returns its exit code and its output.
    static int Finish(HANDLE process, const std::wstring& name, std::string& out) {
        if (!process) return -1;
        WaitForSingleObject(process, 120000);
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
        std::ifstream in(Narrow(L"C:\\purgelet-command\\" + name), std::ios::binary);
        out.assign(std::istreambuf_iterator<char>(in), {});
        return static_cast<int>(code);
    }
    static int RunProgram(const std::wstring& args, std::string& out) {
        return Finish(StartProgram(args, L"out.json"), L"out.json", out);
    }
};

TEST_F(CommandProgram, DefaultLayoutPreviewEqualsClearAndNamesKeptFilesInUtf8) {
    std::string out;
    ASSERT_EQ(RunProgram(L"preview --all --json", out), kExitKept) << out;
    const Json before = Parsed(out);  // what stays whatever is done (held by the system, links)

    const std::wstring odd = kTemp + L"caf\u00e9 \u65e5\u672c.txt";
    HANDLE held = CreateFileW(odd.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ts::MakeDir(Narrow(kTemp) + "sub\\");
    ts::WriteFile(Narrow(kTemp) + "sub\\t.txt", "temp");
    const std::string page = ts::AddNormalEntry("http://two.example/page.htm");
    ASSERT_FALSE(page.empty());
    ASSERT_TRUE(ts::AddCookieEntry("Cookie:user@two.example/"));

    ASSERT_EQ(RunProgram(L"preview --all --json", out), kExitKept) << out;
    const Json preview = Parsed(out);
    EXPECT_EQ(RunProgram(L"clear --all --json", out), kExitKept) << out;
    const Json clear = Parsed(out);
    CloseHandle(held);
    DeleteFileW(odd.c_str());

    // The preview opens no file: the one held open counts as going, and so
    // does the host's link to a file in TEMP, which lists as a plain file;
    // only the clear finds that they stay.
    const auto total = [](const Json& document, const char* field) {
        return document.at("totals").at(field).get<std::uint64_t>();
    };
    EXPECT_EQ(total(preview, "files"),
              total(clear, "files") + clear.at("totals").at("kept").at("files").get<int>() + 1);
    EXPECT_EQ(total(preview, "cacheEntries"), total(clear, "cacheEntries"));
    // The entry's own file counts under the entry, not again as a file.
    EXPECT_EQ(total(preview, "files") - total(before, "files"), 2u);
    EXPECT_EQ(preview.at("totals").at("folders").get<std::uint64_t>() -
                  before.at("totals").at("folders").get<std::uint64_t>(),
              1u);
    EXPECT_EQ(preview.at("totals").at("cacheEntries").get<std::uint64_t>() -
                  before.at("totals").at("cacheEntries").get<std::uint64_t>(),
              2u);
    EXPECT_FALSE(ts::Exists(page));
    bool named = false;
    for (const Json& category : clear.at("categories"))
        for (const Json& item : category.at("keptItems"))
            named = named || item.at("path").get<std::string>().find("caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt") !=
                                 std::string::npos;
    EXPECT_TRUE(named) << out;
    EXPECT_TRUE(ts::Exists(Narrow(kTemp) + "out-dir\\inner\\keep.txt"));
}

TEST_F(CommandProgram, TwoClearsAtOnceTakeEverythingAndNothingOutside) {
    for (int d = 0; d < 8; ++d) {
        const std::string folder = Narrow(kTemp) + "d" + std::to_string(d) + "\\";
        ts::MakeDir(folder);
        for (int f = 0; f < 100; ++f) ts::WriteFile(folder + std::to_string(f) + ".tmp");
    }
    HANDLE first = StartProgram(L"clear temp --json", L"first.txt");
    HANDLE second = StartProgram(L"clear temp --json", L"second.txt");
    std::string out;
    // Neither reports as kept what the other deleted; only the links to
    // outside stay.
    for (auto [process, name] : {std::pair{first, L"first.txt"}, std::pair{second, L"second.txt"}}) {
        EXPECT_EQ(Finish(process, name, out), kExitKept) << out;
        EXPECT_EQ(Parsed(out).at("totals").at("kept").at("files").get<std::uint64_t>(), 0u) << out;
    }
    EXPECT_FALSE(ts::Exists(Narrow(kTemp) + "d0"));
    EXPECT_TRUE(ts::Exists(kTop + "outside\\sentinel.txt"));
    EXPECT_TRUE(ts::Exists(kTop + "outside\\inner\\keep.txt"));
}

}  // namespace

namespace {

// A tree laid inside a folder that must never be emptied, read back whole:
// each entry's content, attributes and number of names.
class Sentinel {
public:
    explicit Sentinel(const std::string& folder) : top_(folder + "purgelet-sentinel\\") {
        ts::RemoveTree(top_);
        ts::MakeDir(top_ + "hidden\\");
        ts::WriteFile(top_ + "a.txt", "alpha");
        ts::WriteFile(top_ + "ro.txt", "read only", FILE_ATTRIBUTE_READONLY);
        ts::WriteFile(top_ + "hidden\\b.txt", "beta");
        SetFileAttributesA((top_ + "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
        ts::WriteFile(top_ + "twice.txt", "two names");
        EXPECT_TRUE(CreateHardLinkA((top_ + "hidden\\second.txt").c_str(), (top_ + "twice.txt").c_str(), nullptr));
        before_ = Read();
    }
    ~Sentinel() {
        SetFileAttributesA((top_ + "ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        ts::RemoveTree(top_);
    }
    bool Unchanged() const { return Read() == before_; }

private:
    std::map<std::string, std::string> Read() const {
        std::map<std::string, std::string> seen;
        Read(top_, seen);
        return seen;
    }
    static void Read(const std::string& folder, std::map<std::string, std::string>& seen) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return;
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            std::string& entry = seen[path] = std::to_string(found.dwFileAttributes);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                Read(path + "\\", seen);
                continue;
            }
            HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            BY_HANDLE_FILE_INFORMATION info{};
            char content[64] = {};
            DWORD read = 0;
            GetFileInformationByHandle(h, &info);
            ReadFile(h, content, sizeof(content), &read, nullptr);
            CloseHandle(h);
            entry += " " + std::to_string(info.nNumberOfLinks) + " " + std::string(content, read);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    std::string top_;
    std::map<std::string, std::string> before_;
};

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string out;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) out = WithTrailingBackslash(Narrow(path));
    CoTaskMemFree(path);
    return out;
}

}  // namespace

// keep add refuses a name many sites share: exit code 2, the reason, nothing
// stored, not even the site named beside it. keep remove takes such a name
// out of a list an earlier version filled, which then reads again.
TEST_F(CommandProgram, KeepRefusesANameManySitesShareAndRemovesOneStored) {
    const std::string keep = KeptSitesKey(ts::SettingsKey());
    ts::RegDeleteTree(keep);
    std::string out;
    EXPECT_EQ(RunProgram(L"keep add org", out), kExitUsage);
    EXPECT_NE(out.find("public suffix"), std::string::npos) << out;
    EXPECT_EQ(RunProgram(L"keep add example.org 1", out), kExitUsage);
    EXPECT_NE(out.find("single name"), std::string::npos) << out;
    EXPECT_TRUE(ts::RegValueNames(keep).empty());

    ts::RegSetString(keep, "org", "1");
    EXPECT_EQ(RunProgram(L"keep list", out), kExitImpossible);
    EXPECT_NE(out.find("'org'"), std::string::npos) << out;
    EXPECT_EQ(RunProgram(L"keep remove org", out), kExitDone) << out;
    EXPECT_TRUE(ts::RegValueNames(keep).empty());
    ts::RegDeleteTree(keep);
}

// TEMP set to another name for the profile or the Windows folder, to a
// folder inside the Windows folder, to a known folder, or to a relative
// value: the built program empties none of them, says why, exits with 1, and
// lists the folder as refused.
TEST_F(CommandProgram, TempNamingAFolderNeverEmptiedUnderAnyNameIsRefused) {
    const std::string profile = KnownFolder(FOLDERID_Profile), windows = KnownFolder(FOLDERID_Windows);
    ASSERT_EQ(profile.substr(0, 3), "C:\\");
    const std::string cwd = kTop + "cwd\\";
    const struct {
        std::string temp, sentinelIn;
    } cases[] = {
        {kTop + "lnk_prof", profile},
        {kTop + "lnk_win", windows},
        {"\\\\localhost\\c$\\" + profile.substr(3), profile},
        {windows + "system32", windows + "system32\\"},
        {KnownFolder(FOLDERID_Documents), KnownFolder(FOLDERID_Documents)},
        {".", cwd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.temp);
        Sentinel sentinel(c.sentinelIn);
        SetEnvironmentVariableA("TMP", c.temp.c_str());
        std::string out;
        EXPECT_EQ(Finish(StartLine(Command(L"clear temp --json"), L"out.json", cwd.c_str()), L"out.json", out),
                  kExitKept)
            << out;
        EXPECT_EQ(Parsed(out).at("totals").at("kept").at("refusedFolders").get<std::uint64_t>(), 1u) << out;
        EXPECT_TRUE(sentinel.Unchanged());
        EXPECT_EQ(Finish(StartLine(Command(L"list --json"), L"list.json", cwd.c_str()), L"list.json", out), kExitDone);
        bool refused = false;
        const Json list = Parsed(out);
        for (const Json& category : list.at("categories"))
            if (category.at("name") == "temp") refused = category.at("byFolder").at(0).at("refused").is_string();
        EXPECT_TRUE(refused) << out;
    }
}

// Started through a share path from inside TEMP (Wine then names the module
// "UNC\\..."), the program leaves its own folder and what lies beside it,
// and says so.
TEST_F(CommandProgram, StartedThroughASharePathFromInsideTempItLeavesItsOwnFolder) {
    const std::string own = Narrow(kTemp) + "Rar1\\";
    ts::MakeDir(own);
    ASSERT_TRUE(CopyFileA(Command(L"").substr(1, Command(L"").find('"', 1) - 1).c_str(),
                          (own + "PurgeletCmd.exe").c_str(), FALSE));
    ts::WriteFile(own + "PurgeletHlp.htm", "help");
    ts::WriteFile(own + "notes.txt", "the user's own");
    ts::WriteFile(Narrow(kTemp) + "junk.tmp");
    std::string out;
    EXPECT_EQ(
        Finish(StartLine("\\\\localhost\\c$\\" + own.substr(3) + "PurgeletCmd.exe clear temp --json", L"out.json"),
               L"out.json", out),
        kExitKept)
        << out;
    EXPECT_FALSE(ts::Exists(Narrow(kTemp) + "junk.tmp"));
    for (const char* name : {"PurgeletCmd.exe", "PurgeletHlp.htm", "notes.txt"})
        EXPECT_TRUE(ts::Exists(own + name)) << name;
    EXPECT_NE(out.find("Rar1"), std::string::npos) << out;
    ts::RemoveTree(own);
}

// A profile with a long name, reached through its short name: refused as the
// profile it is, and nothing in it goes.
TEST(CommandHostile, AShortNameOfALongProfileNameIsTheProfile) {
    const std::string profile = kTop + "hostile\\Long User Name\\";
    ts::MakeDir(profile);
    Sentinel sentinel(profile);
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(Widen(profile).c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(std::wstring(shortName), Widen(profile));
    CleaningSite site;
    site.windowsFolder = KnownFolder(FOLDERID_Windows);
    site.folders.WinMajor = 6;
    site.folders.shell.profile = Widen(profile);
    site.folders.shell.userTemp = shortName;
    site.folders.shell.userTempConfigured = shortName;
    Captured output;
    EXPECT_EQ(RunCmd(site, {L"clear", L"temp", L"--json"}, output), kExitKept) << output.err;
    EXPECT_EQ(Parsed(output.out).at("totals").at("kept").at("refusedFolders").get<std::uint64_t>(), 1u) << output.out;
    EXPECT_TRUE(sentinel.Unchanged());
}

// An entry whose file another program holds without delete sharing stays
// with its file: the file cannot be opened to be told apart, so nothing of it
// is touched.
TEST(CommandHostile, AnEntryWhoseFileIsHeldStaysWithItsFile) {
    ts::ClearUrlCache();
    const std::string inUse = ts::AddNormalEntry("http://in-use.example/a.htm");
    const std::string other = ts::AddNormalEntry("http://other.example/b.htm");
    ASSERT_FALSE(inUse.empty() || other.empty());
    HANDLE held = CreateFileA(inUse.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CleaningSite site = SiteOfThisSystem();
    Captured output;
    EXPECT_EQ(RunCmd(site, {L"clear", L"internet-cache", L"--json"}, output), kExitKept) << output.err;
    CloseHandle(held);
    EXPECT_EQ(Parsed(output.out).at("totals").at("kept").at("cacheEntries").get<std::uint64_t>(), 1u) << output.out;
    EXPECT_TRUE(ts::Exists(inUse));
    EXPECT_FALSE(ts::Exists(other));
    EXPECT_EQ(ts::CacheEntryNames(), std::vector<std::string>{"http://in-use.example/a.htm"});
    ts::ClearUrlCache();
}

// Every way out, with its exit code; with --json each prints one document
// that carries the exit code, and a usage error carries its error. An error
// of the history store ends the run: with nothing done when it is the first
// category (3), after the categories before it when not (1, as Custom clears
// the cookies first); the typed addresses after it stay.
TEST_F(CommandXp, EveryExitPathHasItsCodeAndWithJsonOneDocument) {
    const struct {
        std::vector<std::wstring> args;
        int code;
        bool storeFails = false;
        bool customCookiesAndHistory = false;
    } paths[] = {
        {{L"list"}, kExitDone},
        {{L"--help"}, kExitDone},
        {{}, kExitUsage},
        {{L"wipe", L"--all"}, kExitUsage},
        {{L"clear", L"--all", L"--everything"}, kExitUsage},
        {{L"clear", L"nonsense"}, kExitUsage},
        {{L"clear"}, kExitUsage},
        {{L"preview", L"--all", L"--quiet"}, kExitUsage},
        {{L"list", L"temp"}, kExitUsage},
        {{L"clear", L"--all", L"--chosen"}, kExitUsage},
        {{L"preview", L"--chosen", L"temp"}, kExitUsage},
        {{L"clear", L"typed-urls", L"history"}, kExitImpossible, true},
        {{L"clear", L"--chosen"}, kExitKept, true, true},
    };
    for (const auto& path : paths) {
        for (const bool json : {false, true}) {
            std::vector<std::wstring> args = path.args;
            std::string shown;
            for (const std::wstring& arg : args) shown += Narrow(arg) + " ";
            SCOPED_TRACE(shown + (json ? "--json" : ""));
            if (json && !args.empty() && args[0] == L"--help") continue;  // help takes no options
            if (json) args.push_back(L"--json");
            CleaningSite here = site;
            if (path.storeFails)
                here.platform.createComObject = [](REFCLSID, REFIID, void** out) {
                    *out = nullptr;
                    return REGDB_E_CLASSNOTREG;
                };
            ts::RegSetString(kTypedUrlsKey, "url1", "http://one.example/");
            ts::RegDeleteTree(ts::SettingsKey());
            if (path.customCookiesAndHistory)
                for (const std::string& value : {texts::ValCustomMode.Text(), texts::ValCustomCookies.Text(),
                                                 texts::ValCustomHistoryLinksWeb.Text()})
                    ts::RegSetString(ts::SettingsKey(), value, "1");
            EXPECT_EQ(RunCmd(here, args, output), path.code);
            EXPECT_EQ(output.err.empty(), path.code == kExitDone) << output.err;
            EXPECT_EQ(ts::RegValueNames(kTypedUrlsKey).size(), 1u) << "none of these clears anything";
            if (!json) {
                EXPECT_EQ(output.out.empty(), path.code == kExitUsage) << output.out;
                continue;
            }
            const Json document = Parsed(output.out);
            EXPECT_EQ(document.at("exitCode").get<std::uint64_t>(), static_cast<std::uint64_t>(path.code));
            EXPECT_EQ(document.at("error").is_string(), path.code == kExitUsage);
        }
    }
    // A mode value of another type than text, as a policy writes it, stops the run.
    ts::RegSetDword(ts::SettingsKey(), texts::ValClearAllMode.Text(), 1);
    EXPECT_EQ(RunCmd(site, {L"clear", L"--chosen", L"--json"}, output), kExitImpossible);
    EXPECT_EQ(Parsed(output.out).at("exitCode").get<std::uint64_t>(), static_cast<std::uint64_t>(kExitImpossible));
    const std::string error = Parsed(output.out).at("error");
    for (const std::string named : {texts::ValClearAllMode.Text(), std::string("REG_DWORD"), std::string("REG_SZ")})
        EXPECT_NE(error.find(named), std::string::npos) << error;

    ts::RegDeleteTree(ts::SettingsKey());
    EXPECT_EQ(RunCmd(site, {L"clear", L"--chosen", L"--quiet", L"--json"}, output), kExitDone);
    EXPECT_FALSE(output.err.empty()) << "nothing chosen is said, also when quiet";
    EXPECT_TRUE(Parsed(output.out).at("nothingChosen").is_string());
}

namespace {
WORD Subsystem(const std::string& exe) {
    std::ifstream in(exe, std::ios::binary);
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS64 nt{};
    in.read(reinterpret_cast<char*>(&dos), sizeof(dos));
    in.seekg(dos.e_lfanew);
    in.read(reinterpret_cast<char*>(&nt), sizeof(nt));
    return in && nt.Signature == IMAGE_NT_SIGNATURE ? nt.OptionalHeader.Subsystem : 0;
}

// Top-level windows of the process, hidden ones too.
int WindowsOf(DWORD pid) {
    std::pair<DWORD, int> seen{pid, 0};
    EnumWindows(
        [](HWND window, LPARAM param) {
            auto* s = reinterpret_cast<std::pair<DWORD, int>*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            s->second += owner == s->first;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    return seen.second;
}
}  // namespace

// PurgeletTask, the command's windowless twin: a GUI-subsystem program (so no
// console opens for it) that shows no window, writes where its caller points
// its output, and bare runs the stored unattended clearing.
TEST_F(CommandProgram, TheWindowlessTwinRunsTheStoredClearingWithNoConsoleAndNoWindow) {
    const std::string task = "T:\\PurgeletTask.exe";
    EXPECT_EQ(Subsystem(task), IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_EQ(Subsystem("T:\\PurgeletCmd.exe"), IMAGE_SUBSYSTEM_WINDOWS_CUI);

    // Custom takes the Run box's words and the temporary files; the typed
    // addresses are ticked for another mode only.
    ts::RegDeleteTree(ts::SettingsKey());
    for (const std::string& value : {texts::ValCustomMode.Text(), texts::ValCustomTemporary.Text(),
                                     texts::ValCustomTypedWordsInRun.Text(), texts::ValClearTypedURLs.Text()})
        ts::RegSetString(ts::SettingsKey(), value, "1");
    ts::RegSetString(kRunMruKey, "a", "notepad\\1");
    ts::RegSetString(kRunMruKey, "MRUList", "a");
    ts::RegSetString(kTypedUrlsKey, "url1", "http://task.example/");
    ts::MakeDir(Narrow(kTemp) + "sub\\");
    ts::WriteFile(Narrow(kTemp) + "sub\\a.tmp");

    std::string out;
    EXPECT_EQ(Finish(StartLine(task + " preview --chosen --json", L"task.json"), L"task.json", out), kExitKept);
    std::vector<std::string> names;
    const Json preview = Parsed(out);
    for (const Json& category : preview.at("categories")) names.push_back(category.at("name"));
    EXPECT_EQ(names, (std::vector<std::string>{"run-history", "temp"}));
    EXPECT_EQ(preview.at("program").at("name"), "PurgeletTask");

    // Bare and given no handles; the links in TEMP make its exit code 1, the
    // command's.
    ts::StartedProgram bare(task);
    EXPECT_TRUE(bare);
    int windows = 0;
    while (WaitForSingleObject(bare.Handle(), 5) == WAIT_TIMEOUT) windows += WindowsOf(bare.Id());
    DWORD code = 0;
    GetExitCodeProcess(bare.Handle(), &code);
    EXPECT_EQ(windows, 0);
    EXPECT_EQ(code, static_cast<DWORD>(kExitKept));
    EXPECT_FALSE(ts::Exists(Narrow(kTemp) + "sub"));
    EXPECT_TRUE(ts::RegValueNames(kRunMruKey).empty());
    EXPECT_EQ(ts::RegValueNames(kTypedUrlsKey), std::vector<std::string>{"url1"});
    ts::RegDeleteTree(ts::SettingsKey());
    ts::RegDeleteTree(kTypedUrlsKey);
}
