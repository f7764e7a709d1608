#pragma once
// The cookie manager window: lists URL cache entries of one kind and deletes
// the checked ones. Created hidden; the main window drives it as an engine.
#include "app/ProgramState.h"
#include "framework/Form.h"

namespace purgelet {

class TMainForm : public ui::Form {
public:
    TMainForm(ui::Application& app, ProgramState& state);
    ~TMainForm() override;

    void FormCreate();

private:
    ProgramState& state_;
};

}  // namespace purgelet
