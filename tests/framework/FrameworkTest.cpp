#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "base/Errors.h"
#include "framework/Form.h"
#include "support/Input.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace purgelet::ui;
using testing_support::Click;
using testing_support::Key;
using testing_support::Mouse;
using testing_support::PressKey;
using testing_support::ProgramFixture;

namespace {
class SampleForm : public Form {
public:
    SampleForm(Application& app, std::string caption = "Sample", bool failOnCreate = false)
        : Form(app, "Sample", {10, 10, 300, 200}, std::move(caption)) {
        onCreate = [this, failOnCreate] {
            created = true;
            if (failOnCreate) throw Error("Creation went wrong");
            afterThrow = true;
        };
    }
    bool created = false;
    bool afterThrow = false;
    GroupBox group{this, "group", {8, 8, 200, 120}, "Group"};
    Button button{this, "button", {8, 140, 80, 25}, "Go"};
    CheckBox check{&group, "check", {8, 20, 100, 17}, "Check"};
    RadioButton radioA{&group, "radioA", {8, 40, 100, 17}, "A"};
    RadioButton radioB{&group, "radioB", {8, 60, 100, 17}, "B"};
    RadioButton radioC{&group, "radioC", {8, 80, 100, 17}, "C"};
};
}  // namespace

TEST(Framework, TriggeredClickRunsEvenWhenDisabledOrHidden) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<SampleForm>();
    int clicks = 0;
    form.button.onClick = [&] { ++clicks; };
    form.button.SetEnabled(false);
    form.button.Click();
    form.button.SetVisible(false);
    form.button.Click();
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(form.IsShowing());
}

TEST(Framework, HandlerErrorIsShownInTheErrorBoxAndTheWindowStaysUsable) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<SampleForm>();
    int clicks = 0;
    form.button.onClick = [&] {
        if (++clicks == 1) throw Error("Failed to set data for 'MainTop'");
    };
    form.button.Click();
    ASSERT_EQ(fx.recorded.boxes.size(), 1u);
    EXPECT_EQ(fx.recorded.boxes[0].text, "Failed to set data for 'MainTop'.");
    EXPECT_EQ(fx.recorded.boxes[0].flags, UINT(MB_OK | MB_ICONERROR));
    form.button.Click();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(fx.recorded.boxes.size(), 1u);
    // A click coming from the control itself goes through the same guard.
    clicks = 0;
    SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(form.button.Handle()));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(fx.recorded.boxes.size(), 2u);
}

TEST(Framework, ErrorInAClickTriggeredByAHandlerEndsThatHandlerToo) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<SampleForm>();
    int after = 0;
    form.check.onClick = [] { throw Error("Inner failure"); };
    form.button.onClick = [&] {
        form.check.Click();
        ++after;
    };
    form.button.Click();
    EXPECT_EQ(after, 0);
    ASSERT_EQ(fx.recorded.boxes.size(), 1u);
    EXPECT_EQ(fx.recorded.boxes[0].text, "Inner failure.");
    EXPECT_FALSE(fx.app.InHandler());
}

TEST(Framework, ErrorDuringCreationEndsTheHandlerButTheFormExists) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<SampleForm>("Broken", true);
    EXPECT_TRUE(form.created);
    EXPECT_FALSE(form.afterThrow);
    ASSERT_EQ(fx.recorded.boxes.size(), 1u);
    EXPECT_EQ(fx.recorded.boxes[0].text, "Creation went wrong.");
    EXPECT_EQ(fx.app.FindFormByCaption("Broken"), &form);
    EXPECT_NE(form.Handle(), nullptr);
}

TEST(Framework, FormsAreFoundByCaptionInCreationOrderAndReleasedByTheLoop) {
    ProgramFixture fx;
    auto& first = fx.app.CreateForm<SampleForm>("Twin");
    auto& second = fx.app.CreateForm<SampleForm>("Twin");
    auto& other = fx.app.CreateForm<SampleForm>("Other");
    EXPECT_EQ(fx.app.FindFormByCaption("Twin"), &first);
    EXPECT_EQ(fx.app.FindFormByCaption("Other"), &other);
    EXPECT_EQ(fx.app.FindFormByCaption("twin"), nullptr);
    first.Release();
    EXPECT_EQ(fx.app.Forms().size(), 3u);  // not before the loop runs
    fx.app.ProcessMessages();
    EXPECT_EQ(fx.app.Forms().size(), 2u);
    EXPECT_EQ(fx.app.FindFormByCaption("Twin"), &second);
}

