#pragma once
// What the command's tests share: the command's output caught as UTF-8, a
// file read whole, and the browsers' application data folders of the test
// prefix.
#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <string>

#include "base/Text.h"
#include "command/Command.h"
#include "support/TestSupport.h"

namespace command_tests {

class Captured final : public purgelet::CommandOutput {
public:
    void Out(std::wstring_view text) override { out += purgelet::Utf8(text); }
    void Err(std::wstring_view text) override { err += purgelet::Utf8(text); }
    bool ErrIsConsole() const override { return false; }
    std::string out, err;
};

using testing_support::ReadWhole;

// The browsers' fixtures lie below these, in place of the user's own.
inline const std::string kBrowsersTop = "C:\\purgelet-browsers\\";
inline const std::string kLocal = kBrowsersTop + "Local\\", kRoaming = kBrowsersTop + "Roaming\\";

// Points the site's local and roaming application data folders there.
inline void SteerAppData(purgelet::CleaningSite& site) {
    site.platform.knownFolderPath = [](REFKNOWNFOLDERID id) {
        if (id == FOLDERID_LocalAppData) return purgelet::Widen(kLocal);
        if (id == FOLDERID_RoamingAppData) return purgelet::Widen(kRoaming);
        return purgelet::Platform().knownFolderPath(id);
    };
}

}  // namespace command_tests
