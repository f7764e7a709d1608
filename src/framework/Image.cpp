#include "framework/Image.h"

#include <algorithm>
#include <cmath>

#include "framework/Application.h"

namespace purgelet::ui {

namespace {
constexpr char kImageClass[] = "PurgeletImage";

// How the source pixels along one axis make up each target pixel: a tent
// filter one source pixel wide, widened by the shrink factor when shrinking.
struct Taps {
    int first = 0;
    std::vector<double> weights;
};
std::vector<Taps> AxisTaps(int from, int to) {
    std::vector<Taps> out(static_cast<std::size_t>(to));
    const double scale = static_cast<double>(to) / from;
    const double radius = scale < 1 ? 1 / scale : 1;
    for (int i = 0; i < to; ++i) {
        const double centre = (i + 0.5) / scale;
        const int first = std::max(0, static_cast<int>(std::floor(centre - radius)));
        const int last = std::min(from - 1, static_cast<int>(std::ceil(centre + radius)));
        Taps& t = out[static_cast<std::size_t>(i)];
        t.first = first;
        double total = 0;
        for (int j = first; j <= last; ++j) {
            const double w = std::max(0.0, 1 - std::fabs((j + 0.5 - centre) / radius));
            t.weights.push_back(w);
            total += w;
        }
        if (total <= 0) {  // cannot happen with these radii; the nearest pixel then
            t.first = std::min(from - 1, static_cast<int>(centre));
            t.weights.assign(1, 1.0);
            total = 1;
        }
        for (double& w : t.weights) w /= total;
    }
    return out;
}

// Resamples RGB pixels (three bytes each, rows top first) to another size.
std::vector<std::uint8_t> Resample(const std::vector<std::uint8_t>& rgb, SIZE from, SIZE to) {
    const auto columns = AxisTaps(from.cx, to.cx), rows = AxisTaps(from.cy, to.cy);
    // Across first, into wide rows of the source's height.
    std::vector<double> across(static_cast<std::size_t>(from.cy) * to.cx * 3);
    for (int y = 0; y < from.cy; ++y)
        for (int x = 0; x < to.cx; ++x)
            for (int c = 0; c < 3; ++c) {
                const Taps& t = columns[static_cast<std::size_t>(x)];
                double v = 0;
                for (std::size_t k = 0; k < t.weights.size(); ++k)
                    v += t.weights[k] * rgb[(static_cast<std::size_t>(y) * from.cx + t.first + k) * 3 + c];
                across[(static_cast<std::size_t>(y) * to.cx + x) * 3 + c] = v;
            }
    std::vector<std::uint8_t> out(static_cast<std::size_t>(to.cy) * to.cx * 3);
    for (int y = 0; y < to.cy; ++y)
        for (int x = 0; x < to.cx; ++x)
            for (int c = 0; c < 3; ++c) {
                const Taps& t = rows[static_cast<std::size_t>(y)];
                double v = 0;
                for (std::size_t k = 0; k < t.weights.size(); ++k)
                    v += t.weights[k] * across[((t.first + k) * to.cx + x) * 3 + c];
                out[(static_cast<std::size_t>(y) * to.cx + x) * 3 + c] =
                    static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
            }
    return out;
}

// A DIB section showing RGB pixels.
GdiObject MakeBitmap(const std::vector<std::uint8_t>& rgb, SIZE size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return bitmap;
    // DIB rows hold blue, green, red and are padded to four bytes.
    const std::size_t stride = (static_cast<std::size_t>(size.cx) * 3 + 3) & ~std::size_t{3};
    auto* out = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < size.cy; ++y) {
        const std::uint8_t* from = rgb.data() + static_cast<std::size_t>(y) * size.cx * 3;
        std::uint8_t* to = out + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < size.cx; ++x, from += 3, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    return bitmap;
}
}  // namespace

Image::Image(Control* parent, std::string name, DesignRect rect) : Control(parent, std::move(name), rect) {
    SetTabStop(false);
}

Image::~Image() {
    DestroyHandles();
    ClearPicture();
}

const char* Image::WindowClass() const {
    RegisterWindowClass(App().Instance(), kImageClass);
    return kImageClass;
}

void Image::ClearPicture() {
    rgb_.clear();
    bitmap_.Reset();
    size_ = SIZE{0, 0};
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Image::SetPixels(int width, int height, const std::uint8_t* rgb) {
    ClearPicture();
    if (width <= 0 || height <= 0 || !rgb) return;
    rgb_.assign(rgb, rgb + static_cast<std::size_t>(width) * height * 3);
    size_ = SIZE{width, height};
    FitToPicture();
}

void Image::SetIcon(HICON icon, int designSize) {
    ClearPicture();
    if (!icon || designSize <= 0) return;
    // Drawn once at the design size over the control's colour, then scaled
    // like any picture.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = designSize;
    info.bmiHeader.biHeight = -designSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject canvas(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!canvas) return;
    {
        ScreenDC screen;
        MemoryDC dc(screen);
        SelectedObject selected(dc, canvas);
        RECT all{0, 0, designSize, designSize};
        FillRect(dc, &all, App().Brush(EffectiveColor()));
        if (!DrawIconEx(dc, 0, 0, icon, designSize, designSize, 0, nullptr, DI_NORMAL)) return;
        GdiFlush();
    }
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    rgb_.resize(static_cast<std::size_t>(designSize) * designSize * 3);
    for (std::size_t i = 0; i < rgb_.size() / 3; ++i) {
        rgb_[i * 3] = bgra[i * 4 + 2];
        rgb_[i * 3 + 1] = bgra[i * 4 + 1];
        rgb_[i * 3 + 2] = bgra[i * 4];
    }
    size_ = SIZE{designSize, designSize};
    FitToPicture();
}

void Image::FitToPicture() {
    const int dpi = App().Dpi();
    const SIZE shown{std::max(1, Scale(size_.cx, dpi)), std::max(1, Scale(size_.cy, dpi))};
    bitmap_ = MakeBitmap(shown.cx == size_.cx && shown.cy == size_.cy ? rgb_ : Resample(rgb_, size_, shown), shown);
    RECT r = BoundsPx();
    r.right = r.left + shown.cx;
    r.bottom = r.top + shown.cy;
    SetBoundsPx(r);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Image::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, App().Brush(EffectiveColor()));
    if (!bitmap_) return;
    BITMAP bm{};
    GetObjectA(bitmap_, sizeof(bm), &bm);
    MemoryDC source(dc);
    SelectedObject picture(source, bitmap_);
    BitBlt(dc, 0, 0, std::min<LONG>(client.right, bm.bmWidth), std::min<LONG>(client.bottom, bm.bmHeight), source, 0, 0,
           SRCCOPY);
}

LRESULT Image::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            Paint(dc);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        default:
            return Control::WindowMessage(msg, wParam, lParam);
    }
}

}  // namespace purgelet::ui
