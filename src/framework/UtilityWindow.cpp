#include "framework/UtilityWindow.h"

#include "framework/Application.h"

namespace purgelet::ui {

namespace {
constexpr char kUtilityClass[] = "PurgeletUtilityWindow";
}

UtilityWindow::UtilityWindow(Application& app, std::function<void(Message&)> handler)
    : app_(app), handler_(std::move(handler)) {
    WNDCLASSEXA wc{};
    if (!GetClassInfoExA(app.Instance(), kUtilityClass, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.hInstance = app.Instance();
        wc.lpszClassName = kUtilityClass;
        wc.lpfnWndProc = DefWindowProcA;  // replaced once the window exists
        RegisterClassExA(&wc);
    }
    // A top-level window (not a message-only one), so that broadcasts and the
    // session messages reach it; it is never shown.
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilityClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, app.Instance(),
                            nullptr);
    if (!hwnd_) return;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UtilityWindow::Proc));
}

UtilityWindow::~UtilityWindow() {
    if (!hwnd_) return;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

LRESULT CALLBACK UtilityWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<UtilityWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || self->hwnd_ != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
    Message message{msg, wParam, lParam};
    if (self->handler_) self->app_.Guard([&] { self->handler_(message); });
    return message.result;
}

}  // namespace purgelet::ui
