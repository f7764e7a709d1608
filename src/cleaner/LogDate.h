#pragma once
// The date the activity log opens with.
#include <windows.h>

#include <string>

namespace purgelet {

// "dd mmm yyyy" with the locale's short month name.
std::string FormatLogDate(const SYSTEMTIME& day);

}  // namespace purgelet
