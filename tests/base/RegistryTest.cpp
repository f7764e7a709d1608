#include <gtest/gtest.h>

#include "base/Handles.h"
#include "base/Registry.h"
#include "support/TestSupport.h"

using namespace purgelet;

TEST(Registry, WideTextIsReadInFullAndUnterminatedDataWithinItsSize) {
    const std::string path = std::string(testing_support::kTestsKey) + "\\Registry";
    testing_support::RegDeleteTree(testing_support::kTestsKey);
    RegKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                              nullptr),
              ERROR_SUCCESS);
    const std::wstring text = L"C:\\\u4e2d\\Purgelet.exe";
    RegSetValueExW(key, L"Name \u00e9", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegWideText read = ReadRegWideText(key, L"Name \u00e9");
    EXPECT_EQ(read.status, RegWideText::Status::Read);
    EXPECT_EQ(read.text, text);
    // Three characters and an odd byte, with no terminating zero.
    RegSetValueExW(key, L"Raw", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(L"abcd"), 7);
    EXPECT_EQ(ReadRegWideText(key, L"Raw").text, L"abc");
    const DWORD number = 1;
    RegSetValueExW(key, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    EXPECT_EQ(ReadRegWideText(key, L"Number").status, RegWideText::Status::OtherType);
    EXPECT_EQ(ReadRegWideText(key, L"Missing").status, RegWideText::Status::Missing);
    EXPECT_EQ(ReadRegText(key, "Raw").text, "abc");
    key.Reset();
    testing_support::RegDeleteTree(testing_support::kTestsKey);
}
