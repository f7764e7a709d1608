#pragma once
// The activity log: lines under "Messages :" on the Main page. Lines are only
// appended, or all removed.
#include <windows.h>

#include <string>
#include <vector>

#include "cleaner/LogDate.h"

namespace purgelet {

namespace ui {
class ListBox;
}

class ActivityLog {
public:
    explicit ActivityLog(ui::ListBox& list) : list_(list) {}
    void Add(const std::string& line);
    void Clear();
    const std::vector<std::string>& Lines() const;
    // Empties the log and writes its four opening lines for the given day.
    void FillOpeningLines(const SYSTEMTIME& today);

private:
    ui::ListBox& list_;
};

}  // namespace purgelet
