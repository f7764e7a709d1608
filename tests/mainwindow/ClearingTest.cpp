// The clearing's edge cases, each with the Windows family given through the
// version seam and the folders of a test folder of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cleaner/CategoryPlan.h"
#include "cleaner/Categories.h"
#include "cleaner/iecache/HistoryStore.h"
#include "cleaner/removal/FolderRefusal.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OptionRules.h"
#include "support/Input.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;
namespace L = purgelet::logline;
using Lines = std::vector<std::string>;

namespace {

class ClearingTest : public ::testing::Test {
protected:
    void SetUp() override {
        Forget();
        fx.state.SettingsKey = SettingsKey();
        fx.state.WindowsFolder = Windows();
        MakeDir(Windows());
    }
    void TearDown() override { Forget(); }
    static void Forget() {
        RegDeleteTree(SettingsKey());
        RegDeleteTree(kTypedUrlsKey);
        RegDeleteTree(kRunMruKey);
        ClearUrlCache();
    }

    // The main window and the cookie manager on a Windows of this version.
    TForm1& Create(DWORD major, DWORD platformId, const std::string& user = "user1") {
        fx.state.platform.getVersion = [=](OSVERSIONINFOA* v) {
            v->dwMajorVersion = major;
            v->dwMinorVersion = major == 4 && platformId == VER_PLATFORM_WIN32_WINDOWS ? 10 : 0;
            v->dwPlatformId = platformId;
            return TRUE;
        };
        fx.state.platform.getUserName = [user](char* buffer, DWORD* size) {
            if (user.empty() || *size <= user.size()) return FALSE;
            std::strcpy(buffer, user.c_str());
            return TRUE;
        };
        TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
        fx.app.CreateForm<TMainForm>(fx.state);
        return w;
    }
    TForm1& Create98() { return Create(4, VER_PLATFORM_WIN32_WINDOWS); }
    TForm1& CreateXp() { return Create(5, VER_PLATFORM_WIN32_NT); }

    // An NT profile folder for the run (discovery found none in the prefix).
    std::string UseProfile() {
        const std::string profile = dir / "profile\\";
        MakeDir(profile);
        fx.state.folders.ProfileFolder = profile;
        return profile;
    }
    std::string Windows() const { return dir / "WINDOWS\\"; }
    static void LayTypedUrls() {
        for (const char* n : {"url1", "url2", "url3"}) RegSetString(kTypedUrlsKey, n, "http://example.com/");
    }

    ProgramFixture fx;
    TempDir dir;
};

// Points TMP (which GetTempPath reads first) somewhere else until it goes.
struct TmpVariable {
    explicit TmpVariable(const std::wstring& folder) {
        GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
        SetEnvironmentVariableW(L"TMP", folder.c_str());
    }
    ~TmpVariable() { SetEnvironmentVariableW(L"TMP", saved); }
    wchar_t saved[MAX_PATH] = {};
};

bool NoFlagSet(NtCategoryFlags flags) { return !flags.Any(); }

}  // namespace

TEST_F(ClearingTest, FolderCategoriesOn98WithAMissingFolderOrWindowsFolderLogAndRemoveNothing) {
    TForm1& w = Create98();
    // No Windows temp folder: not a line.
    w.btnTemporary.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{});

    // The Windows folder unknown: the folder names alone would be relative
    // paths, here leading into the current folder.
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(dir.Path().c_str());
    const std::vector<std::string> decoys = {"Temp\\keep.txt", "Recent\\keep.txt", "Temporary Internet Files\\keep.txt",
                                             "Profiles\\user1\\Recent\\keep.txt"};
    for (const std::string& d : decoys) {
        MakeDir(dir / d.substr(0, d.rfind('\\')));
        WriteFile(dir / d);
    }
    fx.state.WindowsFolder.clear();
    w.btnTemporary.Click();
    w.btnClearRecent.Click();
    w.Button2.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{});
    // On the NT family the run writes its lines, but still empties nothing there.
    fx.state.folders.IsWin9x = false;
    UseProfile();
    w.btnTemporary.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), (Lines{L::UserTempNt, L::WindowsTempNt}));
    SetCurrentDirectoryA(previous);
    for (const std::string& d : decoys) EXPECT_TRUE(Exists(dir / d)) << d;
}

