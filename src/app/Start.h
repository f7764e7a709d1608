#pragma once
// The program's entry sequence and its invisible first window.
#include <string>

#include "core/ProgramState.h"
#include "core/Scramble.h"
#include "framework/Controls.h"
#include "framework/Form.h"

namespace purgelet {

// The first window: never shown. It guards against a second running copy,
// fills the start-up values and opens the help file.
class TFirstInitial : public ui::Form {
public:
    TFirstInitial(ui::Application& app, ProgramState& state);

    void FormCreate();
    bool AlreadyRunning();
    void OpenHelpFile();

    // The unscrambling routines and the settings store, offered to the other windows.
    static std::string BytsToEncStr2(const std::uint8_t* b, int high) { return purgelet::BytsToEncStr2(b, high); }
    static std::string BytsToEncStr3(const std::uint8_t* b, int high) { return purgelet::BytsToEncStr3(b, high); }
    static std::string BytsToEncStr4(const std::uint8_t* b, int high) { return purgelet::BytsToEncStr4(b, high); }
    void WriteIniToReg(const std::string& key, const std::string& name, const std::string& text) {
        state_.settings.WriteIniToReg(key, name, text);
    }
    std::string ReadIniFromReg(const std::string& key, const std::string& name) {
        return state_.settings.ReadIniFromReg(key, name);
    }
    bool Delete_Value_InRegistry(const std::string& key, const std::string& name) {
        return state_.settings.Delete_Value_InRegistry(key, name);
    }

    ui::Label Label1{this, "Label1", {16, 16, 300, 20}, "This is initial form and should not be showed"};

private:
    ProgramState& state_;
};

// Steps 1 to 6 of the entry sequence: creates the windows in their order.
// The caller then runs the message loop.
void StartProgram(ProgramState& state);

// The whole program: start-up, message loop, end, with an error that escaped
// every handler shown in the standard error box. Returns the exit code.
int RunProgram(ProgramState& state);
int RunProgram(HINSTANCE instance);

}  // namespace purgelet
