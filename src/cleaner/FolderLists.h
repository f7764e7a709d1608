#pragma once
// The folders each Windows family empties: the Windows 9x lists under the
// Windows folder, and the NT family's below the profile (on Vista and later
// the shell's).
#include <string>
#include <vector>

#include "core/ProgramState.h"

namespace purgelet {

// base + name, or nothing when either is missing: a folder whose base was not
// found is never acted on (its name alone would be a relative path).
std::string FolderBelow(const std::string& base, const std::string& name);

// A folder a Windows 9x category empties, with the line it logs when the
// folder exists.
struct FolderLine {
    std::string folder;  // empty: nothing to empty
    const char* line;
    const char* what;  // what it holds, as a refusal's line names it
};
// The user's folder (with a logon name) first, then the shared one.
std::vector<FolderLine> Win9xTempInternetFolders(const std::string& windowsFolder, const FolderSet& folders);
// The shared folder first, then the user's (with a logon name).
std::vector<FolderLine> Win9xRecentFolders(const std::string& windowsFolder, const FolderSet& folders);
FolderLine Win9xTempFolder(const std::string& windowsFolder);

// The folders the NT run empties, each ending in "\\"; empty where their
// base is missing. On Windows Vista and later they are the shell's folders.
struct NtFolders {
    std::wstring profile;
    std::wstring tempInternet;
    std::wstring userTemp;
    std::wstring windowsTemp;
    std::wstring recent;
};
NtFolders NtFoldersOf(const std::string& windowsFolder, const FolderSet& folders);

}  // namespace purgelet
