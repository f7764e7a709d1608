#include "tray/TrayWindow.h"

#include "about/AboutBox.h"

#include "core/Texts.h"
#include "framework/Application.h"
#include "mainwindow/HelpFile.h"
#include "mainwindow/MainWindow.h"
#include "resource_ids.h"
#include "tray/TrayIcon.h"

namespace purgelet {

namespace {
constexpr int kTrayImageSize = 32;

// The tray menu at the cursor: the tray window comes to the foreground first,
// so the menu closes when the user clicks elsewhere. Looked up afresh, as the
// messages handled meanwhile may have closed the tray window.
void ShowTrayMenu(ProgramState& state, POINT at) {
    TForm2* tray = state.windows.TrayWindow();
    if (!tray) return;
    SetForegroundWindow(tray->Handle());
    state.app.ProcessMessages();
    if ((tray = state.windows.TrayWindow())) tray->PopupMenu1.Popup(at.x, at.y);
}
}  // namespace

void ConnectTrayWindow(ProgramState& state) {
    state.windows.makeTrayWindow = [&state]() -> TForm2& { return state.app.CreateForm<TForm2>(state); };
}

TForm2::TForm2(ui::Application& app, ProgramState& state)
    : Form(app, "Form2", {0, 0, 208, 145}, texts::TrayWindowCaption), state_(state) {
    border = ui::FormBorder::None;
    formColor = ui::clWindow;
    SetFont(ui::Font{"MS Sans Serif", -13});
    trayImage_.Load(app.Instance(), IDI_TRAYICON, kTrayImageSize);
    icon = trayImage_.Handle();

    PopupMenu1.alignment = ui::PopupAlignment::Right;
    PopupMenu1.SetOwnerDraw(true);
    About1.GetBitmap().LoadFromResource(app.Instance(), IDB_TRAY_ABOUT);
    Help1.GetBitmap().LoadFromResource(app.Instance(), IDB_TRAY_HELP);
    Open1.GetBitmap().LoadFromResource(app.Instance(), IDB_TRAY_OPEN);
    Remove1.GetBitmap().LoadFromResource(app.Instance(), IDB_TRAY_REMOVE);
    About1.onClick = [this] { About1Click(); };
    Help1.onClick = [this] { Help1Click(); };
    Open1.onClick = [this] { Open1Click(); };
    Remove1.onClick = [this] { Remove1Click(); };

    XpMenu1.SelectionColor = 16695504;
    XpMenu1.SelectionFontColor = ui::clWhite;
    XpMenu1.NotSelectedFontColor = ui::clBlack;
    XpMenu1.NotActiveColor = ui::clGray;
    XpMenu1.StripColor = ui::clSilver;
    XpMenu1.BackColor = ui::clWhite;
    XpMenu1.StripWidth = 20;

    onCreate = [this] { FormCreate(); };
    state_.windows.Enter(WindowRole::Tray, *this);
}

TForm2::~TForm2() {
    if (trayIcon_ && state_.TrayIcon == trayIcon_) trayIcon_->RemoveIcon();
    state_.windows.Leave(WindowRole::Tray, *this);
}

void TForm2::FormCreate() {
    // The icon belongs to the application; a refusal by the shell ends the
    // handler here, and the previous tray icon stays the current one.
    trayIcon_ = state_.TrayIcon = &App().CreateComponent<TTrayIcon>(
        state_, trayImage_.Handle(), [&state = state_](POINT at) { ShowTrayMenu(state, at); });
    if (IsXpMenuOn(state_.Read(texts::ValXPmenu.Text()))) XpMenu1.HookMenuItems();
}

void TForm2::Open1Click() {
    if (TForm1* main = state_.windows.MainWindow()) {
        App().Restore();
        if (IsIconic(main->Handle()) || IsZoomed(main->Handle())) ShowWindow(main->Handle(), SW_RESTORE);
        main->Show();
        return;
    }
    App().CreateForm<TForm1>(state_).Show();
}

void TForm2::About1Click() { ShowAboutBox(state_); }

void TForm2::Help1Click() {
    ui::Form* first = state_.windows.FirstWindow();
    OpenHelpFile(state_, first ? first->Handle() : Handle());
}

void TForm2::Remove1Click() { App().Terminate(); }

void TForm2::RemoveSysTrayIcon() {
    if (state_.TrayIcon) state_.TrayIcon->RemoveIcon();
}

void TForm2::WMEndSession(WPARAM wParam, LPARAM) {
    if (wParam == 0) return;  // the session goes on
    TForm1* main = state_.windows.MainWindow();
    if (!main) {
        // Only in the tray: a hidden main window loads the options.
        main = &App().CreateForm<TForm1>(state_);
        main->Hide();
    }
    if (main->chkExecuteClearShutDown.Checked())
        RunShutdownClearing(state_, Handle(), [main] { main->ExecuteClearChosen(); });
    App().Terminate();
}

void RunShutdownClearing(ProgramState& state, HWND window, const std::function<void()>& clearing) {
    struct Reason {
        ProgramState& state;
        HWND window;
        ~Reason() { state.platform.shutdownBlockReasonDestroy(window); }
    };
    state.platform.shutdownBlockReasonCreate(window, kShutdownBlockReason);
    Reason registered{state, window};
    clearing();
}

}  // namespace purgelet
