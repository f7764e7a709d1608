#pragma once
// A hidden top-level window that hands every message to one handler: what a
// non-visual component needs to hear the shell's notifications, broadcasts
// and the session messages. Like every window of the framework it is found
// through the application's map of windows; only the messages that create
// the window (before it is in the map) get default processing, and every
// other result is the handler's (0 unless set). The handler runs behind the
// application's error guard.
#include <windows.h>

#include <functional>

#include "framework/Window.h"

namespace purgelet::ui {

class Application;

struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
};

class UtilityWindow : public Window {
public:
    UtilityWindow(Application& app, std::function<void(Message&)> handler);
    // Destroys the window; no message reaches the handler afterwards.
    ~UtilityWindow() override;

protected:
    LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<void(Message&)> handler_;
};

}  // namespace purgelet::ui
