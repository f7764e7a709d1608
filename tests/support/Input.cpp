#include "support/Input.h"

namespace testing_support {

namespace {
ModalWatch* current = nullptr;
}  // namespace

void PostClick(HWND window, POINT at, Mouse button) {
    PostMessageA(window, button == Mouse::Left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN,
                 button == Mouse::Left ? MK_LBUTTON : MK_RBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(window, button == Mouse::Left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void TrackedClick(HWND window, POINT at, Mouse button) {
    const UINT up = button == Mouse::Left ? WM_LBUTTONUP : WM_RBUTTONUP;
    PostMessageA(window, up, 0, MAKELPARAM(at.x, at.y));
    ButtonDown(window, at, button);
    MSG msg;
    while (PeekMessageA(&msg, window, up, up, PM_REMOVE)) DispatchMessageA(&msg);
}

void PressKey(purgelet::ui::Application& app, HWND window, WORD key) {
    SetFocus(window);
    PostMessageA(window, WM_KEYDOWN, key, 1);
    app.ProcessMessages();
    PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
    app.ProcessMessages();
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(50))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

HWND FindChild(HWND parent, const std::function<bool(HWND)>& match) {
    std::pair<const std::function<bool(HWND)>*, HWND> search{&match, nullptr};
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<decltype(search)*>(lp);
            return (*s->first)(h) ? (s->second = h, FALSE) : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

HWND FindChild(HWND parent, const char* className, const std::string& text) {
    return FindChild(parent, [&](HWND h) {
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof(cls));
        return lstrcmpiA(cls, className) == 0 && TextOf(h) == text;
    });
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
    if (!current || current->timer_ != id) return;
    current->timer_ = 0;
    current->look_();
}

MenuWatch::MenuWatch(std::function<void(HWND)> onOpen, DWORD limitMs)
    : thread_([this, onOpen = std::move(onOpen), limitMs] {
          bool seen = !onOpen;
          for (DWORD waited = 0; waited < limitMs && !done_; waited += 50) {
              if (HWND menu = seen ? nullptr : VisibleMenu()) {
                  seen = true;
                  onOpen(menu);
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
