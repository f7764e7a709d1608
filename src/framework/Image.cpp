#include "framework/Image.h"

#include "framework/Application.h"

namespace purgelet::ui {

namespace {
constexpr char kImageClass[] = "PurgeletImage";
}

Image::Image(Control* parent, std::string name, DesignRect rect) : Control(parent, std::move(name), rect) {
    SetTabStop(false);
}

Image::~Image() {
    DestroyHandles();
    ClearPicture();
}

const char* Image::WindowClass() const {
    WNDCLASSEXA wc{};
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!GetClassInfoExA(instance, kImageClass, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof(wc);
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        wc.lpszClassName = kImageClass;
        wc.lpfnWndProc = DefWindowProcA;
        RegisterClassExA(&wc);
    }
    return kImageClass;
}

void Image::ClearPicture() {
    bitmap_.Reset();
    icon_.Reset();
    size_ = SIZE{0, 0};
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Image::SetPixels(int width, int height, const std::uint8_t* rgb) {
    ClearPicture();
    if (width <= 0 || height <= 0 || !rgb) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return;
    // DIB rows hold blue, green, red and are padded to four bytes.
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    auto* out = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = rgb + static_cast<std::size_t>(y) * width * 3;
        std::uint8_t* to = out + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x, from += 3, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    bitmap_ = std::move(bitmap);
    size_ = SIZE{width, height};
    FitToPicture();
}

void Image::SetIcon(HICON icon) {
    ClearPicture();
    if (!icon) return;
    icon_.Reset(CopyIcon(icon));
    if (!icon_) return;
    ICONINFO info{};
    size_ = SIZE{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
    if (GetIconInfo(icon_, &info)) {
        // GetIconInfo hands out copies of the icon's bitmaps.
        GdiObject color(info.hbmColor), mask(info.hbmMask);
        BITMAP bm{};
        if (color && GetObjectA(color, sizeof(bm), &bm))
            size_ = SIZE{bm.bmWidth, bm.bmHeight};
        else if (mask && GetObjectA(mask, sizeof(bm), &bm))
            size_ = SIZE{bm.bmWidth, bm.bmHeight / 2};
    }
    FitToPicture();
}

void Image::FitToPicture() {
    RECT r = BoundsPx();
    r.right = r.left + size_.cx;
    r.bottom = r.top + size_.cy;
    SetBoundsPx(r);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Image::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, App().Brush(EffectiveColor()));
    const int w = client.right, h = client.bottom;
    if (bitmap_) {
        MemoryDC source(dc);
        SelectedObject picture(source, bitmap_);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, 0, 0, w, h, source, 0, 0, size_.cx, size_.cy, SRCCOPY);
    } else if (icon_) {
        DrawIconEx(dc, 0, 0, icon_, w, h, 0, nullptr, DI_NORMAL);
    }
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
