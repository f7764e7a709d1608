#pragma once
// An off-screen 32-bit bitmap to paint on and read back pixel by pixel.
#include <windows.h>

#include <cstdint>
#include <utility>

namespace testing_support {

class Surface {
public:
    // Every pixel starts as kBlank.
    Surface(int width, int height);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    static constexpr COLORREF kBlank = RGB(1, 2, 3);
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const;
    int Count(const RECT& r, COLORREF c) const;
    bool Uniform(const RECT& r, COLORREF c) const;
    // The leftmost and rightmost columns of r holding a pixel that is not
    // `background` (-1 when there is none).
    std::pair<int, int> Ink(const RECT& r, COLORREF background) const;

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

// A red 16 x 16 picture whose bottom row is magenta: drawn transparently, the
// bottom row (the bottom-left pixel's colour) does not show.
HBITMAP RedPicture();

}  // namespace testing_support
