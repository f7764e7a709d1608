#include "mainwindow/ActivityLog.h"

#include "core/Texts.h"
#include "framework/Controls.h"

namespace purgelet {

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
