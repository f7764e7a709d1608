#include "support/Input.h"

namespace testing_support {

namespace {
LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }
UINT Down(Mouse b) { return b == Mouse::Left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN; }
WPARAM Held(Mouse b) { return b == Mouse::Left ? MK_LBUTTON : MK_RBUTTON; }
constexpr LPARAM kKeyDown = 1, kKeyUp = 0xC0000001;

ModalWatch* current = nullptr;
}  // namespace

void ButtonDown(HWND window, POINT at, Mouse button) { SendMessageA(window, Down(button), Held(button), At(at)); }

void ButtonUp(HWND window, POINT at, Mouse button) { SendMessageA(window, Down(button) + 1, 0, At(at)); }

void Click(HWND window, POINT at, Mouse button) {
    ButtonDown(window, at, button);
    ButtonUp(window, at, button);
}

void PostClick(HWND window, POINT at, Mouse button) {
    PostMessageA(window, Down(button), Held(button), At(at));
    PostMessageA(window, Down(button) + 1, 0, At(at));
}

void TrackedClick(HWND window, POINT at, Mouse button) {
    const UINT up = Down(button) + 1;
    PostMessageA(window, up, 0, At(at));
    ButtonDown(window, at, button);
    MSG msg;
    while (PeekMessageA(&msg, window, up, up, PM_REMOVE)) DispatchMessageA(&msg);
}

void Key(HWND window, WORD key) {
    SendMessageA(window, WM_KEYDOWN, key, kKeyDown);
    SendMessageA(window, WM_KEYUP, key, kKeyUp);
}

void PostKeys(HWND window, std::initializer_list<WORD> keys) {
    for (WORD key : keys) PostMessageA(window, WM_KEYDOWN, key, kKeyDown);
}

void PressKey(purgelet::ui::Application& app, HWND window, WORD key) {
    SetFocus(window);
    PostMessageA(window, WM_KEYDOWN, key, kKeyDown);
    app.ProcessMessages();
    PostMessageA(GetFocus(), WM_KEYUP, key, kKeyUp);
    app.ProcessMessages();
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

HWND FindChild(HWND parent, const char* className, const std::string& text) {
    struct Wanted {
        const char* cls;
        const std::string& text;
        HWND found;
    } wanted{className, text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM lp) -> BOOL {
            auto* w = reinterpret_cast<Wanted*>(lp);
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof(cls));
            if (lstrcmpiA(cls, w->cls) != 0 || TextOf(h) != w->text) return TRUE;
            w->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&wanted));
    return wanted.found;
}

POINT CentreOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND VisibleMenu(DWORD processId) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == processId && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

ModalWatch::ModalWatch(std::function<void()> look, UINT afterMs)
    : look_(std::move(look)), timer_(SetTimer(nullptr, 0, afterMs, &ModalWatch::Fire)) {
    current = this;
}

ModalWatch::~ModalWatch() {
    if (timer_) KillTimer(nullptr, timer_);
    if (current == this) current = nullptr;
}

void CALLBACK ModalWatch::Fire(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    ModalWatch* watch = current;
    if (!watch || watch->timer_ != id) return;
    watch->timer_ = 0;
    watch->look_();
}

MenuWatch::MenuWatch(std::function<void(HWND)> onOpen, DWORD limitMs)
    : thread_([this, onOpen = std::move(onOpen), limitMs] {
          bool seen = false;
          for (DWORD waited = 0; waited < limitMs && !done_; waited += 50) {
              if (onOpen && !seen) {
                  if (HWND menu = VisibleMenu()) {
                      seen = true;
                      onOpen(menu);
                      continue;
                  }
              }
              Sleep(50);
          }
          if (!done_) EndMenu();
      }) {}

MenuWatch::~MenuWatch() {
    done_ = true;
    thread_.join();
}

}  // namespace testing_support
