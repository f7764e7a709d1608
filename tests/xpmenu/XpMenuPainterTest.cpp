// The XP painter's geometry and colours, checked pixel by pixel on an
// off-screen bitmap.
#include <gtest/gtest.h>

#include "framework/Form.h"
#include "framework/Menu.h"
#include "support/Surface.h"
#include "support/TestSupport.h"
#include "xpmenu/XpMenu.h"

using namespace purgelet;
using testing_support::ProgramFixture;
using testing_support::Surface;

namespace {
constexpr COLORREF kSelection = RGB(208, 192, 254);
constexpr COLORREF kStrip = RGB(192, 192, 192);  // clSilver, as the tray window sets it
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kRed = RGB(255, 0, 0);

class MenuForm : public ui::Form {
public:
    explicit MenuForm(ui::Application& app) : Form(app, "MenuForm", {0, 0, 300, 200}, "Menus") {}
    ui::PopupMenu popup{*this, "popup"};
    ui::MenuItem pictured{popup, "pictured", "  Open"};
    ui::MenuItem plain{popup, "plain", "  Plain"};
    ui::MenuItem line{popup, "line", "-"};
    ui::MenuItem saving{popup, "saving", "  Save"};
    ui::MenuItem more{popup, "more", "  More"};
    ui::MenuItem deep{more, "deep", "  Deep"};
    ui::MainMenu bar{*this, "bar"};
    ui::MenuItem file{bar, "file", "File"};
    ui::MenuItem fileOpen{file, "fileOpen", "Open"};
    TXpMenu xp{*this};
};

class XpPainter : public ::testing::Test {
protected:
    void SetUp() override {
        form.pictured.GetBitmap().Assign(testing_support::RedPicture());
        form.deep.GetBitmap().Assign(testing_support::RedPicture());
        form.saving.SetShortCut(ui::scCtrl | 'S');
        form.xp.StripColor = ui::clSilver;
        form.xp.HookMenuItems();
    }
    // Paints an item the way the framework does for WM_DRAWITEM.
    void Paint(ui::MenuItem& item, UINT state) {
        ui::Canvas canvas(surface.dc());
        canvas.SetFont(fx.app.MenuFont());
        item.DrawItem(canvas, R, state);
    }

    ProgramFixture fx;
    MenuForm form{fx.app};
    Surface surface{200, 40};
    // The item rectangle; right and bottom exclusive.
    static constexpr int L = 4, T = 3, Rt = 154, B = 22;
    const RECT R{L, T, Rt, B};
};
}  // namespace

TEST_F(XpPainter, SeparatorIsAStripWhiteBesideAndAOnePixelLineFromTwelvePixelsRightOfIt) {
    Paint(form.line, ODS_DISABLED | ODS_GRAYED);
    EXPECT_TRUE(surface.Uniform({L, T, L + 20, B}, kStrip));
    EXPECT_TRUE(surface.Uniform({L + 20, T + 1, L + 32, T + 2}, kWhite));
    EXPECT_TRUE(surface.Uniform({L + 32, T + 1, Rt, T + 2}, kStrip));
    EXPECT_TRUE(surface.Uniform({L + 20, T, Rt, T + 1}, kWhite));
    EXPECT_TRUE(surface.Uniform({L + 20, T + 2, Rt, B}, kWhite));
    EXPECT_EQ(surface.At(Rt, T + 1), Surface::kBlank) << "nothing beyond the item";
}

