#include "core/ProgramState.h"

#include "base/Errors.h"

namespace purgelet {

TForm2& ProgramWindows::CreateTrayWindow() {
    if (!makeTrayWindow) throw Error("This program makes no tray window");
    return makeTrayWindow();
}

}  // namespace purgelet
