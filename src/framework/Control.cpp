#include "framework/Control.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/Application.h"
#include "framework/Menu.h"

namespace purgelet::ui {

namespace {
MouseButton ButtonOf(UINT msg) {
    switch (msg) {
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return MouseButton::Right;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return MouseButton::Middle;
        default:
            return MouseButton::Left;
    }
}
}  // namespace

Control::Control(Control* parent, std::string name, DesignRect rect, std::string caption)
    : Window(parent->App()), caption_(Widen(caption)), parent_(parent), name_(std::move(name)), design_(rect) {
    parent_->AddChild(this);
}

Control::Control(Application& app, std::string name, DesignRect rect, std::string caption)
    : Window(app), caption_(Widen(caption)), parent_(nullptr), name_(std::move(name)), design_(rect) {}

Control::~Control() {
    DestroyHandles();
    if (parent_) parent_->RemoveChild(this);
}

void Control::RemoveChild(Control* c) {
    children_.erase(std::remove(children_.begin(), children_.end(), c), children_.end());
}

std::string Control::Caption() const { return Narrow(caption_); }

void Control::SetCaption(const std::wstring& text) {
    caption_ = text;
    if (hwnd_) SetWindowTextW(hwnd_, text.c_str());
}

void Control::SetEnabled(bool on) {
    enabled_ = on;
    if (hwnd_) EnableWindow(hwnd_, on);
}

void Control::SetVisible(bool on) {
    visible_ = on;
    if (hwnd_) ShowWindow(hwnd_, on ? SW_SHOWNA : SW_HIDE);
}

bool Control::Showing() const {
    if (!hwnd_) return false;
    return IsWindowVisible(hwnd_) != FALSE;
}

void Control::SetFont(const Font& font) {
    font_ = font;
    if (hwnd_) {
        SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(App().FontHandle(font)), TRUE);
    }
}

Font Control::EffectiveFont() const {
    if (font_) return *font_;
    if (parent_) return parent_->EffectiveFont();
    return Font{};
}

void Control::SetColor(Color c) {
    color_ = c;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

Color Control::EffectiveColor() const {
    if (color_ != clNone) return color_;
    if (Color d = DefaultColor(); d != clNone) return d;
    if (parent_) return parent_->EffectiveColor();
    return clBtnFace;
}

RECT Control::BoundsPx() const {
    if (boundsOverride_) return *boundsOverride_;
    int dpi = App().Dpi();
    RECT r;
    r.left = Scale(design_.left, dpi);
    r.top = Scale(design_.top, dpi);
    r.right = r.left + Scale(design_.width, dpi);
    r.bottom = r.top + Scale(design_.height, dpi);
    return r;
}

void Control::SetBoundsPx(const RECT& r) {
    boundsOverride_ = r;
    if (hwnd_) MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void Control::SetFocus() {
    if (hwnd_) ::SetFocus(hwnd_);
}

void Control::Fire(const std::function<void()>& f) {
    if (f) App().Guard(f);
}

void Control::Click() {
    if (!onClick) return;
    if (App().InHandler())
        onClick();
    else
        Fire(onClick);
}

void Control::CreateHandles() {
    if (!hwnd_) {
        HWND parentWnd = parent_ ? parent_->ContainerHandle() : nullptr;
        RECT r = BoundsPx();
        DWORD style = Style() | (parent_ ? WS_CHILD : 0) | (visible_ && parent_ ? WS_VISIBLE : 0) |
                      (tabStop_ ? WS_TABSTOP : 0) | (enabled_ ? 0 : WS_DISABLED);
        const int w = r.right - r.left, h = r.bottom - r.top;
        hwnd_ = WideWindow() ? CreateWindowExW(ExStyle(), Widen(WindowClass()).c_str(), caption_.c_str(), style, r.left,
                                               r.top, w, h, parentWnd, nullptr, App().Instance(), nullptr)
                             : CreateWindowExA(ExStyle(), WindowClass(), Narrow(caption_).c_str(), style, r.left, r.top,
                                               w, h, parentWnd, nullptr, App().Instance(), nullptr);
        if (!hwnd_) return;
        Register();
        if (Subclassed() && HooksWindowProcedure()) {
            originalProc_ = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::HookedProc)));
        } else if (Subclassed()) {
            subclassed_ = SetWindowSubclass(hwnd_, &Control::SubclassProc, 1, 0) != FALSE;
        }
        SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(App().FontHandle(EffectiveFont())), FALSE);
        AfterCreate();
    }
    for (Control* c : children_) c->CreateHandles();
    LayoutChildren();
}

void Control::DestroyHandles() {
    for (Control* c : children_) c->DestroyHandles();
    if (hwnd_) {
        HWND h = hwnd_;
        if (originalProc_)
            Unhook(h);
        else if (subclassed_)
            RemoveWindowSubclass(h, &Control::SubclassProc, 1);
        subclassed_ = false;
        Forget(h);
        if (IsWindow(h)) DestroyWindow(h);
    }
}

