#include "framework/Menu.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/Window.h"
#include "base/Handles.h"

namespace purgelet::ui {

namespace {
// The framework's own owner drawing: room for a 16 x 16 picture, 15 pixels
// beside it and 7 after the text; 3 pixels more than the picture or the text
// in height; 5 + 3 for a separator.
constexpr int kImageSize = 16;
constexpr int kImageGap = 15;
constexpr int kTextGap = 7;
constexpr int kHeightGap = 3;
constexpr int kLineHeight = 5;

std::string KeyName(WORD key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) return std::string("F").append(std::to_string(key - VK_F1 + 1));
    switch (key) {
        case VK_BACK:
            return "BkSp";
        case VK_TAB:
            return "Tab";
        case VK_RETURN:
            return "Enter";
        case VK_ESCAPE:
            return "Esc";
        case VK_SPACE:
            return "Space";
        case VK_PRIOR:
            return "PgUp";
        case VK_NEXT:
            return "PgDn";
        case VK_END:
            return "End";
        case VK_HOME:
            return "Home";
        case VK_LEFT:
            return "Left";
        case VK_UP:
            return "Up";
        case VK_RIGHT:
            return "Right";
        case VK_DOWN:
            return "Down";
        case VK_INSERT:
            return "Ins";
        case VK_DELETE:
            return "Del";
        default:
            return {};
    }
}

MenuItem* FindByData(const MenuHost& host, ULONG_PTR data) {
    for (MenuItem* item : host.MenuItems())
        if (reinterpret_cast<ULONG_PTR>(item) == data) return item;
    return nullptr;
}

bool InBar(const MenuItem& item) { return item.ParentMenu().IsBar(); }
}  // namespace

std::string ShortCutToText(WORD shortCut) {
    const std::string key = KeyName(shortCut & 0xFF);
    if (key.empty()) return {};
    std::string text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    return text + key;
}

MenuItem::MenuItem(Menu& menu) : menu_(menu) {}

MenuItem::MenuItem(Menu& menu, std::string name, std::string caption)
    : MenuItem(menu.RootItem(), std::move(name), std::move(caption)) {}

MenuItem::MenuItem(MenuItem& parent, std::string name, std::string caption)
    : menu_(parent.menu_), parent_(&parent), name_(std::move(name)), caption_(std::move(caption)) {
    id_ = menu_.Host().AddMenuItem(this);
    parent_->Add(this);
}

MenuItem::~MenuItem() {
    if (!parent_) return;  // the root: its menu handle is the menu's
    parent_->Remove(this);
    subMenu_.Reset();
    menu_.Host().RemoveMenuItem(this);
}

void MenuItem::Add(MenuItem* child) {
    items_.push_back(child);
    if (!subMenu_) {
        subMenu_.Reset(CreatePopupMenu());
        Update();
    }
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_ID;
    mii.wID = child->id_;
    InsertMenuItemA(subMenu_, static_cast<UINT>(items_.size() - 1), TRUE, &mii);
    child->Update();
}

void MenuItem::Remove(MenuItem* child) {
    auto it = std::find(items_.begin(), items_.end(), child);
    if (it == items_.end()) return;
    if (subMenu_) RemoveMenu(subMenu_, static_cast<UINT>(it - items_.begin()), MF_BYPOSITION);
    items_.erase(it);
}

void MenuItem::Update() {
    if (!parent_ || !parent_->subMenu_) return;
    auto& siblings = parent_->items_;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    if (it == siblings.end()) return;
    std::string text = caption_;
    if (shortCut_ && !IsLine()) {
        text += '\t';
        text += ShortCutText();
    }
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
    mii.fType = (IsLine() ? MFT_SEPARATOR : MFT_STRING) | (menu_.OwnerDraw() ? MFT_OWNERDRAW : 0);
    mii.fState = enabled_ ? MFS_ENABLED : MFS_GRAYED;
    mii.wID = id_;
    mii.hSubMenu = subMenu_;
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(this);
    mii.dwTypeData = text.data();
    mii.cch = static_cast<UINT>(text.size());
    SetMenuItemInfoA(parent_->subMenu_, static_cast<UINT>(it - siblings.begin()), TRUE, &mii);
    if (InBar(*this) && menu_.Host().HostWindow().Handle()) DrawMenuBar(menu_.Host().HostWindow().Handle());
}

