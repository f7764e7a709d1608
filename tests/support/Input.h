#pragma once
// Input for the tests: mouse buttons and keys delivered to a window as
// messages (the window's procedure sees what the input queue would give it),
// waits on windows, and watches that act from inside a modal loop or a menu.
#include <windows.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>

#include "framework/Application.h"

namespace testing_support {

enum class Mouse { Left, Right };

// A button pressed, or released, at a point of the window's client area (sent).
inline void ButtonDown(HWND window, POINT at, Mouse button = Mouse::Left) {
    SendMessageA(window, button == Mouse::Left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN,
                 button == Mouse::Left ? MK_LBUTTON : MK_RBUTTON, MAKELPARAM(at.x, at.y));
}
inline void ButtonUp(HWND window, POINT at, Mouse button = Mouse::Left) {
    SendMessageA(window, button == Mouse::Left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}
// Pressed and released (sent): what a click on a control does.
inline void Click(HWND window, POINT at = {4, 4}, Mouse button = Mouse::Left) {
    ButtonDown(window, at, button);
    ButtonUp(window, at, button);
}
// Pressed and released through the window's queue: for another program's
// window, or a click whose handler opens a modal box.
void PostClick(HWND window, POINT at = {4, 4}, Mouse button = Mouse::Left);
// The release queued before the press is sent: for controls that follow a
// pressed button in a loop of their own until they see the release.
void TrackedClick(HWND window, POINT at, Mouse button = Mouse::Left);

// A key pressed and released on the window (sent).
inline void Key(HWND window, WORD key) {
    SendMessageA(window, WM_KEYDOWN, key, 1);
    SendMessageA(window, WM_KEYUP, key, 0xC0000001);
}
// Key presses queued for the window, for the loop that will take them (a
// menu's, a modal box's).
inline void PostKeys(HWND window, std::initializer_list<WORD> keys) {
    for (WORD key : keys) PostMessageA(window, WM_KEYDOWN, key, 1);
}
// A key pressed and released on the window through the message loop, the
// window having the focus.
void PressKey(purgelet::ui::Application& app, HWND window, WORD key);

// True once `done` answers true, false after the time limit.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
std::string TextOf(HWND window);
// A child at any depth that `match` accepts, or of this class and text.
HWND FindChild(HWND parent, const std::function<bool(HWND)>& match);
HWND FindChild(HWND parent, const char* className, const std::string& text);
// The centre of a window on the screen.
POINT CentreOf(HWND window);
// The popup menu a program shows, or null.
HWND VisibleMenu(DWORD processId = GetCurrentProcessId());

// Runs `look` once, from a thread timer `afterMs` from now: inside the modal
// loop the test enters next (a modal box, a wait that pumps messages).
class ModalWatch {
public:
    explicit ModalWatch(std::function<void()> look, UINT afterMs = 300);
    ~ModalWatch();
    ModalWatch(const ModalWatch&) = delete;
    ModalWatch& operator=(const ModalWatch&) = delete;

private:
    static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD);
    std::function<void()> look_;
    UINT_PTR timer_;
};

// While it lives, watches for a popup menu of this program: `onOpen` runs on
// the watching thread once one is shown, and a menu still open after the time
// limit is closed, so a test whose keys miss the menu ends anyway.
class MenuWatch {
public:
    explicit MenuWatch(std::function<void(HWND menu)> onOpen = nullptr, DWORD limitMs = 5000);
    ~MenuWatch();
    MenuWatch(const MenuWatch&) = delete;
    MenuWatch& operator=(const MenuWatch&) = delete;

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace testing_support
