// The cookie manager window against Wine's real URL cache, with entries the
// tests commit themselves, driven the way the main window drives it.
#include <gtest/gtest.h>

#include "CookieTestHelpers.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"

using namespace purgelet;
using namespace testing_support;
using namespace cookie_tests;
using V = std::vector<std::string>;

namespace {
class CookieWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearUrlCache();
        RegDeleteTree(SettingsKey());
        fx.state.SettingsKey = SettingsKey();
    }
    void TearDown() override {
        ClearUrlCache();
        RegDeleteTree(SettingsKey());
    }
    TMainForm& Create() { return fx.app.CreateForm<TMainForm>(fx.state); }
    static void Refresh(TMainForm& w, std::uint8_t kind) {
        w.SetVar_CacheEntryType(kind);
        w.btnRefresh.Click();
    }
    static V Cells(TMainForm& w, int column) {
        V out;
        for (int i = 0; i < w.lvCookies.Count(); ++i) out.push_back(w.lvCookies.Item(i).Text(column));
        return out;
    }
    static int RowOf(TMainForm& w, const std::string& address) {
        for (int i = 0; i < w.lvCookies.Count(); ++i)
            if (w.lvCookies.Item(i).caption == address) return i;
        return -1;
    }
    // Select All, Select None, Delete and Privacy as their windows show them.
    static std::vector<bool> Buttons(TMainForm& w) {
        std::vector<bool> out;
        for (ui::Button* b : {&w.btnCheck, &w.btnUncheck, &w.btnDelete, &w.btnPrivacy})
            out.push_back(IsWindowEnabled(b->Handle()) != FALSE);
        return out;
    }
    V BoxTexts() const {
        V out;
        for (auto& b : fx.recorded.boxes) out.push_back(b.text);
        return out;
    }
    ProgramFixture fx;
};

const std::vector<bool> kAllOn{true, true, true, true}, kListOn{true, true, true, false}, kAllOff(4, false);
}  // namespace