TEST_F(XpPainter, SelectedPopupItemIsFramedWithItsPictureRaisedOverAShadowOnTheRight) {
    Paint(form.pictured, ODS_SELECTED);
    // A black frame around the whole item, the strip included.
    EXPECT_TRUE(surface.Uniform({Rt - 1, T, Rt, B}, kBlack));
    EXPECT_TRUE(surface.Uniform({L + 20, B - 1, Rt, B}, kBlack));
    EXPECT_TRUE(surface.Uniform({L + 18, T + 1, L + 24, B - 1}, kSelection));
    EXPECT_TRUE(surface.Uniform({Rt - 10, T + 1, Rt - 1, B - 1}, kSelection));
    // The picture at the item's corner; the shadow 2 pixels right and down,
    // ending at the picture's height below the top.
    EXPECT_TRUE(surface.Uniform({L + 1, T + 1, L + 16, T + 15}, kRed));
    EXPECT_TRUE(surface.Uniform({L + 16, T + 2, L + 18, T + 16}, kStrip));
    EXPECT_TRUE(surface.Uniform({L + 2, T + 15, L + 16, T + 16}, kStrip)) << "under the transparent bottom row";
    EXPECT_TRUE(surface.Uniform({L + 16, T + 1, L + 18, T + 2}, kSelection));
    EXPECT_TRUE(surface.Uniform({L + 1, T + 16, L + 18, T + 17}, kSelection)) << "not down to T + 2 + height";
    // The caption in white, from StripWidth + 4 on.
    EXPECT_GT(surface.Count({L + 24, T + 1, Rt - 1, B - 1}, kWhite), 0);
    auto [first, last] = surface.Ink({L + 18, T + 1, Rt - 1, B - 1}, kSelection);
    EXPECT_GE(first, L + 24);
    EXPECT_LT(first, L + 40);
}

TEST_F(XpPainter, ItemsWithoutPictureDisabledItemsAndARightAlignedMenu) {
    form.popup.alignment = ui::PopupAlignment::Right;
    Paint(form.plain, ODS_SELECTED);
    EXPECT_TRUE(surface.Uniform({L + 1, T + 1, L + 24, B - 1}, kSelection)) << "no shadow without a picture";

    Paint(form.plain, 0);
    EXPECT_TRUE(surface.Uniform({L, T, L + 20, B}, kStrip));
    EXPECT_TRUE(surface.Uniform({L + 20, T, L + 24, B}, kWhite));
    // Left-aligned although the menu opens to the left of the cursor.
    auto [first, last] = surface.Ink({L + 20, T, Rt, B}, kWhite);
    EXPECT_GE(first, L + 24);
    EXPECT_LT(last, L + 90);
    EXPECT_GT(surface.Count({L + 24, T, Rt, B}, kBlack), 0);

    // Disabled: grey text on the selection bar and on white alike.
    form.plain.SetEnabled(false);
    Paint(form.plain, ODS_SELECTED | ODS_DISABLED | ODS_GRAYED);
    EXPECT_GT(surface.Count({L + 24, T + 1, Rt - 1, B - 1}, kGrey), 0);
    EXPECT_EQ(surface.Count({L + 24, T + 1, Rt - 1, B - 1}, kWhite), 0);
    EXPECT_EQ(surface.At(Rt - 5, T + 2), kSelection);
    Paint(form.plain, ODS_DISABLED | ODS_GRAYED);
    EXPECT_GT(surface.Count({L + 24, T, Rt, B}, kGrey), 0);
    EXPECT_EQ(surface.Count({L + 24, T, Rt, B}, kBlack), 0);
}

