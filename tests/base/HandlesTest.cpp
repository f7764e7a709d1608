// The owning wrappers close or release what they hold on every path.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>
#include <vector>

#include "base/Com.h"
#include "base/Errors.h"
#include "base/Handles.h"
#include "core/Settings.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {
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

// A COM object of the test's own that counts its references.
class Counted : public IUnknown {
public:
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};
}  // namespace

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

TEST(Handles, AnInterfacePointerIsReleasedOnceWhateverBecomesOfIt) {
    Counted first, second;
    {
        ComPtr<IUnknown> held;
        *held.Receive() = &first;
        ComPtr<IUnknown> moved(std::move(held));
        EXPECT_FALSE(held);
        EXPECT_EQ(moved.Get(), &first);
        EXPECT_EQ(first.refs, 1u);
        // Receiving a new one lets go of the old.
        *moved.Receive() = &second;
        EXPECT_EQ(first.refs, 0u);
        held = std::move(moved);
        EXPECT_EQ(second.refs, 1u);
    }
    EXPECT_EQ(first.refs, 0u);
    EXPECT_EQ(second.refs, 0u);
}
