// How a message finds its object, the one message pump, the last-resort
// error box, and the owning handle wrappers.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "core/Settings.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "base/Errors.h"
#include "framework/Form.h"
#include "base/Handles.h"
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

// The handles this process holds, as the system lists them (the handle
// count of GetProcessHandleCount is not kept under Wine).
DWORD OpenHandles() {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        PVOID object;
        ULONG access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using Query = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    constexpr int kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<char> buffer(1 << 16);
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr)) ==
           kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) return 0;
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    DWORD mine = 0;
    for (ULONG i = 0; i < table->count; ++i)
        if (table->entries[i].ownerPid == GetCurrentProcessId()) ++mine;
    return mine;
}
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
    EXPECT_EQ(fx.app.ControlOf(button), &form.button);
    DestroyWindow(button);
    EXPECT_EQ(form.button.Handle(), nullptr);
    EXPECT_EQ(fx.app.ControlOf(button), nullptr);
    SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(clicks, 0);

    // A window that is still there but no longer in the map gets the default
    // procedure only: the box toggles, its object hears nothing.
    const HWND check = form.check.Handle();
    fx.app.UnregisterWindow(check);
    SendMessageA(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(check, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
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

TEST(Handles, WrappersCloseWhatTheyOwnOnEveryPath) {
    TempDir dir;
    WriteFile(dir / "a.txt");
    const DWORD before = OpenHandles();
    ASSERT_GT(before, 0u) << "the handle count is not available";
    {
        FileHandle file(
            CreateFileA((dir / "a.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        WIN32_FIND_DATAA data;
        FindHandle find(FindFirstFileA((dir / "*").c_str(), &data));
        ASSERT_TRUE(find);
        RegKey key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.Receive()), ERROR_SUCCESS);
        EXPECT_EQ(OpenHandles(), before + 3);
        FileHandle moved(std::move(file));
        EXPECT_FALSE(file);
        EXPECT_EQ(OpenHandles(), before + 3);
    }
    EXPECT_EQ(OpenHandles(), before);

    // The settings store closes its key also when a read fails with an error.
    const std::string key = SettingsKey();
    RegSetString(key, "Text", "1");
    RegSetDword(key, "Number", 1);
    purgelet::Platform platform;
    purgelet::SettingsStore store(platform);
    const auto round = [&] {
        store.WriteIniToReg(key, "Text", "2");
        EXPECT_EQ(store.ReadIniFromReg(key, "Text"), "2");
        EXPECT_THROW(store.ReadIniFromReg(key, "Number"), Error);
        EXPECT_TRUE(store.Delete_Value_InRegistry(key, "Text"));
    };
    round();  // the system opens a few handles of its own the first time
    const DWORD beforeStore = OpenHandles();
    for (int i = 0; i < 5; ++i) round();
    EXPECT_EQ(OpenHandles(), beforeStore);
    RegDeleteTree(key);
}
