#pragma once
// Menus of a window: popup menus (opened at a screen point, or by a right click
// on a control they are attached to) and the form's menu bar, with items that
// may open sub-menus. An owner-drawn menu's items are measured and painted by
// their handlers, or by the framework's own drawing with the item bitmaps
// when an item has no handler.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "framework/Canvas.h"

namespace purgelet::ui {

class Menu;
class MenuItem;
class Window;

// What a window with menus keeps: the items of its menus, numbered for the
// commands, and their owner-drawn painting and commands.
class MenuHost {
public:
    explicit MenuHost(Window& window) : window_(window) {}
    MenuHost(const MenuHost&) = delete;
    MenuHost& operator=(const MenuHost&) = delete;

    // The window the menus open from and send their commands to.
    Window& HostWindow() const { return window_; }
    // The items of the window's menus, in creation order.
    const std::vector<MenuItem*>& MenuItems() const { return menuItems_; }
    // Called by the items: registers one and gives it its command number.
    UINT AddMenuItem(MenuItem* item);
    void RemoveMenuItem(MenuItem* item);
    MenuItem* FindMenuItem(UINT id) const;

    // Measuring and painting of owner-drawn items and the menu bar's
    // commands, for the window's procedure. True when the message was handled.
    bool HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    ~MenuHost() = default;

private:
    Window& window_;
    std::vector<MenuItem*> menuItems_;
    UINT nextMenuId_ = 100;  // above the dialog command numbers (IDOK, IDCANCEL, ...)
};

// An owner-drawn item is painted: where, on what, and in which state.
struct MenuItemDrawEvent {
    MenuItem& sender;
    Canvas& canvas;
    RECT rect;
    UINT state;     // ODS_*
    bool selected;  // ODS_SELECTED is in the state
};

// An owner-drawn item is measured: the handler may change the size the
// framework computed.
struct MenuItemMeasureEvent {
    MenuItem& sender;
    Canvas& canvas;
    int width;
    int height;
};

// A menu shortcut: a virtual key with these flags added.
inline constexpr WORD scShift = 0x2000;
inline constexpr WORD scCtrl = 0x4000;
inline constexpr WORD scAlt = 0x8000;
// The text shown for a shortcut, such as "Ctrl+S"; empty for 0.
std::string ShortCutToText(WORD shortCut);

class MenuItem {
public:
    // An item standing directly in a menu.
    MenuItem(Menu& menu, std::string name, std::string caption);
    // An item of the sub-menu that `parent` opens.
    MenuItem(MenuItem& parent, std::string name, std::string caption);
    ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    UINT Id() const { return id_; }
    // A separator: its caption is "-".
    bool IsLine() const { return caption_ == "-"; }

    // The item whose sub-menu holds this one. Items standing directly in a
    // menu have the menu's root item as parent, which has no name; the root
    // item itself has none.
    MenuItem* Parent() const { return parent_; }
    Menu& ParentMenu() const { return menu_; }
    // The item stands directly in a popup menu (not in one of its sub-menus).
    bool InPopupMenu() const;
    // The item stands directly in a menu bar.
    bool InMainMenu() const;
    // The items of this item's sub-menu.
    const std::vector<MenuItem*>& Items() const { return items_; }
    // The sub-menu's handle; null while the item has no sub-items.
    HMENU SubMenu() const { return subMenu_; }

    // Index into the menu's image list; -1 for none.
    int imageIndex = -1;
    // The item's own picture (empty unless given one).
    Bitmap& GetBitmap() { return bitmap_; }
    WORD ShortCut() const { return shortCut_; }
    void SetShortCut(WORD shortCut);
    std::string ShortCutText() const { return ShortCutToText(shortCut_); }

    std::function<void()> onClick;
    // Painting and measuring of owner-drawn items. When either draw handler
    // is set, the draw handler runs first with the selected flag and then the
    // state handler with the whole item state (ODS_*), on the same canvas;
    // otherwise the framework paints the item itself. The measure handler
    // may change the size the framework computed.
    std::function<void(MenuItemDrawEvent&)> onDrawItem;
    std::function<void(MenuItemMeasureEvent&)> onMeasureItem;
    std::function<void(MenuItemDrawEvent&)> onAdvancedDrawItem;

    // Runs the click handler, whatever the item's enabled state.
    void Click();
    // What the framework does for WM_MEASUREITEM and WM_DRAWITEM of the item.
    void MeasureItem(Canvas& canvas, int& width, int& height);
    void DrawItem(Canvas& canvas, const RECT& rect, UINT state);

private:
    friend class Menu;
    explicit MenuItem(Menu& menu);  // a menu's root item
    void Add(MenuItem* child);
    void Remove(MenuItem* child);
    // Writes the item's type, text, state and sub-menu into its parent's menu.
    void Update();
    void DefaultMeasure(Canvas& canvas, int& width, int& height);
    void DefaultDraw(Canvas& canvas, const RECT& rect, UINT state);

    Menu& menu_;
    MenuItem* parent_ = nullptr;
    std::string name_;
    std::string caption_;
    UINT id_ = 0;
    bool enabled_ = true;
    WORD shortCut_ = 0;
    Bitmap bitmap_;
    std::vector<MenuItem*> items_;
    MenuHandle subMenu_;
};

class Menu {
public:
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    virtual ~Menu();

    const std::string& Name() const { return name_; }
    HMENU Handle() const { return root_.subMenu_; }
    MenuHost& Host() { return host_; }
    // The item every item standing directly in the menu hangs from; it has no name.
    MenuItem& RootItem() { return root_; }
    // The items standing directly in the menu.
    const std::vector<MenuItem*>& Items() const { return root_.items_; }
    virtual bool IsBar() const = 0;

    // Owner-drawn items are measured and painted by the program.
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool on);
    // Images the items' imageIndex refers to (not owned); null for none.
    HIMAGELIST images = nullptr;

protected:
    Menu(MenuHost& host, std::string name, HMENU handle);

private:
    friend class MenuItem;
    void UpdateAll(MenuItem& item);
    MenuHost& host_;
    std::string name_;
    bool ownerDraw_ = false;
    MenuItem root_;
};

enum class PopupAlignment { Left, Right, Center };

class PopupMenu : public Menu {
public:
    PopupMenu(MenuHost& host, std::string name);
    bool IsBar() const override { return false; }

    // Where the menu opens relative to the point: its left edge, right edge or middle there.
    PopupAlignment alignment = PopupAlignment::Left;
    std::function<void()> onPopup;
    // Runs onPopup, shows the menu at a screen point, and once it has closed
    // runs the click of the item chosen, if any.
    void Popup(int screenX, int screenY);
    // Runs onPopup only (what happens before the menu shows).
    void DoPopup();
};

// A form's menu bar: the form shows it once its window exists.
class MainMenu : public Menu {
public:
    MainMenu(MenuHost& host, std::string name);
    ~MainMenu() override;
    bool IsBar() const override { return true; }
};

}  // namespace purgelet::ui
