#pragma once
// The base of every window of the framework (controls, forms, utility
// windows): the application it belongs to, its handle, the handle's entry in
// the application's map of windows, the registration of the framework's own
// window classes and their one window procedure.
#include <windows.h>

#include <string>

namespace purgelet::ui {

class Application;

class Window {
public:
    explicit Window(Application& app) : app_(app) {}
    // Takes the window out of the map and destroys it, if it still exists.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    Application& App() const { return app_; }
    HWND Handle() const { return hwnd_; }
    // The window's text.
    virtual std::string Caption() const;
    // A key pressed in the window or below it that its own keyboard
    // navigation takes before the dialog manager sees it (a form switches
    // its pages); true when taken.
    virtual bool NavigationKey(const MSG& /*msg*/) { return false; }

protected:
    // Registers one of the framework's own window classes (once per
    // instance): its windows get the window procedure below.
    static void RegisterWindowClass(HINSTANCE instance, const char* name, UINT style = 0);
    // The window procedure of the framework's own classes: a message reaches
    // its object through the application's map of windows. Until the object
    // is registered (while its window is being made) and after it is gone,
    // the default procedure answers.
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // The messages of the window, and what happens to those it leaves.
    virtual LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Enters the window in the application's map of windows, and takes it
    // out again (the object forgets the handle too when it is its own).
    void Register();
    void Forget(HWND h);

    HWND hwnd_ = nullptr;

private:
    Application& app_;
};

}  // namespace purgelet::ui
