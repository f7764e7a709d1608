#include "base/Registry.h"

#include <vector>

#include "base/Text.h"

namespace purgelet {

RegWideText ReadRegWideText(HKEY key, const wchar_t* name) {
    RegWideText out;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) return out;
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        out.status = RegWideText::Status::OtherType;
        return out;
    }
    // Room for an odd byte and one spare zero character, so data stored
    // without its terminator ends all the same.
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = size;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got) != ERROR_SUCCESS)
        return out;
    if (got > size) got = size;
    const std::size_t count = got / sizeof(wchar_t);
    std::size_t n = 0;
    while (n < count && data[n] != L'\0') ++n;
    out.status = RegWideText::Status::Read;
    out.text.assign(data.data(), n);
    return out;
}

RegText ReadRegText(HKEY key, const char* name) {
    const RegWideText wide = ReadRegWideText(key, name ? Widen(name).c_str() : nullptr);
    return {wide.status, Narrow(wide.text)};
}

std::string RegTypeName(DWORD type) {
    switch (type) {
        case REG_NONE:
            return "REG_NONE";
        case REG_SZ:
            return "REG_SZ";
        case REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case REG_BINARY:
            return "REG_BINARY";
        case REG_DWORD:
            return "REG_DWORD";
        case REG_DWORD_BIG_ENDIAN:
            return "REG_DWORD_BIG_ENDIAN";
        case REG_LINK:
            return "REG_LINK";
        case REG_MULTI_SZ:
            return "REG_MULTI_SZ";
        case REG_QWORD:
            return "REG_QWORD";
        default:
            return "type " + std::to_string(type);
    }
}

}  // namespace purgelet
