// How a message finds its object, the one message pump and the last-resort
// error box.
#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "base/Errors.h"
#include "framework/Form.h"
#include "framework/Image.h"
#include "framework/UtilityWindow.h"
#include "support/Input.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace purgelet::ui;
using namespace testing_support;

namespace {
class PanelForm : public Form {
public:
    explicit PanelForm(Application& app) : Form(app, "PanelForm", {10, 10, 300, 200}, "Panel form") {}
    Button button{this, "button", {8, 140, 80, 25}, "Go"};
    CheckBox check{this, "check", {8, 20, 100, 17}, "Check"};
};

class PictureForm : public Form {
public:
    explicit PictureForm(Application& app) : Form(app, "PictureForm", {10, 10, 300, 200}, "Picture form") {}
    Panel panel{this, "panel", {8, 8, 100, 60}};
    Image image{&panel, "image", {4, 4, 32, 32}};
};
}  // namespace

TEST(WindowMap, AMessageForAGoneHandleReachesNoObject) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<PanelForm>();
    EXPECT_EQ(fx.app.WindowCount(), 3u);
    int clicks = 0;
    form.button.onClick = [&] { ++clicks; };
    form.check.onClick = [&] { ++clicks; };

    // A control's window destroyed from outside leaves the map with it; a
    // later notification naming that handle finds nothing.
    const HWND button = form.button.Handle();
    EXPECT_EQ(fx.app.WindowOf(button), &form.button);
    DestroyWindow(button);
    EXPECT_EQ(form.button.Handle(), nullptr);
    EXPECT_EQ(fx.app.WindowOf(button), nullptr);
    SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(clicks, 0);

    // A window that is still there but no longer in the map gets the default
    // procedure only: the box toggles, its object hears nothing.
    const HWND check = form.check.Handle();
    fx.app.UnregisterWindow(check);
    Click(check, {2, 2});
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(clicks, 0);

    // A whole form destroyed from outside, and a form object destroyed,
    // leave nothing behind in the map.
    auto& other = fx.app.CreateForm<PanelForm>();
    DestroyWindow(other.Handle());
    EXPECT_EQ(other.Handle(), nullptr);
    EXPECT_EQ(other.check.Handle(), nullptr);
    EXPECT_EQ(fx.app.WindowCount(), 1u);
    fx.app.DestroyForm(form);
    fx.app.DestroyForm(other);
    EXPECT_EQ(fx.app.WindowCount(), 0u);
}

TEST(WindowBase, OwnClassesShareOneProcedureAndWindowsBelongToTheApplicationGiven) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<PictureForm>();
    UtilityWindow utility(fx.app, [](Message&) {});
    // Forms, panels, pictures and utility windows: one procedure, one map.
    const ULONG_PTR procedure = GetClassLongPtrA(form.Handle(), GCLP_WNDPROC);
    for (HWND h : {form.panel.Handle(), form.image.Handle(), utility.Handle()}) {
        EXPECT_EQ(GetClassLongPtrA(h, GCLP_WNDPROC), procedure);
        EXPECT_NE(fx.app.WindowOf(h), nullptr);
    }
    // The icon is the one the application was given, or the system's.
    EXPECT_EQ(SendMessageA(form.Handle(), WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(ProgramIcon()));
    Application plain;
    auto& other = plain.CreateForm<PictureForm>();
    EXPECT_EQ(&other.image.App(), &plain);
    EXPECT_EQ(plain.WindowOf(other.image.Handle()), &other.image);
    EXPECT_EQ(fx.app.WindowOf(other.image.Handle()), nullptr);
    EXPECT_EQ(SendMessageA(other.Handle(), WM_GETICON, ICON_BIG, 0),
              reinterpret_cast<LRESULT>(LoadIconA(nullptr, IDI_APPLICATION)));

    // A close query names its form and may keep it open.
    form.onCloseQuery = [&](CloseQueryEvent& e) {
        EXPECT_EQ(&e.sender, &form);
        e.canClose = false;
    };
    form.Show();
    form.Close();
    EXPECT_TRUE(form.IsShowing());
}

TEST(MessagePump, TheModalLoopEndsOnItsResultOrWhenTheProgramIsToldToEnd) {
    ProgramFixture fx;
    auto& form = fx.app.CreateForm<PanelForm>();
    form.button.onClick = [&] { form.modalResult = IDOK; };
    PostMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(form.button.Handle()));
    EXPECT_EQ(form.ShowModal(), IDOK);
    EXPECT_FALSE(form.IsShowing());
    EXPECT_FALSE(fx.app.Terminated());

    // Released while the modal loop runs: the form stays until the outer loop.
    auto& released = fx.app.CreateForm<PanelForm>();
    form.button.onClick = [&] {
        released.Release();
        fx.app.Terminate();
    };
    PostMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(form.button.Handle()));
    EXPECT_EQ(form.ShowModal(), 0);
    EXPECT_TRUE(fx.app.Terminated());
    EXPECT_EQ(fx.app.Forms().size(), 2u);
    fx.app.Run();
    EXPECT_EQ(fx.app.Forms().size(), 1u);
}

TEST(LastResort, AnErrorEscapingEveryHandlerIsShownInTheErrorBox) {
    ProgramFixture fx;
    EXPECT_EQ(fx.app.Execute([&] {
        fx.app.CreateForm<PanelForm>();
        throw Error("Start-up went wrong");
    }),
              1);
    ASSERT_EQ(fx.recorded.boxes.size(), 1u);
    EXPECT_EQ(fx.recorded.boxes[0].text, "Start-up went wrong.");
    EXPECT_EQ(fx.recorded.boxes[0].flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(fx.app.Forms().empty());

    EXPECT_EQ(fx.app.Execute([] { throw 42; }), 1);
    ASSERT_EQ(fx.recorded.boxes.size(), 2u);
    EXPECT_EQ(fx.recorded.boxes[1].text, "Unknown error.");
    EXPECT_EQ(fx.app.Execute([] {}), 0);
    EXPECT_EQ(fx.recorded.boxes.size(), 2u);
}