TEST_F(ClearingTest, XpTemporaryFilesAloneLogsBothLinesInOrderWithTheUserFolderMissing) {
    TForm1& w = CreateXp();
    const std::string profile = UseProfile();
    const std::string temp = Windows() + "Temp\\";
    MakeDir(temp + "sub");
    WriteFile(temp + "a.txt");
    WriteFile(temp + "sub\\b.txt", "x", FILE_ATTRIBUTE_READONLY);
    w.btnTemporary.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), (Lines{L::UserTempNt, L::WindowsTempNt}));
    EXPECT_TRUE(IsFolderEmpty(temp));
    EXPECT_FALSE(IsDir(profile + "Local Settings"));
    EXPECT_TRUE(NoFlagSet(fx.state.ntFlags));
    EXPECT_FALSE(w.HourglassShown());
}

TEST_F(ClearingTest, RegistryListsLoseEveryValueButKeepTheirKey) {
    TForm1& w = Create98();
    // Three typed commands and the order value.
    for (const char* n : {"a", "b", "c"}) RegSetString(kRunMruKey, n, std::string(n) + "\\1");
    RegSetString(kRunMruKey, "MRUList", "cba");
    w.btnClearTypedWordsInRun.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{L::RunWords});
    EXPECT_TRUE(RegKeyExists(kRunMruKey));
    EXPECT_TRUE(RegValueNames(kRunMruKey).empty());
    // No values: done all the same; no key: the failure text alone.
    w.btnClearTypedWordsInRun.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{L::RunWords});
    RegDeleteTree(kRunMruKey);
    w.btnClearTypedWordsInRun.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{L::RunWordsFailed});
    EXPECT_FALSE(RegKeyExists(kRunMruKey));

    // A name outside the code page goes too; values that stay are counted.
    LayTypedUrls();
    const wchar_t wide[] = L"\x4E2D\x6587";
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExW(key, wide, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 2 * sizeof(wchar_t));
    RegCloseKey(key);
    fx.state.platform.regDeleteValue = [](HKEY k, const wchar_t* name) {
        if (std::wstring(name) == L"url1" || std::wstring(name) == L"url3") return LONG(ERROR_ACCESS_DENIED);
        return RegDeleteValueW(k, name);
    };
    w.btnClearTypedURLs.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{"Failing to remove Typed URLs. Count = 2"});
    EXPECT_EQ(RegValueNames(kTypedUrlsKey), (Lines{"url1", "url3"}));

    // A press on either button empties the log at once; released outside, it clicks nothing.
    for (ui::Button* b : {&w.btnClearTypedURLs, &w.btnClearTypedWordsInRun}) {
        w.Log().Add("line");
        ButtonDown(b->Handle(), {4, 4});
        EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{});
        ButtonUp(b->Handle(), {0xFFF0, 0xFFF0});
        ReleaseCapture();
        EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{});
    }
    EXPECT_EQ(RegValueNames(kTypedUrlsKey).size(), 2u);

    // A listing that breaks off with an error leaves values behind unnamed: the failure text.
    fx.state.platform.regDeleteValue = Platform{}.regDeleteValue;
    fx.state.platform.regEnumValueName = [](HKEY k, DWORD index, wchar_t* name, DWORD* length) {
        return index == 0 ? RegEnumValueW(k, index, name, length, nullptr, nullptr, nullptr, nullptr)
                          : LONG(ERROR_KEY_DELETED);
    };
    w.btnClearTypedURLs.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{"Failing to remove Typed URLs"});
    EXPECT_EQ(RegValueNames(kTypedUrlsKey).size(), 1u);  // of the two, only the listed one went
}

TEST_F(ClearingTest, NtRunWithoutAProfileFolderKeepsItsFlagsForARunThatFindsOne) {
    // NT 4 without a logon name: no profile folder, even though the profiles
    // folder itself is there.
    const std::string profiles = Windows() + "Profiles\\";
    MakeDir(profiles + "Recent");
    WriteFile(profiles + "Recent\\keep.txt");
    TForm1& w = Create(4, VER_PLATFORM_WIN32_NT, "");
    ASSERT_EQ(fx.state.folders.ProfileFolder, "");
    const Lines stopped = {L::NoProfileFolder, L::NtRunStopped};
    w.btnTemporary.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), stopped);
    w.btnClearRecent.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), stopped);
    EXPECT_TRUE(fx.state.ntFlags.Has(IndexOf(Category::TemporaryFiles)) &&
                fx.state.ntFlags.Has(IndexOf(Category::HistoryLinksDoc)));
    EXPECT_TRUE(Exists(profiles + "Recent\\keep.txt"));
    EXPECT_FALSE(w.HourglassShown());

    // A later run that finds the profile does what was left pending as well.
    const std::string profile = UseProfile();
    for (const char* folder : {"Temp\\", "Recent\\"}) {
        MakeDir(profile + folder);
        WriteFile(profile + folder + "a.txt");
    }
    w.btnClearRecent.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), (Lines{L::UserTempNt, L::WindowsTempNt, L::Recent}));
    EXPECT_TRUE(IsFolderEmpty(profile + "Temp\\") && IsFolderEmpty(profile + "Recent\\"));
    EXPECT_TRUE(NoFlagSet(fx.state.ntFlags));
}

