#pragma once
// Decoding of JPEG pictures (the About box's logo) with the JPEG library.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace purgelet {

// Pixels of a decoded picture: `height` rows of `width` pixels, three bytes
// (red, green, blue) each, top row first.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// The largest width and height accepted, so that a damaged header cannot ask
// for a huge buffer.
inline constexpr int kMaxJpegSide = 4096;

// Decodes a JPEG picture. Damaged or truncated data gives nothing: every
// error of the library, and every warning (such as data that ends early),
// rejects the picture; the library is never let end the process.
std::optional<RgbPicture> DecodeJpeg(const std::uint8_t* data, std::size_t size);

}  // namespace purgelet
