#pragma once
// Opens the program's help file with the program the system associates with it.
#include <windows.h>

#include "core/ProgramState.h"

namespace purgelet {

// The help file lies in the program's folder. A missing file and a file no
// program is associated with are reported in message boxes owned by `owner`;
// nothing here ends the program.
void OpenHelpFile(ProgramState& state, HWND owner);

}  // namespace purgelet
