#include <gtest/gtest.h>

#include "base/Text.h"

using namespace purgelet;

TEST(Text, WidensNarrowsAndWritesUtf8) {
    EXPECT_EQ(Widen("C:\\Temp\\a b.txt"), L"C:\\Temp\\a b.txt");
    EXPECT_EQ(Narrow(L"C:\\Temp\\a b.txt"), "C:\\Temp\\a b.txt");
    EXPECT_EQ(Widen(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
    EXPECT_TRUE(Widen("").empty());
    EXPECT_TRUE(Narrow(L"").empty());
    EXPECT_EQ(Utf8(L"caf\u00e9 \u4e2d"), "caf\xc3\xa9 \xe4\xb8\xad");
}
