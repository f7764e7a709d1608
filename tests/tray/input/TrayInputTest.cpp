// The tray of the built program with real X input: a right-button press on
// the icon in Wine's notification area opens the menu, a click elsewhere
// closes it, and the commands chosen with the mouse do their work. Run by
// tests/support/with_real_input.sh, which carries out the input and takes the
// pictures (docs/tray-menu-*.png).
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "core/Texts.h"
#include "support/Input.h"
#include "support/RealInput.h"
#include "support/TestSupport.h"
#include "tray/TrayTestHelpers.h"

using namespace purgelet;
using namespace testing_support;
using tray_testing::TrayIconCount;
using tray_testing::WaitForTrayIcons;

namespace {
// Real input, then a moment for it to arrive.
bool MoveTo(POINT p) { return RealMove(p) && (Sleep(150), true); }
bool ClickAt(POINT p, int button) { return RealClick(p, button) && (Sleep(150), true); }

HWND IconWindow() {
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    return tray ? FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr) : nullptr;
}

bool WaitForMenu(DWORD pid, bool open) {
    return WaitUntil([&] { return (VisibleMenu(pid) != nullptr) == open; }, 5000);
}

// The centres of the menu's items: four items of one height and a separator
// of 8 pixels, inside a border of 3.
struct MenuPoints {
    POINT about, help, open, remove;
};
MenuPoints ItemsOf(HWND menu) {
    RECT m{};
    GetWindowRect(menu, &m);
    const int item = (m.bottom - m.top - 6 - 8) / 4, x = (m.left + m.right) / 2, top = m.top + 3;
    return {{x, top + item / 2},
            {x, top + item + item / 2},
            {x, top + 2 * item + 8 + item / 2},
            {x, top + 3 * item + 8 + item / 2}};
}

// A registered program for .htm files that writes the file it was given
// into `record` (the prefix has none of its own).
class HtmStandIn {
public:
    explicit HtmStandIn(const std::string& record) {
        Set(".htm", "PurgeletTestHtm");
        Set("PurgeletTestHtm\\shell\\open\\command", "cmd.exe /c echo %1> " + record);
    }
    ~HtmStandIn() {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "PurgeletTestHtm");
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ".htm");
    }

private:
    static void Set(const char* key, const std::string& value) {
        HKEY k = nullptr;
        RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(k);
    }
};

class TrayRealInput : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        // In the tray only: the main window is released at start.
        RegSetString(SettingsKey(), "RunOnStartup", "1");
        base = TrayIconCount();
    }
    void TearDown() override {
        program.reset();  // ended if still running
        WaitForTrayIcons(base);
        RegDeleteTree(SettingsKey());
    }
    void StartProgram() {
        program.emplace(ProgramExe());
        ASSERT_TRUE(*program);
        pid = program->Id();
        ASSERT_TRUE(WaitForTrayIcons(base + 1, 30000)) << "no icon in the notification area";
        WaitForInputIdle(program->Handle(), 10000);
        icon = CentreOf(IconWindow());
    }
    // A real right-button press on the icon; the menu's item centres.
    MenuPoints OpenTheMenu() {
        EXPECT_TRUE(ClickAt(icon, 3)) << "no input: run through tests/support/with_real_input.sh";
        EXPECT_TRUE(WaitForMenu(pid, true)) << "the right-click opened no menu";
        HWND menu = VisibleMenu(pid);
        return menu ? ItemsOf(menu) : MenuPoints{};
    }
    // Pictures the menu with the pointer over "  Open".
    void Picture(const char* name, const MenuPoints& items) {
        ASSERT_TRUE(MoveTo(items.open));
        Sleep(300);
        RECT m{};
        GetWindowRect(VisibleMenu(pid), &m);
        RECT tray{};
        GetWindowRect(FindWindowA(nullptr, "Wine System Tray"), &tray);
        EXPECT_TRUE(RealShot(name, RECT{0, 0, std::max(m.right, tray.right) + 12, m.bottom + 12}));
    }
    void ChooseRemove(const MenuPoints& items) {
        ASSERT_TRUE(ClickAt(items.remove, 1));
        EXPECT_EQ(WaitForSingleObject(program->Handle(), 20000), WAIT_OBJECT_0)
            << "\"  Remove\" did not end the program";
        EXPECT_TRUE(WaitForTrayIcons(base)) << "the icon stayed";
    }

    std::optional<StartedProgram> program;
    DWORD pid = 0;
    int base = 0;
    POINT icon{};
};
}  // namespace

TEST_F(TrayRealInput, XpMenuOpensClosesElsewhereAndCarriesOutHelpOpenAndRemove) {
    RegSetString(SettingsKey(), texts::ValXPmenu.Text(), "1");
    TempDir dir;
    HtmStandIn standIn(dir / "opened.txt");
    StartProgram();

    MenuPoints items = OpenTheMenu();
    Picture("tray-menu-xp", items);
    // A click elsewhere closes the menu, and the next right-click opens it at once.
    ASSERT_TRUE(ClickAt(POINT{600, 500}, 1));
    EXPECT_TRUE(WaitForMenu(pid, false)) << "the menu stayed open after a click elsewhere";
    items = OpenTheMenu();

    // "  Help" opens the help file with the program registered for it.
    ASSERT_TRUE(ClickAt(items.help, 1));
    std::string opened;
    for (int i = 0; i < 100 && opened.empty(); ++i) {
        Sleep(100);
        std::ifstream in(dir / "opened.txt");
        std::getline(in, opened);
    }
    EXPECT_NE(opened.find("PurgeletHlp.htm"), std::string::npos) << opened;

    // "  Open" shows the main window, which was released at start.
    EXPECT_EQ(WaitForWindow(kProgramName, nullptr, 0, pid), nullptr);
    items = OpenTheMenu();
    ASSERT_TRUE(ClickAt(items.open, 1));
    HWND main = WaitForWindow(kProgramName, nullptr, 10000, pid);
    ASSERT_NE(main, nullptr) << "\"  Open\" showed no main window";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 5000));

    // "  Remove" ends the program and takes the icon away.
    ChooseRemove(OpenTheMenu());
}

// Drawn plain: the item under the pointer in the system's highlight colour,
// the others in the menu's colour from their image to their edge.
TEST_F(TrayRealInput, PlainOwnerDrawnMenuWhenTheXpValueIs0) {
    RegSetString(SettingsKey(), texts::ValXPmenu.Text(), "0");
    StartProgram();
    const MenuPoints items = OpenTheMenu();
    Picture("tray-menu-plain", items);
    RECT m{};
    GetWindowRect(VisibleMenu(pid), &m);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, m.right - 8, items.open.y), GetSysColor(COLOR_HIGHLIGHT));
    for (const POINT& p : {items.about, items.remove})
        for (const int x : {m.left + 3 + 20, m.right - 8})
            EXPECT_EQ(GetPixel(screen, x, p.y), GetSysColor(COLOR_MENU)) << x - m.left << "," << p.y - m.top;
    ReleaseDC(nullptr, screen);
    ChooseRemove(items);
}
