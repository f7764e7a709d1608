// The main window's pages pictured for the documentation (docs/page-*.png,
// made by scripts/screenshots.sh).
#include <gtest/gtest.h>

#include "app/Start.h"
#include "mainwindow/MainWindow.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

TEST(MainWindowScreens, CapturePages) {
    ProgramFixture fx;
    fx.app.CreateForm<TFirstInitial>(fx.state);
    auto& main = fx.app.CreateForm<TForm1>(fx.state);
    main.SetLeft(20);
    main.SetTop(20);
    main.Show();
    const char* names[] = {"main", "browsers", "settings", "misc", "help"};
    for (std::size_t n = 0; n < 2 * main.PageControl1.Pages().size(); ++n) {
        std::size_t i = n % main.PageControl1.Pages().size();
        main.PageControl1.SetActivePage(main.PageControl1.Pages()[i]);
        EXPECT_TRUE(PictureWindow(fx.app, main.Handle(), std::string("page-") + names[i]));
    }
    fx.state.instanceMutex.Release();
}
