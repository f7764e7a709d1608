// Whole clearing runs on each Windows family: the prefix reports the version,
// a child process creates the windows and presses every category button and
// "Clear All" over real folders, URL cache entries and registry values.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cleaner/CategoryPlan.h"
#include "cleaner/Categories.h"
#include "cleaner/iecache/HistoryStore.h"
#include "cookies/CookieListWindow.h"
#include "cookies/CookieTestHelpers.h"
#include "mainwindow/MainWindow.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {

// The drive laid out by make_clearing_drive.sh: every folder to be emptied
// holds a link to the sentinel folder.
const std::string kWindows = "Q:\\WINDOWS\\";
const std::string kSentinel = "Q:\\sentinel\\";
constexpr char kLink[] = "sentinel-link";
constexpr char kFamilyVariable[] = "PURGELET_CLEARING_FAMILY";

std::string LogonName() {
    char name[128] = {};
    DWORD size = sizeof(name);
    return GetUserNameA(name, &size) ? name : "";
}

std::set<std::string> EntriesOf(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return names;
}

bool IsReparsePoint(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A file and a sub-folder with a file: the removal's own tests cover the
// attributes and the depths once.
void LayFiles(const std::string& folder) {
    MakeDir(folder + "sub");
    WriteFile(folder + "plain.txt");
    WriteFile(folder + "sub\\b.txt");
}

std::vector<std::string> NamesOfKind(bool (*kind)(const std::string&)) {
    std::vector<std::string> out;
    for (const std::string& name : CacheEntryNames())
        if (kind(name)) out.push_back(name);
    return out;
}
bool IsCookie(const std::string& n) { return n.rfind("Cookie:", 0) == 0; }
bool IsHistory(const std::string& n) { return n.rfind("Visited:", 0) == 0; }
bool IsOrdinary(const std::string& n) { return !IsCookie(n) && !IsHistory(n); }

// One kind of trace, laid out before every press, and the category that clears it.
struct Trace {
    std::string name;
    std::optional<Category> clearedBy;
    std::function<void()> lay;
    std::function<bool()> present;
    std::function<bool()> gone;
};

// The files below a folder, at any depth.
std::multiset<std::string> FilesBelow(const std::string& folder) {
    std::multiset<std::string> files;
    for (const std::string& name : EntriesOf(folder)) {
        if (IsReparsePoint(folder + name)) continue;
        if (!IsDir(folder + name)) files.insert(name);
        for (const std::string& below : FilesBelow(folder + name + "\\")) files.insert(below);
    }
    return files;
}

// The laid files, and (laid with them) a file a sub-folder deep, like a jump
// list below Recent. A folder that stays holds no file but the URL cache's
// index once cleared.
Trace FolderTrace(const std::string& folder, std::optional<Category> clearedBy, const std::string& extra = {},
                  const std::string& stays = {}) {
    std::set<std::string> full = {kLink, "plain.txt", "sub"};
    std::set<std::string> left = {kLink};
    if (!extra.empty()) full.insert(extra.substr(0, extra.find('\\')));
    if (!stays.empty()) full.insert(stays), left.insert(stays);
    return {folder, clearedBy,
            [folder, extra] {
                LayFiles(folder);
                if (extra.empty()) return;
                MakeDir(folder + extra.substr(0, extra.rfind('\\')));
                WriteFile(folder + extra, "x", FILE_ATTRIBUTE_HIDDEN);
            },
            [folder, full] {
                // A folder of the system's (TEMP) may hold more than was laid.
                const std::set<std::string> there = EntriesOf(folder);
                return std::includes(there.begin(), there.end(), full.begin(), full.end());
            },
            [folder, left, stays] {
                return EntriesOf(folder) == left && IsReparsePoint(folder + kLink) &&
                       (stays.empty() || FilesBelow(folder + stays + "\\") == std::multiset<std::string>{"index.dat"});
            }};
}

std::string ShellFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = WithTrailingBackslash(Narrow(path));
    CoTaskMemFree(path);
    return folder;
}

