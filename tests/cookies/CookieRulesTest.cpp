// The parts of the cookie manager that need no window: addresses, date-time
// cells, the entry type filter, the rows built from entries, the order of
// rows and the enabling rules.
#include <gtest/gtest.h>

#include "CookieTestHelpers.h"
#include "cookies/CookieListRules.h"
#include "cookies/UrlCache.h"

using namespace purgelet;
using namespace cookie_tests;

TEST(AddressPart, TakesTheTextAfterTheFirstAtAndDropsOneFinalSlash) {
    EXPECT_EQ(AddressPart("Cookie:user@example.com/shop/"), "example.com/shop");
    EXPECT_EQ(AddressPart("Cookie:user@example.com/"), "example.com");
    EXPECT_EQ(AddressPart("Visited: user@http://example.com/a@b/"), "http://example.com/a@b");
    EXPECT_EQ(AddressPart("Cookie:user@example.com//"), "example.com/");
    EXPECT_EQ(AddressPart("Cookie:user@example.com"), "example.com");
}

TEST(AddressPart, EmptyAndMissingParts) {
    EXPECT_EQ(AddressPart("Cookie:user@"), "");  // a name ending in "@": empty, no error
    EXPECT_EQ(AddressPart("Cookie:user@/"), "");
    EXPECT_EQ(AddressPart(""), "");
    EXPECT_EQ(AddressPart(nullptr), "");
    EXPECT_EQ(AddressPart("/"), "");
}

TEST(AddressPart, WithoutAtTheWholeNameCutTo260) {
    EXPECT_EQ(AddressPart("Cookie:example.com/"), "Cookie:example.com");
    const std::string longName = "Cookie:" + std::string(300, 'n');
    EXPECT_EQ(AddressPart(longName.c_str()), longName.substr(0, 260));
    // The cut comes first; a slash at place 260 is then the final one.
    const std::string slashAt260 = std::string(259, 'n') + "/tail";
    EXPECT_EQ(AddressPart(slashAt260.c_str()), std::string(259, 'n'));
}

TEST(AddressPart, AddressLongerThan260IsCutToItsFirst260) {
    const std::string address = "example.com/" + std::string(400, 'p');
    const std::string name = "Cookie:user@" + address;
    EXPECT_EQ(AddressPart(name.c_str()), address.substr(0, 260));
    const std::string exactly = "Cookie:user@" + std::string(259, 'q') + "/";
    EXPECT_EQ(AddressPart(exactly.c_str()), std::string(259, 'q'));
}

TEST(FileTimeToText, TwelveHourClockWithOddSecondsOneLower) {
    EXPECT_EQ(FileTimeToText(LocalTime(2004, 3, 9, 13, 5, 7)), Expected("2004", "03", "09", "01", "05", "06", "PM"));
    EXPECT_EQ(FileTimeToText(LocalTime(2004, 3, 9, 0, 10, 0)), Expected("2004", "03", "09", "12", "10", "00", "AM"));
    EXPECT_EQ(FileTimeToText(LocalTime(2004, 12, 31, 12, 0, 1)), Expected("2004", "12", "31", "12", "00", "00", "PM"));
    EXPECT_EQ(FileTimeToText(LocalTime(2004, 7, 1, 11, 59, 59)), Expected("2004", "07", "01", "11", "59", "58", "AM"));
    EXPECT_EQ(FileTimeToText(LocalTime(2004, 7, 1, 23, 0, 2)), Expected("2004", "07", "01", "11", "00", "02", "PM"));
}

TEST(FileTimeToText, OnlyTheDosRangeHasATextTheRestIsInvalid) {
    EXPECT_EQ(FileTimeToText(FILETIME{}), "Invalid date format");
    EXPECT_EQ(FileTimeToText(LocalTime(1979, 12, 31, 23, 59, 59)), "Invalid date format");
    EXPECT_EQ(FileTimeToText(LocalTime(2108, 1, 1, 0, 0, 0)), "Invalid date format");
    EXPECT_EQ(FileTimeToText(FILETIME{0xFFFFFFFFu, 0x7FFFFFFFu}), "Invalid date format");
    EXPECT_EQ(FileTimeToText(LocalTime(1980, 1, 1, 0, 0, 0)), Expected("1980", "01", "01", "12", "00", "00", "AM"));
    EXPECT_EQ(FileTimeToText(LocalTime(2107, 12, 31, 23, 59, 59)),
              Expected("2107", "12", "31", "11", "59", "58", "PM"));
}