TEST(Framework, DesignPlacesScaleFrom120PixelsPerInch) {
    EXPECT_EQ(Scale(612, 120), 612);
    EXPECT_EQ(Scale(612, 96), 490);
    EXPECT_EQ(Scale(-14, 96), -11);
    EXPECT_EQ(Scale(25, 144), 30);
    for (int dpi : {96, 120}) {
        ProgramFixture fx;
        fx.app.SetDpi(dpi);
        auto& form = fx.app.CreateForm<SampleForm>();
        RECT r;
        GetWindowRect(form.check.Handle(), &r);
        MapWindowPoints(nullptr, form.group.Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, Scale(8, dpi));
        EXPECT_EQ(r.top, Scale(20, dpi));
        EXPECT_EQ(r.right - r.left, Scale(100, dpi));
        EXPECT_EQ(form.Width(), Scale(300, dpi));
        EXPECT_EQ(form.Left(), 10);  // positions are screen pixels, not scaled
    }
}

TEST(Framework, RadioButtonsOfOneParentFormAGroup) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<SampleForm>();
    form.radioA.SetChecked(true);
    form.radioC.SetChecked(true);
    EXPECT_FALSE(form.radioA.Checked());
    EXPECT_TRUE(form.radioC.Checked());
    EXPECT_EQ(SendMessageA(form.radioA.Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // A click selects the clicked one and clears the others.
    int clicks = 0;
    form.radioB.onClick = [&] { ++clicks; };
    SendMessageA(form.group.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form.radioB.Handle()));
    EXPECT_TRUE(form.radioB.Checked());
    EXPECT_FALSE(form.radioC.Checked());
    EXPECT_EQ(clicks, 1);
    // Disabling keeps the selection.
    form.radioB.SetEnabled(false);
    EXPECT_TRUE(form.radioB.Checked());
}

TEST(Framework, MouseUpSeesTheNewStateAndKeyUpRunsBeforeTheToggle) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<SampleForm>();
    form.Show();
    std::vector<bool> seenOnMouseUp, seenOnKeyUp;
    std::vector<MouseButton> buttons;
    form.check.onMouseUp = [&](MouseButton b, int, int) {
        buttons.push_back(b);
        seenOnMouseUp.push_back(form.check.Checked());
    };
    form.check.onKeyUp = [&](WORD key) {
        if (key == VK_SPACE) seenOnKeyUp.push_back(form.check.Checked());
    };
    HWND h = form.check.Handle();
    Click(h, {5, 5});
    ASSERT_EQ(seenOnMouseUp.size(), 1u);
    EXPECT_TRUE(seenOnMouseUp[0]);
    // A right-button release changes nothing but is reported too.
    Click(h, {5, 5}, Mouse::Right);
    ASSERT_EQ(seenOnMouseUp.size(), 2u);
    EXPECT_TRUE(seenOnMouseUp[1]);
    EXPECT_EQ(buttons[1], MouseButton::Right);
    // The key release reaches the handler before the box toggles.
    SetFocus(h);
    Key(h, VK_SPACE);
    ASSERT_EQ(seenOnKeyUp.size(), 1u);
    EXPECT_TRUE(seenOnKeyUp[0]);
    EXPECT_FALSE(form.check.Checked());
}

TEST(Framework, StrictWholeNumberConversion) {
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("-1"), -1);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "abc", "12a", "2147483648", "-", "1.5"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << bad;
        } catch (const ConvertError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid integer value");
        }
    }
}

TEST(Framework, ActivationFocusesTheFirstControlThenTheOneLastFocused) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<SampleForm>("First");
    auto& other = fx.app.CreateForm<SampleForm>("Second");
    form.Show();
    fx.app.ProcessMessages();
    EXPECT_EQ(GetFocus(), form.check.Handle());
    form.button.SetFocus();
    other.Show();
    fx.app.ProcessMessages();
    EXPECT_EQ(GetFocus(), other.check.Handle());
    form.Show();
    fx.app.ProcessMessages();
    EXPECT_EQ(GetFocus(), form.button.Handle());
}

TEST(Framework, KeyboardSelectsARadioButtonOnTheKeyPress) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<SampleForm>();
    form.Show();
    std::vector<std::string> selectedAtKeyUp;
    for (RadioButton* r : {&form.radioA, &form.radioB, &form.radioC})
        r->onKeyUp = [&](WORD) {
            for (RadioButton* s : {&form.radioA, &form.radioB, &form.radioC})
                if (s->Checked()) selectedAtKeyUp.push_back(s->Name());
        };
    const auto press = [&](Control& c, WORD key) { PressKey(fx.app, c.Handle(), key); };
    form.radioA.SetChecked(true);
    press(form.radioA, VK_DOWN);  // moves to the next button and selects it
    EXPECT_EQ(GetFocus(), form.radioB.Handle());
    press(form.radioC, VK_SPACE);
    EXPECT_EQ(selectedAtKeyUp, (std::vector<std::string>{"radioB", "radioC"}));
    EXPECT_FALSE(form.radioA.Checked());
    EXPECT_EQ(SendMessageA(form.radioB.Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}
