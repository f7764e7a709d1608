#pragma once
// The application object: the program's open forms in creation order, the
// message loop, termination, the standard error box and the message boxes.
#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "base/Handles.h"
#include "framework/Types.h"
#include "framework/Window.h"

namespace purgelet::ui {

class Form;
class Window;

// A non-visual part of the program that the application owns and frees when
// it ends (after the components created later, before the forms).
class Component {
public:
    virtual ~Component() = default;
};

// Message boxes and the beep go through here, so tests can see and answer them.
struct UiHooks {
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT flags)> messageBox;
    std::function<void(UINT type)> beep;
};

class Application {
public:
    // The icon is the program's (its windows' and its tray icon's); the
    // system's application icon when null.
    explicit Application(HINSTANCE instance = nullptr, HICON icon = nullptr);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    HINSTANCE Instance() const { return instance_; }
    // The program file's name up to its first dot.
    const std::string& Title() const { return title_; }
    HICON Icon() const { return icon_; }

    // Screen density in pixels per inch; windows scale their design to it.
    int Dpi() const { return dpi_; }
    void SetDpi(int dpi) { dpi_ = dpi; }

    // Creates a form owned by the application; its creation handler runs
    // inside. Forms are kept in creation order.
    template <class T, class... Args>
    T& CreateForm(Args&&... args) {
        auto form = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T& ref = *form;
        owned_.push_back(OwnedForm{&ref, std::move(form)});
        ref.CreateWindowAndControls();
        return ref;
    }
    // Destroys a form now and forgets it.
    void DestroyForm(Form& form);
    // The open forms, in creation order.
    const std::vector<Form*>& Forms() const { return forms_; }
    Form* FindFormByCaption(const std::string& caption) const;
    // The first form created, which owns the standard error box.
    Form* FirstForm() const { return forms_.empty() ? nullptr : forms_.front(); }

    // Destroys every form, newest first.
    void DestroyForms();

    // Creates a component owned by the application: Args are passed after the
    // application itself. Nothing is kept when its construction fails.
    template <class T, class... Args>
    T& CreateComponent(Args&&... args) {
        auto component = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T& ref = *component;
        components_.push_back(std::move(component));
        return ref;
    }
    // Frees every component, newest first, then every form (also done at the end).
    void DestroyAll();

    // The application as a whole: minimises its shown windows, or restores
    // those that are minimised.
    void Minimize();
    void Restore();

    void Terminate();
    bool Terminated() const { return terminated_; }
    // The message loop: runs until Terminate, or until `done` answers true
    // (a modal form's loop). Forms released meanwhile are destroyed by the
    // outermost loop only.
    void Run(const std::function<bool()>& done = {});
    // Handles every pending message, then returns; for work that waits with
    // messages processed.
    void ProcessMessages();

    // The one map from window handle to object. A window registers its
    // handle when it is made and unregisters it before the window goes; a
    // message for a handle that is not here reaches no object and goes to
    // the default procedure.
    void RegisterWindow(HWND hwnd, Window* window);
    void UnregisterWindow(HWND hwnd);
    Window* WindowOf(HWND hwnd) const;
    std::size_t WindowCount() const { return windows_.size(); }
    // The object of a window of any running application; for the window
    // procedures, which are static.
    static Window* FindWindowObject(HWND hwnd);

    // Runs one event handler; an error it raises ends it and is shown in the
    // standard error box. Returns false when the handler failed.
    template <class F>
    bool Guard(F&& handler) {
        try {
            ++handlerDepth_;
            struct Leave {
                int& depth;
                ~Leave() { --depth; }
            } leave{handlerDepth_};
            handler();
            return true;
        } catch (const std::exception& e) {
            ShowException(e);
        } catch (...) {
            ShowException(std::runtime_error("Unknown error"));
        }
        return false;
    }
    // Whether a handler is running (inside Guard).
    bool InHandler() const { return handlerDepth_ > 0; }
    void ShowException(const std::exception& e);

    // Runs the whole program as the last resort for errors: one that escaped
    // every handler is shown in the standard error box instead of ending the
    // program silently. Afterwards every form is destroyed, while what the
    // forms refer to still exists. Returns the exit code: 0, or 1 after an error.
    int Execute(const std::function<void()>& program);

    // Every message box of the program: a text of more than about two
    // hundred characters is shown as its beginning and its end with " ... "
    // between.
    int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
    void Beep(UINT type = 0);
    UiHooks hooks;

    // Fonts and brushes are made once per look and kept for the run.
    HFONT FontHandle(const Font& font);
    HBRUSH Brush(Color color);
    // The system's menu font.
    HFONT MenuFont();

    // Called by forms themselves, with the form as a window too.
    void RegisterForm(Form* form, Window* window);
    void UnregisterForm(Form* form);
    void PostRelease(Form* form);
    void ReleasePending();

private:
    void Dispatch(MSG& msg);

    HINSTANCE instance_;
    std::string title_;
    HICON icon_ = nullptr;
    int dpi_ = 96;
    bool terminated_ = false;
    std::vector<std::unique_ptr<Component>> components_;
    int handlerDepth_ = 0;
    // A form the application owns, held as the window it is.
    struct OwnedForm {
        Form* form;
        std::unique_ptr<Window> window;
    };
    std::vector<OwnedForm> owned_;
    std::vector<Form*> forms_;
    std::vector<Window*> formWindows_;  // the open forms' windows, in the same order
    std::vector<Form*> releasing_;
    std::map<std::tuple<std::string, int, bool>, GdiHandle<HFONT>> fonts_;
    std::map<COLORREF, GdiHandle<HBRUSH>> brushes_;
    GdiHandle<HFONT> menuFont_;
    std::unordered_map<HWND, Window*> windows_;
};

}  // namespace purgelet::ui
