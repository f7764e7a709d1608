// The built program under the X display, driven by real mouse and keyboard
// input (xdotool, carried out by with_real_input.sh).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "core/Texts.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace texts = purgelet::texts;

namespace {
constexpr char kMainCaption[] = "Ovk Purgelet v2.0.3";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunEntry[] = "Ovk Purgelet v2.0.3";

// Asks the wrapper to carry out one input request on the X display and waits until it is done.
bool RealInput(const std::string& request) {
    static int counter = 0;
    const std::string base = "T:\\input-requests\\" + std::to_string(counter++);
    WriteFile(base + ".tmp", request + "\n");
    if (!MoveFileA((base + ".tmp").c_str(), (base + ".req").c_str())) return false;
    for (int i = 0; i < 200; ++i) {
        HANDLE h = CreateFileA((base + ".done").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            char status[8] = {};
            DWORD got = 0;
            ReadFile(h, status, sizeof(status) - 1, &got, nullptr);
            CloseHandle(h);
            DeleteFileA((base + ".done").c_str());
            return status[0] == '0';
        }
        Sleep(50);
    }
    return false;
}

void Click(POINT at, int button = 1) {
    ASSERT_TRUE(RealInput("click " + std::to_string(at.x) + " " + std::to_string(at.y) + " " + std::to_string(button)))
        << "no input helper answered (run through with_real_input.sh)";
}

void Key(const std::string& keys) { ASSERT_TRUE(RealInput("key " + keys)) << "no input helper answered"; }

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

std::string TextOf(HWND h) {
    char text[512] = {};
    GetWindowTextA(h, text, sizeof(text));
    return text;
}

// A button-class control of the main window by its caption, its kind and the caption of the group it sits in.
HWND FindControl(HWND main, const std::string& group, const std::string& caption, LONG kind) {
    struct Ctx {
        std::string group, caption;
        LONG kind;
        HWND found;
    } ctx{group, caption, kind, nullptr};
    EnumChildWindows(
        main,
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            char cls[32] = {};
            GetClassNameA(h, cls, sizeof(cls));
            if (lstrcmpiA(cls, "Button") != 0 || TextOf(h) != c->caption) return TRUE;
            if ((GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK) != c->kind) return TRUE;
            if (!c->group.empty() && TextOf(GetParent(h)) != c->group) return TRUE;
            c->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

POINT CenterOf(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool Checked(HWND h) { return SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Brings the page holding a control forward with real clicks along the tab row.
void ShowPageOf(HWND main, HWND control) {
    HWND tabs = FindWindowExA(main, nullptr, "SysTabControl32", nullptr);
    ASSERT_NE(tabs, nullptr);
    RECT r{};
    GetWindowRect(tabs, &r);
    for (int x = r.left + 12; x < r.left + 320 && !IsWindowVisible(control); x += 14) {
        Click(POINT{x, r.top + 10});
        WaitUntil([&] { return IsWindowVisible(control) != FALSE; }, 500);
    }
    ASSERT_TRUE(IsWindowVisible(control)) << "its page could not be brought forward";
}

std::string Stored(const std::string& name) { return RegGetString(SettingsKey(), name); }

void DeleteRunEntry() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, kRunEntry);
    RegCloseKey(key);
}

// The built program, started and shown; closed (or ended) when the test is done with it.
class Program {
public:
    explicit Program(const std::string& exe = ProgramExe()) {
        process_ = Start(exe);
        if (!process_) return;
        pid = GetProcessId(process_);
        main = WaitForWindow(kMainCaption, nullptr, 30000, pid);
        if (main) WaitUntil([&] { return IsWindowVisible(main) != FALSE; });
    }
    ~Program() {
        if (!process_) return;
        if (!Ended(0) && main) PostMessageA(main, WM_CLOSE, 0, 0);
        if (!Ended(15000)) TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
    bool Ended(DWORD timeoutMs) { return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0; }
    // For a program that only hides when closed.
    void Kill() {
        TerminateProcess(process_, 1);
        Ended(15000);
    }
    HWND Control(const std::string& group, const std::string& caption, LONG kind) const {
        return FindControl(main, group, caption, kind);
    }
    // A message box of the program, if one shows within the time.
    HWND MessageBoxShown(DWORD timeoutMs) const { return WaitForWindow("Ovk Purgelet", "#32770", timeoutMs, pid); }

    DWORD pid = 0;
    HWND main = nullptr;

private:
    HANDLE process_ = nullptr;
};

class RealInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        DeleteRunEntry();
    }
    void TearDown() override {
        RegDeleteTree(SettingsKey());
        DeleteRunEntry();
    }
};
}  // namespace

TEST_F(RealInputTest, ClicksAndKeysStoreWhatTheControlsShow) {
    Program p;
    ASSERT_NE(p.main, nullptr) << "the main window did not appear";
    HWND cookies = p.Control(" Selected Items ", "IE Cookies", BS_AUTOCHECKBOX);
    ASSERT_NE(cookies, nullptr);
    Click(CenterOf(cookies));
    EXPECT_TRUE(WaitUntil([&] { return Stored(texts::ValClearCookies.Text()) == "1"; }));
    EXPECT_TRUE(WaitUntil([&] { return Checked(cookies); }));
    Key("space");
    EXPECT_TRUE(WaitUntil([&] { return Stored(texts::ValClearCookies.Text()) == "0"; }));
    EXPECT_TRUE(WaitUntil([&] { return !Checked(cookies); }));

    // Clearing at shutdown turns on the start at logon.
    HWND shutdown = p.Control("Execution", "Execute Clearing When Windows Shuts Down", BS_AUTOCHECKBOX);
    HWND runAtLogon = p.Control("", "Load when Windows starts (minimize to tray)", BS_AUTOCHECKBOX);
    HWND custom = p.Control("Execution", "Custom", BS_AUTORADIOBUTTON);
    HWND customCookies = p.Control("Execution", "IE Cookies", BS_AUTOCHECKBOX);
    ASSERT_TRUE(shutdown && runAtLogon && custom && customCookies);
    ShowPageOf(p.main, shutdown);
    EXPECT_FALSE(IsWindowEnabled(custom));
    Click(CenterOf(shutdown));
    EXPECT_TRUE(WaitUntil([&] { return Stored(texts::ValExecuteClearShutDown.Text()) == "1"; }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(custom) != FALSE; }));
    EXPECT_TRUE(Checked(runAtLogon));
    EXPECT_EQ(Stored("RunOnStartup"), "1");
    EXPECT_EQ(RegGetString(kRunKey, kRunEntry), ProgramExe());
    EXPECT_FALSE(IsWindowEnabled(customCookies));

