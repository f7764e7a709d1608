#pragma once
// Finding the current user's folders for each Windows family. The decision
// logic is a function of the facts it is given, so every family can be
// checked without the system it describes.
#include <functional>
#include <optional>
#include <string>

#include "core/ProgramState.h"

namespace purgelet {

struct DiscoveryFacts {
    std::string windowsFolder;  // ends in "\" or is empty
    std::string userName;       // empty when it can't be had
    bool versionKnown = false;
    unsigned major = 0, minor = 0, platformId = 0;
    std::function<bool(const std::string&)> directoryExists;
    // "APPDATA" of the user's volatile environment, empty when missing.
    std::function<std::string()> readAppData;
    // Full-path expansion; an empty text stays empty.
    std::function<std::string(const std::string&)> fullPath;
    // Windows Vista and later: the shell's folder of a role, and the user's
    // temporary folder (GetTempPathW); empty when unknown.
    std::function<std::wstring(REFKNOWNFOLDERID)> knownFolder;
    std::function<std::wstring()> tempPath;
    // The user's temporary folder as configured (TMP, else TEMP), as written.
    std::function<std::wstring()> tempConfigured;
};

// The system-information texts, in UTF-8: a folder named outside the ANSI
// code page stays whole.
struct DiscoveryLabels {
    std::optional<std::string> winVer;  // unset when the version query failed
    std::string curUserDir;
};

// Fills the folder set and returns the two system-information texts. Fields
// a run does not touch keep their values.
DiscoveryLabels DiscoverFolders(const DiscoveryFacts& facts, FolderSet& folders);

// The NT family's profile folder, or empty.
std::string FindProfileFolder(const DiscoveryFacts& facts, std::uint8_t winMajor);

// The drive part of a path: "C:" for "C:\WINNT\", "\\server\share" for a UNC path.
std::string ExtractFileDrive(const std::string& path);

// Facts read from the running system, with the Windows folder found at start.
DiscoveryFacts SystemFacts(const Platform& platform, const std::string& windowsFolder);
DiscoveryFacts SystemFacts(const ProgramState& state);

// The logon name, empty on failure.
std::string UserID(const Platform& platform);

bool DirectoryExists(const std::string& path);
bool DirectoryExists(const std::wstring& path);

}  // namespace purgelet
