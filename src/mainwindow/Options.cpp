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

namespace purgelet {

namespace {
constexpr char kTrayWindowCaption[] = "Form2";

// The settings value of every check box that stores "1" or "0" itself.
// "Load when Windows starts" is not among them: the Run key routine stores
// "RunOnStartup" once the entry is right.
struct BoxValue {
    ui::CheckBox TForm1::*box;
    std::string (*name)();
};
const BoxValue kBoxValues[] = {
    {&TForm1::chkClearHistory, [] { return texts::ValClearHistory.Text(); }},
    {&TForm1::chkTempInternet, [] { return texts::ValTempInternet.Text(); }},
    {&TForm1::chkClearCookies, [] { return texts::ValClearCookies.Text(); }},
    {&TForm1::chkClearTypedURLs, [] { return texts::ValClearTypedURLs.Text(); }},
    {&TForm1::chkRecentLinks, [] { return texts::ValRecentLinks.Text(); }},
    {&TForm1::chkClearTemp, [] { return texts::ValClearTemp.Text(); }},
    {&TForm1::chkClearTypedWordsInRun, [] { return texts::ValClearTypedWordsInRun.Text(); }},
    {&TForm1::chkCustom_HistoryLinksWeb, [] { return texts::ValCustomHistoryLinksWeb.Text(); }},
    {&TForm1::chkCustom_Cookies, [] { return texts::ValCustomCookies.Text(); }},
    {&TForm1::chkCustom_TypedURLs, [] { return texts::ValCustomTypedURLs.Text(); }},
    {&TForm1::chkCustom_TempInternetFiles, [] { return texts::ValCustomTempInternetFiles.Text(); }},
    {&TForm1::chkCustom_Temporary, [] { return texts::ValCustomTemporary.Text(); }},
    {&TForm1::chkCustom_HistoryLinksDoc, [] { return texts::ValCustomHistoryLinksDoc.Text(); }},
    {&TForm1::chkCustom_TypedWordsInRun, [] { return texts::ValCustomTypedWordsInRun.Text(); }},
    {&TForm1::chkExecuteClearStart, [] { return texts::ValExecuteClearStart.Text(); }},
    {&TForm1::chkExecuteClearShutDown, [] { return texts::ValExecuteClearShutDown.Text(); }},
    {&TForm1::chkXPmenu, [] { return texts::ValXPmenu.Text(); }},
    {&TForm1::chkInTray, [] { return std::string("Check In Tray"); }},
    {&TForm1::chkAutoColResize, [] { return texts::ValAutoColResize.Text(); }},
};

const char* SwitchText(bool on) { return on ? "1" : "0"; }
}  // namespace

void TForm1::ConnectOptionHandlers() {
    using MouseUp = void (TForm1::*)(ui::MouseButton, int, int);
    using KeyUp = void (TForm1::*)(WORD);
    const auto connect = [this](ui::Control& control, MouseUp mouseUp, KeyUp keyUp) {
        control.onMouseUp = [this, mouseUp](ui::MouseButton b, int x, int y) { (this->*mouseUp)(b, x, y); };
        control.onKeyUp = [this, keyUp](WORD key) { (this->*keyUp)(key); };
    };
    connect(chkClearHistory, &TForm1::chkClearHistoryMouseUp, &TForm1::chkClearHistoryKeyUp);
    connect(chkTempInternet, &TForm1::chkTempInternetMouseUp, &TForm1::chkTempInternetKeyUp);
    connect(chkClearCookies, &TForm1::chkClearCookiesMouseUp, &TForm1::chkClearCookiesKeyUp);
    connect(chkClearTypedURLs, &TForm1::chkClearTypedURLsMouseUp, &TForm1::chkClearTypedURLsKeyUp);
    connect(chkClearTypedWordsInRun, &TForm1::chkClearTypedWordsInRunMouseUp, &TForm1::chkClearTypedWordsInRunKeyUp);
    connect(chkClearTemp, &TForm1::chkClearTempMouseUp, &TForm1::chkClearTempKeyUp);
    connect(chkRecentLinks, &TForm1::chkRecentLinksMouseUp, &TForm1::chkRecentLinksKeyUp);
    connect(chkRunWhenWinStarts, &TForm1::chkRunWhenWinStartsMouseUp, &TForm1::chkRunWhenWinStartsKeyUp);
    connect(chkInTray, &TForm1::chkInTrayMouseUp, &TForm1::chkInTrayKeyUp);
    connect(chkExecuteClearStart, &TForm1::chkExecuteClearStartMouseUp, &TForm1::chkExecuteClearStartKeyUp);
    connect(chkExecuteClearShutDown, &TForm1::chkExecuteClearShutDownMouseUp, &TForm1::chkExecuteClearShutDownKeyUp);
    connect(rbtnClearAll, &TForm1::rbtnClearAllMouseUp, &TForm1::rbtnClearAllKeyUp);
    connect(rbtnClearSelected, &TForm1::rbtnClearSelectedMouseUp, &TForm1::rbtnClearSelectedKeyUp);
    connect(rbtnClearNotSelected, &TForm1::rbtnClearNotSelectedMouseUp, &TForm1::rbtnClearNotSelectedKeyUp);
    connect(rbtnCustom, &TForm1::rbtnCustomMouseUp, &TForm1::rbtnCustomKeyUp);
    connect(chkCustom_HistoryLinksWeb, &TForm1::chkCustom_HistoryLinksWebMouseUp,
            &TForm1::chkCustom_HistoryLinksWebKeyUp);
    connect(chkCustom_Cookies, &TForm1::chkCustom_CookiesMouseUp, &TForm1::chkCustom_CookiesKeyUp);
    connect(chkCustom_TypedURLs, &TForm1::chkCustom_TypedURLsMouseUp, &TForm1::chkCustom_TypedURLsKeyUp);
    connect(chkCustom_TempInternetFiles, &TForm1::chkCustom_TempInternetFilesMouseUp,
            &TForm1::chkCustom_TempInternetFilesKeyUp);
    connect(chkCustom_Temporary, &TForm1::chkCustom_TemporaryMouseUp, &TForm1::chkCustom_TemporaryKeyUp);
    connect(chkCustom_HistoryLinksDoc, &TForm1::chkCustom_HistoryLinksDocMouseUp,
            &TForm1::chkCustom_HistoryLinksDocKeyUp);
    connect(chkCustom_TypedWordsInRun, &TForm1::chkCustom_TypedWordsInRunMouseUp,
            &TForm1::chkCustom_TypedWordsInRunKeyUp);
    connect(chkXPmenu, &TForm1::chkXPmenuMouseUp, &TForm1::chkXPmenuKeyUp);
    connect(chkAutoColResize, &TForm1::chkAutoColResizeMouseUp, &TForm1::chkAutoColResizeKeyUp);
}

// Handlers ---------------------------------------------------------------------------------------

void TForm1::chkClearHistoryMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkClearHistory); }
void TForm1::chkClearHistoryKeyUp(WORD key) { CheckBoxKeyUp(chkClearHistory, key); }
void TForm1::chkTempInternetMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkTempInternet); }
void TForm1::chkTempInternetKeyUp(WORD key) { CheckBoxKeyUp(chkTempInternet, key); }
void TForm1::chkClearCookiesMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkClearCookies); }
void TForm1::chkClearCookiesKeyUp(WORD key) { CheckBoxKeyUp(chkClearCookies, key); }
void TForm1::chkClearTypedURLsMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkClearTypedURLs); }
void TForm1::chkClearTypedURLsKeyUp(WORD key) { CheckBoxKeyUp(chkClearTypedURLs, key); }
void TForm1::chkClearTypedWordsInRunMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkClearTypedWordsInRun); }
void TForm1::chkClearTypedWordsInRunKeyUp(WORD key) { CheckBoxKeyUp(chkClearTypedWordsInRun, key); }
void TForm1::chkClearTempMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkClearTemp); }
void TForm1::chkClearTempKeyUp(WORD key) { CheckBoxKeyUp(chkClearTemp, key); }
void TForm1::chkRecentLinksMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkRecentLinks); }
void TForm1::chkRecentLinksKeyUp(WORD key) { CheckBoxKeyUp(chkRecentLinks, key); }
void TForm1::chkRunWhenWinStartsMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkRunWhenWinStarts); }
void TForm1::chkRunWhenWinStartsKeyUp(WORD key) { CheckBoxKeyUp(chkRunWhenWinStarts, key); }
void TForm1::chkInTrayMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkInTray); }
void TForm1::chkInTrayKeyUp(WORD key) { CheckBoxKeyUp(chkInTray, key); }
void TForm1::chkExecuteClearStartMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkExecuteClearStart); }
void TForm1::chkExecuteClearStartKeyUp(WORD key) { CheckBoxKeyUp(chkExecuteClearStart, key); }
void TForm1::chkExecuteClearShutDownMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkExecuteClearShutDown); }
void TForm1::chkExecuteClearShutDownKeyUp(WORD key) { CheckBoxKeyUp(chkExecuteClearShutDown, key); }
void TForm1::rbtnClearAllMouseUp(ui::MouseButton, int, int) { RadioBtnReleased(); }
void TForm1::rbtnClearAllKeyUp(WORD) { RadioBtnReleased(); }
void TForm1::rbtnClearSelectedMouseUp(ui::MouseButton, int, int) { RadioBtnReleased(); }
void TForm1::rbtnClearSelectedKeyUp(WORD) { RadioBtnReleased(); }
void TForm1::rbtnClearNotSelectedMouseUp(ui::MouseButton, int, int) { RadioBtnReleased(); }
void TForm1::rbtnClearNotSelectedKeyUp(WORD) { RadioBtnReleased(); }
void TForm1::rbtnCustomMouseUp(ui::MouseButton, int, int) { RadioBtnReleased(); }
void TForm1::rbtnCustomKeyUp(WORD) { RadioBtnReleased(); }
void TForm1::chkCustom_HistoryLinksWebMouseUp(ui::MouseButton, int, int) {
    SaveStatusOfOption(chkCustom_HistoryLinksWeb);
}
void TForm1::chkCustom_HistoryLinksWebKeyUp(WORD key) { CheckBoxKeyUp(chkCustom_HistoryLinksWeb, key); }
void TForm1::chkCustom_CookiesMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkCustom_Cookies); }
void TForm1::chkCustom_CookiesKeyUp(WORD key) { CheckBoxKeyUp(chkCustom_Cookies, key); }
void TForm1::chkCustom_TypedURLsMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkCustom_TypedURLs); }
void TForm1::chkCustom_TypedURLsKeyUp(WORD key) { CheckBoxKeyUp(chkCustom_TypedURLs, key); }
void TForm1::chkCustom_TempInternetFilesMouseUp(ui::MouseButton, int, int) {
    SaveStatusOfOption(chkCustom_TempInternetFiles);
}
void TForm1::chkCustom_TempInternetFilesKeyUp(WORD key) { CheckBoxKeyUp(chkCustom_TempInternetFiles, key); }
void TForm1::chkCustom_TemporaryMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkCustom_Temporary); }
void TForm1::chkCustom_TemporaryKeyUp(WORD key) { CheckBoxKeyUp(chkCustom_Temporary, key); }
void TForm1::chkCustom_HistoryLinksDocMouseUp(ui::MouseButton, int, int) {
    SaveStatusOfOption(chkCustom_HistoryLinksDoc);
}
void TForm1::chkCustom_HistoryLinksDocKeyUp(WORD key) { CheckBoxKeyUp(chkCustom_HistoryLinksDoc, key); }
void TForm1::chkCustom_TypedWordsInRunMouseUp(ui::MouseButton, int, int) {
    SaveStatusOfOption(chkCustom_TypedWordsInRun);
}
void TForm1::chkCustom_TypedWordsInRunKeyUp(WORD key) { CheckBoxKeyUp(chkCustom_TypedWordsInRun, key); }
void TForm1::chkXPmenuMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkXPmenu); }
void TForm1::chkXPmenuKeyUp(WORD key) { CheckBoxKeyUp(chkXPmenu, key); }
void TForm1::chkAutoColResizeMouseUp(ui::MouseButton, int, int) { SaveStatusOfOption(chkAutoColResize); }
void TForm1::chkAutoColResizeKeyUp(WORD key) { CheckBoxKeyUp(chkAutoColResize, key); }

