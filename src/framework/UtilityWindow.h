#pragma once
// A hidden top-level window that hands every message to one handler: what a
// non-visual component needs to hear the shell's notifications, broadcasts
// and the session messages. Only the messages that create the window get
// default processing; every other result is the handler's (0 unless set).
// The handler runs behind the application's error guard.
#include <windows.h>

#include <functional>

namespace purgelet::ui {

class Application;

struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
};

class UtilityWindow {
public:
    UtilityWindow(Application& app, std::function<void(Message&)> handler);
    // Destroys the window; no message reaches the handler afterwards.
    ~UtilityWindow();
    UtilityWindow(const UtilityWindow&) = delete;
    UtilityWindow& operator=(const UtilityWindow&) = delete;

    HWND Handle() const { return hwnd_; }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    Application& app_;
    std::function<void(Message&)> handler_;
    HWND hwnd_ = nullptr;
};

}  // namespace purgelet::ui
