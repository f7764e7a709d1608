#pragma once
// A top-level window whose controls are created in code from their design
// places. Behaviour is given by named events and virtual handlers.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/Control.h"
#include "framework/Menu.h"

namespace purgelet::ui {

class Form;
class Timer;

// A request to close a form: the handler clears canClose to keep it open.
struct CloseQueryEvent {
    Form& sender;
    bool canClose = true;
};

enum class FormBorder { Sizeable, Dialog, None };
enum class FormPosition { Designed, ScreenCenter };

// A form keeps its menus' items (it is their menu host).
class Form : public Control, public MenuHost {
public:
    Form(Application& app, std::string name, DesignRect rect, std::string caption);
    ~Form() override;

    void Show();
    void Hide();
    // Asks onCloseQuery; when allowed, runs onClose and hides the window.
    void Close();
    // Destroys the form as soon as the message loop runs.
    void Release();
    // Brings the window forward.
    void BringToFront();
    // Shows the form modally; returns when it is closed.
    int ShowModal();
    int modalResult = 0;

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int x);
    void SetTop(int y);
    void SetSize(int width, int height);
    bool IsShowing() const;

    // Named events of the form.
    std::function<void()> onCreate;
    std::function<void(CloseQueryEvent&)> onCloseQuery;
    std::function<void()> onClose;
    std::function<void()> onActivate;

    // Creates the window, its controls, then runs onCreate (an error there is
    // shown and the form is created all the same).
    void CreateWindowAndControls();

    void AddTimer(Timer* t) { timers_[reinterpret_cast<UINT_PTR>(t)] = t; }
    void RemoveTimer(Timer* t) { timers_.erase(reinterpret_cast<UINT_PTR>(t)); }

    Color formColor = clBtnFace;
    FormBorder border = FormBorder::Sizeable;
    FormPosition position = FormPosition::Designed;
    bool minimizeBox = true;
    bool maximizeBox = false;
    bool systemMenu = true;
    // The window's icon; the application's when null.
    HICON icon = nullptr;
    // Shown as the window's menu bar.
    MainMenu* mainMenu = nullptr;
    // The control that has the focus when the form is first activated; the
    // first in the Tab order when none is named.
    Control* activeControl = nullptr;

    // The design's width and height are those of the client area, not of the whole window.
    bool designIsClientArea = false;

protected:
    const char* WindowClass() const override;
    DWORD Style() const override;
    DWORD ExStyle() const override;
    bool Subclassed() const override { return false; }
    LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Windows asks whether the session may end; the answer is yes unless overridden.
    virtual bool QueryEndSession();
    virtual void EndSession(WPARAM wParam, LPARAM lParam);
    // Its page controls' keys.
    bool NavigationKey(const MSG& msg) override;

private:
    // Enter and Esc reach a form as the commands IDOK and IDCANCEL: they
    // click its default and its cancel button.
    bool ClickDialogButton(WORD command);
    std::map<UINT_PTR, Timer*> timers_;
    bool inModal_ = false;
    HWND lastFocus_ = nullptr;
};

// A timer of a form: onTimer runs every interval while it is on.
class Timer {
public:
    Timer(Form& form, unsigned intervalMs);
    ~Timer();
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    std::function<void()> onTimer;
    void Tick();

private:
    Form& form_;
    unsigned interval_;
    bool enabled_ = false;
};

}  // namespace purgelet::ui
