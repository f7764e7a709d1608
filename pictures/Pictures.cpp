// The pictures of docs/ (scripts/screenshots.sh converts them): the main
// window's pages, the About box and the cookie window with a few rows, each
// saved as a 24-bit BMP file T:\shots\NAME.bmp (BUILD/shots).
#include <gtest/gtest.h>

#include "about/AboutBox.h"
#include "app/Start.h"
#include "base/Handles.h"
#include "cookies/CookieListWindow.h"
#include "cookies/CookieTestHelpers.h"
#include "mainwindow/MainWindow.h"
#include "support/TestSupport.h"

#include <shlobj.h>

using namespace purgelet;
using namespace testing_support;
using namespace cookie_tests;

namespace {
// Lets the shown window paint, then saves what the screen shows of it.
bool PictureWindow(ui::Application& app, HWND window, const std::string& name,
                   const std::string& folder = "T:\\shots\\") {
    for (int k = 0; k < 20; ++k) {
        app.ProcessMessages();
        Sleep(25);
    }
    const std::string path = folder + name + ".bmp";
    CreateDirectoryA("T:\\shots\\", nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    ScreenDC screen;
    MemoryDC mem(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject bmp(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        SelectedObject selected(mem, bmp);
        BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    }
    const DWORD stride = ((w * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * h;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + imageSize;
    FileHandle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD n = 0;
    bi.bmiHeader.biSizeImage = imageSize;
    return ::WriteFile(f, &fh, sizeof(fh), &n, nullptr) &&
           ::WriteFile(f, &bi.bmiHeader, sizeof(bi.bmiHeader), &n, nullptr) &&
           ::WriteFile(f, bits, imageSize, &n, nullptr);
}
}  // namespace

TEST(Pictures, MainWindowPages) {
    ProgramFixture fx;
    fx.app.CreateForm<TFirstInitial>(fx.state);
    auto& main = fx.app.CreateForm<TForm1>(fx.state);
    main.SetLeft(20);
    main.SetTop(20);
    main.Show();
    main.btnPreviewMain.Click();  // what the prefix holds beside each item
    const char* names[] = {"main", "browsers", "settings", "misc", "help"};
    for (std::size_t n = 0; n < 2 * main.PageControl1.Pages().size(); ++n) {
        std::size_t i = n % main.PageControl1.Pages().size();
        main.PageControl1.SetActivePage(main.PageControl1.Pages()[i]);
        EXPECT_TRUE(PictureWindow(fx.app, main.Handle(), std::string("page-") + names[i]));
    }
}

// Each page at 96, 120 and 144 pixels per inch, to look at every density
// (BUILD/shots/densities; not taken into docs/).
TEST(Pictures, PagesAtEachDensity) {
    for (int dpi : {96, 120, 144}) {
        ProgramFixture fx;
        fx.app.SetDpi(dpi);
        fx.app.CreateForm<TFirstInitial>(fx.state);
        auto& main = fx.app.CreateForm<TForm1>(fx.state);
        main.SetLeft(0);
        main.SetTop(0);
        main.Show();
        const char* names[] = {"main", "browsers", "settings", "misc", "help"};
        for (std::size_t i = 0; i < main.PageControl1.Pages().size(); ++i) {
            main.PageControl1.SetActivePage(main.PageControl1.Pages()[i]);
            EXPECT_TRUE(PictureWindow(fx.app, main.Handle(), std::string(names[i]) + "-" + std::to_string(dpi),
                                      "T:\\shots\\densities\\"));
        }
    }
}

// The Browsers page over a profile named in Russian and Chinese, after a
// preview and after a clearing, at each density (BUILD/shots/densities).
TEST(Pictures, BrowsersPageWithAProfileNamedInAnyLanguage) {
    const std::string top = "C:\\purgelet-pictures\\", local = top + "Local\\";
    const std::string edge = local + "Microsoft\\Edge\\User Data\\";
    for (int dpi : {96, 120, 144}) {
        RemoveTree(top);
        MakeDir(edge + "Default\\Cache");
        WriteFile(edge + "Local State", "{\"profile\": {\"info_cache\": {\"Default\": {\"name\": \"" +
                                            Utf8(L"\u0421\u0435\u043c\u044c\u044f \u00b7 \u5bb6\u5ead") + "\"}}}}");
        WriteFile(edge + "Default\\Cache\\f", std::string(1234, 'x'));
        SqlLastValue(
            edge + "Default\\History",
            "CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT); INSERT INTO urls VALUES (1, 'https://a.test/');"
            "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER); INSERT INTO visits VALUES (1, 1);");
        ProgramFixture fx;
        fx.app.SetDpi(dpi);
        const Platform system;
        fx.state.platform.knownFolderPath = [=](REFKNOWNFOLDERID id) {
            if (IsEqualGUID(id, FOLDERID_LocalAppData)) return Widen(local);
            if (IsEqualGUID(id, FOLDERID_RoamingAppData)) return Widen(top + "Roaming\\");
            return system.knownFolderPath(id);
        };
        fx.app.CreateForm<TFirstInitial>(fx.state);
        auto& main = fx.app.CreateForm<TForm1>(fx.state);
        main.SetLeft(0);
        main.SetTop(0);
        main.Show();
        main.PageControl1.SetActivePage(&main.TabBrowsers);
        main.btnPreviewBrowsers.Click();
        EXPECT_TRUE(
            PictureWindow(fx.app, main.Handle(), "browsers-preview-" + std::to_string(dpi), "T:\\shots\\densities\\"));
        main.btnClearBrowsers.Click();
        EXPECT_TRUE(
            PictureWindow(fx.app, main.Handle(), "browsers-cleared-" + std::to_string(dpi), "T:\\shots\\densities\\"));
        main.PageControl1.SetActivePage(&main.TabMain);
        EXPECT_TRUE(PictureWindow(fx.app, main.Handle(), "main-log-" + std::to_string(dpi), "T:\\shots\\densities\\"));
    }
    RemoveTree(top);
}

TEST(Pictures, AboutBox) {
    ProgramFixture fx;
    TAboutBox& box = fx.app.CreateForm<TAboutBox>(fx.state);
    box.Show();
    EXPECT_TRUE(PictureWindow(fx.app, box.Handle(), "about-box"));
}

TEST(Pictures, CookieWindowWithRows) {
    ClearUrlCache();
    const FILETIME zero{};
    AddCookie("Cookie:tester@news.example.com/", LocalTime(2005, 3, 9, 13, 5, 7), LocalTime(2008, 1, 1, 0, 0, 0));
    AddCookie("Cookie:tester@shop.example.org/cart/", LocalTime(2005, 2, 1, 9, 30, 0), zero);
    AddCookieWithFile("Cookie:tester@mail.example.net/", LocalTime(2005, 1, 20, 18, 45, 12),
                      LocalTime(2010, 6, 30, 12, 0, 0));
    AddCookie("Cookie:tester@ads.example.com/", LocalTime(2004, 12, 24, 23, 59, 58), LocalTime(2006, 1, 1, 0, 0, 0));
    AddCookie("Cookie:tester@weather.example.com/", zero, zero);
    SetHits("Cookie:tester@news.example.com/", 12);
    SetHits("Cookie:tester@ads.example.com/", 143);

    ProgramFixture fx;
    TMainForm& w = fx.app.CreateForm<TMainForm>(fx.state);
    w.btnRefresh.Click();
    w.lvCookiesColumnClick(kColAddress);
    w.lvCookies.SetChecked(0, true);
    w.lvCookies.SetChecked(2, true);
    w.Show();
    EXPECT_TRUE(PictureWindow(fx.app, w.Handle(), "cookie-window"));
    w.Hide();
    ClearUrlCache();
}
