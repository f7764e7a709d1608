#include "core/ProgramState.h"

#include "framework/Application.h"

namespace purgelet {

ui::Form* ProgramWindows::FirstWindow() const { return state_.app.FirstForm(); }

}  // namespace purgelet
