#include "framework/UtilityWindow.h"

#include "framework/Application.h"

namespace purgelet::ui {

namespace {
constexpr char kUtilityClass[] = "PurgeletUtilityWindow";
}

UtilityWindow::UtilityWindow(Application& app, std::function<void(Message&)> handler)
    : Window(app), handler_(std::move(handler)) {
    RegisterWindowClass(app.Instance(), kUtilityClass);
    // A top-level window (not a message-only one), so that broadcasts and the
    // session messages reach it; it is never shown.
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilityClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, app.Instance(),
                            nullptr);
    if (hwnd_) Register();
}

UtilityWindow::~UtilityWindow() {
    // Out of the map before the window goes, so the handler hears nothing more.
    if (HWND h = hwnd_) {
        Forget(h);
        DestroyWindow(h);
    }
}

LRESULT UtilityWindow::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    Message message{msg, wParam, lParam};
    if (handler_) App().Guard([&] { handler_(message); });
    return message.result;
}

}  // namespace purgelet::ui