TEST_F(ClearingTest, ClearSelectedWithNothingCheckedAndTheCustomExecutionMode) {
    TForm1& w = Create98();
    LayTypedUrls();
    w.btnClearSelected.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{});
    EXPECT_EQ(RegValueNames(kTypedUrlsKey).size(), 3u);
    fx.state.folders.IsWin9x = false;
    w.btnClearSelected.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), (Lines{L::NoProfileFolder, L::NtRunStopped}));
    UseProfile();
    w.btnClearSelected.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{});
    EXPECT_EQ(RegValueNames(kTypedUrlsKey).size(), 3u);

    // Custom: cookies, then temporary files, each emptying the log first.
    w.rbtnCustom.SetChecked(true);
    w.chkCustom_Cookies.SetChecked(true);
    w.chkCustom_Temporary.SetChecked(true);
    for (bool win9x : {true, false}) {
        fx.state.folders.IsWin9x = win9x;
        AddCookieEntry("Cookie:user1@custom.example/");
        MakeDir(Windows() + "Temp");
        WriteFile(Windows() + "Temp\\a.txt");
        w.ExecuteClearChosen();
        EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()),
                  (win9x ? Lines{L::WindowsTemp9x} : Lines{L::UserTempNt, L::WindowsTempNt}));
        EXPECT_TRUE(CacheEntryNames().empty());
        EXPECT_TRUE(IsFolderEmpty(Windows() + "Temp\\"));
    }
    EXPECT_EQ(RegValueNames(kTypedUrlsKey).size(), 3u);
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

