#include "framework/Controls.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "framework/Application.h"
#include "base/Handles.h"

namespace purgelet::ui {

// Buttons -----------------------------------------------------------------

Button::~Button() {
    DestroyHandles();
    glyphs_.Reset();
}

void Button::AfterCreate() {
    if (!glyph) return;
    GdiObject bmp(LoadImageA(App().Instance(), MAKEINTRESOURCEA(glyph), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bmp) return;
    BITMAP info{};
    GetObjectA(bmp, sizeof(info), &info);
    COLORREF transparent = CLR_INVALID;
    {
        MemoryDC dc;
        SelectedObject selected(dc, bmp);
        transparent = GetPixel(dc, 0, info.bmHeight - 1);
    }
    if (!glyphs_) glyphs_.Reset(ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, 1, 0));
    ImageList_AddMasked(glyphs_, static_cast<HBITMAP>(bmp.Get()), transparent);
    BUTTON_IMAGELIST list{};
    list.himl = glyphs_;
    list.margin = RECT{4, 0, 0, 0};
    list.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    SendMessageA(hwnd_, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
}

bool Button::OnCommand(WORD code) {
    if (code != BN_CLICKED) return false;
    ClickFromWindow();
    return true;
}

bool CheckBox::Checked() const {
    if (hwnd_) return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return checked_;
}

void CheckBox::SetChecked(bool on) {
    checked_ = on;
    if (hwnd_) SendMessageA(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::AfterCreate() { SetChecked(checked_); }

bool CheckBox::OnCommand(WORD code) {
    if (code != BN_CLICKED) return false;
    checked_ = Checked();
    ClickFromWindow();
    return true;
}

void RadioButton::SetChecked(bool on) {
    checked_ = on;
    if (hwnd_) SendMessageA(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!on || !Parent()) return;
    for (Control* sibling : Parent()->Children()) {
        if (sibling == this) continue;
        if (auto* radio = dynamic_cast<RadioButton*>(sibling); radio && radio->checked_) radio->SetChecked(false);
    }
}

void RadioButton::AfterCreate() { SetChecked(checked_); }

bool RadioButton::OnCommand(WORD code) {
    if (code != BN_CLICKED) return false;
    SetChecked(true);
    ClickFromWindow();
    return true;
}

LRESULT RadioButton::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Space selects when pressed; the click event still follows its release.
    if (msg == WM_KEYDOWN && wParam == VK_SPACE && !checked_) SetChecked(true);
    return Control::WindowMessage(msg, wParam, lParam);
}

bool Label::OnCommand(WORD code) {
    if (code != STN_CLICKED) return false;
    ClickFromWindow();
    return true;
}

void Label::SetCaption(const std::wstring& text) {
    Control::SetCaption(text);
    if (autoSize) FitToText();
}

void Label::AfterCreate() {
    if (autoSize) FitToText();
}

void Label::FitToText() {
    if (!hwnd_) return;
    RECT r = BoundsPx();
    const bool wrapped = wordWrap && !rightJustify;
    RECT text{0, 0, wrapped ? r.right - r.left : 0, 0};
    {
        ScreenDC dc;
        SelectedObject font(dc, App().FontHandle(EffectiveFont()));
        DrawTextW(dc, caption_.c_str(), -1, &text, DT_CALCRECT | (wrapped ? DT_WORDBREAK : DT_SINGLELINE));
    }
    if (!wrapped && rightJustify)
        r.left = r.right - text.right;
    else if (!wrapped)
        r.right = r.left + text.right;
    r.bottom = r.top + text.bottom;
    SetBoundsPx(r);
}

LRESULT Label::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETCURSOR && handCursor) {
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
        return TRUE;
    }
    return Control::WindowMessage(msg, wParam, lParam);
}

void GroupBox::AfterCreate() {
    // Drawn unthemed, so the caption shows in its font colour.
    SetWindowTheme(hwnd_, L" ", L" ");
}

LRESULT GroupBox::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PRINTCLIENT) {
        // A themed child asks for the background behind it: only the face colour.
        RECT r;
        GetClientRect(hwnd_, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, App().Brush(EffectiveColor()));
        return 0;
    }
    if (msg == WM_ERASEBKGND) {
        // A group box holding controls paints its whole face itself.
        RECT r;
        GetClientRect(hwnd_, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, App().Brush(EffectiveColor()));
        return 1;
    }
    return Control::WindowMessage(msg, wParam, lParam);
}

// Panels and pages ----------------------------------------------------------

const char* Panel::WindowClass() const {
    static const char kName[] = "PurgeletPanel";
    RegisterWindowClass(App().Instance(), kName);
    return kName;
}

Panel::Panel(Control* parent, std::string name, DesignRect rect, std::string caption)
    : Control(parent, std::move(name), rect, std::move(caption)) {
    SetTabStop(false);
}

LRESULT Panel::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd_, &r);
            HDC dc = reinterpret_cast<HDC>(wParam);
            FillRect(dc, &r, App().Brush(EffectiveColor()));
            if (loweredBevel) DrawEdge(dc, &r, BDR_SUNKENINNER, BF_RECT);
            return 1;
        }
        case WM_SETTEXT:
            // A panel shows no caption.
            return DefaultMessage(msg, wParam, lParam);
        default:
            return Control::WindowMessage(msg, wParam, lParam);
    }
}