// A check box toggles itself when Space is released, after its key-up handler
// has run, but only while it is still pressed. While the box is pressed by
// Space, the handler shows the coming state, saves it and, if the box is
// still pressed afterwards, steps back, so the box's own toggle lands on the
// state the save left. A message box shown by the save takes the focus and the
// press away; then the box keeps that state as it is.
void TForm1::CheckBoxKeyUp(ui::CheckBox& box, WORD key) {
    if (key != VK_SPACE) return;
    const auto pressed = [&box] {
        return box.Handle() && (SendMessageA(box.Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED);
    };
    if (!pressed()) {
        SaveStatusOfOption(box);
        return;
    }
    box.SetChecked(!box.Checked());
    AtScopeEnd stepBack([&box, &pressed] {
        if (pressed()) box.SetChecked(!box.Checked());
    });
    SaveStatusOfOption(box);
}

// The keyboard and the mouse select a radio button before its key-up or
// mouse-up handler runs.
void TForm1::RadioBtnReleased() {
    SaveStatusOfRadioBtn();
    SwitchOfCustomChecks();
}

// Save routines -----------------------------------------------------------------------------------

void TForm1::SaveStatusOfOption(ui::CheckBox& box) {
    if (&box == &chkExecuteClearStart || &box == &chkExecuteClearShutDown)
        SaveStatusOfExecution(box);
    else if (&box == &chkRunWhenWinStarts)
        SaveStatusOfRunWhenWinStarts();
    else if (&box == &chkInTray)
        SaveStatusOfInTray();
    else if (&box == &chkAutoColResize)
        SaveStatusOfAutoColResize();
    else
        SaveStatusOfCheck(box);
}

void TForm1::SaveStatusOfCheck(ui::CheckBox& box) {
    for (const BoxValue& v : kBoxValues)
        if (&(this->*v.box) == &box) state_.Write(v.name(), SwitchText(box.Checked()));
}

// Clearing at start or at shutdown needs the program to start at logon: turning
// either on turns on "Load when Windows starts" as well. Turning it off leaves
// the Run key alone.
void TForm1::SaveStatusOfExecution(ui::CheckBox& box) {
    const bool runWasChecked = chkRunWhenWinStarts.Checked();
    if (box.Checked() && !runWasChecked) {
        chkRunWhenWinStarts.SetChecked(true);
        if (!ExeWinStartWriteDelReg()) chkRunWhenWinStarts.SetChecked(runWasChecked);
    }
    SaveStatusOfCheck(box);
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

// The tray window is found among the open windows by its caption. Turning the
// option on without one creates it; turning it off with one removes it and
// brings the main window forward. A tray window that exists for another
// reason (a start by "Load when Windows starts") stays when the option is
// turned on.
void TForm1::SaveStatusOfInTray() {
    SaveStatusOfCheck(chkInTray);
    ui::Form* tray = App().FindFormByCaption(kTrayWindowCaption);
    switch (TrayRuleStep(tray != nullptr, chkInTray.Checked())) {
        case TrayStep::CreateTrayWindow:
            state_.TrayMode = true;
            if (state_.CreateTrayWindow) state_.CreateTrayWindow();
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

void TForm1::SaveStatusOfAutoColResize() {
    SaveStatusOfCheck(chkAutoColResize);
    if (!state_.MainForm) return;
    if (chkAutoColResize.Checked())
        state_.MainForm->AutoResizeColumns();
    else
        state_.MainForm->SetWidthOfMainListColumns();
}

void TForm1::SaveStatusOfRadioBtn() {
    state_.Write(texts::ValClearAllMode.Text(), SwitchText(rbtnClearAll.Checked()));
    state_.Write(texts::ValClearSelectedMode.Text(), SwitchText(rbtnClearSelected.Checked()));
    state_.Write(texts::ValClearNotSelectedMode.Text(), SwitchText(rbtnClearNotSelected.Checked()));
    state_.Write(texts::ValCustomMode.Text(), SwitchText(rbtnCustom.Checked()));
}

}  // namespace purgelet
