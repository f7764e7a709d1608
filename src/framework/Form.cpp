#include "framework/Form.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/Application.h"
#include "framework/Controls.h"

namespace purgelet::ui {

namespace {
constexpr char kFormClass[] = "PurgeletForm";

}  // namespace

Form::Form(Application& app, std::string name, DesignRect rect, std::string caption)
    : Control(app, std::move(name), rect, std::move(caption)), MenuHost(static_cast<Window&>(*this)) {
    SetVisible(false);
}

Form::~Form() {
    App().UnregisterForm(this);
    // The form hears nothing more while its window and controls go.
    if (hwnd_) App().UnregisterWindow(hwnd_);
    DestroyHandles();
}

const char* Form::WindowClass() const {
    RegisterWindowClass(App().Instance(), kFormClass, CS_DBLCLKS);
    return kFormClass;
}

DWORD Form::Style() const {
    DWORD s = WS_CLIPCHILDREN;
    switch (border) {
        case FormBorder::Sizeable:
            s |= WS_CAPTION | WS_THICKFRAME;
            break;
        case FormBorder::Dialog:
            s |= WS_CAPTION | DS_MODALFRAME;
            break;
        case FormBorder::None:
            s |= WS_POPUP;
            break;
    }
    if (systemMenu && border != FormBorder::None) s |= WS_SYSMENU;
    if (minimizeBox && border == FormBorder::Sizeable) s |= WS_MINIMIZEBOX;
    if (maximizeBox && border == FormBorder::Sizeable) s |= WS_MAXIMIZEBOX;
    return s;
}

DWORD Form::ExStyle() const { return WS_EX_CONTROLPARENT | (border == FormBorder::Dialog ? WS_EX_DLGMODALFRAME : 0); }

void Form::CreateWindowAndControls() {
    SetColor(formColor);
    // The design gives the outer size at the design density; the position is in screen pixels.
    const DesignRect& d = Design();
    int w = Scale(d.width, App().Dpi()), h = Scale(d.height, App().Dpi());
    if (designIsClientArea) {
        RECT outer{0, 0, w, h};
        AdjustWindowRectEx(&outer, Style(), FALSE, ExStyle());
        w = outer.right - outer.left;
        h = outer.bottom - outer.top;
    }
    int x = d.left, y = d.top;
    if (position == FormPosition::ScreenCenter) {
        x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    }
    SetBoundsPx(RECT{x, y, x + w, y + h});
    // Create the window itself without its children, hook the procedure, then the children.
    auto children = Children();
    hwnd_ = CreateWindowExA(ExStyle(), WindowClass(), Narrow(caption_).c_str(), Style(), x, y, w, h, nullptr, nullptr,
                            App().Instance(), nullptr);
    if (hwnd_) {
        Register();
        HICON windowIcon = icon ? icon : App().Icon();
        SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon));
        SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowIcon));
        if (mainMenu) SetMenu(hwnd_, mainMenu->Handle());
        SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(App().FontHandle(EffectiveFont())), FALSE);
    }
    for (Control* c : children) c->CreateHandles();
    LayoutChildren();
    App().RegisterForm(this, this);
    if (onCreate) App().Guard(onCreate);
}

void Form::Show() {
    if (!hwnd_) return;
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void Form::Hide() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
    if (inModal_ && modalResult == 0) modalResult = IDCANCEL;
}

bool Form::IsShowing() const { return hwnd_ && IsWindowVisible(hwnd_); }

void Form::Close() {
    CloseQueryEvent query{*this};
    if (onCloseQuery && !App().Guard([&] { onCloseQuery(query); })) return;
    if (!query.canClose) return;
    if (onClose) App().Guard(onClose);
    if (inModal_) {
        // The modal display ends and hides the window once the others are enabled again.
        if (modalResult == 0) modalResult = IDCANCEL;
        return;
    }
    Hide();
}

void Form::Release() { App().PostRelease(this); }

void Form::BringToFront() {
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
}

