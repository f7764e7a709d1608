#pragma once
// Emptying a folder tree: the files directly inside a folder, then every
// sub-folder below it, depth first. The folder handed in is never removed.
//
// Only entries whose attribute word holds nothing but the six classic bits
// (read-only, hidden, system, volume label, directory, archive) are touched;
// anything else - reparse points above all - is skipped and stays, together
// with everything below it. Nothing is counted or logged here.
#include <string>

#include "core/Platform.h"

namespace purgelet {

// The classic attribute bits; an entry with any other bit is left alone.
inline constexpr unsigned long kHandledAttributes = 0x3F;

// Deletes the files directly inside folder (a full path, drive-rooted like
// "C:\x\" or UNC like "\\server\share\x\", in the ANSI code page). A file that
// resists is given the archive attribute only and deleted once more; sub-folders
// get the same attribute reset and are left for KillSubFolderFiles.
// Returns false only when the folder doesn't exist; an empty or relative
// folder counts as missing.
bool ReadFileAndDelete(const std::string& folder, const Platform& platform);

// Empties and removes every sub-folder of folder, depth first. A sub-folder
// is checked again right before it is entered and right before it is removed:
// anything that has become a reparse point by then is left untouched.
// Does nothing for a missing, empty or relative folder.
void KillSubFolderFiles(const std::string& folder, const Platform& platform);

}  // namespace purgelet
