// Not part of the suite: scripts/screenshots.sh runs it to picture the main
// window's pages for the documentation.
#include <gtest/gtest.h>

#include "app/Start.h"
#include "mainwindow/MainWindow.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

TEST(MainWindowScreens, DISABLED_CapturePages) {
    ProgramFixture fx;
    fx.app.CreateForm<TFirstInitial>(fx.state);
    auto& main = fx.app.CreateForm<TForm1>(fx.state);
    main.SetLeft(20);
    main.SetTop(20);
    main.Show();
    const char* names[] = {"main", "settings", "misc", "help"};
    const char* folder = getenv("PURGELET_SHOTS");
    std::string out = folder ? folder : "T:\\shots\\";
    MakeDir(out);
    for (std::size_t n = 0; n < 2 * main.PageControl1.Pages().size(); ++n) {
        std::size_t i = n % main.PageControl1.Pages().size();
        main.PageControl1.SetActivePage(main.PageControl1.Pages()[i]);
        for (int k = 0; k < 20; ++k) {
            fx.app.ProcessMessages();
            Sleep(25);
        }
        EXPECT_TRUE(SaveWindowBitmap(main.Handle(), out + "page-" + names[i] + ".bmp"));
    }
    if (fx.state.instanceMutex) CloseHandle(fx.state.instanceMutex);
}
