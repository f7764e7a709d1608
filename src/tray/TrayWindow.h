#pragma once
// The tray window: never shown; it owns the tray menu and the icon.
#include "core/ProgramState.h"
#include "framework/Form.h"

namespace purgelet {

class TForm2 : public ui::Form {
public:
    TForm2(ui::Application& app, ProgramState& state);
    ~TForm2() override;

private:
    ProgramState& state_;
};

}  // namespace purgelet
