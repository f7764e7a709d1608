#pragma once
// Popup menus: a menu of a form with captioned items, attached to a control
// (a right click on the control opens it). onPopup runs before it shows.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace purgelet::ui {

class Form;
class PopupMenu;

class MenuItem {
public:
    MenuItem(PopupMenu& menu, std::string name, std::string caption);
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    UINT Id() const { return id_; }

    std::function<void()> onClick;
    // Runs the click handler, whatever the item's enabled state.
    void Click();

private:
    PopupMenu& menu_;
    std::string name_;
    std::string caption_;
    UINT id_;
    bool enabled_ = true;
};

class PopupMenu {
public:
    PopupMenu(Form& form, std::string name);
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    const std::string& Name() const { return name_; }
    HMENU Handle() const { return menu_; }
    Form& OwnerForm() { return form_; }
    const std::vector<MenuItem*>& Items() const { return items_; }

    std::function<void()> onPopup;
    // Runs onPopup, shows the menu at a screen point and runs the click of
    // the item chosen, if any.
    void Popup(int screenX, int screenY);
    // Runs onPopup only (what happens before the menu shows).
    void DoPopup();

    // Called by the items.
    UINT AddItem(MenuItem* item);

private:
    Form& form_;
    std::string name_;
    HMENU menu_;
    std::vector<MenuItem*> items_;
};

}  // namespace purgelet::ui
