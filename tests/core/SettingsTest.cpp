#include <gtest/gtest.h>

#include "core/Settings.h"
#include "core/Texts.h"
#include "base/Errors.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {
const std::string kKey = std::string(kTestsKey) + "\\Settings";

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTree(kTestsKey); }
    void TearDown() override { RegDeleteTree(kTestsKey); }
    Platform platform;
    SettingsStore store{platform};
};
}  // namespace

TEST_F(SettingsStoreTest, FirstRunReadsEmptyAndTheFirstWriteCreatesTheKey) {
    EXPECT_FALSE(RegKeyExists(kKey));
    EXPECT_EQ(store.ReadIniFromReg(kKey, "MainTop"), "");
    EXPECT_EQ(store.ReadIniFromReg(kKey, texts::ValXPmenu.Text()), "");
    EXPECT_TRUE(IsXpMenuOn(""));
    EXPECT_FALSE(IsSwitchOn(""));
    store.WriteIniToReg(kKey, "RunOnStartup", "1");
    EXPECT_TRUE(RegKeyExists(kKey));
    EXPECT_EQ(RegGetString(kKey, "RunOnStartup"), "1");
}

TEST_F(SettingsStoreTest, SwitchesAreOnOnlyForExactlyOne) {
    for (const char* text : {"true", "yes", "01", " 1", "1 ", "0", ""}) {
        store.WriteIniToReg(kKey, "Check In Tray", text);
        EXPECT_FALSE(IsSwitchOn(store.ReadIniFromReg(kKey, "Check In Tray"))) << '"' << text << '"';
    }
    store.WriteIniToReg(kKey, "Check In Tray", "1");
    EXPECT_TRUE(IsSwitchOn(store.ReadIniFromReg(kKey, "Check In Tray")));
    // The XP menu style is off only for exactly "0".
    for (const char* text : {"false", "", " 0", "00"}) EXPECT_TRUE(IsXpMenuOn(text)) << text;
    EXPECT_FALSE(IsXpMenuOn("0"));
}

TEST_F(SettingsStoreTest, LastWriteWinsAndReplacesAnyType) {
    RegSetDword(kKey, "Opt", 7);
    store.WriteIniToReg(kKey, "Opt", "first");
    store.WriteIniToReg(kKey, "Opt", "second");
    EXPECT_EQ(RegValueNames(kKey).size(), 1u);
    EXPECT_EQ(store.ReadIniFromReg(kKey, "Opt"), "second");
}

TEST_F(SettingsStoreTest, ValueOfAnotherTypeRaisesInvalidDataType) {
    RegSetDword(kKey, "Check In Tray", 1);
    try {
        store.ReadIniFromReg(kKey, "Check In Tray");
        FAIL() << "no error raised";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Check In Tray'");
    }
    // REG_EXPAND_SZ is read without expansion.
    RegSetRaw(kKey, "Path", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9));
    EXPECT_EQ(store.ReadIniFromReg(kKey, "Path"), "%TEMP%\\x");
    // A value of size zero reads as empty, whatever its type.
    RegSetRaw(kKey, "Empty", REG_BINARY, "");
    EXPECT_EQ(store.ReadIniFromReg(kKey, "Empty"), "");
}

TEST_F(SettingsStoreTest, UnterminatedStringIsReadWithinItsData) {
    RegSetRaw(kKey, "Raw", REG_SZ, "12345");  // no terminating zero
    EXPECT_EQ(store.ReadIniFromReg(kKey, "Raw"), "12345");
    RegSetRaw(kKey, "Cut", REG_SZ, std::string("ab\0cd", 5));
    EXPECT_EQ(store.ReadIniFromReg(kKey, "Cut"), "ab");
}

TEST_F(SettingsStoreTest, FailedWriteRaisesFailedToSetData) {
    platform.regSetValue = [](HKEY, const char*, DWORD, const BYTE*, DWORD) { return LONG(ERROR_ACCESS_DENIED); };
    try {
        store.WriteIniToReg(kKey, "MainTop", "10");
        FAIL() << "no error raised";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'MainTop'");
    }
    EXPECT_FALSE(RegValueExists(kKey, "MainTop"));
}

TEST_F(SettingsStoreTest, DeleteValueReportsWhetherItWasDeleted) {
    EXPECT_FALSE(store.Delete_Value_InRegistry(kKey, "Opt"));  // key absent
    store.WriteIniToReg(kKey, "Opt", "1");
    EXPECT_TRUE(store.Delete_Value_InRegistry(kKey, "Opt"));
    EXPECT_FALSE(store.Delete_Value_InRegistry(kKey, "Opt"));
    EXPECT_TRUE(RegKeyExists(kKey));
}

TEST_F(SettingsStoreTest, EmptyKeyPathActsOnTheRootOfTheUsersHive) {
    const std::string name = "Purgelet Test Value";
    store.WriteIniToReg("", name, "root");
    EXPECT_EQ(RegGetString("", name), "root");
    EXPECT_EQ(store.ReadIniFromReg("", name), "root");
    EXPECT_TRUE(store.Delete_Value_InRegistry("", name));
    EXPECT_FALSE(RegValueExists("", name));
}
