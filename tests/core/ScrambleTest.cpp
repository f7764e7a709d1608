#include <gtest/gtest.h>

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

// The build encodes every stored text and checks its length and variant; the
// routine gives back every printable character each variant can hold.
TEST(Unscramble, EveryPrintableCharacterAVariantCanHoldComesBack) {
    static constexpr char kAll[] =
        " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";
    static constexpr char kNoV[] =
        " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuwxyz{|}~";
    static constexpr char kNoBrace[] =
        " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz|}~";
    EXPECT_EQ((Scramble<2, sizeof(kAll) - 1>(kAll).Text()), kAll);
    EXPECT_EQ((Scramble<3, sizeof(kNoV) - 1>(kNoV).Text()), kNoV);
    EXPECT_EQ((Scramble<4, sizeof(kNoBrace) - 1>(kNoBrace).Text()), kNoBrace);
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
