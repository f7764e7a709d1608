#pragma once
// Fixed texts that are kept out of the executable in plain form.
//
// A scrambled text is an array of bytes B[0..H] that yields a text of H+1
// characters, the last stored byte giving the first character. Each byte b
// becomes ((b - d) >> 1) & 0xFF, XOR x, with the variant's subtrahend d and
// mask x (unsigned 32-bit arithmetic, wrapping).
//
// Texts are encoded at compile time: the plain literal only exists inside a
// consteval call, and a wrong length or a character the variant cannot
// produce stops the build.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace purgelet {

struct ScrambleVariant {
    std::uint32_t subtrahend;
    std::uint8_t mask;
};

constexpr ScrambleVariant kVariant2{1, 5};
constexpr ScrambleVariant kVariant3{2, 9};
constexpr ScrambleVariant kVariant4{3, 4};

constexpr ScrambleVariant VariantOf(int variant) {
    return variant == 2 ? kVariant2 : variant == 3 ? kVariant3 : kVariant4;
}

// The unscrambling routine shared by the three variants.
inline std::string Unscramble(const std::uint8_t* bytes, int highIndex, ScrambleVariant v) {
    std::string result;
    if (highIndex < 0) return result;
    result.reserve(static_cast<std::size_t>(highIndex) + 1);
    for (int i = highIndex; i >= 0; --i) {
        std::uint32_t n = static_cast<std::uint32_t>(bytes[i]) - v.subtrahend;
        n >>= 1;
        auto c = static_cast<std::uint8_t>(n & 0xFFu);
        c ^= v.mask;
        result.push_back(static_cast<char>(c));
    }
    return result;
}

inline std::string BytsToEncStr2(const std::uint8_t* bytes, int highIndex) {
    return Unscramble(bytes, highIndex, kVariant2);
}
inline std::string BytsToEncStr3(const std::uint8_t* bytes, int highIndex) {
    return Unscramble(bytes, highIndex, kVariant3);
}
inline std::string BytsToEncStr4(const std::uint8_t* bytes, int highIndex) {
    return Unscramble(bytes, highIndex, kVariant4);
}

// A stored text: its bytes and the variant its users apply.
template <std::size_t N>
struct ScrambledText {
    std::array<std::uint8_t, N> bytes;
    int variant;

    static constexpr std::size_t length = N;
    std::string Text() const { return Unscramble(bytes.data(), static_cast<int>(N) - 1, VariantOf(variant)); }
};

// A fixed text of any length, scrambled or plain, turned into text at each
// use; what a table of texts holds.
class FixedText {
public:
    template <std::size_t N>
    constexpr FixedText(const ScrambledText<N>& text) : bytes_(text.bytes.data()), length_(N), variant_(text.variant) {}
    constexpr FixedText(const char* plain) : plain_(plain) {}

    std::string Text() const {
        if (plain_) return plain_;
        return Unscramble(bytes_, static_cast<int>(length_) - 1, VariantOf(variant_));
    }

private:
    const char* plain_ = nullptr;
    const std::uint8_t* bytes_ = nullptr;
    std::size_t length_ = 0;
    int variant_ = 0;
};

namespace detail {
// Reached only when a text cannot be stored; being non-constexpr, it makes
// the consteval encoder ill-formed and the build fails at that text.
void TextHasACharacterItsVariantCannotProduce();
void TextHasTheWrongLength();
}  // namespace detail

template <int Variant, std::size_t Length, std::size_t M>
consteval ScrambledText<Length> Scramble(const char (&plain)[M]) {
    static_assert(Variant >= 2 && Variant <= 4, "variants are 2, 3 and 4");
    static_assert(M - 1 == Length, "scrambled text has the wrong length");
    constexpr ScrambleVariant v = VariantOf(Variant);
    ScrambledText<Length> out{};
    out.variant = Variant;
    for (std::size_t i = 0; i < Length; ++i) {
        const auto c = static_cast<std::uint8_t>(plain[i]);
        const unsigned k = static_cast<unsigned>(c ^ v.mask);
        const unsigned byte = 2u * k + v.subtrahend;
        if (byte > 255u) detail::TextHasACharacterItsVariantCannotProduce();
        out.bytes[Length - 1 - i] = static_cast<std::uint8_t>(byte);
    }
    return out;
}

}  // namespace purgelet