std::vector<Trace> CacheAndRegistryTraces() {
    static std::string cookieFile, pageFile;
    std::vector<Trace> t;
    t.push_back({"cookie entries", Category::Cookies,
                 [] { cookieFile = cookie_tests::AddCookieWithFile("Cookie:run@cookie.example/"); },
                 [] { return NamesOfKind(IsCookie).size() == 1 && Exists(cookieFile); },
                 [] { return NamesOfKind(IsCookie).empty() && !Exists(cookieFile); }});
    t.push_back({"history entries", Category::HistoryLinksWeb,
                 [] {
                     AddHistoryEntry("Visited: run@http://history.example/");
                     AddHistoryEntry("Visited: run@http://history.example/page");
                 },
                 [] { return NamesOfKind(IsHistory).size() == 2; }, [] { return NamesOfKind(IsHistory).empty(); }});
    t.push_back({"ordinary entries", Category::TempInternetFiles,
                 [] { pageFile = AddNormalEntry("http://pages.example/index.htm"); },
                 [] { return NamesOfKind(IsOrdinary).size() == 1 && Exists(pageFile); },
                 [] { return NamesOfKind(IsOrdinary).empty() && !Exists(pageFile); }});
    t.push_back({"typed URLs", Category::TypedURLs,
                 [] {
                     for (const char* n : {"url1", "url2", "url3"})
                         RegSetString(kTypedUrlsKey, n, std::string("http://") + n + ".example/");
                 },
                 [] { return RegValueNames(kTypedUrlsKey).size() == 3; },
                 [] { return RegKeyExists(kTypedUrlsKey) && RegValueNames(kTypedUrlsKey).empty(); }});
    t.push_back({"typed words on Run", Category::TypedWordsOnRun,
                 [] {
                     RegSetString(kRunMruKey, "a", "notepad\\1");
                     RegSetString(kRunMruKey, "b", "cmd\\1");
                     RegSetString(kRunMruKey, "c", "regedit\\1");
                     RegSetString(kRunMruKey, "MRUList", "cba");
                 },
                 [] { return RegValueNames(kRunMruKey).size() == 4; },
                 [] { return RegKeyExists(kRunMruKey) && RegValueNames(kRunMruKey).empty(); }});
    return t;
}

using Lines = std::vector<std::string>;

struct Family {
    bool win9x;
    int major;
    std::string profile;
    std::vector<Trace> traces;
    Lines tempInternet, temporary, recent, clearAll;
};

Family FamilyOf(const std::string& name) {
    namespace L = logline;
    const std::string user = LogonName();
    const std::string profiles = kWindows + "Profiles\\" + user + "\\";
    const std::string documents = "Q:\\Documents and Settings\\" + user + "\\";
    const Category tif = Category::TempInternetFiles, temp = Category::TemporaryFiles, doc = Category::HistoryLinksDoc;
    const std::optional<Category> none;
    Family f;
    f.traces = CacheAndRegistryTraces();
    const auto folders = [&](std::initializer_list<std::pair<std::string, std::optional<Category>>> list) {
        for (const auto& [folder, category] : list) f.traces.push_back(FolderTrace(folder, category));
    };
    if (name == "98" || name == "98-nouser") {
        const bool user = name == "98";
        f.win9x = true;
        f.major = 4;
        folders({{kWindows + "Temp\\", temp},
                 {kWindows + "Recent\\", doc},
                 {kWindows + "Temporary Internet Files\\", tif},
                 {profiles + "Recent\\", user ? doc : none},
                 {profiles + "Temporary Internet Files\\", user ? tif : none},
                 {profiles + "Temp\\", none},
                 {documents + "Recent\\", none}});
        f.tempInternet = user ? Lines{L::UserTempInternet, L::TempInternet} : Lines{L::TempInternet};
        f.temporary = {L::WindowsTemp9x};
        f.recent = user ? Lines{L::Recent, L::UserRecent} : Lines{L::Recent};
        f.clearAll = {L::HistoryOfWebSites};
        f.clearAll.insert(f.clearAll.end(), f.tempInternet.begin(), f.tempInternet.end());
        f.clearAll.insert(f.clearAll.end(), {L::UserCookies, L::TypedUrls, L::RunWords, L::WindowsTemp9x});
        f.clearAll.insert(f.clearAll.end(), f.recent.begin(), f.recent.end());
        return f;
    }
    f.tempInternet = {L::TempInternet};
    f.temporary = {L::UserTempNt, L::WindowsTempNt};
    f.recent = {L::Recent};
    f.clearAll = {L::HistoryOfWebSites, L::TempInternet, L::NtCookies,     L::TypedUrls,
                  L::RunWords,          L::UserTempNt,   L::WindowsTempNt, L::Recent};
    f.win9x = false;
    if (name == "vista") {
        // The folders Wine's shell names; the cache keeps its index and containers.
        f.major = 6;
        f.profile = ShellFolder(FOLDERID_Profile);
        wchar_t userTemp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, userTemp);
        folders({{kWindows + "Temp\\", temp}, {Narrow(userTemp), temp}});
        f.traces.push_back(FolderTrace(ShellFolder(FOLDERID_InternetCache), tif, {}, "Content.IE5"));
        f.traces.push_back(
            FolderTrace(ShellFolder(FOLDERID_Recent), doc, "AutomaticDestinations\\1.automaticDestinations-ms"));
        return f;
    }
    const bool nt4 = name == "nt4";
    f.major = nt4 ? 4 : 5;
    f.profile = nt4 ? profiles : documents;
    const std::string local = nt4 ? f.profile : f.profile + "Local Settings\\";
    folders({{kWindows + "Temp\\", temp},
             {kWindows + "Recent\\", none},
             {kWindows + "Temporary Internet Files\\", none},
             {local + "Temporary Internet Files\\", tif},
             {local + "Temp\\", temp},
             {f.profile + "Recent\\", doc},
             {nt4 ? documents + "Recent\\" : profiles + "Recent\\", none}});
    return f;
}