    // "Custom" enables the custom boxes; an arrow key selects the next button up at once.
    Click(CenterOf(custom));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(customCookies) != FALSE; }));
    EXPECT_EQ(Stored(texts::ValCustomMode.Text()), "1");
    Key("Up");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(customCookies); }));
    EXPECT_EQ(Stored(texts::ValClearNotSelectedMode.Text()), "1");
    EXPECT_EQ(Stored(texts::ValCustomMode.Text()), "0");
    EXPECT_EQ(p.MessageBoxShown(0), nullptr);
}

TEST_F(RealInputTest, ClosingStoresThePositionThenEndsOrHides) {
    {
        // Alt+F4 goes the title-bar button's way: the system command SC_CLOSE, then WM_CLOSE.
        Program p;
        ASSERT_NE(p.main, nullptr);
        HWND exit = p.Control("", "&Exit", BS_PUSHBUTTON);
        ASSERT_NE(exit, nullptr);
        HWND tabs = FindWindowExA(p.main, nullptr, "SysTabControl32", nullptr);
        RECT r{};
        GetWindowRect(tabs, &r);
        Click(POINT{r.left + 12, r.top + 10});  // the "Main" tab: gives the window the keyboard
        Key("alt+F4");
        EXPECT_TRUE(p.Ended(20000)) << "the program did not end";
        EXPECT_EQ(Stored("MainTop"), "94");
        EXPECT_EQ(Stored("MainLeft"), "179");
    }
    {
        RegSetString(SettingsKey(), "MainTop", "200");
        RegSetString(SettingsKey(), "MainLeft", "150");
        Program p;
        ASSERT_NE(p.main, nullptr);
        RECT r{};
        GetWindowRect(p.main, &r);
        EXPECT_EQ(r.left, 150);
        EXPECT_EQ(r.top, 200);
        Click(CenterOf(p.Control("", "&Exit", BS_PUSHBUTTON)));
        EXPECT_TRUE(p.Ended(20000)) << "the program did not end";
        EXPECT_EQ(Stored("MainTop"), "200");
        EXPECT_EQ(Stored("MainLeft"), "150");
    }
    {
        // After "Show icon in tray" the program keeps running with its tray window.
        RegDeleteTree(SettingsKey());
        Program p;
        ASSERT_NE(p.main, nullptr);
        HWND inTray = p.Control("", "Show icon in tray", BS_AUTOCHECKBOX);
        ASSERT_NE(inTray, nullptr);
        ShowPageOf(p.main, inTray);
        EXPECT_EQ(WaitForWindow("Form2", nullptr, 0, p.pid), nullptr);
        Click(CenterOf(inTray));
        EXPECT_TRUE(WaitUntil([&] { return Stored("Check In Tray") == "1"; }));
        EXPECT_NE(WaitForWindow("Form2", nullptr, 5000, p.pid), nullptr) << "no tray window";
        Key("alt+F4");
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(p.main); })) << "the main window is still shown";
        EXPECT_FALSE(p.Ended(1500)) << "the program ended instead of staying in the tray";
        EXPECT_TRUE(IsWindow(p.main));
        EXPECT_EQ(Stored("MainTop"), "94");
        p.Kill();
    }
}

