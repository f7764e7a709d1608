#include "base/Errors.h"

#include <cctype>
#include <cstdint>

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

}  // namespace purgelet
