#include "cookies/CookieListWindow.h"

namespace purgelet {

TMainForm::TMainForm(ui::Application& app, ProgramState& state)
    : Form(app, "MainForm", {0, 0, 600, 420}, "MainForm"), state_(state) {
    border = ui::FormBorder::Dialog;
    position = ui::FormPosition::ScreenCenter;
    state_.MainForm = this;
    OnCreate = [this] { FormCreate(); };
}

TMainForm::~TMainForm() {
    if (state_.MainForm == this) state_.MainForm = nullptr;
}

void TMainForm::FormCreate() { SetCaption("Ovk Purgelet v2.0.3...Information"); }

}  // namespace purgelet
