// The About box pictured for the documentation (docs/about-box.png, made by
// scripts/screenshots.sh).
#include <gtest/gtest.h>

#include "about/AboutBox.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

TEST(AboutBoxScreens, CaptureAboutBox) {
    ProgramFixture fx;
    TAboutBox& box = fx.app.CreateForm<TAboutBox>(fx.state);
    box.Show();
    EXPECT_TRUE(PictureWindow(fx.app, box.Handle(), "about-box"));
}