int Form::ShowModal() {
    if (!hwnd_) return 0;
    modalResult = 0;
    inModal_ = true;
    HWND previouslyActive = GetActiveWindow();
    std::vector<HWND> disabled;
    for (Form* f : App().Forms())
        if (f != this && f->Handle() && IsWindowEnabled(f->Handle())) {
            EnableWindow(f->Handle(), FALSE);
            disabled.push_back(f->Handle());
        }
    Show();
    App().Run([this] { return modalResult != 0; });
    for (HWND h : disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
    inModal_ = false;
    if (previouslyActive && previouslyActive != hwnd_ && IsWindow(previouslyActive) && hwnd_ &&
        GetActiveWindow() == hwnd_)
        SetActiveWindow(previouslyActive);
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
    return modalResult;
}

int Form::Left() const {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return r.left;
}
int Form::Top() const {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return r.top;
}
int Form::Width() const {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return r.right - r.left;
}
int Form::Height() const {
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}
void Form::SetLeft(int x) {
    if (hwnd_) SetWindowPos(hwnd_, nullptr, x, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Form::SetTop(int y) {
    if (hwnd_) SetWindowPos(hwnd_, nullptr, Left(), y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Form::SetSize(int width, int height) {
    if (hwnd_) SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Form::QueryEndSession() { return true; }
void Form::EndSession(WPARAM, LPARAM) {}

bool Form::ClickDialogButton(WORD command) {
    const bool wantDefault = command == IDOK;
    std::vector<Control*> pending(Children().rbegin(), Children().rend());
    while (!pending.empty()) {
        Control* c = pending.back();
        pending.pop_back();
        if (auto* b = dynamic_cast<Button*>(c); b && (wantDefault ? b->isDefault : b->isCancel)) {
            if (b->Showing() && IsWindowEnabled(b->Handle())) b->Click();
            return true;
        }
        pending.insert(pending.end(), c->Children().rbegin(), c->Children().rend());
    }
    return false;
}

LRESULT Form::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    // The dialog keys come as commands from no control.
    if (msg == WM_COMMAND && lParam == 0 && HIWORD(wParam) == 0 &&
        (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        if (ClickDialogButton(LOWORD(wParam))) return 0;
    if (HandleMenuMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_CLOSE:
            Close();
            return 0;
        case WM_ACTIVATE: {
            // The default handling gives the window itself the focus; the
            // handler runs after it, so the focus it chooses stays.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
            }
            LRESULT r = DefWindowProcA(hwnd_, msg, wParam, lParam);
            if (LOWORD(wParam) == WA_INACTIVE) return r;
            // Back to the control that had the focus, or the first one in tab order.
            HWND target = lastFocus_;
            if (!target && activeControl) target = activeControl->Handle();
            if (!target || !IsChild(hwnd_, target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
                target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
            if (target && target != hwnd_) ::SetFocus(target);
            if (onActivate) App().Guard(onActivate);
            return r;
        }
        case WM_NEXTDLGCTL: {
            // What a dialog does, for the dialog manager's mnemonics: a
            // label's Alt+letter focuses it, then the control after it.
            HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                         : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0 ? TRUE : FALSE);
            if (target && IsChild(hwnd_, target)) {
                ::SetFocus(target);
                if (SendMessageA(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(target, EM_SETSEL, 0, -1);
            }
            return 0;
        }
        case WM_QUERYENDSESSION: {
            bool ok = true;
            App().Guard([&] { ok = QueryEndSession(); });
            return ok ? TRUE : FALSE;
        }
        case WM_ENDSESSION:
            App().Guard([&] { EndSession(wParam, lParam); });
            return 0;
        case WM_TIMER: {
            auto it = timers_.find(wParam);
            if (it != timers_.end()) {
                it->second->Tick();
                return 0;
            }
            break;
        }
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd_, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, App().Brush(EffectiveColor()));
            return 1;
        }
        case WM_SIZE:
            LayoutChildren();
            return 0;
        default:
            if (ReflectToChild(msg, wParam, lParam, result)) return result;
            break;
    }
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

// Timer -----------------------------------------------------------------------

Timer::Timer(Form& form, unsigned intervalMs) : form_(form), interval_(intervalMs) { form_.AddTimer(this); }

Timer::~Timer() {
    SetEnabled(false);
    form_.RemoveTimer(this);
}

void Timer::SetEnabled(bool on) {
    enabled_ = on;
    if (!form_.Handle()) return;
    auto id = reinterpret_cast<UINT_PTR>(this);
    if (on)
        SetTimer(form_.Handle(), id, interval_, nullptr);
    else
        KillTimer(form_.Handle(), id);
}

void Timer::Tick() {
    if (onTimer) form_.App().Guard(onTimer);
}

bool Form::NavigationKey(const MSG& msg) {
    // The page controls shown, outermost first.
    std::vector<Control*> walk(Children().begin(), Children().end());
    for (std::size_t i = 0; i < walk.size(); ++i) {
        if (auto* pages = dynamic_cast<PageControl*>(walk[i]); pages && pages->Showing())
            if (pages->NavigationKey(msg)) return true;
        walk.insert(walk.end(), walk[i]->Children().begin(), walk[i]->Children().end());
    }
    return false;
}

}  // namespace purgelet::ui
