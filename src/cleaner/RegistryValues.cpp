#include "cleaner/RegistryValues.h"

#include <vector>

#include "base/Handles.h"

namespace purgelet {

RegistryValuesCleared DeleteAllValues(const std::string& key, const Platform& platform, bool preview) {
    RegistryValuesCleared result;
    RegKey h;
    const LONG opened =
        key.empty() ? ERROR_FILE_NOT_FOUND
                    : RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, h.Receive());
    if (opened != ERROR_SUCCESS) {
        result.missing = opened == ERROR_FILE_NOT_FOUND;
        return result;
    }
    result.opened = true;

    // The wide names, so a name outside the code page is deleted as well.
    DWORD longest = 0;
    RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                     nullptr);
    std::vector<wchar_t> buffer(longest + 1 > 256 ? longest + 1 : 256);
    std::vector<std::wstring> names;
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        LONG rc = platform.regEnumValueName(h, index, buffer.data(), &length);
        if (rc == ERROR_MORE_DATA && buffer.size() < 32768) {
            buffer.resize(32768);
            continue;
        }
        // Any other end than "no more items" leaves values unlisted.
        if (rc != ERROR_SUCCESS) {
            result.listedAll = rc == ERROR_NO_MORE_ITEMS;
            break;
        }
        names.emplace_back(buffer.data(), length);
        ++index;
    }
    if (preview) {
        result.deleted = static_cast<int>(names.size());
        return result;
    }
    for (const std::wstring& name : names) {
        if (platform.regDeleteValue(h, name.c_str()) != ERROR_SUCCESS)
            ++result.failures;
        else
            ++result.deleted;
    }
    return result;
}

std::string RegistryOutcomeLine(const RegistryValuesCleared& result, const std::string& failure,
                                const std::string& success) {
    if (!result.opened || (!result.listedAll && result.failures == 0)) return failure;
    if (result.failures > 0) return failure + ". Count = " + std::to_string(result.failures);
    return success;
}

}  // namespace purgelet
