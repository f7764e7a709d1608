#pragma once
// The base of every control: a child window created from its design
// rectangle, with its font, colours and named events. A form is the control
// at the root of the tree, without a parent.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Text.h"
#include "framework/Types.h"
#include "framework/Window.h"

namespace purgelet::ui {

class Application;
class PopupMenu;

enum class Align { None, Client };

class Control : public Window {
public:
    // A control placed on `parent` (never null); it belongs to the parent's application.
    Control(Control* parent, std::string name, DesignRect rect, std::string caption = {});
    ~Control() override;

    const std::string& Name() const { return name_; }
    Control* Parent() const { return parent_; }
    const std::vector<Control*>& Children() const { return children_; }

    // The caption in the ANSI code page (what the code page lacks reads as
    // "?"), or in full. Only a control made wide (WideWindow) shows text
    // outside the code page.
    std::string Caption() const override;
    void SetCaption(const std::string& text) { SetCaption(Widen(text)); }
    virtual void SetCaption(const std::wstring& text);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    // The control's own visibility flag.
    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    // Visible on screen: this control and all its parents are visible.
    bool Showing() const;

    void SetFont(const Font& font);
    Font EffectiveFont() const;
    void SetColor(Color c);
    Color EffectiveColor() const;
    void SetTabStop(bool on) { tabStop_ = on; }
    void SetAlign(Align a) { align_ = a; }

    const DesignRect& Design() const { return design_; }
    // The rectangle in pixels at the current density, relative to the parent's client area.
    RECT BoundsPx() const;
    void SetBoundsPx(const RECT& r);
    void SetFocus();

    // Named events. Each runs under the application's error guard.
    std::function<void()> onClick;
    std::function<void(MouseButton, int x, int y)> onMouseDown;
    std::function<void(MouseButton, int x, int y)> onMouseUp;
    std::function<void(WORD key)> onKeyUp;
    // Opened by a right click on the control (or the menu key).
    PopupMenu* popupMenu = nullptr;

    // Runs the click handler, whatever the control's enabled or visible state.
    // Triggered from inside another handler it is a plain call, so an error
    // it raises ends the calling handler too; on its own it runs under the
    // error guard.
    void Click();

    // Creates this control's window and those of its children.
    void CreateHandles();
    void DestroyHandles();

    // Messages a parent window passes on to the child control they concern.
    // Return true when handled, with the result in `result`.
    virtual bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Sizes the children that fill their parent.
    void LayoutChildren();
    // The area children are placed in, in this control's client coordinates.
    virtual RECT ChildArea() const;

protected:
    // The root of a tree of controls (a form): no parent.
    Control(Application& app, std::string name, DesignRect rect, std::string caption);
    virtual const char* WindowClass() const = 0;
    virtual DWORD Style() const { return 0; }
    virtual DWORD ExStyle() const { return 0; }
    // The window is made with the wide functions, so its text keeps what the
    // ANSI code page lacks: a system control made ANSI and subclassed hears
    // its text through the code page. Not for a control that hooks its
    // window procedure (that hook is ANSI).
    virtual bool WideWindow() const { return false; }
    // The window children are created in.
    virtual HWND ContainerHandle() const { return hwnd_; }
    virtual void AfterCreate() {}
    virtual bool OnCommand(WORD /*code*/) { return false; }
    virtual bool OnNotify(NMHDR* /*hdr*/, LRESULT& /*result*/) { return false; }
    virtual HBRUSH OnCtlColor(HDC dc);
    // The colour used when none is set: the parent's unless overridden.
    virtual Color DefaultColor() const { return clNone; }
    // Messages of the control's own window, before and after default handling.
    LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The window's current text (the caption before the window exists).
    std::string WindowText() const;
    // Reflects child messages to child controls; used by containers.
    bool ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void Fire(const std::function<void()>& f);
    // A click the control itself reports: always its own handler boundary.
    void ClickFromWindow() { Fire(onClick); }
    // A control of a system class hears its window's messages through a
    // subclass; one of the framework's own classes has the window procedure.
    virtual bool Subclassed() const { return true; }
    // Hooks the window procedure itself instead of going through comctl32's
    // subclass chain, which costs a good deal per message under Wine; for
    // controls that handle many messages (a list with thousands of rows).
    virtual bool HooksWindowProcedure() const { return false; }

    std::wstring caption_;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK HookedProc(HWND, UINT, WPARAM, LPARAM);
    void Unhook(HWND h);
    void AddChild(Control* c) { children_.push_back(c); }
    void RemoveChild(Control* c);

    WNDPROC originalProc_ = nullptr;  // when the window procedure is hooked
    bool subclassed_ = false;         // when the window is subclassed
    Control* parent_;
    std::string name_;
    DesignRect design_;
    std::optional<RECT> boundsOverride_;
    std::vector<Control*> children_;
    bool enabled_ = true;
    bool visible_ = true;
    bool tabStop_ = true;
    Align align_ = Align::None;
    std::optional<Font> font_;
    Color color_ = clNone;
};

}  // namespace purgelet::ui
