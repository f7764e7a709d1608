// The About box and its logo, in the test program itself.
#include <gtest/gtest.h>

#include "AboutTestHelpers.h"
#include "about/AboutBox.h"
#include "about/JpegPicture.h"
#include "resource_ids.h"
#include "support/Layout.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;
using namespace about_tests;

namespace {
std::string LogoJpeg() {
    const std::string_view bytes = Platform{}.resourceData(IDR_LOGO_JPEG);
    return std::string(bytes);
}

std::optional<RgbPicture> Decode(const std::string& bytes) {
    return DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

class AboutBoxTest : public ::testing::Test {
protected:
    AboutBoxTest() {
        // Beeps and boxes in the order they come.
        fx.app.hooks.beep = [this](UINT) { events.push_back("beep"); };
        fx.app.hooks.messageBox = [this](HWND, const std::string& text, const std::string& caption, UINT flags) {
            events.push_back(caption + ": " + text +
                             (flags == (MB_OK | MB_ICONERROR)         ? " (error)"
                              : flags == (MB_OK | MB_ICONINFORMATION) ? " (information)"
                                                                      : " (?)"));
            return IDOK;
        };
    }
    std::vector<std::string> events;  // outlives the program's windows
    ProgramFixture fx;
};
}  // namespace

TEST(JpegPicture, TheLogoDecodesToTheSamePixelsAsOnTheHost) {
    const RgbPicture host = HostDecodedLogo();
    ASSERT_EQ(host.width, 178) << "logo-host.ppm is missing beside the tests";
    const auto logo = Decode(LogoJpeg());
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->width, 178);
    EXPECT_EQ(logo->height, 71);
    EXPECT_TRUE(logo->rgb == host.rgb);
}

TEST(JpegPicture, DamagedDataGivesNoPictureAndDoesNotEndTheProgram) {
    const std::string logo = LogoJpeg();
    ASSERT_GT(logo.size(), 1000u);
    const std::size_t sof = logo.find("\xFF\xC0");
    const std::size_t dht = logo.find("\xFF\xC4");
    ASSERT_NE(sof, std::string::npos);
    ASSERT_NE(dht, std::string::npos);
    auto patched = [&](std::size_t at, std::string bytes) {
        std::string s = logo;
        s.replace(at, bytes.size(), bytes);
        return s;
    };
    const std::string damaged[] = {
        "",
        "not a picture at all",
        logo.substr(0, sof),                           // no frame
        logo.substr(0, logo.size() / 2),               // ends in the middle of the picture
        logo.substr(0, logo.size() - 2),               // no end marker
        patched(sof + 4, "\x07"),                      // sample precision 7
        patched(sof + 5, std::string("\x00\x00", 2)),  // height 0
        patched(sof + 7, "\xFF\xFF"),                  // 65535 pixels wide
        patched(dht + 4, "\x35"),                      // a Huffman table of an unknown class
        patched(logo.size() * 3 / 4, "\xFF\xD9"),      // the end marker far too early
    };
    for (const std::string& bytes : damaged) EXPECT_FALSE(Decode(bytes)) << "case of " << bytes.size() << " bytes";
    // The library still works afterwards.
    EXPECT_TRUE(Decode(logo));
}