void MenuItem::SetCaption(const std::string& text) {
    caption_ = text;
    Update();
}

void MenuItem::SetEnabled(bool on) {
    enabled_ = on;
    Update();
}

void MenuItem::SetShortCut(WORD shortCut) {
    shortCut_ = shortCut;
    Update();
}

bool MenuItem::InPopupMenu() const { return parent_ && !parent_->parent_ && !menu_.IsBar(); }

bool MenuItem::InMainMenu() const { return parent_ && !parent_->parent_ && menu_.IsBar(); }

void MenuItem::Click() {
    if (onClick) menu_.Host().HostWindow().App().Guard(onClick);
}

void MenuItem::MeasureItem(Canvas& canvas, int& width, int& height) {
    DefaultMeasure(canvas, width, height);
    if (!onMeasureItem) return;
    MenuItemMeasureEvent e{*this, canvas, width, height};
    onMeasureItem(e);
    width = e.width;
    height = e.height;
}

void MenuItem::DrawItem(Canvas& canvas, const RECT& rect, UINT state) {
    if (!onDrawItem && !onAdvancedDrawItem) {
        DefaultDraw(canvas, rect, state);
        return;
    }
    if (onDrawItem) {
        MenuItemDrawEvent e{*this, canvas, rect, state, (state & ODS_SELECTED) != 0};
        onDrawItem(e);
    }
    if (onAdvancedDrawItem) {
        MenuItemDrawEvent e{*this, canvas, rect, state, (state & ODS_SELECTED) != 0};
        onAdvancedDrawItem(e);
    }
}

void MenuItem::DefaultMeasure(Canvas& canvas, int& width, int& height) {
    const int textHeight = canvas.TextHeight("W");
    if (InMainMenu()) {
        width = canvas.TextWidth(caption_) + kTextGap;
        height = textHeight + kHeightGap;
        return;
    }
    int imageWidth = kImageSize, imageHeight = kImageSize;
    if (menu_.images) ImageList_GetIconSize(menu_.images, &imageWidth, &imageHeight);
    if (IsLine()) {
        width = imageWidth + kImageGap + kTextGap;
        height = kLineHeight + kHeightGap;
        return;
    }
    width = imageWidth + kImageGap + canvas.TextWidth(caption_ + ShortCutText()) + kTextGap;
    height = std::max(imageHeight, textHeight) + kHeightGap;
}