TEST_F(XpPainter, ShortcutIsRightAlignedAndWidensTheMeasure) {
    int shortcutWidth = 0, textHeight = 0, captionWidth = 0, plainWidth = 0;
    // The blank the font leaves right of the shortcut's last letter.
    Surface letter{40, 40};
    SelectObject(letter.dc(), fx.app.MenuFont());
    SetBkMode(letter.dc(), TRANSPARENT);
    TextOutA(letter.dc(), 0, 0, "S", 1);
    SIZE advance{};
    GetTextExtentPoint32A(letter.dc(), "S", 1, &advance);
    const int blankRight = advance.cx - 1 - letter.Ink({0, 0, 40, 40}, Surface::kBlank).second;
    {
        ui::Canvas canvas(surface.dc());
        canvas.SetFont(fx.app.MenuFont());
        shortcutWidth = canvas.TextWidth("Ctrl+S");
        textHeight = canvas.TextHeight("W");
        captionWidth = canvas.TextWidth("  SaveCtrl+S");
        plainWidth = canvas.TextWidth("  Plain");
        ASSERT_GT(shortcutWidth, 0);
        // The framework's own measure, then the painter's widening.
        int w = 0, h = 0;
        form.plain.MeasureItem(canvas, w, h);
        EXPECT_EQ(w, 16 + 15 + plainWidth + 7 + 20);
        EXPECT_EQ(h, std::max(16, textHeight) + 3);
        form.saving.MeasureItem(canvas, w, h);
        EXPECT_EQ(w, 16 + 15 + captionWidth + 7 + 20 + shortcutWidth);
        form.line.MeasureItem(canvas, w, h);
        EXPECT_EQ(h, 8);
    }
    Paint(form.saving, 0);
    auto [first, last] = surface.Ink({L + 80, T, Rt, B}, kWhite);
    EXPECT_GE(first, Rt - shortcutWidth - 1) << "a gap between the caption and the shortcut";
    EXPECT_GE(last, Rt - 4 - blankRight) << "right against the right edge";
}

TEST_F(XpPainter, MenuBarItemIsFaceColouredHotLitAndFramedWhenOpenWithoutStrip) {
    const COLORREF face = ui::ColorToRGB(ui::clBtnFace);
    Paint(form.file, 0);
    EXPECT_TRUE(surface.Uniform({L, T, L + 4, B}, face));
    EXPECT_TRUE(surface.Uniform({Rt - 10, T, Rt, B}, face));
    auto [first, last] = surface.Ink({L, T, Rt, B}, face);
    EXPECT_GE(first, L + 4);
    EXPECT_LT(first, L + 8);

    Paint(form.file, ODS_HOTLIGHT);
    EXPECT_TRUE(surface.Uniform({Rt - 1, T, Rt, B}, kBlack));
    EXPECT_TRUE(surface.Uniform({L + 1, T + 1, L + 4, B - 1}, kSelection));

    Paint(form.file, ODS_SELECTED);
    EXPECT_TRUE(surface.Uniform({L, T, L + 1, B}, kBlack));
    EXPECT_TRUE(surface.Uniform({L + 1, T + 1, L + 4, B - 1}, kWhite));
    EXPECT_EQ(surface.Count(R, kStrip), 0) << "no strip on the bar";
}

TEST_F(XpPainter, SubMenuItemsAreDrawnByTheSimplePainterTopItemsByTheStatePainter) {
    // Not selected: strip, white, picture at (L + 2, T + 2).
    Paint(form.deep, 0);
    EXPECT_TRUE(surface.Uniform({L, T, L + 2, B}, kStrip));
    EXPECT_TRUE(surface.Uniform({L + 2, T + 2, L + 18, T + 17}, kRed));
    EXPECT_EQ(surface.At(Rt - 5, B - 1), kWhite);
    // Selected: a framed selection bar with the picture raised over its shadow.
    Paint(form.deep, ODS_SELECTED);
    EXPECT_TRUE(surface.Uniform({L + 1, T + 1, L + 16, T + 15}, kRed));
    EXPECT_TRUE(surface.Uniform({L + 16, T + 2, L + 18, T + 16}, kStrip));
    EXPECT_TRUE(surface.Uniform({Rt - 1, T, Rt, B}, kBlack));
    EXPECT_EQ(surface.At(Rt - 5, T + 2), kSelection);

    // Each painter leaves alone the items of the other.
    Surface untouched{200, 40};
    ui::Canvas other(untouched.dc());
    form.xp.DefMenuDrawItem(form.pictured, other, R, true);
    form.xp.DefMenuAdvancedDrawItem(form.deep, other, R, ODS_SELECTED);
    form.xp.DefMenuAdvancedDrawItem(form.fileOpen, other, R, 0);
    EXPECT_TRUE(untouched.Uniform({0, 0, 200, 40}, Surface::kBlank));
}