RECT Control::ChildArea() const {
    RECT r{};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return r;
}

void Control::LayoutChildren() {
    if (!hwnd_) return;
    RECT area = ChildArea();
    for (Control* c : children_) {
        if (c->align_ == Align::Client && c->hwnd_) {
            MoveWindow(c->hwnd_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
            c->LayoutChildren();
        }
    }
}

HBRUSH Control::OnCtlColor(HDC dc) {
    SetTextColor(dc, ColorToRGB(EffectiveFont().color));
    Color back = EffectiveColor();
    SetBkColor(dc, ColorToRGB(back));
    return App().Brush(back);
}

bool Control::Reflect(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            return OnCommand(HIWORD(wParam));
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            HBRUSH b = OnCtlColor(reinterpret_cast<HDC>(wParam));
            if (!b) return false;
            result = reinterpret_cast<LRESULT>(b);
            return true;
        }
        default:
            return false;
    }
}

bool Control::ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    switch (msg) {
        case WM_COMMAND:
            child = reinterpret_cast<HWND>(lParam);
            break;
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            auto* c = dynamic_cast<Control*>(Application::FindWindowObject(hdr->hwndFrom));
            return c && c->OnNotify(hdr, result);
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            child = reinterpret_cast<HWND>(lParam);
            break;
        default:
            return false;
    }
    auto* c = dynamic_cast<Control*>(Application::FindWindowObject(child));
    return c && c != this && c->Reflect(msg, wParam, lParam, result);
}

std::string Control::WindowText() const {
    if (!hwnd_) return Narrow(caption_);
    return Window::Caption();
}

LRESULT Control::DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (originalProc_) return CallWindowProcA(originalProc_, hwnd_, msg, wParam, lParam);
    if (subclassed_) return DefSubclassProc(hwnd_, msg, wParam, lParam);
    return Window::DefaultMessage(msg, wParam, lParam);
}

LRESULT Control::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            if (onMouseDown) {
                auto b = ButtonOf(msg);
                int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
                Fire([&] { onMouseDown(b, x, y); });
            }
            return DefaultMessage(msg, wParam, lParam);
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            // The control reacts to the release first (a check box toggles),
            // so the handler sees the new state.
            LRESULT r = DefaultMessage(msg, wParam, lParam);
            if (onMouseUp) {
                auto b = ButtonOf(msg);
                int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
                Fire([&] { onMouseUp(b, x, y); });
            }
            return r;
        }
        case WM_KEYUP: {
            // The handler runs before the control's own reaction to the key.
            if (onKeyUp) {
                WORD key = static_cast<WORD>(wParam);
                Fire([&] { onKeyUp(key); });
            }
            if (!hwnd_) return 0;
            return DefaultMessage(msg, wParam, lParam);
        }
        case WM_SIZE: {
            LRESULT r = DefaultMessage(msg, wParam, lParam);
            LayoutChildren();
            return r;
        }
        case WM_CONTEXTMENU: {
            if (!popupMenu) return DefaultMessage(msg, wParam, lParam);
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (lParam == -1) {  // from the keyboard: the control's top left corner
                at = POINT{0, 0};
                ClientToScreen(hwnd_, &at);
            }
            popupMenu->Popup(at.x, at.y);
            return 0;
        }
        default: {
            LRESULT result = 0;
            if (ReflectToChild(msg, wParam, lParam, result)) return result;
            return DefaultMessage(msg, wParam, lParam);
        }
    }
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    // Only controls are subclassed, so the object found is one.
    auto* self = static_cast<Control*>(Application::FindWindowObject(hwnd));
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &Control::SubclassProc, 1);
        if (self) {
            self->subclassed_ = false;
            self->Forget(hwnd);
        }
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    if (!self) return DefSubclassProc(hwnd, msg, wParam, lParam);
    return self->WindowMessage(msg, wParam, lParam);
}

void Control::Unhook(HWND h) {
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc_));
    originalProc_ = nullptr;
}

LRESULT CALLBACK Control::HookedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Only controls are hooked, so the object found is one.
    auto* self = static_cast<Control*>(Application::FindWindowObject(hwnd));
    if (!self || !self->originalProc_) {
        // No object: the procedure of the window's class.
        auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC));
        return classProc ? CallWindowProcA(classProc, hwnd, msg, wParam, lParam)
                         : DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        WNDPROC original = self->originalProc_;
        self->Unhook(hwnd);
        self->Forget(hwnd);
        return CallWindowProcA(original, hwnd, msg, wParam, lParam);
    }
    return self->WindowMessage(msg, wParam, lParam);
}

}  // namespace purgelet::ui
