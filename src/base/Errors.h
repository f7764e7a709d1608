#pragma once
// Errors raised inside event handlers. The framework catches them at the
// handler's boundary and shows them in the standard error box.
#include <stdexcept>
#include <string>

namespace purgelet {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that should have been a whole number.
class ConvertError : public Error {
public:
    using Error::Error;
};

// The system could not give a resource (a window, an icon, a handle).
class OutOfResources : public Error {
public:
    using Error::Error;
};

// Replaces the first "%s" of a message pattern with a value.
inline std::string FormatMessage1(const std::string& pattern, const std::string& value) {
    std::string out = pattern;
    if (auto pos = out.find("%s"); pos != std::string::npos) out.replace(pos, 2, value);
    return out;
}

// The system's own words for an error code (a Win32 error or an HRESULT),
// without the line break at their end; empty when it has none.
std::string SystemMessage(unsigned long code);

// Converts a decimal text to a whole number the strict way: an optional sign
// and digits only, within the range of a 32-bit integer.
int StrToInt(const std::string& text);

}  // namespace purgelet
