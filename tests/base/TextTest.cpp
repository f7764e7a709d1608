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

// A path for ANSI-only file functions is the same path or none: a character
// the code page lacks is never replaced by its best-fit look-alike.
TEST(Text, NarrowsAPathExactlyOrNotAtAll) {
    EXPECT_EQ(NarrowPath(L"C:\\Temp\\a b"), "C:\\Temp\\a b");
    EXPECT_EQ(NarrowPath(L""), "");
    const std::wstring omega = L"C:\\\u03a9mega";
    const std::optional<std::string> narrowed = NarrowPath(omega);
    if (narrowed) {
        EXPECT_EQ(WidenPath(*narrowed), omega);
    } else {
        // What the bare conversion makes of it names another folder.
        EXPECT_EQ(Narrow(omega), "C:\\Omega");
    }
    if (GetACP() == 1252) {
        EXPECT_FALSE(narrowed);
        EXPECT_EQ(NarrowPath(L"C:\\Caf\u00e9"), "C:\\Caf\xe9");
        // Best fit would turn these into plain letters and quotes.
        EXPECT_FALSE(NarrowPath(L"C:\\\u0141\u00f3d\u017a"));
        EXPECT_FALSE(NarrowPath(L"C:\\\u2032x"));
    }
    if (GetACP() != CP_UTF8) {
        EXPECT_FALSE(NarrowPath(L"C:\\\u4e2d"));
    }
    // An unpaired surrogate names no file in any code page.
    EXPECT_FALSE(NarrowPath(std::wstring(L"C:\\") + wchar_t(0xd800)));
}
