#include <gtest/gtest.h>

#include <set>

#include "core/Texts.h"
#include "purgelet_version.h"

using namespace purgelet;

TEST(Unscramble, ConsequencesOfTheRoutine) {
    // One stored byte yields one character.
    const std::uint8_t one[] = {static_cast<std::uint8_t>(2 * ('A' ^ 5) + 1)};
    EXPECT_EQ(BytsToEncStr2(one, 0), "A");
    // The last stored byte gives the first character.
    const std::uint8_t two[] = {static_cast<std::uint8_t>(2 * ('b' ^ 4) + 3),
                                static_cast<std::uint8_t>(2 * ('a' ^ 4) + 3)};
    EXPECT_EQ(BytsToEncStr4(two, 1), "ab");
    // Bytes d + 2k and d + 2k + 1 give the same character, in every variant.
    for (int variant : {2, 3, 4}) {
        const auto v = VariantOf(variant);
        for (unsigned k = 0; 2 * k + v.subtrahend + 1 < 256; ++k) {
            const std::uint8_t lo[] = {static_cast<std::uint8_t>(2 * k + v.subtrahend)};
            const std::uint8_t hi[] = {static_cast<std::uint8_t>(2 * k + v.subtrahend + 1)};
            ASSERT_EQ(Unscramble(lo, 0, v), Unscramble(hi, 0, v)) << variant << " " << k;
        }
    }
    // Bytes below the subtrahend wrap: 255 before the mask, except byte 0 in variant 4 (254).
    const std::uint8_t zero[] = {0};
    EXPECT_EQ(static_cast<unsigned char>(BytsToEncStr2(zero, 0)[0]), 255u ^ 5u);
    EXPECT_EQ(static_cast<unsigned char>(BytsToEncStr3(zero, 0)[0]), 255u ^ 9u);
    const std::uint8_t oneByte[] = {1};
    EXPECT_EQ(static_cast<unsigned char>(BytsToEncStr3(oneByte, 0)[0]), 255u ^ 9u);
    EXPECT_EQ(static_cast<unsigned char>(BytsToEncStr4(zero, 0)[0]), 254u ^ 4u);
    const std::uint8_t twoByte[] = {2};
    EXPECT_EQ(static_cast<unsigned char>(BytsToEncStr4(twoByte, 0)[0]), 255u ^ 4u);
    // The highest producible characters: code XOR mask at most 127 (variant 2) or 126.
    const std::uint8_t top[] = {255};
    EXPECT_EQ(static_cast<unsigned char>(BytsToEncStr2(top, 0)[0]), 127u ^ 5u);
    EXPECT_EQ(static_cast<unsigned char>(BytsToEncStr4(top, 0)[0]), 126u ^ 4u);
}

TEST(Unscramble, WrongVariantGivesAnotherTextOfTheSameLength) {
    const auto& key = texts::SettingsKey;
    const std::string right = BytsToEncStr4(key.bytes.data(), static_cast<int>(key.length) - 1);
    const std::string wrong = BytsToEncStr2(key.bytes.data(), static_cast<int>(key.length) - 1);
    EXPECT_EQ(wrong.size(), right.size());
    EXPECT_NE(wrong, right);
}

TEST(Unscramble, ProgramTextsRoundTripToTheirWording) {
    struct Case {
        std::string text;
        std::size_t length;
        int variant;
        std::string expected;
    };
#define CASE(t, e) \
    Case { texts::t.Text(), texts::t.length, texts::t.variant, e }
    const Case cases[] = {
        CASE(MutexName, "OvkPurgelet.SingleInstance.Lock"),
        CASE(SecondInstanceTail, "is already running."),
        CASE(SettingsKey, "Software\\Ovk Software\\Purgelet\\v2.0"),
        CASE(HelpFileName, "PurgeletHlp.htm"),
        CASE(Win9xTempInternetName, "Temporary Internet Files\\"),
        CASE(Nt5TempInternetName, "Local Settings\\Temporary Internet Files\\"),
        CASE(Nt5HistoryName, "Local Settings\\History\\"),
        CASE(Nt5TempName, "Local Settings\\Temp\\"),
        CASE(WindowsTempName, "Temp\\"),
        CASE(ValXPmenu, "XPMenu"),
        CASE(AboutNameVersion, "Ovk Purgelet Version " PURGELET_VERSION_TEXT),
    };
#undef CASE
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, c.expected);
        EXPECT_EQ(c.text.size(), c.length);
    }
}

