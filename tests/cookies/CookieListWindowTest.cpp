// The cookie manager window against Wine's real URL cache, with entries the
// tests commit themselves, driven the way the main window drives it.
#include <gtest/gtest.h>

#include "CookieTestHelpers.h"
#include "cookies/CookieListWindow.h"
#include "framework/Errors.h"
#include "mainwindow/MainWindow.h"

using namespace purgelet;
using namespace testing_support;
using namespace cookie_tests;

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
    static std::vector<std::string> Cells(TMainForm& w, int column) {
        std::vector<std::string> out;
        for (int i = 0; i < w.lvCookies.Count(); ++i) out.push_back(w.lvCookies.Item(i).Text(column));
        return out;
    }
    static int RowOf(TMainForm& w, const std::string& address) {
        for (int i = 0; i < w.lvCookies.Count(); ++i)
            if (w.lvCookies.Item(i).caption == address) return i;
        return -1;
    }
    // The four buttons that follow the rows, as the windows show them.
    static std::vector<bool> Buttons(TMainForm& w) {
        std::vector<bool> out;
        for (ui::Button* b : {&w.btnCheck, &w.btnUncheck, &w.btnDelete, &w.btnPrivacy}) {
            EXPECT_EQ(b->Enabled(), IsWindowEnabled(b->Handle()) != FALSE) << b->Name();
            out.push_back(b->Enabled());
        }
        return out;
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (auto& b : fx.recorded.boxes) out.push_back(b.text);
        return out;
    }
    ProgramFixture fx;
};

const std::vector<bool> kAllOn{true, true, true, true}, kListOn{true, true, true, false}, kAllOff(4, false);
}  // namespace

