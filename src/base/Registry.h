#pragma once
// Reading a text value of the registry.
#include <windows.h>

#include <string>

namespace purgelet {

// A text value as read, or why there is none.
struct RegText {
    enum class Status { Read, Missing, OtherType };
    Status status = Status::Missing;
    // The text up to its first zero character; empty unless read.
    std::string text;
};

// Reads a REG_SZ or REG_EXPAND_SZ value of an open key (an expandable one as
// stored). A value that is missing, has no data or cannot be read is
// Missing; one of another type is OtherType. Data stored without its
// terminating zero is read safely.
RegText ReadRegText(HKEY key, const char* name);

}  // namespace purgelet
