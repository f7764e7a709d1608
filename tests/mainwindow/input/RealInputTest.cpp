// The built program under the X display, driven by real mouse and keyboard
// input (xdotool, carried out by tests/support/with_real_input.sh).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <functional>
#include <string>
#include <vector>

#include "core/Texts.h"
#include "mainwindow/OptionRules.h"
#include "support/Input.h"
#include "support/RealInput.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace texts = purgelet::texts;
using purgelet::kRunKeyPath;

namespace {

void ClickAt(POINT at, int button = 1) {
    ASSERT_TRUE(RealClick(at, button)) << "no input helper answered (run through with_real_input.sh)";
}

void Keys(const std::string& keys) { ASSERT_TRUE(RealKey(keys)) << "no input helper answered"; }

// A button-class control of the main window by its caption, its kind and the caption of the group it sits in.
HWND FindControl(HWND main, const std::string& group, const std::string& caption, LONG kind) {
    return FindChild(main, [&](HWND h) {
        char cls[32] = {};
        GetClassNameA(h, cls, sizeof(cls));
        return lstrcmpiA(cls, "Button") == 0 && TextOf(h) == caption &&
               (GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK) == kind && (group.empty() || TextOf(GetParent(h)) == group);
    });
}

bool Checked(HWND h) { return SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Brings the page holding a control forward with real clicks along the tab row.
void ShowPageOf(HWND main, HWND control) {
    HWND tabs = FindWindowExA(main, nullptr, "SysTabControl32", nullptr);
    ASSERT_NE(tabs, nullptr);
    RECT r{};
    GetWindowRect(tabs, &r);
    for (int x = r.left + 12; x < r.left + 320 && !IsWindowVisible(control); x += 14) {
        ClickAt(POINT{x, r.top + 10});
        WaitUntil([&] { return IsWindowVisible(control) != FALSE; }, 500);
    }
    ASSERT_TRUE(IsWindowVisible(control)) << "its page could not be brought forward";
}

std::string Stored(const std::string& name) { return RegGetString(SettingsKey(), name); }

void DeleteRunEntry() { RegRemoveValue(kRunKeyPath, kProgramName); }

// The built program, started and shown; closed (or ended) when the test is done with it.
class Program {
public:
    explicit Program(const std::string& exe = ProgramExe()) : program_(exe) {
        pid = program_.Id();
        main = program_ ? WaitForWindow(kProgramName, nullptr, 30000, pid) : nullptr;
        if (main) WaitUntil([&] { return IsWindowVisible(main) != FALSE; });
    }
    ~Program() {
        if (!Ended(0)) program_.End(main, 15000);
    }
    bool Ended(DWORD timeoutMs) {
        return !program_ || WaitForSingleObject(program_.Handle(), timeoutMs) == WAIT_OBJECT_0;
    }
    // For a program that only hides when closed.
    void Kill() { program_.End(nullptr, 0); }
    HWND Control(const std::string& group, const std::string& caption, LONG kind) const {
        return FindControl(main, group, caption, kind);
    }
    // A message box of the program, if one shows within the time.
    HWND MessageBoxShown(DWORD timeoutMs) const { return WaitForWindow("Ovk Purgelet", "#32770", timeoutMs, pid); }

    DWORD pid = 0;
    HWND main = nullptr;

private:
    StartedProgram program_;
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
    ClickAt(CentreOf(cookies));
    EXPECT_TRUE(WaitUntil([&] { return Stored(texts::ValClearCookies.Text()) == "1"; }));
    EXPECT_TRUE(WaitUntil([&] { return Checked(cookies); }));
    Keys("space");
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
    ClickAt(CentreOf(shutdown));
    EXPECT_TRUE(WaitUntil([&] { return Stored(texts::ValExecuteClearShutDown.Text()) == "1"; }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(custom) != FALSE; }));
    EXPECT_TRUE(Checked(runAtLogon));
    EXPECT_EQ(Stored("RunOnStartup"), "1");
    EXPECT_EQ(RegGetString(kRunKeyPath, kProgramName), ProgramExe());
    EXPECT_FALSE(IsWindowEnabled(customCookies));

    // "Custom" enables the custom boxes; an arrow key selects the next button up at once.
    ClickAt(CentreOf(custom));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(customCookies) != FALSE; }));
    EXPECT_EQ(Stored(texts::ValCustomMode.Text()), "1");
    Keys("Up");
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
        ClickAt(POINT{r.left + 12, r.top + 10});  // the "Main" tab: gives the window the keyboard
        Keys("alt+F4");
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
        ClickAt(CentreOf(p.Control("", "&Exit", BS_PUSHBUTTON)));
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
        ClickAt(CentreOf(inTray));
        EXPECT_TRUE(WaitUntil([&] { return Stored("Check In Tray") == "1"; }));
        EXPECT_NE(WaitForWindow("Form2", nullptr, 5000, p.pid), nullptr) << "no tray window";
        Keys("alt+F4");
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
        ClickAt(CentreOf(runAtLogon));
        EXPECT_TRUE(WaitUntil([&] { return Stored("RunOnStartup") == "1"; }));
        EXPECT_EQ(RegGetString(kRunKeyPath, kProgramName), "\"" + exe + "\"");
        ClickAt(CentreOf(runAtLogon));
        EXPECT_TRUE(WaitUntil([&] { return Stored("RunOnStartup") == "0"; }));
        EXPECT_FALSE(RegValueExists(kRunKeyPath, kProgramName));
        EXPECT_TRUE(WaitUntil([&] { return !Checked(runAtLogon); }));
        EXPECT_EQ(p.MessageBoxShown(1000), nullptr);
    }
}

