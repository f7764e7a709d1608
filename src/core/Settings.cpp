#include "core/Settings.h"

#include <utility>

#include "base/Errors.h"
#include "base/Handles.h"
#include "base/Registry.h"

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
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS) return {};
    RegText value = ReadRegText(key, name.c_str());
    if (value.status == RegText::Status::OtherType) throw Error(FormatMessage1("Invalid data type for '%s'", name));
    return std::move(value.text);
}

SettingsReader::SettingsReader(const std::string& keyPath) : keyPath_(keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) key_.Reset(key);
}

std::string SettingsReader::operator()(const std::string& name) const {
    if (!key_) return {};
    RegText value = ReadRegText(key_.Get(), name.c_str());
    if (value.status == RegText::Status::OtherType) {
        DWORD type = REG_NONE;
        RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, nullptr);
        throw Error("The setting '" + name + "' in HKEY_CURRENT_USER\\" + keyPath_ + " is stored as " +
                    RegTypeName(type) + "; it must be a text value (REG_SZ), \"1\" or \"0\"");
    }
    return std::move(value.text);
}

bool SettingsStore::Delete_Value_InRegistry(const std::string& keyPath, const std::string& name) const {
    RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS)
        return false;
    return RegDeleteValueA(key, name.c_str()) == ERROR_SUCCESS;
}

}  // namespace purgelet
