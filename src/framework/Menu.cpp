#include "framework/Menu.h"

#include "framework/Application.h"
#include "framework/Form.h"

namespace purgelet::ui {

MenuItem::MenuItem(PopupMenu& menu, std::string name, std::string caption)
    : menu_(menu), name_(std::move(name)), caption_(std::move(caption)), id_(menu.AddItem(this)) {}

void MenuItem::SetCaption(const std::string& text) {
    caption_ = text;
    ModifyMenuA(menu_.Handle(), id_, MF_BYCOMMAND | MF_STRING | (enabled_ ? MF_ENABLED : MF_GRAYED), id_,
                caption_.c_str());
}

void MenuItem::SetEnabled(bool on) {
    enabled_ = on;
    EnableMenuItem(menu_.Handle(), id_, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void MenuItem::Click() {
    if (onClick) menu_.OwnerForm().App().Guard(onClick);
}

PopupMenu::PopupMenu(Form& form, std::string name) : form_(form), name_(std::move(name)), menu_(CreatePopupMenu()) {}

PopupMenu::~PopupMenu() {
    if (menu_) DestroyMenu(menu_);
}

UINT PopupMenu::AddItem(MenuItem* item) {
    items_.push_back(item);
    auto id = static_cast<UINT>(items_.size());
    AppendMenuA(menu_, MF_STRING, id, item->Caption().c_str());
    return id;
}

void PopupMenu::DoPopup() {
    if (onPopup) form_.App().Guard(onPopup);
}

void PopupMenu::Popup(int screenX, int screenY) {
    DoPopup();
    HWND owner = form_.Handle();
    if (!owner) return;
    SetForegroundWindow(owner);
    UINT chosen = static_cast<UINT>(
        TrackPopupMenuEx(menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screenX, screenY, owner, nullptr));
    // Let the owner see the menu is gone before the item runs.
    PostMessageA(owner, WM_NULL, 0, 0);
    if (chosen == 0 || chosen > items_.size()) return;
    MenuItem* item = items_[chosen - 1];
    if (item->Enabled()) item->Click();
}

}  // namespace purgelet::ui
