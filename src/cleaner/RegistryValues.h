#pragma once
// Emptying a registry value list below HKEY_CURRENT_USER, and the line that
// tells how it went.
#include <windows.h>

#include <string>

#include "core/Platform.h"

namespace purgelet {

// The registry value lists, below HKEY_CURRENT_USER.
inline constexpr char kTypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
inline constexpr char kRunMruKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

// Deletes every value of a key below HKEY_CURRENT_USER: the names are listed
// first, then deleted in that order. The key itself stays.
struct RegistryValuesCleared {
    bool opened = false;
    bool missing = false;   // the key is not there
    int deleted = 0;        // values gone, or in a preview listed
    bool listedAll = true;  // false when listing the names ended in an error
    int failures = 0;       // values that could not be deleted
};
// A preview opens the key the same way and only lists the names.
RegistryValuesCleared DeleteAllValues(const std::string& key, const Platform& platform, bool preview = false);
// The log line of such a clearing: the failure text (with ". Count = " and
// the number when listed values stay; alone when the key could not be opened
// or listed), or the success text.
std::string RegistryOutcomeLine(const RegistryValuesCleared& result, const std::string& failure,
                                const std::string& success);

}  // namespace purgelet