TEST_F(AboutBoxTest, ScaledCentredBoxWithScaledPicturesAndLabelsFittingTheirTexts) {
    fx.app.SetDpi(96);
    TAboutBox& box = fx.app.CreateForm<TAboutBox>(fx.state);
    EXPECT_EQ(events, std::vector<std::string>{"beep"});
    const auto s = [](int v) { return ui::Scale(v, 96); };
    RECT client, window;
    GetClientRect(box.Handle(), &client);
    GetWindowRect(box.Handle(), &window);
    EXPECT_EQ(client.right, s(353));
    EXPECT_EQ(client.bottom, s(451));
    EXPECT_NEAR((window.left + window.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    const RECT notice = PlaceIn(box.lblNotice), logo = PlaceIn(box.Image1), icon = PlaceIn(box.imgMainIcon);
    EXPECT_EQ(notice.left, s(10));  // in its group box
    EXPECT_EQ(notice.right - notice.left, s(295));
    EXPECT_EQ(logo.left, s(49));
    EXPECT_EQ(logo.right - logo.left, s(178));
    EXPECT_EQ(logo.bottom - logo.top, s(71));
    EXPECT_EQ(icon.right - icon.left, s(32));
    EXPECT_LE(logo.right, icon.left);
    // The maker's line keeps its right edge and shows its whole text.
    const RECT maker = PlaceIn(box.lblCpyRightAuthor);
    EXPECT_EQ(maker.right, s(223) + s(107));
    EXPECT_LT(maker.left, maker.right - s(107));
    int height = 0;
    EXPECT_EQ(FontOf(box.lblProgNameVer, &height), "Comic Sans MS");
    EXPECT_EQ(height, s(-15));

    // The links show the hand cursor.
    SendMessageA(box.lblEmail.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(box.lblEmail.Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
}

TEST_F(AboutBoxTest, ADamagedLogoLeavesTheBoxWithoutIt) {
    const std::string truncated = LogoJpeg().substr(0, 1500);
    fx.state.platform.resourceData = [&](int) { return std::string_view(truncated); };
    TAboutBox& box = fx.app.CreateForm<TAboutBox>(fx.state);
    EXPECT_FALSE(box.Image1.HasPicture());
    EXPECT_TRUE(box.imgMainIcon.HasPicture());
    EXPECT_EQ(box.lblProgNameVer.Caption(), "Ovk Purgelet Version " PURGELET_VERSION_TEXT);
}

TEST_F(AboutBoxTest, LinksOpenTheirAddressesAndReportOnlyEmptyAddressesAndMissingPrograms) {
    TAboutBox& box = fx.app.CreateForm<TAboutBox>(fx.state);
    {
        // The shell itself, in a prefix where no mail program is registered.
        NoMailProgram noMail;
        ASSERT_TRUE(NoMailProgram::Gone()) << "a mail program is still registered; the link would start it";
        events.clear();
        box.lblEmail.Click();
        EXPECT_EQ(events,
                  (std::vector<std::string>{"beep", "Error: Failing to open e-mail client application. (error)"}));
    }
    std::vector<std::string> opened;
    INT_PTR result = 33;
    fx.state.platform.shellOpen = [&](HWND owner, const std::string& target) {
        EXPECT_EQ(owner, box.Handle());
        opened.push_back(target);
        return result;
    };
    events.clear();
    box.lblEmail.Click();
    box.lblHomePage.Click();
    EXPECT_EQ(opened, (std::vector<std::string>{"mailto:support@ovksoft.com", "http://www.ovksoft.com/"}));
    EXPECT_TRUE(events.empty()) << "a result other than 31 is not reported";

    result = 31;
    box.lblEmail.Click();
    box.lblHomePage.Click();
    box.storedMailAddress = [] { return std::string(); };
    box.storedHomePage = [] { return std::string(); };
    box.lblEmail.Click();
    box.lblHomePage.Click();
    EXPECT_EQ(opened.size(), 4u) << "an empty address calls no program";
    EXPECT_EQ(events,
              (std::vector<std::string>{"beep", "Error: Failing to open e-mail client application. (error)", "beep",
                                        "Error: Failing to open browser and connect to internet. (error)", "beep",
                                        "Information: Invalid e-mail address. (information)", "beep",
                                        "Information: Invalid URL. (information)"}));
    EXPECT_TRUE(IsWindow(box.Handle()));
    EXPECT_EQ(fx.app.Forms().back(), &box) << "the box stays open";
}

TEST_F(AboutBoxTest, OpeningBeepsShowsOneModalBoxAndFreesItWhenItCloses) {
    ui::Form& opener =
        fx.app.CreateForm<ui::Form>(std::string("Opener"), ui::DesignRect{10, 10, 300, 200}, std::string("Opener"));
    opener.Show();
    int boxes = -1, boxesAfterSecondOpen = -1;
    bool openerEnabled = true;
    std::size_t eventsBeforeSecondOpen = 0;
    ModalWatch whileShown([&] {
        boxes = OpenAboutBoxes(fx.app);
        openerEnabled = IsWindowEnabled(opener.Handle()) != FALSE;
        eventsBeforeSecondOpen = events.size();
        ShowAboutBox(fx.state);
        boxesAfterSecondOpen = OpenAboutBoxes(fx.app);
        CloseAboutBoxes(fx.app);
    });
    ShowAboutBox(fx.state);

    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(openerEnabled) << "the opener takes input while the box is shown";
    EXPECT_EQ(eventsBeforeSecondOpen, 2u) << "one beep on opening, one as the box is created";
    EXPECT_EQ(boxesAfterSecondOpen, 1);
    EXPECT_EQ(events.size(), 2u) << "an open box is brought forward without a beep";
    EXPECT_EQ(OpenAboutBoxes(fx.app), 0) << "the box is freed when it closes";
    EXPECT_TRUE(IsWindowEnabled(opener.Handle()));
}

// The pictures scale with the layout, so nothing overlaps them at any density,
// and the logo keeps its look when scaled.
TEST_F(AboutBoxTest, PicturesScaleWithTheLayoutAndOverlapNothing) {
    for (int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " dpi");
        fx.app.SetDpi(dpi);
        TAboutBox& box = fx.app.CreateForm<TAboutBox>(fx.state);
        const RECT logo = PlaceIn(box.Image1), icon = PlaceIn(box.imgMainIcon), name = PlaceIn(box.lblProgNameVer);
        EXPECT_EQ(logo.bottom - logo.top, ui::Scale(71, dpi));
        EXPECT_LE(logo.bottom, name.top);
        EXPECT_LE(icon.bottom, name.top);
        EXPECT_LE(logo.right, icon.left);
        const std::string reference = dpi == 96 ? "logo-host-96.ppm" : dpi == 144 ? "logo-host-144.ppm" : "";
        if (!reference.empty()) {
            box.Show();
            UpdateWindow(box.Handle());
            const purgelet::RgbPicture expected = about_tests::HostDecodedLogo(reference);
            ASSERT_EQ(expected.width, logo.right - logo.left);
            POINT at{0, 0};
            ClientToScreen(box.Image1.Handle(), &at);
            const about_tests::Difference d = about_tests::ScreenDifference(at, expected);
            EXPECT_LT(d.mean, 0.5);
            EXPECT_LE(d.largest, 4);
        }
        fx.app.DestroyForm(box);
    }
}
