#include "framework/UtilityWindow.h"

#include "framework/Application.h"

namespace purgelet::ui {

namespace {
constexpr char kUtilityClass[] = "PurgeletUtilityWindow";
}

UtilityWindow::UtilityWindow(Application& app, std::function<void(Message&)> handler)
    : Control(nullptr, "UtilityWindow", DesignRect{}), app_(app), handler_(std::move(handler)) {
    WNDCLASSEXA wc{};
    if (!GetClassInfoExA(app.Instance(), kUtilityClass, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.hInstance = app.Instance();
        wc.lpszClassName = kUtilityClass;
        wc.lpfnWndProc = &UtilityWindow::WindowProcedure;
        RegisterClassExA(&wc);
    }
    // A top-level window (not a message-only one), so that broadcasts and the
    // session messages reach it; it is never shown.
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilityClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, app.Instance(),
                            nullptr);
    if (hwnd_) Register(app);
}

UtilityWindow::~UtilityWindow() { DestroyHandles(); }

const char* UtilityWindow::WindowClass() const { return kUtilityClass; }

LRESULT UtilityWindow::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    Message message{msg, wParam, lParam};
    if (handler_) app_.Guard([&] { handler_(message); });
    return message.result;
}

LRESULT CALLBACK UtilityWindow::WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Only utility windows have this class, so the object found is one.
    auto* self = static_cast<UtilityWindow*>(Application::FindControl(hwnd));
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->WindowMessage(msg, wParam, lParam);
}

}  // namespace purgelet::ui
