#include "core/Settings.h"

#include <vector>

#include "base/Errors.h"
#include "base/Handles.h"

namespace purgelet {

void SettingsStore::WriteIniToReg(const std::string& keyPath, const std::string& name, const std::string& text) const {
    RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return;
    LONG rc = platform_.regSetValue(key, name.c_str(), REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                    static_cast<DWORD>(text.size() + 1));
    if (rc != ERROR_SUCCESS) throw Error(FormatMessage1("Failed to set data for '%s'", name));
}

std::string SettingsStore::ReadIniFromReg(const std::string& keyPath, const std::string& name) const {
    std::string result;
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS)
        return result;
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS || size == 0) return result;
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw Error(FormatMessage1("Invalid data type for '%s'", name));
    // One spare zero byte, so a value stored without its terminator is still read safely.
    std::vector<char> data(size + 1, '\0');
    DWORD got = size;
    rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
    if (rc != ERROR_SUCCESS) return result;
    if (got > size) got = size;
    std::size_t n = 0;
    while (n < got && data[n] != '\0') ++n;
    result.assign(data.data(), n);
    return result;
}

bool SettingsStore::Delete_Value_InRegistry(const std::string& keyPath, const std::string& name) const {
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS)
        return false;
    return RegDeleteValueA(key, name.c_str()) == ERROR_SUCCESS;
}

}  // namespace purgelet
