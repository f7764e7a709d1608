#include "mainwindow/ActivityLog.h"

#include "base/Text.h"
#include "core/Texts.h"
#include "framework/Controls.h"

namespace purgelet {

void ActivityLog::Add(const std::string& line) { list_.Add(FromUtf8(line)); }

void ActivityLog::Clear() { list_.Clear(); }

std::vector<std::string> ActivityLog::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(list_.Items().size());
    for (const std::wstring& item : list_.Items()) lines.push_back(Utf8(item));
    return lines;
}

void ActivityLog::FillOpeningLines(const SYSTEMTIME& today) {
    Clear();
    Add(texts::LogFirstLine.Text());
    Add(texts::LogSecondLine.Text());
    Add("");
    Add(texts::LogDateLabel.Text() + " " + FormatLogDate(today));
}

}  // namespace purgelet