// A start-at-logon save that fails shows its message box, which takes the
// focus and the key press from the box that Space was pressed on.
TEST_F(RealInputTest, SpaceOnABoxWhoseSaveFailsLeavesTheStateOfTheRules) {
    DeniedKey denied(kRunKeyPath);
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
        HWND ok = FindWindowExA(box, nullptr, "Button", nullptr);
        ASSERT_TRUE(ok && WaitUntil([&] { return IsWindowVisible(ok) != FALSE; }));
        ClickAt(CentreOf(ok));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        ClickAt(CentreOf(label));
    };

    // A failed registration puts the box back as it was before the action.
    for (const auto& action : {std::function<void()>([&] { ClickAt(CentreOf(runAtLogon)); }),
                               std::function<void()>([&] { Keys("space"); })}) {
        failsWithTheBox(action);
        EXPECT_TRUE(WaitUntil([&] { return !Checked(runAtLogon); }));
        EXPECT_FALSE(RegValueExists(SettingsKey(), "RunOnStartup"));
    }

    // Clearing at shutdown is stored all the same, and its box shows that.
    failsWithTheBox([&] { ClickAt(CentreOf(shutdown)); });
    Keys("space");
    EXPECT_TRUE(WaitUntil([&] { return Stored(texts::ValExecuteClearShutDown.Text()) == "0"; }));
    failsWithTheBox([&] { Keys("space"); });
    EXPECT_TRUE(WaitUntil([&] { return Checked(shutdown) && Stored(texts::ValExecuteClearShutDown.Text()) == "1"; }));
    EXPECT_FALSE(Checked(runAtLogon));
    EXPECT_FALSE(RegValueExists(SettingsKey(), "RunOnStartup"));
}

// "Kept sites..." by mouse and keyboard: a site typed and added with Enter, a
// bad one refused with a message, a site removed, and one picked from the
// cookies of the URL cache.
TEST_F(RealInputTest, KeptSitesAreTypedRemovedAndPickedFromTheCookies) {
    const std::string keep = SettingsKey() + "\\CookiesInfoKeep";
    ClearUrlCache();
    ASSERT_TRUE(
        InternetSetCookieA("http://picked.example.net/", nullptr, "id=1; expires=Fri, 31-Dec-2037 23:59:59 GMT"));
    const auto type = [](const std::string& text) {
        for (char c : text) Keys(c == '.' ? "period" : c == ':' ? "colon" : std::string(1, c));
        Keys("Return");
    };
    const auto list = [](HWND window) { return FindChild(window, "SysListView32", ""); };
    Program p;
    ASSERT_NE(p.main, nullptr) << "the main window did not appear";
    HWND open = FindChild(p.main, "Button", "Kept sites...");
    ASSERT_NE(open, nullptr);
    ShowPageOf(p.main, open);
    ClickAt(CentreOf(open));
    HWND dialog = WaitForWindow("Kept sites", nullptr, 10000, p.pid);
    ASSERT_NE(dialog, nullptr);
    HWND edit = FindChild(dialog, "Edit", "");
    ClickAt(CentreOf(edit));
    type("News.example.org");
    EXPECT_TRUE(WaitUntil([&] { return RegValueExists(keep, "news.example.org"); }));
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(list(dialog), LVM_GETITEMCOUNT, 0, 0) == 1; }));
    type("x:1");
    HWND refused = WaitForWindow("Error", "#32770", 10000, p.pid);
    ASSERT_NE(refused, nullptr) << "no message for a bad site";
    Keys("Return");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(refused); }));
    EXPECT_EQ(RegValueNames(keep), std::vector<std::string>{"news.example.org"});

    // The row clicked, then "Remove".
    RECT header{};
    GetWindowRect(FindWindowExA(list(dialog), nullptr, "SysHeader32", nullptr), &header);
    ClickAt(POINT{header.left + 40, header.bottom + 8});
    ClickAt(CentreOf(FindChild(dialog, "Button", "&Remove")));
    EXPECT_TRUE(WaitUntil([&] { return RegValueNames(keep).empty(); }));

    // From the cookies: the site's box ticked with the space bar, kept with Enter.
    ClickAt(CentreOf(FindChild(dialog, "Button", "Add from &cookies...")));
    HWND pick = WaitForWindow("Add from cookies", nullptr, 10000, p.pid);
    ASSERT_NE(pick, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list(pick), LVM_GETITEMCOUNT, 0, 0) == 1; }));
    GetWindowRect(FindWindowExA(list(pick), nullptr, "SysHeader32", nullptr), &header);
    ClickAt(POINT{header.left + 60, header.bottom + 8});
    Keys("space");
    Keys("Return");
    EXPECT_TRUE(WaitUntil([&] { return RegValueExists(keep, "picked.example.net"); }));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(pick); }));
    Keys("Escape");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
    ClearUrlCache();
}