TEST(FileTimeToText, SeparatorsComeFromTheCaller) {
    const DateSeparators dots{".", "-"};
    // 2005-11-20 14:30:08: date (25 << 9 | 11 << 5 | 20), time (14 << 11 | 30 << 5 | 4).
    const WORD date = static_cast<WORD>(25 << 9 | 11 << 5 | 20), time = static_cast<WORD>(14 << 11 | 30 << 5 | 4);
    EXPECT_EQ(DosDateTimeText(date, time, dots), "2005.11.20 02-30-08PM");
    EXPECT_EQ(FileTimeToText(LocalTime(2005, 11, 20, 14, 30, 8), dots), "2005.11.20 02-30-08PM");
    // DOS values that are no calendar date.
    EXPECT_FALSE(DosDateTimeText(static_cast<WORD>(25 << 9 | 13 << 5 | 1), 0, dots));
    EXPECT_FALSE(DosDateTimeText(static_cast<WORD>(25 << 9 | 2 << 5 | 30), 0, dots));
    EXPECT_FALSE(DosDateTimeText(static_cast<WORD>(25 << 9 | 1 << 5 | 0), 0, dots));
    EXPECT_FALSE(DosDateTimeText(date, static_cast<WORD>(24 << 11), dots));
    EXPECT_TRUE(DosDateTimeText(static_cast<WORD>(24 << 9 | 2 << 5 | 29), 0, dots));  // 2004 is a leap year
}

TEST(EntryTypeFilter, KindsAndWhichEntriesTheyKeep) {
    EXPECT_EQ(FilterOfKind(0), 0u);
    EXPECT_EQ(FilterOfKind(1), 0x00100000u);
    EXPECT_EQ(FilterOfKind(2), 0x00200000u);
    EXPECT_EQ(FilterOfKind(3), 0x00000020u);
    EXPECT_EQ(FilterOfKind(4), 0x00000010u);
    EXPECT_FALSE(FilterOfKind(5));
    EXPECT_FALSE(FilterOfKind(255));

    // A set filter: every one of its bits, other bits do not matter.
    EXPECT_TRUE(EntryKept(COOKIE_CACHE_ENTRY, kCookieCacheEntry));
    EXPECT_TRUE(EntryKept(COOKIE_CACHE_ENTRY | STICKY_CACHE_ENTRY | NORMAL_CACHE_ENTRY, kCookieCacheEntry));
    EXPECT_FALSE(EntryKept(NORMAL_CACHE_ENTRY, kCookieCacheEntry));
    EXPECT_FALSE(EntryKept(URLHISTORY_CACHE_ENTRY, kCookieCacheEntry));
    EXPECT_TRUE(EntryKept(URLHISTORY_CACHE_ENTRY | NORMAL_CACHE_ENTRY, kUrlHistoryCacheEntry));
    EXPECT_TRUE(EntryKept(0x30, kTrackOnlineCacheEntry));
    EXPECT_FALSE(EntryKept(0x10, kTrackOnlineCacheEntry));
    // Filter 0: anything but cookies and history.
    EXPECT_TRUE(EntryKept(NORMAL_CACHE_ENTRY, 0));
    EXPECT_TRUE(EntryKept(0, 0));
    EXPECT_TRUE(EntryKept(NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY | 0x20, 0));
    EXPECT_FALSE(EntryKept(NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY, 0));
    EXPECT_FALSE(EntryKept(NORMAL_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY, 0));
}

