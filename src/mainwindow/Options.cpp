// The option controls of the main window: each change a user makes with the
// mouse or the keyboard is stored at once, and the rules that tie the
// controls together are applied.
#include <utility>

#include "base/AtScopeEnd.h"
#include "core/Texts.h"
#include "cookies/CookieListWindow.h"
#include "framework/Application.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OptionRules.h"
#include "mainwindow/OptionTable.h"

namespace purgelet {

namespace {
const char* SwitchText(bool on) { return on ? "1" : "0"; }
}  // namespace

const OptionRow& OptionRowOf(Category category) {
    for (const OptionRow& row : kOptionTable)
        if (row.button && row.category == category) return row;
    return kOptionTable[0];
}

ui::Control& TForm1::OptionControl(const OptionRow& row) {
    if (row.box) return this->*row.box;
    return this->*row.radio;
}

bool TForm1::OptionChecked(const OptionRow& row) const {
    return row.box ? (this->*row.box).Checked() : (this->*row.radio).Checked();
}

void TForm1::SetOptionChecked(const OptionRow& row, bool on) {
    if (row.box)
        (this->*row.box).SetChecked(on);
    else
        (this->*row.radio).SetChecked(on);
}

// Every option control's <name>MouseUp and <name>KeyUp handler.
void TForm1::ConnectOptionHandlers() {
    for (const OptionRow& row : kOptionTable) {
        ui::Control& control = OptionControl(row);
        control.onMouseUp = [this, &row](ui::MouseButton, int, int) { OptionMouseUp(row); };
        control.onKeyUp = [this, &row](WORD key) { OptionKeyUp(row, key); };
    }
}

// Handlers ---------------------------------------------------------------------------------------

void TForm1::OptionMouseUp(const OptionRow& row) { SaveStatusOfOption(row); }

// The keyboard selects a radio button before its key-up handler runs, so any
// key stores the selection; a check box saves on Space only.
void TForm1::OptionKeyUp(const OptionRow& row, WORD key) {
    if (row.radio)
        SaveStatusOfOption(row);
    else
        CheckBoxKeyUp(row, key);
}

// A check box toggles itself when Space is released, after its key-up handler
// has run, but only while it is still pressed. While the box is pressed by
// Space, the handler shows the coming state, saves it and, if the box is
// still pressed afterwards, steps back, so the box's own toggle lands on the
// state the save left. A message box shown by the save takes the focus and the
// press away; then the box keeps that state as it is.
void TForm1::CheckBoxKeyUp(const OptionRow& row, WORD key) {
    if (key != VK_SPACE) return;
    ui::CheckBox& box = this->*row.box;
    const auto pressed = [&box] {
        return box.Handle() && (SendMessageA(box.Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED);
    };
    if (!pressed()) {
        SaveStatusOfOption(row);
        return;
    }
    box.SetChecked(!box.Checked());
    AtScopeEnd stepBack([&box, &pressed] {
        if (pressed()) box.SetChecked(!box.Checked());
    });
    SaveStatusOfOption(row);
}

// Save routines -----------------------------------------------------------------------------------

void TForm1::SaveStatusOfOption(const OptionRow& row) {
    switch (row.rule) {
        case SaveRule::Switch:
            SaveStatusOfCheck(row);
            break;
        case SaveRule::Execution:
            SaveStatusOfExecution(row);
            break;
        case SaveRule::RunWhenWinStarts:
            SaveStatusOfRunWhenWinStarts();
            break;
        case SaveRule::InTray:
            SaveStatusOfInTray(row);
            break;
        case SaveRule::AutoColResize:
            SaveStatusOfAutoColResize(row);
            break;
        case SaveRule::IncludeBrowsers:
            SaveStatusOfIncludeBrowsers(row);
            break;
        case SaveRule::ExecutionMode:
            SaveStatusOfRadioBtn();
            SwitchOfCustomChecks();
            break;
    }
}

void TForm1::SaveStatusOfCheck(const OptionRow& row) { state_.Write(row.value.Text(), SwitchText(OptionChecked(row))); }

// Clearing at start or at shutdown needs the program to start at logon: turning
// either on turns on "Load when Windows starts" as well. Turning it off leaves
// the Run key alone.
void TForm1::SaveStatusOfExecution(const OptionRow& row) {
    const bool runWasChecked = chkRunWhenWinStarts.Checked();
    if (OptionChecked(row) && !runWasChecked) {
        chkRunWhenWinStarts.SetChecked(true);
        if (!ExeWinStartWriteDelReg()) chkRunWhenWinStarts.SetChecked(runWasChecked);
    }
    SaveStatusOfCheck(row);
    SwitchOfExecutionRadioBtns();
    SwitchOfCustomChecks();
}

// "Load when Windows starts" cannot be turned off while a clearing at start or
// at shutdown is on. When the Run key cannot be brought in line, the box
// returns to the state it had before the user's action.
void TForm1::SaveStatusOfRunWhenWinStarts() {
    const bool userState = chkRunWhenWinStarts.Checked();
    if (chkExecuteClearStart.Checked() || chkExecuteClearShutDown.Checked()) chkRunWhenWinStarts.SetChecked(true);
    if (!ExeWinStartWriteDelReg()) chkRunWhenWinStarts.SetChecked(!userState);
}

// Turning the option on without a tray window creates one; turning it off with one removes it and
// brings the main window forward. A tray window that exists for another
// reason (a start by "Load when Windows starts") stays when the option is
// turned on.
void TForm1::SaveStatusOfInTray(const OptionRow& row) {
    SaveStatusOfCheck(row);
    ui::Form* tray = state_.windows.Find(WindowRole::Tray);
    switch (TrayRuleStep(tray != nullptr, chkInTray.Checked())) {
        case TrayStep::CreateTrayWindow:
            state_.TrayMode = true;
            state_.windows.CreateTrayWindow();
            break;
        case TrayStep::RemoveTrayWindow:
            state_.TrayMode = false;
            // The tray window takes its icon out of the notification area as it goes.
            tray->Release();
            Show();
            BringToFront();
            break;
        case TrayStep::Nothing:
            break;
    }
}

void TForm1::SaveStatusOfAutoColResize(const OptionRow& row) {
    SaveStatusOfCheck(row);
    TMainForm* cookies = state_.windows.CookieManager();
    if (!cookies) return;
    if (OptionChecked(row))
        cookies->AutoResizeColumns();
    else
        cookies->SetWidthOfMainListColumns();
}

// "Include browsers" shows on the Main page and on the Browsers page: the
// box not changed takes the state of the one that was.
void TForm1::SaveStatusOfIncludeBrowsers(const OptionRow& row) {
    SaveStatusOfCheck(row);
    const bool on = OptionChecked(row);
    for (ui::CheckBox* box : {&chkIncludeBrowsers, &chkMainBrowsers}) box->SetChecked(on);
}

// The four radio buttons, in the table's order.
void TForm1::SaveStatusOfRadioBtn() {
    for (const OptionRow& row : kOptionTable)
        if (row.rule == SaveRule::ExecutionMode) SaveStatusOfCheck(row);
}

}  // namespace purgelet
