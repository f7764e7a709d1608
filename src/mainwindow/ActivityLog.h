#pragma once
// The activity log: lines under "Messages :" on the Main page. Lines are only
// appended, or all removed. They are UTF-8, so a folder named outside the
// ANSI code page shows as it is; the list shows them wide.
#include <windows.h>

#include <string>
#include <vector>

#include "mainwindow/LogDate.h"

namespace purgelet {

namespace ui {
class ListBox;
}

class ActivityLog {
public:
    explicit ActivityLog(ui::ListBox& list) : list_(list) {}
    void Add(const std::string& line);
    void Clear();
    // The lines as shown, in UTF-8.
    std::vector<std::string> Lines() const;
    // Empties the log and writes its four opening lines for the given day.
    void FillOpeningLines(const SYSTEMTIME& today);

private:
    ui::ListBox& list_;
};

}  // namespace purgelet