// Each box of " Selected Items " picks its own category: with a mix ticked,
// "Clear Selected" does what the ticked boxes' buttons do one after another
// and "Clear Not Selected" what the others' do, in the order of the mode run;
// on the NT family the one NT run takes the same categories.
TEST_F(ClearingTest, ClearSelectedAndNotSelectedTakeEachTickedBoxsOwnCategory) {
    TForm1& w = Create98();
    const std::pair<ui::CheckBox*, ui::Button*> boxes[] = {
        {&w.chkClearHistory, &w.btnClearHistory},
        {&w.chkTempInternet, &w.Button2},
        {&w.chkClearCookies, &w.btnClearCookies},
        {&w.chkClearTypedURLs, &w.btnClearTypedURLs},
        {&w.chkClearTypedWordsInRun, &w.btnClearTypedWordsInRun},
        {&w.chkClearTemp, &w.btnTemporary},
        {&w.chkRecentLinks, &w.btnClearRecent},
    };
    const auto lay = [] {
        LayTypedUrls();
        RegSetString(kRunMruKey, "a", "notepad\\1");
        ASSERT_TRUE(AddCookieEntry("Cookie:user1@mix.example/"));
    };
    for (const char* folder : {"Temp", "Recent", "Temporary Internet Files"}) MakeDir(Windows() + folder);
    std::vector<Lines> alone;
    for (const auto& [box, button] : boxes) {
        lay();
        button->Click();
        alone.push_back(WithoutRemovedLines(w.Log().Lines()));
    }
    ASSERT_EQ(std::set<Lines>(alone.begin(), alone.end()).size(), std::size(boxes)) << testing::PrintToString(alone);
    for (bool win9x : {true, false}) {
        SCOPED_TRACE(win9x ? "9x" : "NT");
        fx.state.folders.IsWin9x = win9x;
        if (!win9x) UseProfile();
        for (bool selected : {true, false}) {
            // Ticked: history, cookies, the Run box's words, the documents.
            for (std::size_t i = 0; i < std::size(boxes); ++i) boxes[i].first->SetChecked(i % 2 == 0);
            Lines expected;
            for (std::size_t i = 0; i < std::size(boxes); ++i)
                if ((i % 2 == 0) == selected) expected.insert(expected.end(), alone[i].begin(), alone[i].end());
            lay();
            (selected ? w.btnClearSelected : w.btnClearNotSelected).Click();
            if (win9x) {
                EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), expected);
            }
            EXPECT_EQ(RegValueNames(kTypedUrlsKey).empty(), !selected);
            EXPECT_EQ(RegValueNames(kRunMruKey).empty(), selected);
            EXPECT_EQ(CacheEntryNames().empty(), selected);
            RegDeleteTree(kTypedUrlsKey);
            RegDeleteTree(kRunMruKey);
            ClearUrlCache();
        }
    }
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(ClearingTest, AnErrorFromTheHistoryStoreEndsTheRunAndRestoresTheCursorAndTheLogRule) {
    TForm1& w = Create98();
    w.Show();
    RECT page;
    GetWindowRect(w.TabMain.Handle(), &page);
    SetCursorPos((page.left + page.right) / 2, page.bottom - 10);
    const HCURSOR hourglass = LoadCursorA(nullptr, IDC_WAIT);
    // What each attempt saw: the hourglass (up and shown) and the log rule off.
    std::vector<std::string> seen;
    fx.state.platform.createComObject = [&](REFCLSID, REFIID, void** out) {
        *out = nullptr;
        seen.push_back(std::string(w.HourglassShown() ? "up" : "-") + (GetCursor() == hourglass ? " shown" : " -") +
                       (fx.state.ClearLogPerCategory ? " -" : " off"));
        return REGDB_E_CLASSNOTREG;
    };
    const auto errorShown = [&](std::size_t boxes) {
        ASSERT_EQ(fx.recorded.boxes.size(), boxes);
        EXPECT_EQ(fx.recorded.boxes.back().flags, UINT(MB_OK | MB_ICONERROR));
        EXPECT_FALSE(fx.recorded.boxes.back().text.empty());
        EXPECT_FALSE(w.HourglassShown());
        EXPECT_NE(GetCursor(), hourglass);
        EXPECT_TRUE(fx.state.ClearLogPerCategory);
        EXPECT_EQ(RegValueNames(kTypedUrlsKey).size(), 3u);  // the run ended before them
    };
    LayTypedUrls();
    w.btnClearAll.Click();
    errorShown(1);
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{});
    // The next category empties the log before it runs, as usual.
    w.Log().Add("line");
    w.btnClearTypedURLs.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{L::TypedUrls});

    // The NT run ends there too, and what it had pending is dropped with it.
    fx.state.folders.IsWin9x = false;
    UseProfile();
    LayTypedUrls();
    w.btnClearAll.Click();
    errorShown(2);
    EXPECT_TRUE(NoFlagSet(fx.state.ntFlags));

    // The unattended clearing shows the error and stops: as a mode run, and
    // in the custom mode, where the history comes before the typed URLs.
    w.rbtnClearAll.SetChecked(true);
    w.ExecuteClearChosen();
    errorShown(3);
    w.rbtnCustom.SetChecked(true);
    w.chkCustom_HistoryLinksWeb.SetChecked(true);
    w.chkCustom_TypedURLs.SetChecked(true);
    w.ExecuteClearChosen();
    errorShown(4);
    // The custom mode is no mode run: no hourglass, the log rule as usual.
    EXPECT_EQ(seen, (Lines{"up shown off", "up shown off", "up shown off", "- - -"}));
}

TEST_F(ClearingTest, CacheCategoriesTakeEveryRowAndOnlyReportAMissingDeleteFunction) {
    TForm1& w = Create98();
    for (const char* site : {"a", "b", "c"}) AddCookieEntry(std::string("Cookie:user1@") + site + ".example/");
    w.btnClearCookies.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{L::UserCookies});
    EXPECT_TRUE(CacheEntryNames().empty());

    // Without the cache deletion function: the failure line and nothing else.
    fx.state.deleteUrlCacheEntryFound = false;
    AddCookieEntry("Cookie:user1@kept.example/");
    const std::string shared = Windows() + "Temporary Internet Files\\";
    MakeDir(shared);
    WriteFile(shared + "page.htm");
    w.Button2.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{L::TempInternetNoWininet});
    w.btnClearCookies.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{L::CookiesNoWininet});
    EXPECT_TRUE(Exists(shared + "page.htm"));
    EXPECT_EQ(CacheEntryNames().size(), 1u);
}

