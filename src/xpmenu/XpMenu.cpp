#include "xpmenu/XpMenu.h"

namespace purgelet {

namespace {
// Every text: left-aligned whatever the menu's alignment, from the top of its
// rectangle, unclipped, "&" underlining the next letter.
constexpr UINT kTextFlags = DT_LEFT | DT_EXPANDTABS | DT_NOCLIP;

RECT StripRect(const RECT& r, int strip) { return RECT{r.left, r.top, r.left + strip, r.bottom}; }
RECT TextRect(const RECT& r, int strip) { return RECT{r.left + strip, r.top, r.right, r.bottom}; }
// The shadow's bottom edge lies at the bitmap's height below the item's top,
// so it shows along the bitmap's right side only.
RECT ShadowRect(const RECT& r, const ui::Bitmap& b) {
    return RECT{r.left + 2, r.top + 2, r.left + 2 + b.Width(), r.top + b.Height()};
}
RECT SeparatorLine(const RECT& r, int strip) { return RECT{r.left + strip + 12, r.top + 1, r.right, r.top + 2}; }

// The item stands directly in a menu: its parent item is a menu's unnamed root.
bool IsTopItem(const ui::MenuItem& item) { return item.Parent() && item.Parent()->Name().empty(); }
}  // namespace

void TXpMenu::DefMenuMeasureItem(ui::MenuItem& sender, ui::Canvas& canvas, int& width, int& /*height*/) {
    width += StripWidth + canvas.TextWidth(sender.ShortCutText());
}

// A separator: the back colour right of the strip, crossed by one line in the strip's colour.
void TXpMenu::PaintSeparator(ui::Canvas& canvas, const RECT& r) const {
    canvas.brushColor = BackColor;
    canvas.FillRect(TextRect(r, StripWidth));
    canvas.brushColor = StripColor;
    canvas.FillRect(SeparatorLine(r, StripWidth));
}

void TXpMenu::DefMenuAdvancedDrawItem(ui::MenuItem& sender, ui::Canvas& canvas, const RECT& r, UINT state) {
    const bool popup = sender.InPopupMenu();
    if (popup) {
        canvas.brushColor = StripColor;
        canvas.FillRect(StripRect(r, StripWidth));
    }
    if (sender.IsLine()) {
        PaintSeparator(canvas, r);
        return;
    }
    if (!IsTopItem(sender)) return;

    const bool selected = (state & ODS_SELECTED) != 0;
    const bool disabled = (state & ODS_DISABLED) != 0;
    ui::Bitmap& bitmap = sender.GetBitmap();
    if (selected && popup) {
        canvas.brushColor = SelectionColor;
        canvas.FillRect(r);
        canvas.Rectangle(r);
        canvas.brushColor = StripColor;
        canvas.FillRect(ShadowRect(r, bitmap));
        canvas.Draw(r.left, r.top, bitmap);
        canvas.brushColor = SelectionColor;
    } else if (selected) {
        canvas.brushColor = BackColor;
        canvas.FillRect(r);
        canvas.Rectangle(r);
    } else if (popup) {
        canvas.brushColor = BackColor;
        canvas.FillRect(TextRect(r, StripWidth));
        if (sender.imageIndex >= 0 && sender.ParentMenu().images)
            bitmap.AssignFromImageList(sender.ParentMenu().images, sender.imageIndex);
        canvas.Draw(r.left + 2, r.top + 2, bitmap);
    } else {
        canvas.brushColor = ui::clBtnFace;
        canvas.FillRect(r);
        if (state & ODS_HOTLIGHT) {
            canvas.brushColor = SelectionColor;
            canvas.FillRect(r);
            canvas.Rectangle(r);
        }
    }
    canvas.fontColor = disabled ? NotActiveColor : selected ? SelectionFontColor : NotSelectedFontColor;
    if (!popup) {
        canvas.DrawText(sender.Caption(), RECT{r.left + 4, r.top + 1, r.right, r.bottom}, kTextFlags);
        return;
    }
    canvas.DrawText(sender.Caption(), RECT{r.left + StripWidth + 4, r.top + 1, r.right, r.bottom}, kTextFlags);
    const std::string shortCut = sender.ShortCutText();
    const int w = canvas.TextWidth(shortCut);
    canvas.DrawText(shortCut, RECT{r.right - w - 1, r.top + 1, r.right, r.bottom}, kTextFlags);
}

void TXpMenu::DefMenuDrawItem(ui::MenuItem& sender, ui::Canvas& canvas, const RECT& r, bool selected) {
    if (IsTopItem(sender)) return;
    canvas.brushColor = StripColor;
    canvas.FillRect(StripRect(r, StripWidth));
    if (sender.IsLine()) {
        PaintSeparator(canvas, r);
        return;
    }
    // An image of the menu's image list is drawn through a bitmap of its own,
    // freed however the drawing ends.
    ui::Bitmap image;
    const bool fromList = sender.imageIndex >= 0;
    if (fromList) image.AssignFromImageList(sender.ParentMenu().images, sender.imageIndex);
    ui::Bitmap& own = sender.GetBitmap();
    if (selected) {
        canvas.brushColor = SelectionColor;
        canvas.FillRect(TextRect(r, StripWidth));
        canvas.Rectangle(r);
        canvas.brushColor = StripColor;
        canvas.FillRect(ShadowRect(r, own));
        if (fromList)
            canvas.Draw(r.left + 2, r.top + 2, image);
        else
            canvas.Draw(r.left, r.top, own);
        canvas.brushColor = SelectionColor;
    } else {
        canvas.brushColor = BackColor;
        canvas.FillRect(TextRect(r, StripWidth));
        canvas.Draw(r.left + 2, r.top + 2, fromList ? image : own);
    }
    const bool disabled = !sender.Enabled();
    canvas.fontColor = disabled ? NotActiveColor : selected ? SelectionFontColor : NotSelectedFontColor;
    canvas.DrawText(sender.Caption(), RECT{r.left + StripWidth + 4, r.top + 1, r.right, r.bottom}, kTextFlags);
    if (!sender.InMainMenu()) {
        const std::string shortCut = sender.ShortCutText();
        const int w = canvas.TextWidth(shortCut);
        canvas.DrawText(shortCut, RECT{r.right - w - 1, r.top + 1, r.right, r.bottom}, kTextFlags);
    }
}

void TXpMenu::HookMenuItems() {
    for (ui::MenuItem* item : owner_.MenuItems()) {
        item->onDrawItem = [this](ui::MenuItemDrawEvent& e) {
            DefMenuDrawItem(e.sender, e.canvas, e.rect, e.selected);
        };
        item->onMeasureItem = [this](ui::MenuItemMeasureEvent& e) {
            DefMenuMeasureItem(e.sender, e.canvas, e.width, e.height);
        };
        item->onAdvancedDrawItem = [this](ui::MenuItemDrawEvent& e) {
            DefMenuAdvancedDrawItem(e.sender, e.canvas, e.rect, e.state);
        };
    }
}

}  // namespace purgelet