// Every folder a category empties holds a link to the sentinel, which stays
// and is said to: after each folder's line, the line that tells it.
Lines WithSentinelLinks(const Lines& log, const ProgramState& state) {
    RemovalTally oneLink;
    oneLink.keptLinks = 1;
    std::map<std::string, std::string> leftAfter;  // a folder's line, and the line that follows it
    for (Category category : {Category::TempInternetFiles, Category::TemporaryFiles, Category::HistoryLinksDoc})
        for (const PlannedFolder& f : PlanOf(category, state.folders, state.WindowsFolder).folders)
            if (!f.folder.empty()) leftAfter[f.line] = LeftLine(f.what, oneLink);
    Lines out;
    for (const std::string& line : log) {
        out.push_back(line);
        if (const auto it = leftAfter.find(line); it != leftAfter.end()) out.push_back(it->second);
    }
    return out;
}

// Runs this test program again with the prefix reporting another Windows
// version; the family's checks run in the child.
void RunFamily(const char* family, const char* version) {
    if (!IsDir(kSentinel)) GTEST_SKIP() << "the host-side drive Q: is missing; run through ctest";
    SetEnvironmentVariableA(kFamilyVariable, family);
    ReportedVersion reported(version);
    EXPECT_EQ(RunTestInChild("ClearingRunProbe.DISABLED_Family", 240000), 0)
        << "the child's checks failed for " << family;
}

}  // namespace

