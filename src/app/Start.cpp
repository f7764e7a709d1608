#include "app/Start.h"

#include "cleaner/removal/FolderRefusal.h"
#include "core/Texts.h"
#include "cookies/CookieListWindow.h"
#include "framework/Application.h"
#include "mainwindow/HelpFile.h"
#include "mainwindow/MainWindow.h"
#include "resource_ids.h"
#include "tray/TrayWindow.h"

namespace purgelet {

namespace {
constexpr UINT kWindowsFolderBufferSize = 255;
}  // namespace

TFirstInitial::TFirstInitial(ui::Application& app, ProgramState& state)
    : Form(app, "FirstInitial", {0, 0, 400, 120}, "FirstInitial"), state_(state) {
    onCreate = [this] { FormCreate(); };
}

bool TFirstInitial::AlreadyRunning() { return state_.instanceMutex.Claim(texts::MutexName.Text()); }

void TFirstInitial::FormCreate() {
    if (AlreadyRunning()) {
        state_.SecondInstance = true;
        App().Beep(0);
        App().ShowMessageBox(Handle(), std::string(texts::ProgramName) + " " + texts::SecondInstanceTail.Text(),
                             App().Title(), MB_OK | MB_ICONINFORMATION);
        App().Terminate();
        return;
    }
    // The window's icon is the application's (set when the window was made).
    // Wine names a module started through a share path "UNC\server\...".
    const std::wstring exe = UsualPath(state_.platform.moduleFileName());
    const std::size_t slash = exe.find_last_of(L'\\');
    state_.ProgramFolderWide = WithTrailingBackslash(exe.substr(0, slash == std::wstring::npos ? 0 : slash + 1));
    state_.ProgramFolder = Narrow(state_.ProgramFolderWide);

    std::string buffer(kWindowsFolderBufferSize, '\0');
    UINT n = state_.platform.getWindowsDirectory(buffer.data(), kWindowsFolderBufferSize);
    if (n == 0) {
        App().ShowMessageBox(Handle(), texts::NoWindowsFolder.Text(), App().Title(), MB_OK);
        return;
    }
    buffer.resize(std::min<std::size_t>(buffer.find('\0'), buffer.size()));
    state_.WindowsFolder = WithTrailingBackslash(buffer);
    state_.SettingsKey = texts::SettingsKey.Text();
    if (IsSwitchOn(state_.Read(texts::ValRunOnStartup))) state_.TrayMode = true;
    if (IsSwitchOn(state_.Read(texts::ValCheckInTray))) state_.TrayMode = true;
}

void TFirstInitial::OpenHelpFile() { purgelet::OpenHelpFile(state_, Handle()); }

void StartProgram(ProgramState& state) {
    ui::Application& app = state.app;
    ConnectTrayWindow(state);
    app.CreateForm<TFirstInitial>(state);
    if (state.SecondInstance) return;
    if (!state.TrayMode) {
        TForm1& main = app.CreateForm<TForm1>(state);
        main.Show();
        // The cookie manager comes last, hidden.
        app.CreateForm<TMainForm>(state);
        return;
    }
    state.windows.CreateTrayWindow();
    TForm1& main = app.CreateForm<TForm1>(state);
    // The start-up clearing works through the cookie manager, so it exists first.
    app.CreateForm<TMainForm>(state);
    if (main.chkExecuteClearStart.Checked()) main.ExecuteClearChosen();
    const bool inTray = main.chkInTray.Checked();
    const bool loadAtStart = main.chkRunWhenWinStarts.Checked();
    if (inTray && !loadAtStart)
        main.Show();
    else
        main.Release();
}

int RunProgram(ProgramState& state) {
    ui::Application& app = state.app;
    return app.Execute([&] {
        StartProgram(state);
        if (!app.Terminated()) app.Run();
    });
}

int RunProgram(HINSTANCE instance) {
    HINSTANCE module = instance ? instance : GetModuleHandleA(nullptr);
    ui::Application app(module, LoadIconA(module, MAKEINTRESOURCEA(IDI_MAINICON)));
    ProgramState state(app);
    return RunProgram(state);
}

}  // namespace purgelet
