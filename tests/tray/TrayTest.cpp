// The tray icon and the tray window in this process, against Wine's real
// notification area.
#include <gtest/gtest.h>

#include "about/AboutTestHelpers.h"
#include "cleaner/RegistryValues.h"
#include "core/Texts.h"
#include "mainwindow/MainWindow.h"
#include "support/Input.h"
#include "support/TestSupport.h"
#include "tray/TrayIcon.h"
#include "tray/TrayTestHelpers.h"
#include "tray/TrayWindow.h"

using namespace purgelet;
using namespace testing_support;
using about_tests::CloseAboutBoxes;
using about_tests::OpenAboutBoxes;
using tray_testing::TrayIconCount;

namespace {
class TrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        fx.state.SettingsKey = SettingsKey();
        base = TrayIconCount();
        fx.state.platform.notifyIcon = [this](DWORD message, NOTIFYICONDATAA* data) {
            calls.push_back(message);
            return refuseAdd && message == NIM_ADD ? FALSE : Shell_NotifyIconA(message, data);
        };
    }
    void TearDown() override {
        fx.app.DestroyAll();
        RegDeleteTree(SettingsKey());
    }
    TForm2& CreateTray() { return fx.app.CreateForm<TForm2>(fx.state); }
    // Lets the window procedures see what was posted, until `done`.
    bool PumpUntil(const std::function<bool()>& done) {
        return WaitUntil([&] { return fx.app.ProcessMessages(), done(); });
    }

    ProgramFixture fx;
    int base = 0;
    std::vector<DWORD> calls;
    bool refuseAdd = false;
};

TForm1* OpenMainWindow(ui::Application& app) { return dynamic_cast<TForm1*>(app.FindFormByCaption(kProgramName)); }
}  // namespace

TEST_F(TrayTest, IconComesWithTheTrayWindowAndGoesOnRemovalAtSessionEndAndWithTheApplication) {
    TForm2& tray = CreateTray();
    EXPECT_FALSE(tray.IsShowing());
    EXPECT_EQ(tray.Caption(), "Form2");
    ASSERT_NE(fx.state.TrayIcon, nullptr);
    EXPECT_EQ(TrayIconCount(), base + 1);
    const NOTIFYICONDATAA& data = fx.state.TrayIcon->Data();
    EXPECT_EQ(data.cbSize, sizeof(void*) == 8 ? 104u : 88u);
    EXPECT_EQ(data.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(data.uCallbackMessage, 1025u);
    EXPECT_STREQ(data.szTip, kProgramName);
    EXPECT_EQ(data.hIcon, tray.IconHandle());
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(tray.IconHandle(), &info));
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    EXPECT_TRUE(fx.state.TrayIcon->Hint().empty());

    // The session messages reach the icon's own hidden window.
    HWND window = fx.state.TrayIcon->MessageWindowHandle();
    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), 1);
    SendMessageA(window, WM_ENDSESSION, 0, 0);
    EXPECT_EQ(TrayIconCount(), base + 1) << "the session goes on";
    SendMessageA(window, WM_ENDSESSION, 1, 0);
    EXPECT_EQ(TrayIconCount(), base);

    // A new tray window brings a new icon; removing it twice is harmless.
    TTrayIcon* first = fx.state.TrayIcon;
    fx.app.DestroyForm(tray);
    TForm2& again = CreateTray();
    EXPECT_NE(fx.state.TrayIcon, first);
    EXPECT_EQ(TrayIconCount(), base + 1);
    again.RemoveSysTrayIcon();
    again.RemoveSysTrayIcon();
    EXPECT_EQ(TrayIconCount(), base);
    calls.clear();
    // Freeing the tray window takes its icon too, the tray icon staying with the application.
    fx.app.DestroyForm(again);
    TForm2& fourth = CreateTray();
    EXPECT_EQ(TrayIconCount(), base + 1);
    TTrayIcon* current = fx.state.TrayIcon;
    fx.app.DestroyForm(fourth);
    EXPECT_EQ(TrayIconCount(), base);
    EXPECT_EQ(fx.state.TrayIcon, current);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), DWORD(NIM_DELETE)), 2);

    // "  Remove" ends the program; the icon goes with the application.
    TForm2& third = CreateTray();
    EXPECT_EQ(TrayIconCount(), base + 1);
    HWND thirdWindow = fx.state.TrayIcon->MessageWindowHandle();
    third.Remove1.Click();
    EXPECT_TRUE(fx.app.Terminated());
    fx.app.DestroyAll();
    EXPECT_EQ(TrayIconCount(), base);
    EXPECT_EQ(fx.state.TrayIcon, nullptr);
    EXPECT_FALSE(IsWindow(thirdWindow)) << "no message can reach a destroyed tray icon";
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(TrayTest, ANewNotificationAreaGetsTheIconBackUnlessItWasRemoved) {
    TForm2& tray = CreateTray();
    ASSERT_EQ(TrayIconCount(), base + 1);
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    // The shell restarts and has lost its icons.
    NOTIFYICONDATAA lost = fx.state.TrayIcon->Data();
    Shell_NotifyIconA(NIM_DELETE, &lost);
    ASSERT_EQ(TrayIconCount(), base);
    PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return TrayIconCount() == base + 1; }));
    // Taken away on purpose: it stays away once the tray window has had the news.
    tray.RemoveSysTrayIcon();
    SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_EQ(TrayIconCount(), base);
}

