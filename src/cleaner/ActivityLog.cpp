#include "cleaner/ActivityLog.h"

#include <cstdio>

#include "core/Texts.h"
#include "framework/Controls.h"

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

void ActivityLog::Add(const std::string& line) { list_.Add(line); }

void ActivityLog::Clear() { list_.Clear(); }

const std::vector<std::string>& ActivityLog::Lines() const { return list_.Items(); }

void ActivityLog::FillOpeningLines(const SYSTEMTIME& today) {
    Clear();
    Add(texts::LogFirstLine.Text());
    Add(texts::LogSecondLine.Text());
    Add("");
    Add(texts::LogDateLabel.Text() + " " + FormatLogDate(today));
}

}  // namespace purgelet
