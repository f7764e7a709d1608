#pragma once
// The standard controls the windows are built from.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "framework/Control.h"

namespace purgelet::ui {

class Button : public Control {
public:
    using Control::Control;
    ~Button() override;
    bool isDefault = false;
    bool isCancel = false;
    // A bitmap resource shown left of the caption; its bottom-left pixel's
    // colour is transparent. 0 for none.
    int glyph = 0;

protected:
    const char* WindowClass() const override { return "BUTTON"; }
    DWORD Style() const override { return isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; }
    void AfterCreate() override;
    bool OnCommand(WORD code) override;

private:
    ImageListHandle glyphs_;
};

class CheckBox : public Control {
public:
    using Control::Control;
    bool Checked() const;
    // Changing the state from code runs no event.
    void SetChecked(bool on);

protected:
    const char* WindowClass() const override { return "BUTTON"; }
    DWORD Style() const override { return BS_AUTOCHECKBOX; }
    void AfterCreate() override;
    bool OnCommand(WORD code) override;

private:
    bool checked_ = false;
};

// Radio buttons with the same parent form one group: selecting one clears the others.
// The keyboard selects on the key press (an arrow key moving into the group's
// next button, or Space), so a key-up handler already sees the new selection.
class RadioButton : public Control {
public:
    using Control::Control;
    bool Checked() const { return checked_; }
    void SetChecked(bool on);

protected:
    const char* WindowClass() const override { return "BUTTON"; }
    DWORD Style() const override { return BS_AUTORADIOBUTTON; }
    void AfterCreate() override;
    bool OnCommand(WORD code) override;
    LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool checked_ = false;
};

class Label : public Control {
public:
    Label(Control* parent, std::string name, DesignRect rect, std::string caption = {})
        : Control(parent, std::move(name), rect, std::move(caption)) {
        SetTabStop(false);
    }
    bool wordWrap = true;
    bool rightJustify = false;
    // Sized to its text whenever the text changes: a one-line label to its
    // width and height (a right-justified one keeps its right edge), a
    // wrapped one keeps its width and takes the height of its lines.
    bool autoSize = false;
    // The hand cursor over the label, as over a link.
    bool handCursor = false;
    using Control::SetCaption;
    void SetCaption(const std::wstring& text) override;

protected:
    const char* WindowClass() const override { return "STATIC"; }
    bool WideWindow() const override { return true; }
    DWORD Style() const override {
        return SS_NOTIFY | (rightJustify ? SS_RIGHT : (wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP));
    }
    void AfterCreate() override;
    bool OnCommand(WORD code) override;
    LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FitToText();
};

class GroupBox : public Control {
public:
    GroupBox(Control* parent, std::string name, DesignRect rect, std::string caption = {})
        : Control(parent, std::move(name), rect, std::move(caption)) {
        SetTabStop(false);
    }

protected:
    const char* WindowClass() const override { return "BUTTON"; }
    DWORD Style() const override { return BS_GROUPBOX | WS_CLIPSIBLINGS; }
    DWORD ExStyle() const override { return WS_EX_CONTROLPARENT; }
    void AfterCreate() override;
    LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// A plain container: a panel with an optional lowered inner bevel, or a page of a PageControl.
class Panel : public Control {
public:
    Panel(Control* parent, std::string name, DesignRect rect, std::string caption = {});
    bool loweredBevel = false;

protected:
    const char* WindowClass() const override;
    bool Subclassed() const override { return false; }
    DWORD Style() const override { return WS_CLIPCHILDREN; }
    DWORD ExStyle() const override { return WS_EX_CONTROLPARENT; }
    LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class PageControl;

class TabSheet : public Panel {
public:
    TabSheet(PageControl* pages, std::string name, std::string caption);
    int PageIndex() const;

private:
    PageControl* pages_;
};

// The keyboard moves through its pages as through a property sheet's:
// Ctrl+Tab and Ctrl+PageDown to the next, Ctrl+Shift+Tab and Ctrl+PageUp to
// the one before (round), and the tab row is a stop of the Tab order
// between the active page's last control and its first.
class PageControl : public Control {
public:
    using Control::Control;
    void SetActivePage(TabSheet* page);
    // The next page, or the one before, as Ctrl+Tab and Ctrl+Shift+Tab do.
    void SelectNextPage(bool forward);
    // Takes a key of the page keys or the Tab key at either end of the
    // active page (see above); true when taken.
    bool NavigationKey(const MSG& msg) override;
    TabSheet* ActivePage() const { return active_; }
    const std::vector<TabSheet*>& Pages() const { return pages_; }
    void AddPage(TabSheet* page) { pages_.push_back(page); }
    RECT ChildArea() const override;

protected:
    const char* WindowClass() const override { return "SysTabControl32"; }
    DWORD Style() const override { return WS_CLIPCHILDREN | WS_CLIPSIBLINGS; }
    DWORD ExStyle() const override { return WS_EX_CONTROLPARENT; }
    void AfterCreate() override;
    bool OnNotify(NMHDR* hdr, LRESULT& result) override;

private:
    void ShowActive();
    std::vector<TabSheet*> pages_;
    TabSheet* active_ = nullptr;
};

// Its lines are wide: any name shows as it is. A line wider than the list
// scrolls sideways (the list's horizontal extent follows its widest line).
class ListBox : public Control {
public:
    using Control::Control;
    int itemHeight = 0;  // design pixels; 0 keeps the system's
    void Add(const std::wstring& line);
    void Clear();
    const std::vector<std::wstring>& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // The width, in pixels, the lines are scrolled over.
    int HorizontalExtent() const { return extent_; }

protected:
    const char* WindowClass() const override { return "LISTBOX"; }
    bool WideWindow() const override { return true; }
    DWORD Style() const override { return LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL; }
    Color DefaultColor() const override { return clWindow; }
    void AfterCreate() override;

private:
    // Widens the extent to a line, as the list's font draws it.
    void Reach(const std::wstring& line);
    std::vector<std::wstring> items_;
    int extent_ = 0;
};

class Memo : public Control {
public:
    using Control::Control;
    bool readOnly = true;
    void SetLines(const std::vector<std::string>& lines);
    void Clear() { SetLines({}); }
    std::string Text() const;

protected:
    const char* WindowClass() const override { return "EDIT"; }
    DWORD Style() const override { return ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | (readOnly ? ES_READONLY : 0); }
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    Color DefaultColor() const override { return clWindow; }
    void AfterCreate() override;
};

class Edit : public Control {
public:
    using Control::Control;
    bool readOnly = false;
    std::string Text() const;
    void SetText(const std::string& t) { SetCaption(t); }

protected:
    const char* WindowClass() const override { return "EDIT"; }
    DWORD Style() const override { return ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0); }
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    Color DefaultColor() const override { return clWindow; }
};

}  // namespace purgelet::ui
