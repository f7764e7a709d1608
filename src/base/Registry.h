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
// The same, wide.
struct RegWideText {
    using Status = RegText::Status;
    Status status = Status::Missing;
    std::wstring text;
};

// Reads a REG_SZ or REG_EXPAND_SZ value of an open key in full, as the
// registry keeps it (an expandable one as stored). A value that is missing,
// has no data or cannot be read is Missing; one of another type is
// OtherType. Data stored without its terminating zero is read safely.
RegWideText ReadRegWideText(HKEY key, const wchar_t* name);
// The same with the name and the text in the ANSI code page.
RegText ReadRegText(HKEY key, const char* name);

// A value type as the registry editor names it ("REG_DWORD", ...).
std::string RegTypeName(DWORD type);

}  // namespace purgelet