TabSheet::TabSheet(PageControl* pages, std::string name, std::string caption)
    : Panel(pages, std::move(name), DesignRect{}, std::move(caption)), pages_(pages) {
    SetAlign(Align::Client);
    pages_->AddPage(this);
    SetVisible(pages_->Pages().size() == 1);
    if (pages_->Pages().size() == 1) pages_->SetActivePage(this);
}

int TabSheet::PageIndex() const {
    const auto& p = pages_->Pages();
    for (std::size_t i = 0; i < p.size(); ++i)
        if (p[i] == this) return static_cast<int>(i);
    return -1;
}

void PageControl::AfterCreate() {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        std::string text = pages_[i]->Caption();
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageA(hwnd_, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    ShowActive();
}

RECT PageControl::ChildArea() const {
    RECT r{};
    if (!hwnd_) return r;
    GetClientRect(hwnd_, &r);
    SendMessageA(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void PageControl::SetActivePage(TabSheet* page) {
    active_ = page;
    ShowActive();
}

void PageControl::ShowActive() {
    for (TabSheet* p : pages_) p->SetVisible(p == active_);
    if (hwnd_ && active_) SendMessageA(hwnd_, TCM_SETCURSEL, active_->PageIndex(), 0);
}

bool PageControl::OnNotify(NMHDR* hdr, LRESULT& result) {
    if (hdr->code != TCN_SELCHANGE) return false;
    int index = static_cast<int>(SendMessageA(hwnd_, TCM_GETCURSEL, 0, 0));
    if (index >= 0 && index < static_cast<int>(pages_.size())) SetActivePage(pages_[index]);
    // No focus may stay on a page that is hidden (the dialog manager would
    // look for the next control from there for ever).
    const HWND focus = GetFocus();
    if (focus && focus != hwnd_ && IsChild(hwnd_, focus) && !IsWindowVisible(focus)) ::SetFocus(hwnd_);
    result = 0;
    return true;
}

void PageControl::SelectNextPage(bool forward) {
    if (pages_.empty()) return;
    const int count = static_cast<int>(pages_.size());
    const int at = active_ ? active_->PageIndex() : 0;
    const HWND focus = GetFocus();
    SetActivePage(pages_[static_cast<std::size_t>((at + (forward ? 1 : count - 1)) % count)]);
    if (!hwnd_ || focus == hwnd_) return;
    // The focus goes with the page: to its first control, else the tab row.
    const HWND first = active_->Handle() ? GetNextDlgTabItem(active_->Handle(), nullptr, FALSE) : nullptr;
    ::SetFocus(first && IsChild(active_->Handle(), first) ? first : hwnd_);
}

bool PageControl::NavigationKey(const MSG& msg) {
    if (!hwnd_ || !active_ || !active_->Handle() || !IsWindowVisible(hwnd_)) return false;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
    const WPARAM key = msg.wParam;
    if (alt) return false;
    if (ctrl && (key == VK_TAB || key == VK_NEXT || key == VK_PRIOR)) {
        SelectNextPage(key == VK_TAB ? !shift : key == VK_NEXT);
        return true;
    }
    if (ctrl || key != VK_TAB) return false;
    const HWND page = active_->Handle(), focus = GetFocus();
    // The last stop is the one before the first (asked for with no control,
    // the one before is none).
    HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
    if (first && !IsChild(page, first)) first = nullptr;  // a page with no stop of its own
    HWND last = first ? GetNextDlgTabItem(page, first, TRUE) : nullptr;
    if (focus == hwnd_) {
        if (HWND target = shift ? last : first) ::SetFocus(target);
        return true;
    }
    if (!focus || !IsChild(page, focus)) return false;
    if ((!shift && focus == last) || (shift && focus == first)) {
        ::SetFocus(hwnd_);
        return true;
    }
    return false;
}

// Lists and texts -------------------------------------------------------------

void ListBox::AfterCreate() {
    if (itemHeight > 0) SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, Scale(itemHeight, App().Dpi()));
    extent_ = 0;
    for (const auto& line : items_) {
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        Reach(line);
    }
}

void ListBox::Reach(const std::wstring& line) {
    if (!hwnd_ || line.empty()) return;
    SIZE size{};
    {
        ScreenDC dc;
        SelectedObject font(dc, App().FontHandle(EffectiveFont()));
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
    }
    // The list draws its lines a little in from its left edge.
    const int needed = size.cx + 3 * GetSystemMetrics(SM_CXEDGE);
    if (needed <= extent_) return;
    extent_ = needed;
    SendMessageA(hwnd_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent_), 0);
}

void ListBox::Add(const std::wstring& line) {
    items_.push_back(line);
    if (!hwnd_) return;
    SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    Reach(line);
}

void ListBox::Clear() {
    items_.clear();
    extent_ = 0;
    if (!hwnd_) return;
    SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
    SendMessageA(hwnd_, LB_SETHORIZONTALEXTENT, 0, 0);
}

void Memo::AfterCreate() { SendMessageA(hwnd_, EM_SETLIMITTEXT, 0, 0); }

void Memo::SetLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += "\r\n";
        text += lines[i];
    }
    SetCaption(text);
}

std::string Memo::Text() const { return WindowText(); }

std::string Edit::Text() const { return WindowText(); }

}  // namespace purgelet::ui