// TEMP naming a drive's root, the profile or the Windows folder: nothing
// there is touched, the log says why in place of the user's Temp line, and
// the rest of "Clear All" runs.
TEST_F(ClearingTest, VistaTempAtARootTheProfileOrTheWindowsFolderIsSkippedAndSaidSo) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    fx.state.WindowsFolder = WithTrailingBackslash(windows);
    TForm1& w = Create(6, VER_PLATFORM_WIN32_NT);
    const std::wstring profile = fx.state.folders.shell.profile;
    ASSERT_FALSE(profile.empty());
    const std::pair<std::wstring, Refusal> cases[] = {
        {L"C:\\", {RefusalKind::Root}},
        {profile, {RefusalKind::Itself, Guarded::Profile}},
        {Widen(fx.state.WindowsFolder), {RefusalKind::Itself, Guarded::Windows}}};
    for (const auto& [temp, why] : cases) {
        const std::string marker = Narrow(temp) + "purgelet-marker.txt";
        WriteFile(marker);
        TmpVariable variable(temp);
        w.DiscoverUserFolders();
        LayTypedUrls();
        RegSetString(kRunMruKey, "a", "cmd\\1");
        w.btnClearAll.Click();
        // The fixture's sentinel links stay in the cache and Recent folders, and are said to.
        RemovalTally oneLink;
        oneLink.keptLinks = 1;
        EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()),
                  (Lines{L::HistoryOfWebSites, L::TempInternet, LeftLine("temporary internet files", oneLink),
                         L::NtCookies, L::TypedUrls, L::RunWords, SkippedLine("user's Temp", temp, why),
                         L::WindowsTempNt, L::Recent, LeftLine("history links of documents", oneLink)}));
        EXPECT_TRUE(Exists(marker)) << marker;
        DeleteFileA(marker.c_str());
    }
    EXPECT_TRUE(IsDir(fx.state.WindowsFolder + "system32"));
}

// A profile whose path lies outside the code page, as the shell names it:
// its TEMP and Recent are emptied, and the Run value naming a copy of the
// program there reads back as written and is removed again.
TEST_F(ClearingTest, VistaProfileOutsideTheCodePageIsEmptiedAndItsRunValueRoundTrips) {
    const std::wstring profile = Widen(dir.Path()) + L"\u041f\u0440\u043e\u0444\u0438\u043b\u044c \u7528\u6237\\";
    const std::wstring recent = profile + L"\u041d\u0435\u0434\u0430\u0432\u043d\u0438\u0435\\",
                       temp = profile + L"Temp\\";
    for (const std::wstring& folder : {profile, recent, recent + L"\u0421\u043f\u0438\u0441\u043e\u043a\\", temp})
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring exe = profile + L"Purgelet.exe";
    const std::wstring laid[] = {recent + L"\u0421\u043f\u0438\u0441\u043e\u043a\\\u6587\u4ef6.txt",
                                 recent + L"\u0421\u043f\u0438\u0441\u043e\u043a",
                                 recent + L"\u0444\u0430\u0439\u043b.lnk", temp + L"\u0432\u0440\u0435\u043c.tmp"};
    for (const std::wstring& file : {laid[0], laid[2], laid[3], exe})
        CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr));
    fx.state.platform.knownFolderPath = [&](REFKNOWNFOLDERID id) {
        if (IsEqualGUID(id, FOLDERID_Profile)) return profile;
        return IsEqualGUID(id, FOLDERID_Recent) ? recent : std::wstring();
    };
    fx.state.platform.moduleFileName = [exe] { return exe; };
    TmpVariable variable(temp);
    TForm1& w = Create(6, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(fx.state.folders.shell.profile, profile);
    w.btnTemporary.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), (Lines{L::UserTempNt, L::WindowsTempNt}));
    w.btnClearRecent.Click();
    EXPECT_EQ(WithoutRemovedLines(w.Log().Lines()), Lines{L::Recent});
    for (const std::wstring& gone : laid) EXPECT_EQ(GetFileAttributesW(gone.c_str()), INVALID_FILE_ATTRIBUTES);

    const auto runValue = [] {
        wchar_t data[MAX_PATH * 2] = {};
        DWORD size = sizeof(data);
        const std::wstring key = Widen(kRunKeyPath), name = Widen(kRunEntryName);
        if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) !=
            ERROR_SUCCESS)
            return std::wstring(L"(none)");
        return std::wstring(data);
    };
    w.chkRunWhenWinStarts.SetChecked(true);
    EXPECT_TRUE(w.ExeWinStartWriteDelReg());
    EXPECT_EQ(runValue(), RunKeyData(exe));
    w.chkRunWhenWinStarts.SetChecked(false);
    EXPECT_TRUE(w.ExeWinStartWriteDelReg());
    EXPECT_EQ(runValue(), L"(none)");
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