TEST_F(CookieWindowTest, CreatedHiddenWithItsControlsInTheirFirstState) {
    TMainForm& w = Create();
    EXPECT_EQ(fx.state.MainForm, &w);
    EXPECT_FALSE(w.IsShowing());
    EXPECT_EQ(w.Caption(), "Ovk Purgelet v2.0.3...Information");
    EXPECT_EQ(w.Label2.Caption(), "Make a check next to the item if you want to remove it.  Then press Delete button.");
    std::vector<std::string> captions;
    for (int c = 0; c < w.lvCookies.ColumnCount(); ++c) captions.push_back(w.lvCookies.ColumnCaption(c));
    EXPECT_EQ(captions, (std::vector<std::string>{"Address", "Hits", "Modified", "Expires", "Full Address", "Keep",
                                                  "Local Filename"}));
    EXPECT_EQ(Buttons(w), kAllOff);
    EXPECT_TRUE(w.btnRefresh.Enabled());
    EXPECT_FALSE(w.btnPrivacy.Visible());
    EXPECT_EQ(w.edCookieCount.Text(), "0");
    EXPECT_TRUE(GetWindowLongA(w.edCookieCount.Handle(), GWL_STYLE) & ES_READONLY);
    EXPECT_FALSE(GetWindowLongA(w.edCookieCount.Handle(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(w.Timer.Enabled());
    EXPECT_EQ(w.Timer.Interval(), 1000u);
    EXPECT_TRUE(w.smSetYes.Enabled() && w.smSetNo.Enabled());
    EXPECT_TRUE(w.Is_WininetDll_Exist());
    EXPECT_EQ(w.KeepKeyPath(), SettingsKey() + "\\CookiesInfoKeep");
    EXPECT_EQ(w.SortState(), 0);
    const LONG style = GetWindowLongA(w.Handle(), GWL_STYLE);
    EXPECT_TRUE((style & WS_SYSMENU) && !(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)));
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(CookieWindowTest, RefreshListsExactlyTheEntriesOfTheChosenKind) {
    ASSERT_TRUE(AddCookie("Cookie:tester@a.example/"));
    ASSERT_TRUE(AddCookie("Cookie:tester@b.example/shop/"));
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://a.example/index.htm"));
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://b.example/"));
    const std::string page = AddNormalEntry("http://a.example/page.htm");
    const std::string picture = AddNormalEntry("http://b.example/pic.gif", "gif");
    ASSERT_FALSE(page.empty() || picture.empty());
    TMainForm& w = Create();

    Refresh(w, 1);
    EXPECT_EQ(Sorted(Cells(w, kColAddress)), (std::vector<std::string>{"a.example", "b.example/shop"}));
    EXPECT_EQ(Sorted(Cells(w, kColFullAddress)),
              (std::vector<std::string>{"Cookie:tester@a.example/", "Cookie:tester@b.example/shop/"}));
    EXPECT_EQ(Cells(w, kColKeep), (std::vector<std::string>{"No", "No"}));
    EXPECT_EQ(Cells(w, kColExpires), (std::vector<std::string>{"Invalid date format", "Invalid date format"}));
    EXPECT_EQ(w.edCookieCount.Text(), "2");
    EXPECT_EQ(Buttons(w), kListOn);

    Refresh(w, 2);
    EXPECT_EQ(Sorted(Cells(w, kColAddress)),
              (std::vector<std::string>{"http://a.example/index.htm", "http://b.example"}));
    EXPECT_EQ(w.edCookieCount.Text(), "2");

    Refresh(w, 0);
    ASSERT_EQ(w.lvCookies.Count(), 2);
    const int p = RowOf(w, "http://a.example/page.htm"), q = RowOf(w, "http://b.example/pic.gif");
    ASSERT_GE(p, 0);
    ASSERT_GE(q, 0);
    EXPECT_EQ(w.lvCookies.Item(p).Text(kColFullAddress), page);
    EXPECT_EQ(w.lvCookies.Item(q).Text(kColFullAddress), picture);
    for (int i : {p, q}) {
        const auto& row = w.lvCookies.Item(i);
        EXPECT_EQ(row.Text(kColModified), "");
        EXPECT_EQ(row.Text(kColExpires), "");
        EXPECT_EQ(row.Text(kColKeep), "No");
        EXPECT_FALSE(row.HasText(kColLocalFilename));
    }

    // No entry has the tracking bits; kinds above 4 leave the choice alone.
    Refresh(w, 3);
    EXPECT_EQ(w.lvCookies.Count(), 0);
    EXPECT_EQ(w.edCookieCount.Text(), "0");
    w.SetVar_CacheEntryType(5);
    w.SetVar_CacheEntryType(255);
    EXPECT_EQ(fx.state.cacheEntryTypeFilter, 0x20u);
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(CookieWindowTest, TypeBitsDecideTheRowsAndHowTheyAreBuilt) {
    FakeCache cache;
    cache.entries = {
        {"Cookie:u@plain.example/", std::nullopt, COOKIE_CACHE_ENTRY, 7},
        {"Cookie:u@sticky.example/", "C:\\c\\sticky.txt", COOKIE_CACHE_ENTRY | STICKY_CACHE_ENTRY | NORMAL_CACHE_ENTRY},
        {"http://n.example/", "C:\\n.htm", NORMAL_CACHE_ENTRY},
        {"http://mixed.example/", "C:\\m.htm", NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY},
        {"Visited: u@http://h.example/", std::nullopt, URLHISTORY_CACHE_ENTRY | NORMAL_CACHE_ENTRY},
        {"http://track.example/", "C:\\t.htm", NORMAL_CACHE_ENTRY | 0x20},
        {"Cookie:u@", std::nullopt, COOKIE_CACHE_ENTRY},
    };
    TMainForm& w = Create();
    w.cacheSource = cache.Source();

    Refresh(w, 1);
    // Every bit of the filter is enough, whatever else the entry has.
    EXPECT_EQ(Cells(w, kColAddress),
              (std::vector<std::string>{"plain.example", "sticky.example", "http://mixed.example", ""}));
    EXPECT_EQ(Cells(w, kColHits), (std::vector<std::string>{"7", "0", "0", "0"}));
    EXPECT_EQ(Cells(w, kColLocalFilename), (std::vector<std::string>{"", "C:\\c\\sticky.txt", "C:\\m.htm", ""}));
    Refresh(w, 0);
    EXPECT_EQ(Cells(w, kColAddress), (std::vector<std::string>{"http://n.example/", "http://track.example/"}));
    EXPECT_EQ(Cells(w, kColFullAddress), (std::vector<std::string>{"C:\\n.htm", "C:\\t.htm"}));
    Refresh(w, 2);
    EXPECT_EQ(Cells(w, kColAddress), (std::vector<std::string>{"http://h.example"}));
    Refresh(w, 3);
    EXPECT_EQ(Cells(w, kColAddress), (std::vector<std::string>{"http://track.example"}));
    EXPECT_EQ(Cells(w, kColLocalFilename), (std::vector<std::string>{"C:\\t.htm"}));
    Refresh(w, 4);
    EXPECT_EQ(w.lvCookies.Count(), 0);
    EXPECT_EQ(cache.wrongSizedReads, 0);
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(CookieWindowTest, AnEnumerationThatFailsStillCountsRestoresTheCursorAndEndsTheUpdate) {
    FakeCache cache;
    for (int i = 0; i < 6; ++i) cache.entries.push_back({"Cookie:u@site" + std::to_string(i) + ".example/"});
    cache.callLimit = 3;  // the third next-entry call fails with an error
    TMainForm& w = Create();
    w.cacheSource = cache.Source();
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    Refresh(w, 1);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"enumeration does not stop."}));
    EXPECT_EQ(w.lvCookies.Count(), 2);
    EXPECT_EQ(w.edCookieCount.Text(), "2");
    EXPECT_EQ(Buttons(w), kListOn);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(w.lvCookies.UpdateDepth(), 0);
    EXPECT_EQ(cache.closes, 1);
}

TEST_F(CookieWindowTest, SelectAllAndDeleteRemoveTheCookiesAndTheirFilesOnly) {
    ASSERT_TRUE(AddCookie("Cookie:tester@one.example/"));
    ASSERT_TRUE(AddCookie("Cookie:tester@two.example/"));
    const std::string plainFile = AddCookieWithFile("Cookie:tester@file.example/");
    const std::string lockedFile = AddCookieWithFile("Cookie:tester@locked.example/");
    ASSERT_FALSE(plainFile.empty() || lockedFile.empty());
    SetFileAttributesA(lockedFile.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://one.example/"));
    const std::string page = AddNormalEntry("http://one.example/page.htm");
    TMainForm& w = Create();

    // Select All before anything is listed does nothing.
    w.btnCheck.Click();
    w.btnDelete.Click();
    Refresh(w, 1);
    ASSERT_EQ(w.lvCookies.Count(), 4);
    EXPECT_EQ(w.lvCookies.Item(RowOf(w, "locked.example")).Text(kColLocalFilename), lockedFile);
    w.btnCheck.Click();
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(w.lvCookies.Checked(i));
    // The engine's click runs even on a disabled button.
    w.btnDelete.SetEnabled(false);
    w.btnDelete.Click();
    EXPECT_EQ(w.lvCookies.Count(), 0);
    EXPECT_EQ(w.edCookieCount.Text(), "0");
    EXPECT_EQ(Buttons(w), kAllOff);
    EXPECT_TRUE(CacheNamesStartingWith("Cookie:").empty());
    EXPECT_FALSE(Exists(plainFile));
    EXPECT_FALSE(Exists(lockedFile));
    EXPECT_EQ(CacheNamesStartingWith("Visited:").size(), 1u);
    EXPECT_TRUE(Exists(page));
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(CookieWindowTest, HistoryAndTemporaryFilePassesDeleteTheirOwnKind) {
    ASSERT_TRUE(AddCookie("Cookie:tester@keep.example/"));
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://h1.example/"));
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://h2.example/a"));
    const std::string page = AddNormalEntry("http://t.example/page.htm");
    const std::string script = AddNormalEntry("http://t.example/app.js", "js");
    ASSERT_TRUE(Exists(page) && Exists(script));
    TMainForm& w = Create();

    Refresh(w, 2);
    w.btnCheck.Click();
    w.btnDelete.Click();
    EXPECT_TRUE(CacheNamesStartingWith("Visited:").empty());
    EXPECT_EQ(CacheNamesStartingWith("http:").size(), 2u);

    Refresh(w, 0);
    EXPECT_EQ(w.lvCookies.Count(), 2);
    w.btnCheck.Click();
    w.btnDelete.Click();
    EXPECT_EQ(w.edCookieCount.Text(), "0");
    EXPECT_TRUE(CacheNamesStartingWith("http:").empty());
    EXPECT_FALSE(Exists(page) || Exists(script));
    EXPECT_EQ(CacheNamesStartingWith("Cookie:"), (std::vector<std::string>{"Cookie:tester@keep.example/"}));
}

TEST_F(CookieWindowTest, OnlyCheckedRowsMarkedNoAreDeletedAndTheCountWaitsForTheNextRefresh) {
    for (const char* site : {"a", "b", "c", "d"}) ASSERT_TRUE(AddCookie(std::string("Cookie:tester@") + site + ".example/"));
    TMainForm& w = Create();
    Refresh(w, 1);
    ASSERT_EQ(w.edCookieCount.Text(), "4");

    // Nothing checked: nothing goes.
    w.btnCheck.Click();
    w.btnUncheck.Click();
    w.btnDelete.Click();
    EXPECT_EQ(w.lvCookies.Count(), 4);

    // "Set Yes to Keep" on the selected rows spares them.
    const int b = RowOf(w, "b.example"), c = RowOf(w, "c.example");
    w.lvCookies.SetSelected(b, true);
    w.lvCookies.SetSelected(c, true);
    w.smSetYes.Click();
    EXPECT_EQ(w.lvCookies.Item(b).Text(kColKeep), "Yes");
    EXPECT_EQ(w.lvCookies.Item(c).Text(kColKeep), "Yes");
    EXPECT_EQ(w.lvCookies.Item(RowOf(w, "a.example")).Text(kColKeep), "No");
    w.btnCheck.Click();
    w.lvCookies.SetChecked(RowOf(w, "d.example"), false);
    w.btnDelete.Click();
    EXPECT_EQ(Sorted(Cells(w, kColAddress)), (std::vector<std::string>{"b.example", "c.example", "d.example"}));
    EXPECT_EQ(CacheNamesStartingWith("Cookie:"),
              (std::vector<std::string>{"Cookie:tester@b.example/", "Cookie:tester@c.example/",
                                        "Cookie:tester@d.example/"}));
    EXPECT_EQ(w.edCookieCount.Text(), "4");
    EXPECT_EQ(Buttons(w), kListOn);

    // "Set No to Keep" gives them up again; a refresh resets every row to "No".
    for (int i = 0; i < w.lvCookies.Count(); ++i) w.lvCookies.SetSelected(i, w.lvCookies.Item(i).caption == "c.example");
    w.smSetNo.Click();
    w.btnDelete.Click();
    EXPECT_EQ(Sorted(Cells(w, kColAddress)), (std::vector<std::string>{"b.example", "d.example"}));
    Refresh(w, 1);
    EXPECT_EQ(Cells(w, kColKeep), (std::vector<std::string>{"No", "No"}));
    EXPECT_EQ(w.edCookieCount.Text(), "2");
}

TEST_F(CookieWindowTest, TrackingFiltersDeleteNothingAndAMissingDeleteFunctionOnlyEmptiesTheList) {
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
    EXPECT_EQ(CacheNamesStartingWith("Cookie:").size(), 2u);

    // Without WinInet's deletion function the rows still go, and a cookie's
    // own file with them; the cache keeps its entries.
    fx.state.deleteUrlCacheEntryFound = false;
    EXPECT_FALSE(w.Is_WininetDll_Exist());
    w.SetVar_CacheEntryType(1);
    w.btnDelete.Click();
    EXPECT_EQ(w.lvCookies.Count(), 0);
    EXPECT_EQ(w.edCookieCount.Text(), "0");
    EXPECT_EQ(CacheNamesStartingWith("Cookie:").size(), 2u);
    EXPECT_FALSE(Exists(file));
    // A window created now does not find the function anew.
    ProgramFixture other;
    other.state.deleteUrlCacheEntryFound = false;
    EXPECT_FALSE(other.app.CreateForm<TMainForm>(other.state).Is_WininetDll_Exist());
}

TEST_F(CookieWindowTest, CountButtonsAndPrivacyFollowTheRowsAndTheShellLibrary) {
    ASSERT_TRUE(AddCookie("Cookie:tester@a.example/"));
    TMainForm& w = Create();
    w.readShellVersion = [] { return 5u; };
    w.FormActivate();
    Refresh(w, 1);
    EXPECT_EQ(Buttons(w), kListOn);

    w.readShellVersion = [] { return 6u; };
    ClearUrlCache();
    Refresh(w, 1);
    EXPECT_EQ(Buttons(w), kAllOff);
    w.FormActivate();  // enables Privacy whatever the number of rows
    EXPECT_TRUE(w.btnPrivacy.Enabled());
    Refresh(w, 1);  // an empty refresh disables it again
    EXPECT_EQ(Buttons(w), kAllOff);
    ASSERT_TRUE(AddCookie("Cookie:tester@b.example/"));
    Refresh(w, 1);
    EXPECT_EQ(Buttons(w), kAllOn);
    EXPECT_FALSE(w.btnPrivacy.Visible());
    EXPECT_EQ(w.edCookieCount.Text(), "1");

    // The real shell library of the prefix.
    w.readShellVersion = ReadShlwapiMajorVersion;
    w.GetShlwapiMajorVersion();
    EXPECT_GE(w.ShellLibraryVersion, 5u);
}

TEST_F(CookieWindowTest, SortingByEveryColumnAndReversing) {
    const FILETIME zero{};
    ASSERT_TRUE(AddCookie("Cookie:tester@alpha.example/", LocalTime(2004, 3, 9, 13, 5, 7), LocalTime(2010, 1, 1, 0, 0, 0)));
    ASSERT_TRUE(AddCookie("Cookie:tester@Beta.example/", LocalTime(2004, 3, 9, 0, 10, 0), zero));
    ASSERT_TRUE(AddCookie("Cookie:tester@delta.example/", LocalTime(2004, 3, 9, 11, 0, 0), LocalTime(2008, 2, 2, 2, 2, 2)));
    ASSERT_FALSE(AddCookieWithFile("Cookie:tester@gamma.example/", zero, LocalTime(2006, 6, 6, 12, 0, 0)).empty());
    ASSERT_TRUE(SetHits("Cookie:tester@alpha.example/", 5));
    ASSERT_TRUE(SetHits("Cookie:tester@Beta.example/", 40));
    ASSERT_TRUE(SetHits("Cookie:tester@delta.example/", 9));
    ASSERT_TRUE(SetHits("Cookie:tester@gamma.example/", 300));
    TMainForm& w = Create();
    Refresh(w, 1);
    ASSERT_EQ(w.lvCookies.Count(), 4);
    ASSERT_EQ(w.lvCookies.Item(RowOf(w, "gamma.example")).Text(kColHits), "300");

    using V = std::vector<std::string>;
    auto order = [&] { return Cells(w, kColAddress); };
    w.lvCookiesColumnClick(kColHits);
    EXPECT_EQ(order(), (V{"alpha.example", "delta.example", "Beta.example", "gamma.example"}));
    w.lvCookiesColumnClick(kColHits);
    EXPECT_EQ(w.SortState(), -2);
    EXPECT_EQ(order(), (V{"gamma.example", "Beta.example", "delta.example", "alpha.example"}));
    w.lvCookiesColumnClick(kColAddress);
    EXPECT_EQ(order(), (V{"alpha.example", "Beta.example", "delta.example", "gamma.example"}));
    w.lvCookiesColumnClick(kColAddress);
    w.lvCookiesColumnClick(kColAddress);
    EXPECT_EQ(w.SortState(), 1);
    EXPECT_EQ(order(), (V{"alpha.example", "Beta.example", "delta.example", "gamma.example"}));
    // Times by their meaning: "Invalid date format" first, 12:10AM before 11:00AM before 01:05PM.
    w.lvCookiesColumnClick(kColModified);
    EXPECT_EQ(order(), (V{"gamma.example", "Beta.example", "delta.example", "alpha.example"}));
    w.lvCookiesColumnClick(kColExpires);
    EXPECT_EQ(order(), (V{"Beta.example", "gamma.example", "delta.example", "alpha.example"}));
    w.lvCookiesColumnClick(kColExpires);
    EXPECT_EQ(order(), (V{"alpha.example", "delta.example", "gamma.example", "Beta.example"}));
    w.lvCookiesColumnClick(kColFullAddress);
    EXPECT_EQ(order(), (V{"alpha.example", "Beta.example", "delta.example", "gamma.example"}));
    w.lvCookiesColumnClick(kColLocalFilename);
    w.lvCookiesColumnClick(kColLocalFilename);
    EXPECT_EQ(order().front(), "gamma.example");
    w.lvCookies.SetSelected(RowOf(w, "delta.example"), true);
    w.smSetYes.Click();
    w.lvCookiesColumnClick(kColKeep);
    EXPECT_EQ(order().back(), "delta.example");
    w.lvCookiesColumnClick(kColKeep);
    EXPECT_EQ(order().front(), "delta.example");

    // A refresh keeps the sort state but lists in the cache's order.
    Refresh(w, 1);
    EXPECT_EQ(w.SortState(), -6);
    EXPECT_EQ(Cells(w, kColKeep), (V{"No", "No", "No", "No"}));
    EXPECT_TRUE(fx.recorded.boxes.empty());
}

TEST_F(CookieWindowTest, StoredColumnWidthsAreAppliedAtCreationAndStoredOnlyByClose) {
    const int dpi = fx.app.Dpi();
    const int design[] = {80, 50, 80, 80, 100, 50, 100};
    auto widths = [](TMainForm& w) {
        std::vector<int> out;
        for (int c = 0; c < kCookieColumnCount; ++c) out.push_back(w.lvCookies.ColumnWidth(c));
        return out;
    };
    std::vector<int> designPx;
    for (int d : design) designPx.push_back(ui::Scale(d, dpi));
    {
        ProgramFixture f;
        f.state.SettingsKey = SettingsKey();
        EXPECT_EQ(widths(f.app.CreateForm<TMainForm>(f.state)), designPx);
    }

    RegSetString(SettingsKey(), "ColWidth0", "120");
    RegSetString(SettingsKey(), "ColWidth1", "");
    RegSetString(SettingsKey(), "ColWidth3", "75");
    {
        ProgramFixture f;
        f.state.SettingsKey = SettingsKey();
        auto expected = designPx;
        expected[0] = 120;
        expected[3] = 75;
        EXPECT_EQ(widths(f.app.CreateForm<TMainForm>(f.state)), expected);
    }

    // A value that is no whole number: the error box, the columns before it
    // set, that column and the later ones as they were.
    RegSetString(SettingsKey(), "ColWidth2", "8O");
    TMainForm& w = Create();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"'8O' is not a valid integer value."}));
    EXPECT_EQ(fx.recorded.boxes[0].flags, UINT(MB_OK | MB_ICONERROR));
    auto expected = designPx;
    expected[0] = 120;
    EXPECT_EQ(widths(w), expected);
    EXPECT_EQ(w.Caption(), "Ovk Purgelet v2.0.3...Information");

    // Closing from the title bar stores nothing; Close stores all seven.
    w.lvCookies.SetColumnWidth(kColHits, 133);
    w.Show();
    SendMessageA(w.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(w.IsShowing());
    EXPECT_EQ(RegGetString(SettingsKey(), "ColWidth1"), "");
    w.Show();
    w.btnClose.Click();
    EXPECT_FALSE(w.IsShowing());
    for (int c = 0; c < kCookieColumnCount; ++c)
        EXPECT_EQ(RegGetString(SettingsKey(), "ColWidth" + std::to_string(c)), std::to_string(widths(w)[c])) << c;
    EXPECT_EQ(RegGetString(SettingsKey(), "ColWidth1"), "133");
}

TEST_F(CookieWindowTest, WithAutomaticResizingColumnsFitTheirContentsAndNothingIsStored) {
    TForm1& main = fx.app.CreateForm<TForm1>(fx.state);
    main.chkAutoColResize.SetChecked(true);
    RegSetString(SettingsKey(), "ColWidth0", "300");
    TMainForm& w = Create();
    for (int c = 0; c < kCookieColumnCount; ++c) EXPECT_TRUE(w.lvCookies.ColumnAutoSize(c)) << c;
    const int headerOnly = w.lvCookies.ColumnWidth(kColAddress);
    EXPECT_LT(headerOnly, 300);

    ASSERT_TRUE(AddCookie("Cookie:tester@" + std::string(60, 'w') + ".example/"));
    Refresh(w, 1);
    EXPECT_GT(w.lvCookies.ColumnWidth(kColAddress), headerOnly);

    RegDeleteTree(SettingsKey());
    w.btnClose.Click();
    EXPECT_TRUE(RegValueNames(SettingsKey()).empty());

    // Switched off, the stored widths apply and the automatic sizing stays on.
    main.chkAutoColResize.SetChecked(false);
    RegSetString(SettingsKey(), "ColWidth0", "90");
    w.SetWidthOfMainListColumns();
    EXPECT_EQ(w.lvCookies.ColumnWidth(kColAddress), 90);
    EXPECT_TRUE(w.lvCookies.ColumnAutoSize(kColAddress));
}

TEST_F(CookieWindowTest, KeepItemsAreDisabledForGoodUnlessCookiesAreListed) {
    ASSERT_TRUE(AddCookie("Cookie:tester@a.example/"));
    ASSERT_TRUE(AddHistoryEntry("Visited: tester@http://a.example/"));
    TMainForm& w = Create();
    Refresh(w, 1);
    w.pmCookies.DoPopup();
    EXPECT_TRUE(w.smSetYes.Enabled() && w.smSetNo.Enabled());
    Refresh(w, 2);
    w.pmCookies.DoPopup();
    EXPECT_FALSE(w.smSetYes.Enabled() || w.smSetNo.Enabled());
    Refresh(w, 1);
    w.pmCookies.DoPopup();
    EXPECT_FALSE(w.smSetYes.Enabled() || w.smSetNo.Enabled());

    ProgramFixture other;
    TMainForm& empty = other.app.CreateForm<TMainForm>(other.state);
    empty.pmCookies.DoPopup();  // once on an empty list
    EXPECT_FALSE(empty.smSetYes.Enabled() || empty.smSetNo.Enabled());
    empty.btnRefresh.Click();
    empty.pmCookies.DoPopup();
    EXPECT_FALSE(empty.smSetYes.Enabled() || empty.smSetNo.Enabled());
}

TEST_F(CookieWindowTest, ShownTheWindowFocusesARowHiddenItWorksAllTheSame) {
    for (const char* site : {"a", "b", "c"}) ASSERT_TRUE(AddCookie(std::string("Cookie:tester@") + site + ".example/"));
    TMainForm& w = Create();
    w.readShellVersion = [] { return 6u; };
    Refresh(w, 1);
    EXPECT_EQ(w.lvCookies.FocusedIndex(), -1);

    w.Show();
    fx.app.ProcessMessages();
    ASSERT_TRUE(w.IsShowing());
    EXPECT_TRUE(w.btnPrivacy.Enabled());  // activation read the shell library
    EXPECT_EQ(w.lvCookies.FocusedIndex(), 0);
    EXPECT_EQ(w.lvCookies.SelectedIndices(), std::vector<int>{0});
    EXPECT_EQ(GetFocus(), w.lvCookies.Handle());

    w.lvCookies.SetFocusedIndex(2);
    Refresh(w, 1);
    EXPECT_EQ(w.lvCookies.FocusedIndex(), 0);  // rows are new: the first one
    w.btnCheck.Click();
    w.btnDelete.Click();
    EXPECT_EQ(w.edCookieCount.Text(), "0");
    EXPECT_TRUE(CacheNamesStartingWith("Cookie:").empty());
    w.Hide();
}
