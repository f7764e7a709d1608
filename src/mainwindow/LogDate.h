#pragma once
// The date the activity log opens with.
#include <windows.h>

#include <string>

namespace purgelet {

// "dd mmm yyyy" with the locale's short month name, in UTF-8 as the log's lines are.
std::string FormatLogDate(const SYSTEMTIME& day);

}  // namespace purgelet