// TEMP set to a profile named outside the code page: the log's line that
// skips it names it whole, in the lines and on the list, and so does the
// Misc page.
TEST_F(ClearingTest, NamesOutsideTheCodePageShowWholeInTheLogAndOnTheMiscPage) {
    const std::wstring profile = Widen(dir.Path()) + L"\u0414\u043e\u043c \u5bb6\\";
    ASSERT_TRUE(CreateDirectoryW(profile.c_str(), nullptr));
    fx.state.platform.knownFolderPath = [&](REFKNOWNFOLDERID id) {
        return IsEqualGUID(id, FOLDERID_Profile) ? profile : std::wstring();
    };
    TmpVariable variable(profile);
    TForm1& w = Create(6, VER_PLATFORM_WIN32_NT);
    w.btnTemporary.Click();
    const std::vector<std::string> lines = WithoutRemovedLines(w.Log().Lines());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(Utf8(profile)), std::string::npos) << lines[0];
    wchar_t shown[1024] = {};
    SendMessageW(w.ListBox1.Handle(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(Utf8(shown), lines[0]);
    GetWindowTextW(w.lblCurUserDir.Handle(), shown, 1024);
    EXPECT_NE(std::wstring(shown).find(profile), std::wstring::npos);
}

namespace {

// Gives a file a last-write time long past. Wine's cache deletes an entry's
// file itself, through links too, when its time is the one the entry recorded.
void MakeOld(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    FILETIME past{0, 0x01D00000};  // in 2014
    SetFileTime(h, nullptr, nullptr, &past);
    CloseHandle(h);
}

}  // namespace

// Persistent cookies whose files the host replaced by a link to an outside
// read-only file, a link to an outside writable file and a second name of an
// outside read-only file: "IE Cookies" takes every entry - the cache itself
// included - and leaves every outside file with its content and attributes.
TEST_F(ClearingTest, CookieFilesReplacedByLinksLeaveEveryOutsideFileAsItWas) {
    const std::vector<std::string> sites = {"ro-link", "rw-link", "hard-ro", "plain"};
    for (const std::string& site : sites)
        ASSERT_TRUE(InternetSetCookieA(("http://" + site + ".example/").c_str(), nullptr,
                                       "id=1; expires=Fri, 31-Dec-2037 23:59:59 GMT"));
    std::map<std::string, std::string> files;  // site -> its cookie's file
    WalkUrlCache([&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
        for (const std::string& site : sites)
            if (entry.lpszLocalFileName && std::strstr(entry.lpszSourceUrlName, (site + ".example").c_str()))
                files[site] = entry.lpszLocalFileName;
        return true;
    });
    ASSERT_EQ(files.size(), sites.size());
    const std::string outside = dir / "outside\\";
    MakeDir(outside);
    std::map<std::string, DWORD> attributes = {
        {"ro.txt", FILE_ATTRIBUTE_READONLY}, {"rw.txt", 0}, {"hard-ro.txt", FILE_ATTRIBUTE_READONLY}};
    for (auto& [name, attribute] : attributes) {
        WriteFile(outside + name, "keep");
        MakeOld(outside + name);
        if (attribute) SetFileAttributesA((outside + name).c_str(), attribute);
        attribute = GetFileAttributesA((outside + name).c_str());
    }
    MakeOld(files["plain"]);  // so that the program, not the cache, deletes it
    // The links stay in the cookie folder; the host takes them away at the end.
    struct AtEnd {
        std::string done, arguments;
        ~AtEnd() { ReplaceFromHost(done, arguments); }
    } removeLinks{dir / "removed", "remove " + files["ro-link"] + " - remove " + files["rw-link"] + " - remove " +
                                       files["hard-ro"] + " -"};
    ASSERT_TRUE(ReplaceFromHost(dir / "done", "symlink " + files["ro-link"] + " " + outside + "ro.txt symlink " +
                                                  files["rw-link"] + " " + outside + "rw.txt hardlink " +
                                                  files["hard-ro"] + " " + outside + "hard-ro.txt"));

    CreateXp().btnClearCookies.Click();

    // Every entry goes; what their files lead to stays as it was.
    EXPECT_EQ(CacheEntryNames(), std::vector<std::string>{});
    EXPECT_FALSE(Exists(files["plain"]));
    for (const auto& [name, attribute] : attributes) {
        EXPECT_EQ(GetFileAttributesA((outside + name).c_str()), attribute) << name;
        EXPECT_EQ(ReadWhole(outside + name), "keep") << name;
    }
}

// Entries of the internet cache whose own files are not where a cache file
// belongs - a crafted path with "..", a file the host replaced by a link with
// the entry's time - go, and their files stay as they were; the plain entry
// goes with its file. Nothing outside changes.
TEST_F(ClearingTest, CacheEntriesWhoseFilesLieOutsideGoAndTheirFilesStay) {
    TForm1& w = Create(6, VER_PLATFORM_WIN32_NT);
    const std::string outside = dir / "outside\\";
    MakeDir(outside);
    const std::string plain = AddNormalEntry("http://plain.example/a.htm");
    const std::string linked = AddNormalEntry("http://linked.example/b.htm");
    ASSERT_FALSE(plain.empty() || linked.empty());

    // "..": from the entry's folder up to C:\, then down to the outside file.
    const std::string dotdot = outside + "dotdot.txt";
    WriteFile(dotdot, "outside");
    char made[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryA("http://crafted.example/d.htm", 0, "htm", made, 0));
    std::string crafted = std::string(made).substr(0, std::string(made).find_last_of('\\') + 1);
    for (std::size_t n = std::count(crafted.begin() + 3, crafted.end(), '\\'); n > 0; --n) crafted += "..\\";
    crafted += dotdot.substr(3);
    FILETIME zero{};
    ASSERT_TRUE(CommitUrlCacheEntryA("http://crafted.example/d.htm", crafted.c_str(), zero, zero, NORMAL_CACHE_ENTRY,
                                     nullptr, 0, nullptr, nullptr));

    // A link in the place of an entry's file, to an outside file of the same time.
    const std::string target = outside + "target.txt";
    WriteFile(target, "outside too");
    FILETIME written{};
    HANDLE h = CreateFileA(linked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);
    h = CreateFileA(target.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);
    struct AtEnd {
        std::string done, arguments;
        ~AtEnd() { ReplaceFromHost(done, arguments); }
    } removeLink{dir / "removed", "remove " + linked + " -"};
    ASSERT_TRUE(ReplaceFromHost(dir / "done", "symlink " + linked + " " + target));

    w.Button2.Click();

    EXPECT_EQ(CacheEntryNames(), std::vector<std::string>{});
    EXPECT_FALSE(Exists(plain));
    EXPECT_EQ(ReadWhole(dotdot), "outside");
    EXPECT_EQ(ReadWhole(target), "outside too");
}

// Clear All's three cache passes take their entries from one listing of the
// cache, and every entry of their kinds still goes; a pass of its own lists
// the cache afresh.
TEST_F(ClearingTest, ClearAllListsTheCacheOnceForItsThreePasses) {
    TForm1& w = CreateXp();
    UseProfile();
    ASSERT_TRUE(AddCookieEntry("Cookie:user@once.example/"));
    ASSERT_TRUE(AddHistoryEntry("Visited: user@http://once.example/"));
    ASSERT_FALSE(AddNormalEntry("http://once.example/page.htm").empty());
    TMainForm& manager = *fx.state.windows.CookieManager();
    int listings = 0;
    const UrlCacheSource cache = UrlCacheSource::WinInet();
    manager.cacheSource.findClose = [&](HANDLE handle) {
        ++listings;
        cache.findClose(handle);
    };
    w.btnClearAll.Click();
    EXPECT_EQ(listings, 1);
    EXPECT_EQ(CacheEntryNames(), std::vector<std::string>{});
    ASSERT_TRUE(AddCookieEntry("Cookie:user@again.example/"));
    listings = 0;
    w.btnClearCookies.Click();
    EXPECT_EQ(listings, 1);
    EXPECT_EQ(CacheEntryNames(), std::vector<std::string>{});
}