TEST_F(RealInputTest, PathWithABlankIsRegisteredInQuotes) {
    TempDir dir;
    const std::string folder = dir / "Ovk Purgelet";
    MakeDir(folder);
    const std::string exe = folder + "\\Purgelet.exe";
    ASSERT_TRUE(CopyFileA(ProgramExe().c_str(), exe.c_str(), FALSE));
    {
        Program p(exe);
        ASSERT_NE(p.main, nullptr);
        HWND runAtLogon = p.Control("", "Load when Windows starts (minimize to tray)", BS_AUTOCHECKBOX);
        ASSERT_NE(runAtLogon, nullptr);
        ShowPageOf(p.main, runAtLogon);
        Click(CenterOf(runAtLogon));
        EXPECT_TRUE(WaitUntil([&] { return Stored("RunOnStartup") == "1"; }));
        EXPECT_EQ(RegGetString(kRunKey, kRunEntry), "\"" + exe + "\"");
        Click(CenterOf(runAtLogon));
        EXPECT_TRUE(WaitUntil([&] { return Stored("RunOnStartup") == "0"; }));
        EXPECT_FALSE(RegValueExists(kRunKey, kRunEntry));
        EXPECT_TRUE(WaitUntil([&] { return !Checked(runAtLogon); }));
        EXPECT_EQ(p.MessageBoxShown(1000), nullptr);
    }
}

// A start-at-logon save that fails shows its message box, which takes the
// focus and the key press from the box that Space was pressed on.
TEST_F(RealInputTest, SpaceOnABoxWhoseSaveFailsLeavesTheStateOfTheRules) {
    DeniedKey denied(kRunKey);
    ASSERT_TRUE(denied.Denied());
    Program p;
    ASSERT_NE(p.main, nullptr);
    HWND runAtLogon = p.Control("", "Load when Windows starts (minimize to tray)", BS_AUTOCHECKBOX);
    HWND shutdown = p.Control("Execution", "Execute Clearing When Windows Shuts Down", BS_AUTOCHECKBOX);
    ASSERT_TRUE(runAtLogon && shutdown);
    ShowPageOf(p.main, runAtLogon);
    // A label takes no focus: a click on it gives the keyboard back to the window.
    HWND label = FindWindowExA(GetParent(runAtLogon), nullptr, "Static", nullptr);
    ASSERT_NE(label, nullptr);
    // Each action shows the failure box; a real click on its OK ends it.
    const auto failsWithTheBox = [&](const std::function<void()>& action) {
        action();
        HWND box = p.MessageBoxShown(10000);
        ASSERT_NE(box, nullptr) << "no failure box";
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(box) != FALSE; }));
        Sleep(300);  // placed and drawn
        HWND ok = FindWindowExA(box, nullptr, "Button", nullptr);
        ASSERT_NE(ok, nullptr);
        Click(CenterOf(ok));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        Click(CenterOf(label));
    };

    // A failed registration puts the box back as it was before the action.
    for (const auto& action :
         {std::function<void()>([&] { Click(CenterOf(runAtLogon)); }), std::function<void()>([&] { Key("space"); })}) {
        failsWithTheBox(action);
        Sleep(300);
        EXPECT_FALSE(Checked(runAtLogon));
        EXPECT_FALSE(RegValueExists(SettingsKey(), "RunOnStartup"));
    }

    // Clearing at shutdown is stored all the same, and its box shows that.
    failsWithTheBox([&] { Click(CenterOf(shutdown)); });
    Key("space");
    EXPECT_TRUE(WaitUntil([&] { return Stored(texts::ValExecuteClearShutDown.Text()) == "0"; }));
    failsWithTheBox([&] { Key("space"); });
    Sleep(300);
    EXPECT_EQ(Stored(texts::ValExecuteClearShutDown.Text()), "1");
    EXPECT_TRUE(Checked(shutdown));
    EXPECT_FALSE(Checked(runAtLogon));
    EXPECT_FALSE(RegValueExists(SettingsKey(), "RunOnStartup"));
}
