// Not part of the suite: scripts/screenshots.sh runs it to picture the About
// box for the documentation.
#include <gtest/gtest.h>

#include "about/AboutBox.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

TEST(AboutBoxScreens, DISABLED_CaptureAboutBox) {
    ProgramFixture fx;
    TAboutBox& box = fx.app.CreateForm<TAboutBox>(fx.state);
    box.Show();
    for (int k = 0; k < 20; ++k) {
        fx.app.ProcessMessages();
        Sleep(25);
    }
    const char* folder = getenv("PURGELET_SHOTS");
    std::string out = folder ? folder : "T:\\shots\\";
    MakeDir(out);
    EXPECT_TRUE(SaveWindowBitmap(box.Handle(), out + "about-box.bmp"));
}
