// The "Privacy..." launcher of the cookie manager window and the watch that
// refreshes the list once Internet Options has closed.
#include "cookies/PrivacyLauncher.h"

#include "cookies/CookieListWindow.h"
#include "framework/Application.h"

namespace purgelet {

HWND PollForWindow(ui::Application& app, const char* className, const char* title, bool whileFound, int maxPolls,
                   const std::function<void()>& afterWait) {
    HWND found = nullptr;
    for (int polls = 0; polls < maxPolls && !app.Terminated();) {
        found = FindWindowA(className, title);
        ++polls;
        Sleep(kPollWaitMs);
        app.ProcessMessages();
        if (afterWait) afterWait();
        if ((found != nullptr) != whileFound) break;
    }
    return found;
}

void TMainForm::btnPrivacyClick() {
    ui::Application& app = App();
    state_.platform.winExec(kInternetOptionsCommand, kInternetOptionsShow);
    const HWND options = PollForWindow(app, kDialogClass, kInternetOptionsTitle, false, kLaunchPolls);
    if (!options) {
        if (!app.Terminated())
            app.ShowMessageBox(Handle(), kNoInternetOptionsText, kLaunchFailedCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const HWND page = FindWindowExA(options, nullptr, kDialogClass, kPrivacyPageTitle);
    const HWND editButton = page ? FindWindowExA(page, nullptr, kButtonClass, kEditButtonTitle) : nullptr;
    if (!editButton) {
        app.ShowMessageBox(Handle(), kNoPrivacyPageText, kLaunchFailedCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The click goes to the options window itself, as the page would send it.
    PostMessageA(options, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(editButton), BN_CLICKED),
                 reinterpret_cast<LPARAM>(editButton));
    const HWND perSite = PollForWindow(app, kDialogClass, kPerSiteTitle, false, kLaunchPolls);
    if (!perSite) return;
    const std::vector<int> selected = lvCookies.SelectedIndices();
    if (!selected.empty()) {
        const std::string address = lvCookies.Item(selected.front()).caption;
        if (HWND field = FindWindowExA(perSite, nullptr, kEditClass, nullptr))
            SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(address.c_str()));
    }
    if (!Timer.Enabled()) Timer.SetEnabled(true);
}

void TMainForm::TimerTimer() {
    ui::Application& app = App();
    // The tick runs once: the first poll switches the timer off.
    const HWND options = PollForWindow(app, kDialogClass, kInternetOptionsTitle, true, kWatchPolls, [this] {
        if (Timer.Enabled()) Timer.SetEnabled(false);
    });
    if (app.Terminated()) return;
    if (!options) {
        btnRefresh.Click();
        return;
    }
    app.ShowMessageBox(Handle(), kStillOpenText, kStillOpenCaption, MB_OK);
    app.Beep(0);
}

}  // namespace purgelet
