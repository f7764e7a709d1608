#include "framework/Window.h"

#include "framework/Application.h"

namespace purgelet::ui {

Window::~Window() {
    if (!hwnd_) return;
    HWND h = hwnd_;
    Forget(h);
    if (IsWindow(h)) DestroyWindow(h);
}

std::string Window::Caption() const {
    if (!hwnd_) return {};
    int n = GetWindowTextLengthA(hwnd_);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    GetWindowTextA(hwnd_, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(n));
    return s;
}

void Window::RegisterWindowClass(HINSTANCE instance, const char* name, UINT style) {
    WNDCLASSEXA wc{};
    if (GetClassInfoExA(instance, name, &wc)) return;
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    wc.lpfnWndProc = &Window::WindowProcedure;
    RegisterClassExA(&wc);
}

LRESULT CALLBACK Window::WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self = Application::FindWindowObject(hwnd);
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        self->Forget(hwnd);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return self->WindowMessage(msg, wParam, lParam);
}

LRESULT Window::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultMessage(msg, wParam, lParam); }

LRESULT Window::DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void Window::Register() { app_.RegisterWindow(hwnd_, this); }

void Window::Forget(HWND h) {
    app_.UnregisterWindow(h);
    if (hwnd_ == h) hwnd_ = nullptr;
}

}  // namespace purgelet::ui