TEST_F(TrayTest, ARefusedIconIsReportedAndThePreviousInstanceStays) {
    CreateTray();
    TTrayIcon* first = fx.state.TrayIcon;
    refuseAdd = true;
    TForm2& second = CreateTray();
    ASSERT_EQ(fx.recorded.boxes.size(), 1u);
    EXPECT_EQ(fx.recorded.boxes[0].text, "Cannot create shell notification icon.");
    EXPECT_EQ(fx.recorded.boxes[0].flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(fx.state.TrayIcon, first);
    EXPECT_EQ(fx.state.windows.TrayWindow(), &second);
    EXPECT_FALSE(second.Open1.onDrawItem) << "no XP painter after the failure";
    EXPECT_EQ(TrayIconCount(), base + 1);
}

TEST_F(TrayTest, HintAndIconChangesReachTheShellOnlyWhenTheyChangeSomething) {
    CreateTray();
    TTrayIcon& icon = *fx.state.TrayIcon;
    calls.clear();
    icon.SetHint("");  // already empty
    EXPECT_TRUE(calls.empty());
    const std::string longText(70, 'x');
    icon.SetHint(longText);
    EXPECT_EQ(icon.Hint(), longText);
    EXPECT_EQ(std::string(icon.Data().szTip), longText.substr(0, 63));
    EXPECT_TRUE(icon.Data().uFlags & NIF_TIP);
    icon.SetHint(longText);
    EXPECT_EQ(calls, (std::vector<DWORD>{NIM_MODIFY}));
    icon.SetHint("");
    EXPECT_FALSE(icon.Data().uFlags & NIF_TIP);
    EXPECT_EQ(calls.size(), 2u);

    ui::Icon other;
    other.Assign(LoadIconA(nullptr, MAKEINTRESOURCEA(32516)));  // IDI_INFORMATION
    icon.SetIcon(other);
    EXPECT_EQ(icon.Data().hIcon, other.Handle());
    EXPECT_EQ(calls.size(), 3u);
    icon.SetIcon(icon.Icon());
    EXPECT_EQ(calls.size(), 3u);
    EXPECT_EQ(TrayIconCount(), base + 1);
}

TEST_F(TrayTest, MouseMovesAreReportedButClicksAndReleasesDoNothing) {
    TForm2& tray = CreateTray();
    TTrayIcon& icon = *fx.state.TrayIcon;
    std::vector<std::string> events;
    icon.OnMouseMove = [&](TTrayIcon& sender, ui::ShiftState shift, int x, int y) {
        EXPECT_EQ(&sender, &icon);
        EXPECT_EQ(shift & (ui::ssLeft | ui::ssRight | ui::ssMiddle | ui::ssDouble), 0u);
        events.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    };
    icon.OnClick = icon.OnDblClick = [&](TTrayIcon&) { events.push_back("click"); };
    icon.OnMouseDown =
        icon.OnMouseUp = [&](TTrayIcon&, ui::MouseButton, ui::ShiftState, int, int) { events.push_back("button"); };
    tray.PopupMenu1.onPopup = [&] { events.push_back("menu"); };
    SetCursorPos(300, 200);
    HWND window = icon.MessageWindowHandle();
    for (UINT m :
         {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_MBUTTONDOWN})
        SendMessageA(window, kTrayCallbackMessage, 0, m);
    EXPECT_EQ(events, (std::vector<std::string>{"move 300,200"}));
}

TEST_F(TrayTest, RightButtonPressOpensTheMenuAtTheCursorAndTheChosenCommandRuns) {
    TForm2& tray = CreateTray();
    SetCursorPos(400, 300);
    RECT menuRect{};
    {
        MenuWatch choose([&](HWND menu) {
            GetWindowRect(menu, &menuRect);
            // Down to "  About", "  Help", over the separator to "  Open", and choose it.
            PostKeys(tray.Handle(), {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
        });
        SendMessageA(fx.state.TrayIcon->MessageWindowHandle(), kTrayCallbackMessage, 0, WM_RBUTTONDOWN);
    }
    // The menu opened with its right edge at the cursor.
    EXPECT_EQ(menuRect.right, 400);
    EXPECT_EQ(menuRect.top, 300);
    TForm1* main = OpenMainWindow(fx.app);
    ASSERT_NE(main, nullptr) << "\"  Open\" made no main window";
    EXPECT_TRUE(main->IsShowing());
}

TEST_F(TrayTest, TheMenuIsDrawnByTheXpPainterUnlessTheValueIsExactly0) {
    struct Row {
        const char* value;
        bool hooked;
    };
    // No icon is needed here: the shell takes every call.
    fx.state.platform.notifyIcon = [](DWORD, NOTIFYICONDATAA*) { return TRUE; };
    for (const Row& row : {Row{"0", false}, Row{"1", true}, Row{"", true}, Row{nullptr, true}, Row{" 0", true}}) {
        SCOPED_TRACE(row.value ? row.value : "(missing)");
        RegDeleteTree(SettingsKey());
        if (row.value) RegSetString(SettingsKey(), texts::ValXPmenu.Text(), row.value);
        TForm2& tray = CreateTray();
        EXPECT_TRUE(tray.PopupMenu1.OwnerDraw());
        for (ui::MenuItem* item : tray.PopupMenu1.Items()) {
            EXPECT_EQ(bool(item->onDrawItem), row.hooked) << item->Name();
            EXPECT_EQ(bool(item->onMeasureItem), row.hooked) << item->Name();
        }
        fx.app.DestroyForm(tray);
    }
    // The pictures the items carry.
    TForm2& tray = CreateTray();
    std::vector<std::string> items;
    for (ui::MenuItem* item : tray.PopupMenu1.Items())
        items.push_back(item->Caption() + " " + std::to_string(item->GetBitmap().Width()) + "x" +
                        std::to_string(item->GetBitmap().Height()));
    EXPECT_EQ(items,
              (std::vector<std::string>{"  About 16x16", "  Help 16x16", "- 0x0", "  Open 16x16", "  Remove 16x15"}));
}

TEST_F(TrayTest, OpenShowsTheMainWindowMakingOrRestoringItHelpOpensTheHelpFile) {
    TForm2& tray = CreateTray();
    tray.Open1.Click();
    TForm1* main = OpenMainWindow(fx.app);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->IsShowing());
    ShowWindow(main->Handle(), SW_MINIMIZE);
    tray.Open1.Click();
    EXPECT_FALSE(IsIconic(main->Handle()));
    EXPECT_TRUE(main->IsShowing());
    main->Hide();
    tray.Open1.Click();
    EXPECT_TRUE(main->IsShowing());
    EXPECT_EQ(OpenMainWindow(fx.app), main) << "no second main window";

    TempDir dir;
    WriteFile(dir / "PurgeletHlp.htm", "<html></html>");
    fx.state.ProgramFolder = dir.Path();
    std::vector<std::string> opened;
    fx.state.platform.shellOpen = [&](HWND, const std::string& file) {
        opened.push_back(file);
        return INT_PTR(42);
    };
    tray.Help1.Click();
    EXPECT_EQ(opened, (std::vector<std::string>{dir / "PurgeletHlp.htm"}));
}

// The box itself: AboutBoxTest.
TEST_F(TrayTest, AboutOpensTheAboutBox) {
    TForm2& tray = CreateTray();
    int boxes = -1;
    ModalWatch whileShown([&] {
        boxes = OpenAboutBoxes(fx.app);
        CloseAboutBoxes(fx.app);
    });
    tray.About1Click();
    EXPECT_EQ(boxes, 1);
}

TEST_F(TrayTest, EndOfSessionMakesAHiddenMainWindowRunsTheChosenClearingUnderABlockReasonAndEnds) {
    // The chosen clearing: the typed URLs only.
    const std::string typedURLs = kTypedUrlsKey;
    RegDeleteTree(typedURLs);
    RegSetString(typedURLs, "url1", "http://purgelet-tray.example/");
    RegSetString(SettingsKey(), texts::ValCustomMode.Text(), "1");
    RegSetString(SettingsKey(), texts::ValCustomTypedURLs.Text(), "1");
    std::vector<std::string> events;
    const auto left = [&] { return std::to_string(RegValueNames(typedURLs).size()) + " left"; };
    fx.state.platform.shutdownBlockReasonCreate = [&](HWND, const std::wstring& reason) {
        events.push_back((reason == L"Clearing privacy traces\u2026" ? "create, " : "create with another text, ") +
                         left());
        return true;
    };
    fx.state.platform.shutdownBlockReasonDestroy = [&](HWND) {
        events.push_back("destroy, " + left());
        return true;
    };
    TForm2& tray = CreateTray();
    SendMessageA(tray.Handle(), WM_ENDSESSION, 0, 0);
    EXPECT_EQ(OpenMainWindow(fx.app), nullptr) << "the session goes on";
    EXPECT_FALSE(fx.app.Terminated());

    // Shutdown clearing off: the main window is made (hidden) to read the option, then the program ends.
    SendMessageA(tray.Handle(), WM_ENDSESSION, 1, 0);
    TForm1* main = OpenMainWindow(fx.app);
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(main->IsShowing());
    EXPECT_TRUE(fx.app.Terminated());
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(left(), "1 left");

    // On: the reason is registered before the clearing starts and goes after it ends.
    main->chkExecuteClearShutDown.SetChecked(true);
    SendMessageA(tray.Handle(), WM_ENDSESSION, 1, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"create, 1 left", "destroy, 0 left"}));
    EXPECT_EQ(OpenMainWindow(fx.app), main);
    RegDeleteTree(typedURLs);

    // Also when the clearing ends by an error.
    events.clear();
    EXPECT_THROW(RunShutdownClearing(fx.state, tray.Handle(),
                                     [&] {
                                         events.push_back("clearing");
                                         throw std::runtime_error("failed");
                                     }),
                 std::runtime_error);
    EXPECT_EQ(events, (std::vector<std::string>{"create, 0 left", "clearing", "destroy, 0 left"}));
}

TEST_F(TrayTest, TheTrayOptionShowsAndRemovesTheIconAtOnce) {
    TForm1& main = fx.app.CreateForm<TForm1>(fx.state);
    main.Show();
    main.PageControl1.SetActivePage(&main.TabSettings);
    const auto clickInTray = [&](int icons) {
        Click(main.chkInTray.Handle());
        return PumpUntil([&] { return TrayIconCount() == icons; });
    };
    EXPECT_TRUE(clickInTray(base + 1));
    ASSERT_TRUE(main.chkInTray.Checked());
    EXPECT_NE(fx.app.FindFormByCaption("Form2"), nullptr);
    EXPECT_TRUE(clickInTray(base));
    EXPECT_EQ(fx.app.FindFormByCaption("Form2"), nullptr);
}
