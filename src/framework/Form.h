#pragma once
// A top-level window whose controls are created in code from their design
// places. Behaviour is given by named events and virtual handlers.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/Control.h"

namespace purgelet::ui {

class Timer;
class MenuItem;
class MainMenu;

enum class FormBorder { Sizeable, Dialog, None };
enum class FormPosition { Designed, ScreenCenter };

class Form : public Control {
public:
    Form(Application& app, std::string name, DesignRect rect, std::string caption);
    ~Form() override;

    Application& App() { return app_; }

    std::string Caption() const override;
    void SetCaption(const std::string& text) override;

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
    std::function<void(bool& canClose)> onCloseQuery;
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

    // The items of the form's menus, in creation order.
    const std::vector<MenuItem*>& MenuItems() const { return menuItems_; }
    // Called by the items: registers one and gives it its command number.
    UINT AddMenuItem(MenuItem* item);
    void RemoveMenuItem(MenuItem* item);
    MenuItem* FindMenuItem(UINT id) const;
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
    // Any other message; return true when handled.
    virtual bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

public:
    // The window procedure of every form: a message reaches its form through
    // the application's map of windows. Until the form is registered (while
    // its window is being made) and after it is gone, the default procedure
    // answers.
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    // Enter and Esc reach a form as the commands IDOK and IDCANCEL: they
    // click its default and its cancel button.
    bool ClickDialogButton(WORD command);
    Application& app_;
    std::map<UINT_PTR, Timer*> timers_;
    bool inModal_ = false;
    HWND lastFocus_ = nullptr;
    std::vector<MenuItem*> menuItems_;
    UINT nextMenuId_ = 100;  // above the dialog command numbers (IDOK, IDCANCEL, ...)
};

}  // namespace purgelet::ui
