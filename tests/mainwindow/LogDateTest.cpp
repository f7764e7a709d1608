#include <gtest/gtest.h>

#include "mainwindow/LogDate.h"

using namespace purgelet;

TEST(ActivityLogDate, UsesTwoDigitDaysAndTheLocalesShortMonthName) {
    SYSTEMTIME day{};
    day.wYear = 2005;
    day.wMonth = 3;
    day.wDay = 9;
    EXPECT_EQ(FormatLogDate(day), "09 Mar 2005");
    day.wMonth = 12;
    day.wDay = 31;
    day.wYear = 1999;
    EXPECT_EQ(FormatLogDate(day), "31 Dec 1999");
}
