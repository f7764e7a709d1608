// Every caption of every window fits its control (and the browsers list's
// columns and cells their columns), in the font the control really gets from
// the system the tests run on.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "about/AboutBox.h"
#include "app/Start.h"
#include "cookies/CookieListWindow.h"
#include "cookies/KeptSitesDialog.h"
#include "mainwindow/MainWindow.h"
#include "support/Layout.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {
// The caption and how wide (or, wrapped, how high) it needs to be against
// what its control offers; empty when it fits.
std::string Cut(HWND control) {
    char cls[32] = {}, text[512] = {};
    GetClassNameA(control, cls, sizeof(cls));
    GetWindowTextA(control, text, sizeof(text));
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    if (!*text || !(style & WS_VISIBLE)) return {};
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT need{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_SINGLELINE);
    SIZE zero{};
    GetTextExtentPoint32A(dc, "0", 1, &zero);
    int available = client.right, needed = need.right;
    int neededHeight = 0;
    if (lstrcmpiA(cls, "Button") == 0) {
        const LONG kind = style & BS_TYPEMASK;
        if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON) {
            needed += GetSystemMetrics(SM_CXMENUCHECK) + zero.cx / 2;  // the box and the gap after it
        } else if (kind == BS_GROUPBOX) {
            needed += 2 * zero.cx;  // the frame's corner before the caption and after it
        } else {
            BUTTON_IMAGELIST images{};
            int cx = 0, cy = 0;
            if (SendMessageA(control, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images)) && images.himl &&
                ImageList_GetIconSize(images.himl, &cx, &cy))
                needed += cx + images.margin.left + images.margin.right;
            needed += 2 * (GetSystemMetrics(SM_CXEDGE) + 1);  // the raised edge and the focus frame
        }
    } else if (lstrcmpiA(cls, "Static") == 0) {
        const LONG kind = style & SS_TYPEMASK;
        if (kind != SS_LEFT && kind != SS_RIGHT && kind != SS_CENTER && kind != SS_LEFTNOWORDWRAP) needed = 0;
        if (kind != SS_LEFTNOWORDWRAP && needed > 0) {
            // Wrapped at the control's width: no word wider than it, no line below it.
            RECT wrapped{0, 0, client.right, 0};
            DrawTextA(dc, text, -1, &wrapped, DT_CALCRECT | DT_WORDBREAK);
            needed = wrapped.right;
            if (wrapped.bottom > client.bottom) neededHeight = wrapped.bottom;
        }
    } else {
        needed = 0;  // lists, edits, tabs and pictures have no caption to fit
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (needed <= available && !neededHeight) return {};
    return std::string("\"") + text + "\" needs " + std::to_string(needed) + " x " +
           std::to_string(neededHeight ? neededHeight : need.bottom) + " of " + std::to_string(available) + " x " +
           std::to_string(client.bottom);
}

std::vector<std::string> CutCaptions(const ui::Form& form) {
    std::vector<std::string> cut;
    EnumChildWindows(
        form.Handle(),
        [](HWND h, LPARAM lp) -> BOOL {
            const std::string c = Cut(h);
            if (!c.empty()) reinterpret_cast<std::vector<std::string>*>(lp)->push_back(c);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&cut));
    return cut;
}
}  // namespace

TEST(CaptionFitTest, NoCaptionOfAnyWindowIsWiderThanItsControl) {
    RegDeleteTree(SettingsKey());
    for (int dpi : {96, 120, 144}) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " dpi");
        ProgramFixture fx;
        fx.app.SetDpi(dpi);
        fx.app.CreateForm<TFirstInitial>(fx.state);
        TForm1& main = fx.app.CreateForm<TForm1>(fx.state);
        main.btnPreviewMain.Click();
        TCookieSites& pick = fx.app.CreateForm<TCookieSites>(
            std::vector<SiteWithCookies>{
                {"accounts.mail.example.org", 1200, {L"Internet Explorer", L"Firefox (release)"}}},
            std::vector<std::string>{});
        const std::vector<ui::Form*> forms = {&main, &fx.app.CreateForm<TMainForm>(fx.state),
                                              &fx.app.CreateForm<TAboutBox>(fx.state),
                                              &fx.app.CreateForm<TKeptSites>(fx.state), &pick};
        for (const ui::Form* form : forms) EXPECT_EQ(CutCaptions(*form), std::vector<std::string>{});
        EXPECT_EQ(CutCell(main.lvBrowsers.Handle()), "");
        EXPECT_EQ(CutCell(pick.lvCookieSites.Handle()), "");
    }
    RegDeleteTree(SettingsKey());
}
