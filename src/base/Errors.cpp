#include "base/Errors.h"

#include <windows.h>

#include <cctype>
#include <cstdint>

#include "base/Handles.h"

namespace purgelet {

int StrToInt(const std::string& text) {
    const auto fail = [&]() -> int { throw ConvertError(FormatMessage1("'%s' is not a valid integer value", text)); };
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size()) return fail();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return fail();
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) return fail();
    }
    if (negative) value = -value;
    if (value > 2147483647LL || value < -2147483648LL) return fail();
    return static_cast<int>(value);
}

std::string SystemMessage(unsigned long code) {
    LocalMemory buffer;
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(buffer.Receive()), 0, nullptr);
    std::string text = n && buffer ? std::string(static_cast<const char*>(buffer.Get()), n) : std::string();
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace purgelet