void MenuItem::DefaultDraw(Canvas& canvas, const RECT& r, UINT state) {
    const bool selected = (state & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
    const bool disabled = (state & (ODS_DISABLED | ODS_GRAYED)) != 0 || !enabled_;
    canvas.brushColor = SysColor(selected && !IsLine() ? COLOR_HIGHLIGHT : COLOR_MENU);
    canvas.FillRect(r);
    canvas.fontColor = SysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    if (InMainMenu()) {
        RECT text = r;
        canvas.DrawText(caption_, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    if (IsLine()) {
        RECT line{r.left, (r.top + r.bottom) / 2 - 1, r.right, (r.top + r.bottom) / 2 + 1};
        DrawEdge(canvas.Handle(), &line, EDGE_ETCHED, BF_TOP);
        return;
    }
    int imageWidth = kImageSize, imageHeight = kImageSize;
    if (menu_.images) ImageList_GetIconSize(menu_.images, &imageWidth, &imageHeight);
    const int imageTop = r.top + (r.bottom - r.top - imageHeight) / 2;
    if (menu_.images && imageIndex >= 0) {
        ImageList_Draw(menu_.images, imageIndex, canvas.Handle(), r.left + 2, imageTop, ILD_TRANSPARENT);
    } else if (!bitmap_.Empty()) {
        canvas.Draw(r.left + 2, r.top + (r.bottom - r.top - bitmap_.Height()) / 2, bitmap_);
    }
    RECT text{r.left + imageWidth + 8, r.top, r.right - 8, r.bottom};
    canvas.DrawText(caption_, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (shortCut_) canvas.DrawText(ShortCutText(), text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
}

Menu::Menu(MenuHost& host, std::string name, HMENU handle) : host_(host), name_(std::move(name)), root_(*this) {
    root_.subMenu_.Reset(handle);
}

Menu::~Menu() { root_.subMenu_.Reset(); }

void Menu::SetOwnerDraw(bool on) {
    ownerDraw_ = on;
    UpdateAll(root_);
}

void Menu::UpdateAll(MenuItem& item) {
    for (MenuItem* child : item.items_) {
        child->Update();
        UpdateAll(*child);
    }
}

PopupMenu::PopupMenu(MenuHost& host, std::string name) : Menu(host, std::move(name), CreatePopupMenu()) {}

void PopupMenu::DoPopup() {
    if (onPopup) Host().HostWindow().App().Guard(onPopup);
}

void PopupMenu::Popup(int screenX, int screenY) {
    DoPopup();
    MenuHost& host = Host();
    HWND owner = host.HostWindow().Handle();
    if (!owner) return;
    UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY;
    if (alignment == PopupAlignment::Right)
        flags |= TPM_RIGHTALIGN;
    else if (alignment == PopupAlignment::Center)
        flags |= TPM_CENTERALIGN;
    SetForegroundWindow(owner);
    auto chosen = static_cast<UINT>(TrackPopupMenuEx(Handle(), flags, screenX, screenY, owner, nullptr));
    // Without a message after the menu, the next one opened from the notification
    // area would not close when the user clicks elsewhere.
    PostMessageA(owner, WM_NULL, 0, 0);
    if (chosen == 0) return;
    MenuItem* item = host.FindMenuItem(chosen);
    if (item && item->Enabled()) item->Click();
}

MainMenu::MainMenu(MenuHost& host, std::string name) : Menu(host, std::move(name), CreateMenu()) {}

MainMenu::~MainMenu() {
    HWND h = Host().HostWindow().Handle();
    if (h && GetMenu(h) == Handle()) SetMenu(h, nullptr);
}

UINT MenuHost::AddMenuItem(MenuItem* item) {
    menuItems_.push_back(item);
    return nextMenuId_++;
}

void MenuHost::RemoveMenuItem(MenuItem* item) {
    menuItems_.erase(std::remove(menuItems_.begin(), menuItems_.end(), item), menuItems_.end());
}

MenuItem* MenuHost::FindMenuItem(UINT id) const {
    for (MenuItem* item : menuItems_)
        if (item->Id() == id) return item;
    return nullptr;
}

bool MenuHost::HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    Application& app = window_.App();
    switch (msg) {
        case WM_MEASUREITEM: {
            auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (wParam != 0 || !m || m->CtlType != ODT_MENU) return false;
            MenuItem* item = FindByData(*this, m->itemData);
            if (!item) return false;
            ScreenDC dc;
            Canvas canvas(dc);
            canvas.SetFont(app.MenuFont());
            int width = static_cast<int>(m->itemWidth), height = static_cast<int>(m->itemHeight);
            app.Guard([&] { item->MeasureItem(canvas, width, height); });
            m->itemWidth = static_cast<UINT>(std::max(width, 0));
            m->itemHeight = static_cast<UINT>(std::max(height, 0));
            result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (!d || d->CtlType != ODT_MENU) return false;
            MenuItem* item = FindByData(*this, d->itemData);
            if (!item) return false;
            Canvas canvas(d->hDC);
            canvas.SetFont(app.MenuFont());
            app.Guard([&] { item->DrawItem(canvas, d->rcItem, d->itemState); });
            result = TRUE;
            return true;
        }
        case WM_COMMAND: {
            // Popup menus return their choice; only the menu bar's items send commands.
            if (lParam != 0 || HIWORD(wParam) != 0) return false;
            MenuItem* item = FindMenuItem(LOWORD(wParam));
            if (!item || !item->ParentMenu().IsBar()) return false;
            if (item->Enabled()) item->Click();
            result = 0;
            return true;
        }
        default:
            return false;
    }
}

}  // namespace purgelet::ui
