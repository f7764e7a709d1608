// The tray of the built program with real X input: a right-button press on
// the icon in Wine's notification area opens the menu, a click elsewhere
// closes it, and the commands chosen with the mouse do their work. Run by
// tests/tray/tray_input.sh, which carries out the input and takes the
// pictures (docs/tray-menu-*.png); disabled in the plain test run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/Texts.h"
#include "support/TestSupport.h"
#include "tray/TrayTestHelpers.h"

using namespace purgelet;
using namespace testing_support;
using tray_testing::TrayIconCount;
using tray_testing::WaitForTrayIcons;

namespace {
constexpr char kInput[] = "T:\\tray-input\\";

// Asks the script on the host for input or a picture; true once it is done.
bool Host(const std::string& command) {
    const std::string dir = kInput, done = dir + "done", tmp = dir + "request.tmp";
    DeleteFileA(done.c_str());
    {
        std::ofstream out(tmp, std::ios::trunc | std::ios::binary);
        out << command << "\n";
    }
    if (!MoveFileExA(tmp.c_str(), (dir + "request").c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    for (int i = 0; i < 300; ++i) {
        if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
            DeleteFileA(done.c_str());
            Sleep(150);  // let the input arrive
            return true;
        }
        Sleep(50);
    }
    return false;
}
bool Move(POINT p) { return Host("move " + std::to_string(p.x) + " " + std::to_string(p.y)); }
bool Click(int button) { return Host("click " + std::to_string(button)); }

RECT IconRect() {
    RECT r{};
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    if (HWND icon = tray ? FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr) : nullptr)
        GetWindowRect(icon, &r);
    return r;
}
POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The visible popup menu of a process, or null.
HWND OpenMenu(DWORD pid) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w;
         w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}
bool WaitForMenu(DWORD pid, bool open, DWORD timeoutMs = 5000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if ((OpenMenu(pid) != nullptr) == open) return true;
        Sleep(50);
    }
    return false;
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
// into T:\tray-input\opened.txt (the prefix has none of its own).
class HtmStandIn {
public:
    HtmStandIn() {
        Set(".htm", "PurgeletTestHtm");
        Set("PurgeletTestHtm\\shell\\open\\command", "cmd.exe /c echo %1> T:\\tray-input\\opened.txt");
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
        if (program) {
            if (WaitForSingleObject(program, 0) == WAIT_TIMEOUT) TerminateProcess(program, 1);
            CloseHandle(program);
        }
        WaitForTrayIcons(base);
        RegDeleteTree(SettingsKey());
    }
    void StartProgram() {
        program = Start(ProgramExe());
        ASSERT_NE(program, nullptr);
        pid = GetProcessId(program);
        ASSERT_TRUE(WaitForTrayIcons(base + 1, 30000)) << "no icon in the notification area";
        WaitForInputIdle(program, 10000);
        icon = Centre(IconRect());
    }
    // A real right-button press on the icon; the menu's item centres.
    MenuPoints OpenTheMenu() {
        EXPECT_TRUE(Move(icon) && Click(3)) << "no input: run through tests/tray/tray_input.sh";
        EXPECT_TRUE(WaitForMenu(pid, true)) << "the right-click opened no menu";
        HWND menu = OpenMenu(pid);
        return menu ? ItemsOf(menu) : MenuPoints{};
    }
    // Pictures the menu with the pointer over "  Open".
    void Picture(const char* name, const MenuPoints& items) {
        ASSERT_TRUE(Move(items.open));
        Sleep(300);
        RECT m{};
        GetWindowRect(OpenMenu(pid), &m);
        RECT tray{};
        GetWindowRect(FindWindowA(nullptr, "Wine System Tray"), &tray);
        const int w = std::max(m.right, tray.right) + 12, h = m.bottom + 12;
        EXPECT_TRUE(Host(std::string("shot ") + name + " 0 0 " + std::to_string(w) + " " + std::to_string(h)));
    }
    void ChooseRemove(const MenuPoints& items) {
        ASSERT_TRUE(Move(items.remove) && Click(1));
        EXPECT_EQ(WaitForSingleObject(program, 20000), WAIT_OBJECT_0) << "\"  Remove\" did not end the program";
        EXPECT_TRUE(WaitForTrayIcons(base)) << "the icon stayed";
    }

    HANDLE program = nullptr;
    DWORD pid = 0;
    int base = 0;
    POINT icon{};
};
}  // namespace

TEST_F(TrayRealInput, DISABLED_XpMenuOpensClosesElsewhereAndCarriesOutHelpOpenAndRemove) {
    RegSetString(SettingsKey(), texts::ValXPmenu.Text(), "1");
    HtmStandIn standIn;
    DeleteFileA((std::string(kInput) + "opened.txt").c_str());
    StartProgram();

    MenuPoints items = OpenTheMenu();
    Picture("tray-menu-xp", items);
    // A click elsewhere closes the menu, and the next right-click opens it at once.
    ASSERT_TRUE(Move(POINT{600, 500}) && Click(1));
    EXPECT_TRUE(WaitForMenu(pid, false)) << "the menu stayed open after a click elsewhere";
    items = OpenTheMenu();

    // "  Help" opens the help file with the program registered for it.
    ASSERT_TRUE(Move(items.help) && Click(1));
    std::string opened;
    for (int i = 0; i < 100 && opened.empty(); ++i) {
        Sleep(100);
        std::ifstream in(std::string(kInput) + "opened.txt");
        std::getline(in, opened);
    }
    EXPECT_NE(opened.find("PurgeletHlp.htm"), std::string::npos) << opened;

    // "  Open" shows the main window, which was released at start.
    EXPECT_EQ(WaitForWindow("Ovk Purgelet v2.0.3", nullptr, 0, pid), nullptr);
    items = OpenTheMenu();
    ASSERT_TRUE(Move(items.open) && Click(1));
    HWND main = WaitForWindow("Ovk Purgelet v2.0.3", nullptr, 10000, pid);
    ASSERT_NE(main, nullptr) << "\"  Open\" showed no main window";
    for (int i = 0; i < 50 && !IsWindowVisible(main); ++i) Sleep(100);
    EXPECT_TRUE(IsWindowVisible(main));

    // "  Remove" ends the program and takes the icon away.
    ChooseRemove(OpenTheMenu());
}

TEST_F(TrayRealInput, DISABLED_PlainOwnerDrawnMenuWhenTheXpValueIs0) {
    RegSetString(SettingsKey(), texts::ValXPmenu.Text(), "0");
    StartProgram();
    const MenuPoints items = OpenTheMenu();
    Picture("tray-menu-plain", items);
    ChooseRemove(items);
}
