#include "support/Surface.h"

namespace testing_support {

Surface::Surface(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    const std::uint32_t blank = (GetRValue(kBlank) << 16) | (GetGValue(kBlank) << 8) | GetBValue(kBlank);
    for (int i = 0; i < width * height; ++i) bits_[i] = blank;
}

Surface::~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF Surface::At(int x, int y) const {
    GdiFlush();
    const std::uint32_t v = bits_[y * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int Surface::Count(const RECT& r, COLORREF c) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
    return n;
}

bool Surface::Uniform(const RECT& r, COLORREF c) const {
    return Count(r, c) == (r.right - r.left) * (r.bottom - r.top);
}

std::pair<int, int> Surface::Ink(const RECT& r, COLORREF background) const {
    int first = -1, last = -1;
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y)
            if (At(x, y) != background) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

HBITMAP RedPicture() {
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, picture);
    RECT all{0, 0, 16, 16}, bottom{0, 15, 16, 16};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, red);
    FillRect(dc, &bottom, magenta);
    SelectObject(dc, old);
    DeleteObject(red);
    DeleteObject(magenta);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return picture;
}

}  // namespace testing_support
