#include "tray/TrayWindow.h"

namespace purgelet {

TForm2::TForm2(ui::Application& app, ProgramState& state)
    : Form(app, "Form2", {0, 0, 208, 145}, "Form2"), state_(state) {
    border = ui::FormBorder::None;
    formColor = ui::clWindow;
    state_.Form2 = this;
}

TForm2::~TForm2() {
    if (state_.Form2 == this) state_.Form2 = nullptr;
}

}  // namespace purgelet