// The pages from the keyboard alone: Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown
// and Ctrl+PageUp go round them, and Tab stops on the tab row between a
// page's last control and its first. The Kept sites dialog opens ready for a
// site, Alt+S comes back to its box, and Del takes the selected sites out.
TEST_F(RealInputTest, PagesAndKeptSitesFromTheKeyboard) {
    const std::string keep = SettingsKey() + "\\CookiesInfoKeep";
    RegDeleteTree(keep);
    Program p;
    ASSERT_NE(p.main, nullptr) << "the main window did not appear";
    HWND tabs = FindWindowExA(p.main, nullptr, "SysTabControl32", nullptr);
    ASSERT_NE(tabs, nullptr);
    const DWORD thread = GetWindowThreadProcessId(p.main, nullptr);
    const auto focus = [thread] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
    };
    const auto page = [tabs] { return static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)); };
    const auto pressUntil = [&](const std::string& keys, const std::function<bool()>& done) {
        for (int k = 0; k < 40 && !done(); ++k) {
            Keys(keys);
            WaitUntil(done, 300);
        }
        return done();
    };
    ClickAt(CentreOf(FindChild(p.main, "Static", "Messages :")));
    ASSERT_EQ(page(), 0);

    const std::pair<const char*, int> steps[] = {{"ctrl+Tab", 1},   {"ctrl+Tab", 2},   {"ctrl+shift+Tab", 1},
                                                 {"ctrl+Next", 2},  {"ctrl+Prior", 1}, {"ctrl+Prior", 0},
                                                 {"ctrl+Prior", 4}, {"ctrl+Next", 0}};
    for (const auto& [keys, shown] : steps) {
        Keys(keys);
        EXPECT_TRUE(WaitUntil([&] { return page() == shown; }, 3000)) << keys << " shows page " << page();
        EXPECT_TRUE(focus() == tabs || IsWindowVisible(focus())) << keys << ": the focus is on a hidden page";
    }

    // Tab reaches the tab row; an arrow there turns the page; Tab goes into
    // it and Shift+Tab back.
    ASSERT_TRUE(pressUntil("Tab", [&] { return focus() == tabs; })) << "Tab never reaches the tab row";
    Keys("Right");
    EXPECT_TRUE(WaitUntil([&] { return page() == 1; }, 3000));
    Keys("Tab");
    EXPECT_TRUE(WaitUntil([&] { return focus() == FindChild(p.main, "SysListView32", ""); }, 3000));
    Keys("shift+Tab");
    EXPECT_TRUE(WaitUntil([&] { return focus() == tabs; }, 3000));
    Keys("shift+Tab");
    HWND keptSites = FindChild(p.main, "Button", "Kept sites...");
    ASSERT_TRUE(WaitUntil([&] { return focus() == keptSites; }, 3000)) << "the page's last control";

    Keys("space");
    HWND dialog = WaitForWindow("Kept sites", nullptr, 10000, p.pid);
    ASSERT_NE(dialog, nullptr);
    HWND edit = FindChild(dialog, "Edit", ""), list = FindChild(dialog, "SysListView32", "");
    EXPECT_TRUE(WaitUntil([&] { return focus() == edit; }, 3000)) << "the dialog opens on its Site box";
    for (const std::string site : {"a.example.org", "b.example.org"}) {
        for (char c : site) Keys(c == '.' ? "period" : std::string(1, c));
        Keys("Return");
        EXPECT_TRUE(WaitUntil([&] { return RegValueExists(keep, site); }));
    }
    ASSERT_TRUE(pressUntil("shift+Tab", [&] { return focus() == list; }));
    Keys("Home");
    Keys("shift+End");
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == 2; }, 3000));
    Keys("Delete");
    EXPECT_TRUE(WaitUntil([&] { return RegValueNames(keep).empty(); }));
    Keys("alt+s");
    EXPECT_TRUE(WaitUntil([&] { return focus() == edit; }, 3000)) << "Alt+S comes back to the Site box";
    Keys("Escape");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
    RegDeleteTree(keep);
}