TEST_F(CookieWindowTest, RefreshListsExactlyTheEntriesOfTheChosenKind) {
    ASSERT_TRUE(AddCookie("Cookie:tester@a.example/"));
    ASSERT_TRUE(AddCookie("Cookie:tester@b.example/shop/"));
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://a.example/index.htm"));
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://b.example/"));
    const std::string page = AddNormalEntry("http://a.example/page.htm");
    ASSERT_FALSE(page.empty());
    TMainForm& w = Create();
    EXPECT_FALSE(w.IsShowing());
    EXPECT_EQ(w.Caption(), std::string(kProgramName) + "...Information");
    EXPECT_EQ(Buttons(w), kAllOff);
    EXPECT_FALSE(w.btnPrivacy.Visible());

    Refresh(w, 1);
    EXPECT_EQ(Sorted(Cells(w, kColAddress)), (V{"a.example", "b.example/shop"}));
    EXPECT_EQ(Sorted(Cells(w, kColFullAddress)), (V{"Cookie:tester@a.example/", "Cookie:tester@b.example/shop/"}));
    EXPECT_EQ(Cells(w, kColKeep), (V{"No", "No"}));
    EXPECT_EQ(Cells(w, kColExpires), (V{"Invalid date format", "Invalid date format"}));
    EXPECT_EQ(w.edCookieCount.Text(), "2");
    EXPECT_EQ(Buttons(w), kListOn);

    Refresh(w, 2);
    EXPECT_EQ(Sorted(Cells(w, kColAddress)), (V{"http://a.example/index.htm", "http://b.example"}));

    Refresh(w, 0);
    ASSERT_EQ(Cells(w, kColAddress), (V{"http://a.example/page.htm"}));
    const auto& row = w.lvCookies.Item(0);
    EXPECT_EQ(V(row.subItems.begin() + 1, row.subItems.end()), (V{"", "", page, "No"}));  // no Local Filename cell
    EXPECT_EQ(w.edCookieCount.Text(), "1");

    // No entry has the tracking bits; kinds above 4 leave the choice alone.
    Refresh(w, 3);
    EXPECT_EQ(w.edCookieCount.Text(), "0");
    EXPECT_EQ(Buttons(w), kAllOff);
    w.SetVar_CacheEntryType(5);
    EXPECT_EQ(fx.state.cacheEntryTypeFilter, 0x20u);
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(CookieWindowTest, TypeBitsDecideTheRowsAndHowTheyAreBuilt) {
    FakeCache cache;
    cache.entries = {
        {"Cookie:u@plain.example/", std::nullopt, COOKIE_CACHE_ENTRY, 7},
        {"Cookie:u@sticky.example/", "C:\\c\\s.txt", COOKIE_CACHE_ENTRY | STICKY_CACHE_ENTRY | NORMAL_CACHE_ENTRY},
        {"http://n.example/", "C:\\n.htm", NORMAL_CACHE_ENTRY},
        {"http://mixed.example/", "C:\\m.htm", NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY},
        {"Visited: u@http://h.example/", std::nullopt, URLHISTORY_CACHE_ENTRY | NORMAL_CACHE_ENTRY},
        {"http://track.example/", "C:\\t.htm", NORMAL_CACHE_ENTRY | 0x20},
        {"Cookie:u@", std::nullopt, COOKIE_CACHE_ENTRY},
    };
    TMainForm& w = Create();
    w.cacheSource = cache.Source();
    // Every bit of the filter is enough, whatever else the entry has.
    Refresh(w, 1);
    EXPECT_EQ(Cells(w, kColAddress), (V{"plain.example", "sticky.example", "http://mixed.example", ""}));
    EXPECT_EQ(Cells(w, kColHits), (V{"7", "0", "0", "0"}));
    EXPECT_EQ(Cells(w, kColLocalFilename), (V{"", "C:\\c\\s.txt", "C:\\m.htm", ""}));
    // Filter 0: neither the cookie nor the history bit.
    Refresh(w, 0);
    EXPECT_EQ(Cells(w, kColAddress), (V{"http://n.example/", "http://track.example/"}));
    Refresh(w, 2);
    EXPECT_EQ(Cells(w, kColAddress), (V{"http://h.example"}));
    Refresh(w, 3);
    EXPECT_EQ(Cells(w, kColFullAddress), (V{"http://track.example/"}));
    Refresh(w, 4);
    EXPECT_EQ(w.lvCookies.Count(), 0);
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(CookieWindowTest, AFailedEnumerationStillCountsRestoresTheCursorAndEndsTheUpdate) {
    FakeCache cache;
    for (int i = 0; i < 6; ++i) cache.entries.push_back({"Cookie:u@site" + std::to_string(i) + ".example/"});
    cache.callLimit = 3;  // the fourth next-entry call raises an error
    TMainForm& w = Create();
    w.cacheSource = cache.Source();
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    Refresh(w, 1);
    EXPECT_EQ(BoxTexts(), (V{"enumeration does not stop."}));
    EXPECT_EQ(w.edCookieCount.Text(), "4");
    EXPECT_EQ(Buttons(w), kListOn);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(w.lvCookies.UpdateDepth(), 0);
    EXPECT_EQ(cache.closes, 1);
}

// Every entry read the old way, a size query and then a read into a buffer
// of exactly that size, made into rows by the row builders.
std::vector<ui::ListItem> RowsReadWithSizeQueries(std::uint32_t filter) {
    std::vector<ui::ListItem> rows;
    const auto seps = DateSeparators::OfUserLocale();
    WalkUrlCache(
        [&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
            if (EntryKept(entry.CacheEntryType, filter))
                rows.push_back(filter ? BuildEntryRow(entry, seps) : BuildCacheFileRow(entry));
            return true;
        },
        CacheReads::SizeQueryEach);
    return rows;
}

TEST_F(CookieWindowTest, RowsReadOneCallEachEqualThoseReadWithASizeQueryEach) {
    const FILETIME modified = LocalTime(2021, 3, 4, 13, 5, 7), expires = LocalTime(2030, 12, 31, 0, 10, 0);
    ASSERT_TRUE(AddCookie("Cookie:tester@a.example/", modified, expires));
    ASSERT_FALSE(AddCookieWithFile("Cookie:tester@b.example/shop/", modified).empty());
    // An entry of about 70,000 characters does not fit the first buffer.
    const std::string header(70000, 'h');
    ASSERT_TRUE(CommitUrlCacheEntryA("Cookie:tester@big.example/", nullptr, expires, modified, COOKIE_CACHE_ENTRY,
                                     reinterpret_cast<BYTE*>(const_cast<char*>(header.data())),
                                     static_cast<DWORD>(header.size()), nullptr, nullptr));
    ASSERT_TRUE(AddCookie("Cookie:tester@c.example/"));
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://a.example/index.htm"));
    ASSERT_FALSE(AddNormalEntry("http://a.example/page.htm").empty());
    TMainForm& w = Create();
    int nextCalls = 0;
    w.cacheSource.findNext = [&](HANDLE h, INTERNET_CACHE_ENTRY_INFOA* e, DWORD* size) {
        ++nextCalls;
        return FindNextUrlCacheEntryA(h, e, size);
    };
    for (std::uint8_t kind : {1, 2, 0}) {
        SCOPED_TRACE(kind);
        nextCalls = 0;
        Refresh(w, kind);
        std::vector<ui::ListItem> listed;
        for (int i = 0; i < w.lvCookies.Count(); ++i) listed.push_back(w.lvCookies.Item(i));
        const auto expected = RowsReadWithSizeQueries(fx.state.cacheEntryTypeFilter);
        ASSERT_EQ(listed.size(), expected.size());
        EXPECT_EQ(listed.size(), kind == 1 ? 4u : 1u);
        for (std::size_t i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(listed[i].caption, expected[i].caption);
            EXPECT_EQ(listed[i].subItems, expected[i].subItems);
        }
        // Six entries: five further ones, the big one twice, and the end.
        EXPECT_EQ(nextCalls, 7);
    }
}

TEST_F(CookieWindowTest, SelectAllAndDeleteRemoveTheCookiesAndTheirFilesOnly) {
    ASSERT_TRUE(AddCookie("Cookie:tester@one.example/"));
    const std::string plainFile = AddCookieWithFile("Cookie:tester@file.example/");
    const std::string lockedFile = AddCookieWithFile("Cookie:tester@locked.example/");
    ASSERT_FALSE(plainFile.empty() || lockedFile.empty());
    SetFileAttributesA(lockedFile.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://one.example/"));
    const std::string page = AddNormalEntry("http://one.example/page.htm");
    TMainForm& w = Create();
    Refresh(w, 1);
    ASSERT_EQ(w.lvCookies.Count(), 3);
    EXPECT_EQ(w.lvCookies.Item(RowOf(w, "locked.example")).Text(kColLocalFilename), lockedFile);
    w.btnCheck.Click();
    w.btnDelete.SetEnabled(false);  // the engine's click runs all the same
    w.btnDelete.Click();
    EXPECT_EQ(w.edCookieCount.Text(), "0");
    EXPECT_EQ(Buttons(w), kAllOff);
    EXPECT_TRUE(CacheNamesStartingWith("Cookie:").empty());
    EXPECT_FALSE(Exists(plainFile) || Exists(lockedFile));
    EXPECT_EQ(CacheNamesStartingWith("Visited:").size(), 1u);
    EXPECT_TRUE(Exists(page));

    // The other passes take their own kind.
    Refresh(w, 2);
    w.btnCheck.Click();
    w.btnDelete.Click();
    EXPECT_TRUE(CacheNamesStartingWith("Visited:").empty());
    EXPECT_EQ(CacheNamesStartingWith("http:"), (V{"http://one.example/page.htm"}));
    Refresh(w, 0);
    w.btnCheck.Click();
    w.btnDelete.Click();
    EXPECT_TRUE(CacheEntryNames().empty());
    EXPECT_FALSE(Exists(page));
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(CookieWindowTest, OnlyCheckedRowsMarkedNoGoAndTheCountWaitsForTheNextRefresh) {
    for (const char* site : {"a", "b", "c", "d"})
        ASSERT_TRUE(AddCookie(std::string("Cookie:tester@") + site + ".example/"));
    TMainForm& w = Create();
    Refresh(w, 1);
    w.btnCheck.Click();
    w.btnUncheck.Click();
    w.btnDelete.Click();
    EXPECT_EQ(w.lvCookies.Count(), 4);

    w.lvCookies.SetSelected(RowOf(w, "b.example"), true);
    w.lvCookies.SetSelected(RowOf(w, "c.example"), true);
    w.smSetYes.Click();
    EXPECT_EQ(w.lvCookies.Item(RowOf(w, "c.example")).Text(kColKeep), "Yes");
    w.btnCheck.Click();
    w.lvCookies.SetChecked(RowOf(w, "d.example"), false);
    w.btnDelete.Click();
    EXPECT_EQ(Sorted(Cells(w, kColAddress)), (V{"b.example", "c.example", "d.example"}));
    EXPECT_EQ(CacheNamesStartingWith("Cookie:").size(), 3u);
    EXPECT_EQ(w.edCookieCount.Text(), "4");
    EXPECT_EQ(Buttons(w), kListOn);

    // "Set No to Keep" gives a row up again; a refresh marks the row of the
    // site still kept.
    w.lvCookies.SetSelected(RowOf(w, "b.example"), false);
    w.smSetNo.Click();
    w.btnDelete.Click();
    EXPECT_EQ(Sorted(Cells(w, kColAddress)), (V{"b.example", "d.example"}));
    Refresh(w, 1);
    EXPECT_EQ(w.lvCookies.Item(RowOf(w, "b.example")).Text(kColKeep), "Yes");
    EXPECT_EQ(w.lvCookies.Item(RowOf(w, "d.example")).Text(kColKeep), "No");
    EXPECT_EQ(w.edCookieCount.Text(), "2");
}

TEST_F(CookieWindowTest, TrackingFiltersDeleteNothingAndWithoutTheDeleteFunctionOnlyRowsAndFilesGo) {
    ASSERT_TRUE(AddCookie("Cookie:tester@a.example/"));
    const std::string file = AddCookieWithFile("Cookie:tester@f.example/");
    TMainForm& w = Create();
    Refresh(w, 1);
    w.btnCheck.Click();
    for (std::uint8_t kind : {3, 4}) {
        w.SetVar_CacheEntryType(kind);
        w.btnDelete.Click();
        EXPECT_EQ(w.lvCookies.Count(), 2);
    }
    fx.state.deleteUrlCacheEntryFound = false;
    EXPECT_FALSE(w.Is_WininetDll_Exist());
    w.SetVar_CacheEntryType(1);
    w.btnDelete.Click();
    EXPECT_EQ(w.edCookieCount.Text(), "0");
    EXPECT_EQ(CacheNamesStartingWith("Cookie:").size(), 2u);
    EXPECT_FALSE(Exists(file));
    // A window made later does not find the function anew.
    ProgramFixture other;
    other.state.deleteUrlCacheEntryFound = false;
    EXPECT_FALSE(other.app.CreateForm<TMainForm>(other.state).Is_WininetDll_Exist());
}

TEST_F(CookieWindowTest, PrivacyFollowsTheRowsAndTheShellLibrary) {
    ASSERT_TRUE(AddCookie("Cookie:tester@a.example/"));
    TMainForm& w = Create();
    w.readShellVersion = [] { return 5u; };
    w.FormActivate();
    Refresh(w, 1);
    EXPECT_EQ(Buttons(w), kListOn);

    w.readShellVersion = [] { return 6u; };
    ClearUrlCache();
    Refresh(w, 1);
    w.FormActivate();  // enables Privacy whatever the number of rows
    EXPECT_TRUE(w.btnPrivacy.Enabled());
    Refresh(w, 1);
    EXPECT_EQ(Buttons(w), kAllOff);
    ASSERT_TRUE(AddCookie("Cookie:tester@b.example/"));
    Refresh(w, 1);
    EXPECT_EQ(Buttons(w), kAllOn);
    w.readShellVersion = ReadShlwapiMajorVersion;
    w.GetShlwapiMajorVersion();
    EXPECT_GE(w.ShellLibraryVersion, 5u);
}

TEST_F(CookieWindowTest, SortingByEveryColumnAndReversing) {
    const FILETIME zero{};
    ASSERT_TRUE(
        AddCookie("Cookie:tester@alpha.example/", LocalTime(2004, 3, 9, 13, 5, 7), LocalTime(2010, 1, 1, 0, 0, 0)));
    ASSERT_TRUE(AddCookie("Cookie:tester@Beta.example/", LocalTime(2004, 3, 9, 0, 10, 0), zero));
    ASSERT_TRUE(
        AddCookie("Cookie:tester@delta.example/", LocalTime(2004, 3, 9, 11, 0, 0), LocalTime(2008, 2, 2, 2, 2, 2)));
    ASSERT_FALSE(AddCookieWithFile("Cookie:tester@gamma.example/", zero, LocalTime(2006, 6, 6, 12, 0, 0)).empty());
    const std::pair<const char*, DWORD> hits[] = {{"alpha", 5}, {"Beta", 40}, {"delta", 9}, {"gamma", 300}};
    for (auto& [site, n] : hits) ASSERT_TRUE(SetHits(std::string("Cookie:tester@") + site + ".example/", n));
    TMainForm& w = Create();
    Refresh(w, 1);
    auto order = [&](int column) {
        w.lvCookiesColumnClick(column);
        V out;
        for (auto& a : Cells(w, kColAddress)) out.push_back(a.substr(0, a.find('.')));
        return out;
    };
    EXPECT_EQ(order(kColHits), (V{"alpha", "delta", "Beta", "gamma"}));
    EXPECT_EQ(order(kColHits), (V{"gamma", "Beta", "delta", "alpha"}));
    EXPECT_EQ(w.SortState(), -2);
    EXPECT_EQ(order(kColAddress), (V{"alpha", "Beta", "delta", "gamma"}));
    order(kColAddress);
    EXPECT_EQ(order(kColAddress), (V{"alpha", "Beta", "delta", "gamma"}));  // third click: ascending again
    EXPECT_EQ(order(kColModified), (V{"gamma", "Beta", "delta", "alpha"}));
    EXPECT_EQ(order(kColExpires), (V{"Beta", "gamma", "delta", "alpha"}));
    EXPECT_EQ(order(kColExpires), (V{"alpha", "delta", "gamma", "Beta"}));
    EXPECT_EQ(order(kColFullAddress), (V{"alpha", "Beta", "delta", "gamma"}));
    order(kColLocalFilename);
    EXPECT_EQ(order(kColLocalFilename).front(), "gamma");
    w.lvCookies.SetSelected(RowOf(w, "delta.example"), true);
    w.smSetYes.Click();
    EXPECT_EQ(order(kColKeep).back(), "delta");
    EXPECT_EQ(order(kColKeep).front(), "delta");
    Refresh(w, 1);  // the sort state stays; new rows come in the cache's order
    EXPECT_EQ(w.SortState(), -6);
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(CookieWindowTest, StoredColumnWidthsAreAppliedAtCreationAndStoredOnlyByClose) {
    auto widths = [](TMainForm& w) {
        std::vector<int> out;
        for (int c = 0; c < kCookieColumnCount; ++c) out.push_back(w.lvCookies.ColumnWidth(c));
        return out;
    };
    std::vector<int> design;
    for (int d : {80, 50, 80, 80, 100, 50, 100}) design.push_back(ui::Scale(d, fx.app.Dpi()));
    RegSetString(SettingsKey(), "ColWidth0", "120");
    RegSetString(SettingsKey(), "ColWidth1", "");
    RegSetString(SettingsKey(), "ColWidth3", "75");
    {
        ProgramFixture f;
        f.state.SettingsKey = SettingsKey();
        auto expected = design;
        expected[0] = 120;
        expected[3] = 75;
        EXPECT_EQ(widths(f.app.CreateForm<TMainForm>(f.state)), expected);
    }
    // No whole number: the error box; the columns from it on keep their widths.
    RegSetString(SettingsKey(), "ColWidth2", "8O");
    TMainForm& w = Create();
    EXPECT_EQ(BoxTexts(), (V{"'8O' is not a valid integer value."}));
    auto expected = design;
    expected[0] = 120;
    EXPECT_EQ(widths(w), expected);

    w.lvCookies.SetColumnWidth(kColHits, 133);
    w.Show();
    SendMessageA(w.Handle(), WM_CLOSE, 0, 0);  // the title bar's close stores nothing
    EXPECT_FALSE(w.IsShowing());
    EXPECT_EQ(RegGetString(SettingsKey(), "ColWidth1"), "");
    w.Show();
    w.btnClose.Click();
    EXPECT_FALSE(w.IsShowing());
    for (int c = 0; c < kCookieColumnCount; ++c)
        EXPECT_EQ(RegGetString(SettingsKey(), "ColWidth" + std::to_string(c)), std::to_string(widths(w)[c])) << c;
    EXPECT_EQ(RegGetString(SettingsKey(), "ColWidth1"), "133");
}

TEST_F(CookieWindowTest, WithAutomaticResizingColumnsFitTheirContentsAndCloseStoresNothing) {
    TForm1& main = fx.app.CreateForm<TForm1>(fx.state);
    main.chkAutoColResize.SetChecked(true);
    RegSetString(SettingsKey(), "ColWidth0", "300");
    TMainForm& w = Create();
    const int headerOnly = w.lvCookies.ColumnWidth(kColAddress);
    EXPECT_LT(headerOnly, 300);
    ASSERT_TRUE(AddCookie("Cookie:tester@" + std::string(60, 'w') + ".example/"));
    Refresh(w, 1);
    EXPECT_GT(w.lvCookies.ColumnWidth(kColAddress), headerOnly);
    RegDeleteTree(SettingsKey());
    w.btnClose.Click();
    EXPECT_TRUE(RegValueNames(SettingsKey()).empty());
}

TEST_F(CookieWindowTest, KeepItemsAreDisabledForGoodUnlessCookiesAreListed) {
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://a.example/"));
    TMainForm& w = Create();
    Refresh(w, 2);
    w.pmCookies.DoPopup();
    EXPECT_FALSE(w.smSetYes.Enabled() || w.smSetNo.Enabled());
    ASSERT_TRUE(AddCookie("Cookie:tester@a.example/"));
    Refresh(w, 1);
    w.pmCookies.DoPopup();
    EXPECT_FALSE(w.smSetYes.Enabled() || w.smSetNo.Enabled());

    ProgramFixture other;
    TMainForm& listing = other.app.CreateForm<TMainForm>(other.state);
    listing.btnRefresh.Click();
    listing.pmCookies.DoPopup();
    EXPECT_TRUE(listing.smSetYes.Enabled() && listing.smSetNo.Enabled());
}

TEST_F(CookieWindowTest, ShownTheWindowFocusesARowHiddenItWorksAllTheSame) {
    for (const char* site : {"a", "b", "c"}) ASSERT_TRUE(AddCookie(std::string("Cookie:tester@") + site + ".example/"));
    TMainForm& w = Create();
    w.readShellVersion = [] { return 6u; };
    Refresh(w, 1);
    EXPECT_EQ(w.lvCookies.FocusedIndex(), -1);
    w.Show();
    fx.app.ProcessMessages();
    EXPECT_TRUE(w.btnPrivacy.Enabled());  // activation read the shell library
    EXPECT_EQ(w.lvCookies.FocusedIndex(), 0);
    EXPECT_EQ(w.lvCookies.SelectedIndices(), std::vector<int>{0});
    EXPECT_EQ(GetFocus(), w.lvCookies.Handle());
    w.btnCheck.Click();
    w.btnDelete.Click();
    EXPECT_EQ(w.edCookieCount.Text(), "0");
    EXPECT_TRUE(CacheNamesStartingWith("Cookie:").empty());
    w.Hide();
}