namespace {
INTERNET_CACHE_ENTRY_INFOA Entry(const char* name, const char* local, DWORD hits, FILETIME modified,
                                 FILETIME expires) {
    INTERNET_CACHE_ENTRY_INFOA e{};
    e.dwStructSize = sizeof(e);
    e.lpszSourceUrlName = const_cast<char*>(name);
    e.lpszLocalFileName = const_cast<char*>(local);
    e.dwHitRate = hits;
    e.LastModifiedTime = modified;
    e.ExpireTime = expires;
    return e;
}
}  // namespace

TEST(CookieRowCells, EntryRowAndCacheFileRow) {
    const DateSeparators seps{"/", ":"};
    auto e = Entry("Cookie:user@example.com/", "C:\\c\\user@example[1].txt", 4294967295u,
                   LocalTime(2004, 3, 9, 13, 5, 7), FILETIME{});
    CookieRow row = BuildEntryRow(e, seps);
    EXPECT_EQ(row.caption, "example.com");
    EXPECT_EQ(row.subItems, (std::vector<std::string>{"4294967295", "2004/03/09 01:05:06PM", "Invalid date format",
                                                      "Cookie:user@example.com/", "No", "C:\\c\\user@example[1].txt"}));

    auto noTexts = Entry(nullptr, nullptr, 0, FILETIME{}, FILETIME{});
    row = BuildEntryRow(noTexts, seps);
    EXPECT_EQ(row.caption, "");
    EXPECT_EQ(row.Text(kColFullAddress), "");
    EXPECT_EQ(row.Text(kColLocalFilename), "");
    EXPECT_EQ(row.Text(kColKeep), "No");

    auto file = Entry("http://example.com/a.htm", "C:\\cache\\a[1].htm", 3, LocalTime(2004, 3, 9, 13, 5, 7),
                      LocalTime(2005, 1, 1, 0, 0, 0));
    row = BuildCacheFileRow(file);
    EXPECT_EQ(row.caption, "http://example.com/a.htm");
    EXPECT_EQ(row.subItems, (std::vector<std::string>{"3", "", "", "C:\\cache\\a[1].htm", "No"}));
    EXPECT_FALSE(row.HasText(kColLocalFilename));
    EXPECT_EQ(row.Text(kColLocalFilename), "");
}

TEST(SortState, ClickingTheSameHeaderReversesAnotherOneStartsAscending) {
    int state = 0;
    state = NextSortState(state, kColHits);
    EXPECT_EQ(state, 2);
    state = NextSortState(state, kColHits);
    EXPECT_EQ(state, -2);
    state = NextSortState(state, kColHits);
    EXPECT_EQ(state, 2);
    state = NextSortState(state, kColHits);
    state = NextSortState(state, kColAddress);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(NextSortState(-7, kColLocalFilename), 7);
}

namespace {
CookieRow Row(const std::string& address, const std::string& hits, const std::string& modified,
              const std::string& keep = "No") {
    return CookieRow{address, {hits, modified, modified, "Cookie:u@" + address, keep, "C:\\" + address}};
}
}  // namespace

TEST(CompareCookieRows, DateCellsAreComparedAsTimesNotAsTexts) {
    const DateSeparators seps{"/", ":"};
    const std::string midnight = *DosDateTimeText(static_cast<WORD>(24 << 9 | 3 << 5 | 9), 0, seps);  // 12:00:00AM
    const std::string morning = FileTimeToText(LocalTime(2004, 3, 9, 11, 59, 58), seps);
    const std::string noon = FileTimeToText(LocalTime(2004, 3, 9, 12, 0, 0), seps);
    const std::string afternoon = FileTimeToText(LocalTime(2004, 3, 9, 13, 5, 6), seps);
    const std::string nextYear = FileTimeToText(LocalTime(2005, 1, 1, 0, 0, 0), seps);
    const std::vector<std::string> ascending = {midnight, morning, noon, afternoon, nextYear};
    for (int column : {kColModified, kColExpires}) {
        const int state = column + 1;
        for (std::size_t i = 0; i + 1 < ascending.size(); ++i) {
            SCOPED_TRACE(ascending[i] + " < " + ascending[i + 1]);
            EXPECT_EQ(CompareCookieRows(Row("a", "0", ascending[i]), Row("a", "0", ascending[i + 1]), state, seps), -1);
            EXPECT_EQ(CompareCookieRows(Row("a", "0", ascending[i + 1]), Row("a", "0", ascending[i]), state, seps), 1);
            EXPECT_EQ(CompareCookieRows(Row("a", "0", ascending[i]), Row("a", "0", ascending[i + 1]), -state, seps), 1);
        }
        EXPECT_EQ(CompareCookieRows(Row("a", "0", noon), Row("b", "9", noon), state, seps), 0);
    }
    EXPECT_EQ(DateTimeKey(noon, DateSeparators{".", ":"}), std::nullopt);  // written with other separators
}

