#pragma once
// The settings store: every option is one REG_SZ value under one key of
// HKEY_CURRENT_USER. Each call opens its own handle and closes it again.
#include <string>

#include "base/Handles.h"
#include "core/Platform.h"

namespace purgelet {

class SettingsStore {
public:
    explicit SettingsStore(const Platform& platform) : platform_(platform) {}

    // Stores text as REG_SZ, creating the key when absent. A key that cannot
    // be opened stores nothing; a value that cannot be set raises
    // "Failed to set data for '<name>'".
    void WriteIniToReg(const std::string& keyPath, const std::string& name, const std::string& text) const;
    // The value's text, empty when the key or the value is missing. A value of
    // another type than REG_SZ or REG_EXPAND_SZ raises "Invalid data type for '<name>'".
    std::string ReadIniFromReg(const std::string& keyPath, const std::string& name) const;
    // True only when the key opened and the value was deleted.
    bool Delete_Value_InRegistry(const std::string& keyPath, const std::string& name) const;

private:
    const Platform& platform_;
};

// The stored settings read from outside the window (the command line): the
// key is opened once, for reading only; a missing key or value reads as
// empty. A value of another type than text raises an error that names the
// value, its type and the type it must have.
class SettingsReader {
public:
    explicit SettingsReader(const std::string& keyPath);
    std::string operator()(const std::string& name) const;

private:
    std::string keyPath_;
    RegKey key_;
};

// Switches read as on only for exactly "1".
inline bool IsSwitchOn(const std::string& stored) { return stored == "1"; }
// A switch that is on at design time turns off only for exactly "0".
inline bool IsSwitchOff(const std::string& stored) { return stored == "0"; }
// The XP menu style is on unless stored as exactly "0".
inline bool IsXpMenuOn(const std::string& stored) { return !IsSwitchOff(stored); }

}  // namespace purgelet
