#include "base/Registry.h"

#include <vector>

namespace purgelet {

RegText ReadRegText(HKEY key, const char* name) {
    RegText out;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) return out;
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        out.status = RegText::Status::OtherType;
        return out;
    }
    // One spare zero byte, so data stored without its terminator ends all the same.
    std::vector<char> data(size + 1, '\0');
    DWORD got = size;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got) != ERROR_SUCCESS)
        return out;
    if (got > size) got = size;
    std::size_t n = 0;
    while (n < got && data[n] != '\0') ++n;
    out.status = RegText::Status::Read;
    out.text.assign(data.data(), n);
    return out;
}

}  // namespace purgelet
