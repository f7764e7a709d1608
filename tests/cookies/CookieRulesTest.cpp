// The parts of the cookie manager that need no window: addresses, date-time
// cells and the order of rows.
#include <gtest/gtest.h>

#include "CookieTestHelpers.h"
#include "cookies/CookieListRules.h"

using namespace purgelet;
using namespace cookie_tests;

TEST(AddressPart, TextAfterTheFirstAtAtMost260WithoutOneFinalSlash) {
    EXPECT_EQ(AddressPart("Cookie:user@example.com/shop/"), "example.com/shop");
    EXPECT_EQ(AddressPart("Visited: user@http://example.com/a@b/"), "http://example.com/a@b");
    EXPECT_EQ(AddressPart("Cookie:user@example.com//"), "example.com/");
    EXPECT_EQ(AddressPart("Cookie:user@"), "");
    EXPECT_EQ(AddressPart(nullptr), "");
    // Without "@" the whole name counts.
    EXPECT_EQ(AddressPart("Cookie:example.com/"), "Cookie:example.com");
    const std::string longName = "Cookie:" + std::string(300, 'n');
    EXPECT_EQ(AddressPart(longName.c_str()), longName.substr(0, 260));
    // The cut comes first; a slash that ends up last is then dropped.
    const std::string address = "example.com/" + std::string(400, 'p');
    EXPECT_EQ(AddressPart(("Cookie:user@" + address).c_str()), address.substr(0, 260));
    EXPECT_EQ(AddressPart(("Cookie:user@" + std::string(259, 'q') + "/tail").c_str()), std::string(259, 'q'));
}

TEST(FileTimeToText, LocalTimeOnATwelveHourClockWithEvenSeconds) {
    EXPECT_EQ(FileTimeToText(LocalTime(2004, 3, 9, 13, 5, 7)), Expected("2004", "03", "09", "01", "05", "06", "PM"));
    EXPECT_EQ(FileTimeToText(LocalTime(2004, 3, 9, 0, 10, 0)), Expected("2004", "03", "09", "12", "10", "00", "AM"));
    EXPECT_EQ(FileTimeToText(LocalTime(2004, 12, 31, 12, 0, 1)), Expected("2004", "12", "31", "12", "00", "00", "PM"));
    EXPECT_EQ(FileTimeToText(LocalTime(1980, 1, 1, 0, 0, 0)), Expected("1980", "01", "01", "12", "00", "00", "AM"));
    EXPECT_EQ(FileTimeToText(LocalTime(2107, 12, 31, 23, 59, 59)),
              Expected("2107", "12", "31", "11", "59", "58", "PM"));
    EXPECT_EQ(FileTimeToText(LocalTime(2005, 11, 20, 14, 30, 8), DateSeparators{".", "-"}), "2005.11.20 02-30-08PM");
}

TEST(FileTimeToText, TimesOutsideTheDosRangeAreInvalid) {
    EXPECT_EQ(FileTimeToText(FILETIME{}), "Invalid date format");
    EXPECT_EQ(FileTimeToText(LocalTime(1979, 12, 31, 23, 59, 59)), "Invalid date format");
    EXPECT_EQ(FileTimeToText(LocalTime(2108, 1, 1, 0, 0, 0)), "Invalid date format");
    EXPECT_EQ(FileTimeToText(FILETIME{0xFFFFFFFFu, 0x7FFFFFFFu}), "Invalid date format");
    const DateSeparators seps;
    EXPECT_FALSE(DosDateTimeText(static_cast<WORD>(25 << 9 | 13 << 5 | 1), 0, seps));  // month 13
    EXPECT_FALSE(DosDateTimeText(static_cast<WORD>(25 << 9 | 2 << 5 | 29), 0, seps));  // 2005-02-29
    EXPECT_TRUE(DosDateTimeText(static_cast<WORD>(24 << 9 | 2 << 5 | 29), 0, seps));   // 2004-02-29
}

namespace {
CookieRow Row(const std::string& address, const std::string& hits, const std::string& when,
              const std::string& keep = "No") {
    return CookieRow{address, {hits, when, when, "Cookie:u@" + address, keep, "C:\\" + address}};
}
}  // namespace

TEST(CompareCookieRows, DatesByTimeCellsWithoutADateFirstAndNegativeStatesReversed) {
    const DateSeparators seps{"/", ":"};
    // Ascending in time; as texts, 11:59:58AM would sort after 01:05:06PM.
    const std::vector<std::string> ascending = {
        "Invalid date format",
        FileTimeToText(LocalTime(2004, 3, 9, 0, 10, 0), seps),
        FileTimeToText(LocalTime(2004, 3, 9, 11, 59, 58), seps),
        FileTimeToText(LocalTime(2004, 3, 9, 12, 0, 0), seps),
        FileTimeToText(LocalTime(2004, 3, 9, 13, 5, 6), seps),
        FileTimeToText(LocalTime(2005, 1, 1, 0, 0, 0), seps),
    };
    for (int state : {3, 4}) {
        for (std::size_t i = 0; i + 1 < ascending.size(); ++i) {
            SCOPED_TRACE(ascending[i] + " < " + ascending[i + 1]);
            EXPECT_EQ(CompareCookieRows(Row("a", "0", ascending[i]), Row("a", "0", ascending[i + 1]), state, seps), -1);
            EXPECT_EQ(CompareCookieRows(Row("a", "0", ascending[i + 1]), Row("a", "0", ascending[i]), state, seps), 1);
            EXPECT_EQ(CompareCookieRows(Row("a", "0", ascending[i]), Row("a", "0", ascending[i + 1]), -state, seps), 1);
        }
    }
    EXPECT_EQ(CompareCookieRows(Row("a", "0", ""), Row("b", "0", "Invalid date format"), 3, seps), 0);
    const CookieRow cacheFileRow{"http://x/", {"0", "", "", "C:\\x", "No"}};
    EXPECT_EQ(CompareCookieRows(cacheFileRow, Row("a", "0", ascending[1]), 4, seps), -1);
}

TEST(CompareCookieRows, HitsAsNumbersTextsInTheLocaleMissingCellsAsEmpty) {
    const DateSeparators seps;
    EXPECT_EQ(CompareCookieRows(Row("a", "9", ""), Row("a", "10", ""), 2, seps), -1);
    EXPECT_EQ(CompareCookieRows(Row("a", "4294967295", ""), Row("a", "10", ""), 2, seps), 1);
    EXPECT_EQ(CompareCookieRows(Row("a", "9", ""), Row("a", "10", ""), -2, seps), 1);
    EXPECT_EQ(CompareCookieRows(Row("b.com", "0", ""), Row("a.com", "0", ""), 1, seps), 1);
    EXPECT_NE(CompareCookieRows(Row("A.com", "0", ""), Row("a.com", "0", ""), 1, seps), 0);  // case counts
    EXPECT_EQ(CompareCookieRows(Row("a", "0", "", "No"), Row("a", "0", "", "Yes"), -6, seps), 1);
    const CookieRow withoutFile{"a", {"0", "", "", "http://a/", "No"}};
    EXPECT_EQ(CompareCookieRows(withoutFile, Row("a", "0", ""), 7, seps), -1);
    EXPECT_EQ(CompareCookieRows(Row("a", "1", ""), Row("b", "2", ""), 0, seps), 0);  // no sort
}
