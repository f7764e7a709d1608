// The About box of the built program, opened from its main window's "&About"
// button and driven from outside like a user would.
#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "AboutTestHelpers.h"
#include "support/TestSupport.h"

using namespace testing_support;
using namespace about_tests;

namespace {
constexpr char kAboutCaption[] = "Ovk Purgelet Version " PURGELET_VERSION_TEXT " - About";

BOOL CALLBACK CollectTexts(HWND h, LPARAM lp) {
    char text[256] = {};
    GetWindowTextA(h, text, sizeof(text));
    if (*text) reinterpret_cast<std::set<std::string>*>(lp)->insert(text);
    return TRUE;
}

struct CountCtx {
    DWORD pid;
    int count = 0;
};
BOOL CALLBACK CountAboutBoxes(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<CountCtx*>(lp);
    char text[128] = {};
    GetWindowTextA(h, text, sizeof(text));
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == c->pid && std::string(text) == kAboutCaption) ++c->count;
    return TRUE;
}
int AboutBoxesOf(DWORD pid) {
    CountCtx c{pid};
    EnumWindows(CountAboutBoxes, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

class AboutBoxProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        program.emplace(ProgramExe());
        ASSERT_TRUE(*program);
        pid = program->Id();
        main = WaitForWindow(kProgramName, nullptr, 30000, pid);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
        aboutButton = FindChild(main, "Button", "&About");
        ASSERT_NE(aboutButton, nullptr);
    }
    void TearDown() override {
        if (HWND box = FindWindowA(nullptr, kAboutCaption)) PostMessageA(box, WM_CLOSE, 0, 0);
        if (program) program->End(main);
        RegDeleteTree(SettingsKey());
    }
    HWND OpenAbout() {
        PostMessageA(aboutButton, BM_CLICK, 0, 0);
        HWND box = WaitForWindow(kAboutCaption, nullptr, 10000, pid);
        if (box) WaitUntil([&] { return IsWindowVisible(box) != FALSE; });
        return box;
    }

    std::optional<StartedProgram> program;
    DWORD pid = 0;
    HWND main = nullptr, aboutButton = nullptr;
};
}  // namespace

TEST_F(AboutBoxProgramTest, OpensWithItsTextsAndLogoStaysSingleAndClosesOnEnterAndEsc) {
    HWND box = OpenAbout();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main)) << "the main window takes input while the box is shown";
    std::set<std::string> texts;
    EnumChildWindows(box, CollectTexts, reinterpret_cast<LPARAM>(&texts));
    EXPECT_EQ(texts,
              (std::set<std::string>{"Privacy freeware.", "Free to use and share. Use it at your own risk, please.",
                                     "Ovk Purgelet Version " PURGELET_VERSION_TEXT, "(c) 2003-2005 Ovk Software Studio",
                                     "support@ovksoft.com", "http://www.ovksoft.com/", "&OK"}));

    // The logo as shown on the 96-dpi screen, against the same JPEG decoded
    // and scaled on the host.
    const purgelet::RgbPicture host = HostDecodedLogo("logo-host-96.ppm");
    ASSERT_EQ(host.width, 142);
    HWND logo = nullptr;
    for (HWND c = GetWindow(box, GW_CHILD); c && !logo; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        if (r.right - r.left == host.width && r.bottom - r.top == host.height) logo = c;
    }
    ASSERT_NE(logo, nullptr) << "no picture of the logo's scaled size";
    RECT at;
    GetWindowRect(logo, &at);
    EXPECT_TRUE(WaitUntil(
        [&] {
            return ScreenDifference(POINT{at.left, at.top}, host).mean < 0.5;
        },
        5000))
        << "the logo on the screen differs from the host's decoding";
    EXPECT_LE(ScreenDifference(POINT{at.left, at.top}, host).largest, 4);

    // A second "&About" brings the open box forward and opens no other: the
    // click returns once handled, unless it entered the modal loop of another box.
    SendMessageTimeoutA(aboutButton, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, nullptr);
    EXPECT_EQ(AboutBoxesOf(pid), 1);
    EXPECT_TRUE(IsWindow(box));

    HWND ok = FindChild(box, "Button", "&OK");
    ASSERT_NE(ok, nullptr);
    PostKeys(ok, {VK_RETURN});
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "Enter did not close the box";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }));

    box = OpenAbout();
    ASSERT_NE(box, nullptr);
    PostKeys(FindChild(box, "Button", "&OK"), {VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "Esc did not close the box";
    EXPECT_EQ(AboutBoxesOf(pid), 0);
}

TEST_F(AboutBoxProgramTest, TheMailLinkWithoutAMailProgramSaysSoAndTheBoxStays) {
    NoMailProgram noMail;
    ASSERT_TRUE(NoMailProgram::Gone()) << "a mail program is still registered; the link would start it";
    HWND box = OpenAbout();
    ASSERT_NE(box, nullptr);
    HWND mail = FindChild(box, "Static", "support@ovksoft.com");
    ASSERT_NE(mail, nullptr);
    PostClick(mail, {2, 2});
    HWND error = WaitForWindow("Error", "#32770", 15000, pid);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(DialogText(error), "Failing to open e-mail client application.");
    PostMessageA(error, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(error); }));
    EXPECT_TRUE(IsWindow(box)) << "the box stays open";
}
