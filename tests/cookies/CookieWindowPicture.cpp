// Shows the cookie window with a few rows for a while, so that a picture of
// the screen can be taken (docs/cookie-window.png). Not part of the test run;
// start it with
//   winerun.sh --build B B/tests/test_cookies.exe --gtest_also_run_disabled_tests
//       --gtest_filter=CookieWindowPicture.*
// and meanwhile take the picture with
//   DISPLAY=:<number from B/.xvfb> import -window root shot.png
// cropped to the client area the test prints.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "CookieTestHelpers.h"
#include "cookies/CookieListWindow.h"

using namespace purgelet;
using namespace cookie_tests;

TEST(CookieWindowPicture, DISABLED_ShowsTheWindowWithRows) {
    testing_support::ClearUrlCache();
    const FILETIME zero{};
    AddCookie("Cookie:tester@news.example.com/", LocalTime(2005, 3, 9, 13, 5, 7), LocalTime(2008, 1, 1, 0, 0, 0));
    AddCookie("Cookie:tester@shop.example.org/cart/", LocalTime(2005, 2, 1, 9, 30, 0), zero);
    AddCookieWithFile("Cookie:tester@mail.example.net/", LocalTime(2005, 1, 20, 18, 45, 12),
                      LocalTime(2010, 6, 30, 12, 0, 0));
    AddCookie("Cookie:tester@ads.example.com/", LocalTime(2004, 12, 24, 23, 59, 58), LocalTime(2006, 1, 1, 0, 0, 0));
    AddCookie("Cookie:tester@weather.example.com/", zero, zero);
    SetHits("Cookie:tester@news.example.com/", 12);
    SetHits("Cookie:tester@ads.example.com/", 143);

    testing_support::ProgramFixture fx;
    TMainForm& w = fx.app.CreateForm<TMainForm>(fx.state);
    w.btnRefresh.Click();
    w.lvCookiesColumnClick(kColAddress);
    w.lvCookies.SetChecked(0, true);
    w.lvCookies.SetChecked(2, true);
    w.Show();
    RECT r{};
    GetClientRect(w.Handle(), &r);
    POINT origin{0, 0};
    ClientToScreen(w.Handle(), &origin);
    std::printf("client area %ldx%ld+%ld+%ld\n", r.right, r.bottom, origin.x, origin.y);
    std::fflush(stdout);
    const char* seconds = std::getenv("PURGELET_SHOW_SECONDS");
    const DWORD until = GetTickCount() + 1000u * static_cast<DWORD>(seconds ? std::atoi(seconds) : 8);
    while (GetTickCount() < until) {
        fx.app.ProcessMessages();
        Sleep(50);
    }
    w.Hide();
    testing_support::ClearUrlCache();
}
