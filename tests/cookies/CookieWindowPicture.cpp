// The cookie window with a few rows, pictured for the documentation
// (docs/cookie-window.png, made by scripts/screenshots.sh).
#include <gtest/gtest.h>

#include "CookieTestHelpers.h"
#include "cookies/CookieListWindow.h"

using namespace purgelet;
using namespace cookie_tests;

TEST(CookieWindowPicture, ShowsTheWindowWithRows) {
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
    EXPECT_TRUE(testing_support::PictureWindow(fx.app, w.Handle(), "cookie-window"));
    w.Hide();
    testing_support::ClearUrlCache();
}