TEST(CompareCookieRows, CellsWithoutADateTimeComeBeforeEveryDate) {
    const DateSeparators seps{"/", ":"};
    const std::string earliest = FileTimeToText(LocalTime(1980, 1, 1, 0, 0, 0), seps);
    const CookieRow invalid = Row("a", "0", "Invalid date format");
    const CookieRow empty = Row("a", "0", "");
    const CookieRow dated = Row("a", "0", earliest);
    EXPECT_EQ(CompareCookieRows(invalid, dated, 3, seps), -1);
    EXPECT_EQ(CompareCookieRows(empty, dated, 4, seps), -1);
    EXPECT_EQ(CompareCookieRows(dated, invalid, 3, seps), 1);
    EXPECT_EQ(CompareCookieRows(invalid, empty, 3, seps), 0);
    EXPECT_EQ(CompareCookieRows(invalid, dated, -3, seps), 1);  // descending: last
    const CookieRow cacheFileRow{"http://x/", {"0", "", "", "C:\\x", "No"}};
    EXPECT_EQ(CompareCookieRows(cacheFileRow, dated, 3, seps), -1);
}

TEST(CompareCookieRows, HitsAsNumbersTextsInTheLocaleMissingCellsAsEmpty) {
    const DateSeparators seps;
    EXPECT_EQ(CompareCookieRows(Row("a", "9", ""), Row("a", "10", ""), 2, seps), -1);
    EXPECT_EQ(CompareCookieRows(Row("a", "4294967295", ""), Row("a", "10", ""), 2, seps), 1);
    EXPECT_EQ(CompareCookieRows(Row("a", "7", ""), Row("b", "7", ""), 2, seps), 0);
    EXPECT_EQ(CompareCookieRows(Row("a", "9", ""), Row("a", "10", ""), -2, seps), 1);

    EXPECT_EQ(CompareCookieRows(Row("b.com", "0", ""), Row("a.com", "0", ""), 1, seps), 1);
    EXPECT_EQ(CompareCookieRows(Row("a.com", "0", ""), Row("a.com", "0", ""), 1, seps), 0);
    EXPECT_NE(CompareCookieRows(Row("A.com", "0", ""), Row("a.com", "0", ""), 1, seps), 0);  // case counts
    EXPECT_EQ(CompareCookieRows(Row("a", "0", "", "No"), Row("a", "0", "", "Yes"), 6, seps), -1);
    EXPECT_EQ(CompareCookieRows(Row("b", "0", ""), Row("a", "0", ""), 5, seps), 1);  // Full Address
    EXPECT_EQ(CompareCookieRows(Row("b", "0", ""), Row("a", "0", ""), -7, seps), -1);  // Local Filename

    const CookieRow withoutFile{"a", {"0", "", "", "http://a/", "No"}};
    EXPECT_EQ(CompareCookieRows(withoutFile, Row("a", "0", ""), 7, seps), -1);
    EXPECT_EQ(CompareCookieRows(withoutFile, CookieRow{"z", {"1", "", "", "", "No", ""}}, 7, seps), 0);
    // No sort: every pair is equal.
    EXPECT_EQ(CompareCookieRows(Row("a", "1", ""), Row("b", "2", ""), 0, seps), 0);
}