TEST(ClearingRunProbe, DISABLED_Family) {
    char name[32] = {};
    ASSERT_GT(GetEnvironmentVariableA(kFamilyVariable, name, sizeof(name)), 0u);
    const std::string familyName = name;
    const Family family = FamilyOf(familyName);

    // Attributes a reset through a followed link would wipe.
    ASSERT_TRUE(SetFileAttributesA((kSentinel + "keep.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA((kSentinel + "inner").c_str(), FILE_ATTRIBUTE_HIDDEN));

    ProgramFixture fx;
    RegDeleteTree(SettingsKey());
    fx.state.SettingsKey = SettingsKey();
    fx.state.WindowsFolder = kWindows;
    if (familyName == "98-nouser") fx.state.platform.getUserName = [](char*, DWORD*) { return FALSE; };
    TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
    fx.app.CreateForm<TMainForm>(fx.state);
    ASSERT_EQ(fx.state.folders.IsWin9x, family.win9x);
    ASSERT_EQ(fx.state.folders.WinMajor, family.major);
    ASSERT_EQ(fx.state.folders.ProfileFolder, family.profile);

    struct Press {
        const char* what;
        ui::Button& button;
        std::optional<Category> category;  // none: every category
        Lines log;
    };
    namespace L = logline;
    const Press presses[] = {
        {"history", w.btnClearHistory, Category::HistoryLinksWeb, {L::HistoryOfWebSites}},
        {"temporary internet files", w.Button2, Category::TempInternetFiles, family.tempInternet},
        {"cookies", w.btnClearCookies, Category::Cookies, {L::UserCookies}},
        {"typed URLs", w.btnClearTypedURLs, Category::TypedURLs, {L::TypedUrls}},
        {"typed words on Run", w.btnClearTypedWordsInRun, Category::TypedWordsOnRun, {L::RunWords}},
        {"temporary files", w.btnTemporary, Category::TemporaryFiles, family.temporary},
        {"history links of documents", w.btnClearRecent, Category::HistoryLinksDoc, family.recent},
        {"Clear All", w.btnClearAll, std::nullopt, family.clearAll},
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(familyName + ": " + press.what);
        ClearUrlCache();
        RegDeleteTree(kTypedUrlsKey);
        RegDeleteTree(kRunMruKey);
        for (const Trace& t : family.traces) {
            t.lay();
            ASSERT_TRUE(t.present()) << t.name << " could not be laid out";
        }
        press.button.Click();
        EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), WithSentinelLinks(press.log, fx.state));
        for (const Trace& t : family.traces) {
            const bool cleared = t.clearedBy && (!press.category || press.category == t.clearedBy);
            if (cleared)
                EXPECT_TRUE(t.gone()) << t.name << " should be cleared";
            else
                EXPECT_TRUE(t.present()) << t.name << " should be untouched";
        }
        EXPECT_FALSE(w.HourglassShown());
        EXPECT_TRUE(fx.state.ClearLogPerCategory);
    }
    EXPECT_TRUE(fx.recorded.boxes.empty());
    EXPECT_EQ(GetFileAttributesA((kSentinel + "keep.txt").c_str()) & ~DWORD(FILE_ATTRIBUTE_ARCHIVE),
              DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesA((kSentinel + "inner").c_str()),
              DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(Exists(kSentinel + "inner\\keep2.txt"));
    if (family.major >= 6) {
        // The cache still stores pages with their files, and cookies.
        const std::string page = AddNormalEntry("http://after.example/page.htm");
        EXPECT_TRUE(!page.empty() && Exists(page));
        ASSERT_TRUE(InternetSetCookieA("http://after.example/", "kept", "yes; expires=Sat, 01-Jan-2050 00:00:00 GMT"));
        char cookie[256] = {};
        DWORD size = sizeof(cookie);
        EXPECT_TRUE(InternetGetCookieA("http://after.example/", "kept", cookie, &size));
        EXPECT_STREQ(cookie, "kept=yes");
    }
    ClearUrlCache();
    RegDeleteTree(kTypedUrlsKey);
    RegDeleteTree(kRunMruKey);
    RegDeleteTree(SettingsKey());
}

TEST(ClearingRun, Windows98WithALogonName) { RunFamily("98", "win98"); }

TEST(ClearingRun, Windows98WithoutALogonName) { RunFamily("98-nouser", "win98"); }

TEST(ClearingRun, WindowsNt4) { RunFamily("nt4", "nt40"); }

TEST(ClearingRun, WindowsXp) { RunFamily("xp", "winxp"); }

TEST(ClearingRun, WindowsVistaAndLaterInThePrefixAsItIs) { RunFamily("vista", "win7"); }

// A copy unpacked into the user's TEMP (as Explorer does when a zip is
// opened) empties TEMP but leaves its own folder: the program and its help.
TEST(ClearingRun, ProgramStartedFromInsideTempKeepsItsOwnFolder) {
    wchar_t userTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, userTemp);
    const std::string temp = Narrow(userTemp);
    const std::string unpacked = temp + "Temp1_Purgelet.zip\\";
    const std::string own = unpacked + "Purgelet\\";
    const std::string built = ProgramExe().substr(0, ProgramExe().rfind('\\') + 1);
    MakeDir(own);
    for (const char* file : {"Purgelet.exe", "PurgeletHlp.htm"})
        ASSERT_TRUE(CopyFileA((built + file).c_str(), (own + file).c_str(), FALSE));
    LayFiles(temp);
    WriteFile(unpacked + "readme.txt");
    RegDeleteTree(SettingsKey());
    {
        StartedProgram program("\"" + own + "Purgelet.exe\"");
        HWND main = WaitForWindow(kProgramName, nullptr, 30000, program.Id());
        ASSERT_NE(main, nullptr);
        struct Search {
            HWND found = nullptr;
        } search;
        EnumChildWindows(
            main,
            [](HWND h, LPARAM lp) -> BOOL {
                char text[32] = {};
                GetWindowTextA(h, text, sizeof(text));
                if (lstrcmpA(text, "Clear All") != 0) return TRUE;
                reinterpret_cast<Search*>(lp)->found = h;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        ASSERT_NE(search.found, nullptr);
        DWORD_PTR answer = 0;
        ASSERT_TRUE(SendMessageTimeoutA(search.found, BM_CLICK, 0, 0, SMTO_NORMAL, 120000, &answer));
        EXPECT_TRUE(program.End(main));
    }
    EXPECT_EQ(EntriesOf(own), (std::set<std::string>{"Purgelet.exe", "PurgeletHlp.htm"}));
    EXPECT_EQ(EntriesOf(unpacked), std::set<std::string>{"Purgelet"});
    std::set<std::string> left = EntriesOf(temp);
    left.erase(kLink);
    EXPECT_EQ(left, std::set<std::string>{"Temp1_Purgelet.zip"});
    RemoveTree(unpacked);
    RegDeleteTree(SettingsKey());
}
