#pragma once
// The XP-style menu painter: a coloured strip down the left of popup menus,
// a white item background, a framed coloured bar under the selected item with
// its picture raised over a shadow, and configurable text colours. It draws
// nothing by itself: HookMenuItems hands its three handlers to the menu items
// of the form that owns it.
#include "framework/Form.h"
#include "framework/Menu.h"

namespace purgelet {

class TXpMenu {
public:
    explicit TXpMenu(ui::Form& owner) : owner_(owner) {}
    TXpMenu(const TXpMenu&) = delete;
    TXpMenu& operator=(const TXpMenu&) = delete;

    ui::Color SelectionColor = 16695504;  // red 208, green 192, blue 254
    ui::Color SelectionFontColor = ui::clWhite;
    ui::Color NotSelectedFontColor = ui::clBlack;
    ui::Color NotActiveColor = ui::clGray;
    ui::Color StripColor = ui::clGray;
    ui::Color BackColor = ui::clWhite;
    int StripWidth = 20;

    // The simple painter: paints the items that do not stand directly in a menu.
    void DefMenuDrawItem(ui::MenuItem& sender, ui::Canvas& canvas, const RECT& rect, bool selected);
    // Widens an item by the strip and its shortcut text.
    void DefMenuMeasureItem(ui::MenuItem& sender, ui::Canvas& canvas, int& width, int& height);
    // The state painter: paints the items standing directly in a menu, and separators.
    void DefMenuAdvancedDrawItem(ui::MenuItem& sender, ui::Canvas& canvas, const RECT& rect, UINT state);

    // Gives every menu item the owner has now the three handlers above.
    void HookMenuItems();

private:
    void PaintSeparator(ui::Canvas& canvas, const RECT& r) const;

    ui::Form& owner_;
};

}  // namespace purgelet
