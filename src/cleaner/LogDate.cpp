#include "cleaner/LogDate.h"

#include <cstdio>

namespace purgelet {

std::string FormatLogDate(const SYSTEMTIME& day) {
    char month[80] = {};
    if (day.wMonth >= 1 && day.wMonth <= 12)
        GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME1 + day.wMonth - 1, month, sizeof(month));
    char text[128];
    std::snprintf(text, sizeof(text), "%02u %s %04u", static_cast<unsigned>(day.wDay), month,
                  static_cast<unsigned>(day.wYear));
    return text;
}

}  // namespace purgelet