TEST(Unscramble, EveryStoredTextHasItsLengthAndTheDocumentedVariant) {
    struct Entry {
        std::string text;
        std::size_t length;
        int variant;
        std::size_t wanted;
        int wantedVariant;
    };
#define E(t, n, v) \
    Entry { texts::t.Text(), texts::t.length, texts::t.variant, n, v }
    const Entry entries[] = {
        E(MutexName, 31, 2),
        E(SecondInstanceTail, 19, 2),
        E(NoWindowsFolder, 54, 2),
        E(SettingsKey, 35, 4),
        E(HelpFileName, 15, 2),
        E(HelpMissing, 66, 2),
        E(HelpNoAssociation, 96, 2),
        E(Win9xHistoryName, 8, 4),
        E(Win9xCookiesName, 8, 4),
        E(Win9xRecentName, 7, 4),
        E(Win9xTempInternetName, 25, 4),
        E(WindowsTempName, 5, 4),
        E(NtCookiesName, 8, 4),
        E(NtRecentName, 7, 4),
        E(Nt5HistoryName, 23, 4),
        E(Nt5TempName, 20, 4),
        E(Nt5TempInternetName, 40, 4),
        E(Nt4HistoryName, 8, 4),
        E(Nt4TempName, 5, 4),
        E(Nt4TempInternetName, 25, 4),
        E(LogFirstLine, 3, 4),
        E(LogSecondLine, 3, 4),
        E(LogDateLabel, 8, 4),
        E(ValClearHistory, 18, 3),
        E(ValTempInternet, 17, 3),
        E(ValClearCookies, 12, 3),
        E(ValClearTypedURLs, 14, 3),
        E(ValRecentLinks, 18, 3),
        E(ValClearTemp, 14, 3),
        E(ValClearTypedWordsInRun, 20, 3),
        E(ValCustomHistoryLinksWeb, 14, 2),
        E(ValCustomCookies, 11, 2),
        E(ValCustomTypedURLs, 13, 2),
        E(ValCustomTempInternetFiles, 13, 2),
        E(ValCustomTemporary, 13, 2),
        E(ValCustomHistoryLinksDoc, 14, 2),
        E(ValCustomTypedWordsInRun, 14, 2),
        E(ValExecuteClearStart, 14, 3),
        E(ValExecuteClearShutDown, 13, 3),
        E(ValClearAllMode, 12, 4),
        E(ValClearSelectedMode, 12, 4),
        E(ValClearNotSelectedMode, 15, 4),
        E(ValCustomMode, 15, 4),
        E(ValXPmenu, 6, 4),
        E(ValAutoColResize, 18, 3),
        E(AboutWare, 17, 2),
        E(AboutNotice, 55, 2),
        E(AboutNameVersion, 26, 2),
        E(AboutMaker, 33, 2),
        E(AboutMail, 19, 2),
        E(AboutHomePage, 23, 2),
    };
#undef E
    std::set<std::string> optionNames;
    for (const auto& e : entries) {
        EXPECT_EQ(e.text.size(), e.wanted) << e.text;
        EXPECT_EQ(e.length, e.wanted) << e.text;
        EXPECT_EQ(e.variant, e.wantedVariant) << e.text;
        for (char c : e.text) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << e.text;
    }
    // Every option has a name of its own.
    for (std::size_t i = 23; i <= 44; ++i) optionNames.insert(entries[i].text);
    EXPECT_EQ(optionNames.size(), 22u);
    // Folder names used for clearing end in a backslash.
    for (std::size_t i = 7; i <= 19; ++i) EXPECT_EQ(entries[i].text.back(), '\\') << entries[i].text;
}
