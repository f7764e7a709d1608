#include "mainwindow/LogDate.h"

#include <cstdio>

#include "base/Text.h"

namespace purgelet {

std::string FormatLogDate(const SYSTEMTIME& day) {
    wchar_t month[80] = {};
    if (day.wMonth >= 1 && day.wMonth <= 12)
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME1 + day.wMonth - 1, month, 80);
    char days[16], year[16];
    std::snprintf(days, sizeof(days), "%02u", static_cast<unsigned>(day.wDay));
    std::snprintf(year, sizeof(year), "%04u", static_cast<unsigned>(day.wYear));
    return std::string(days) + " " + Utf8(month) + " " + year;
}

}  // namespace purgelet
