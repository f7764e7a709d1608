#include "framework/Canvas.h"

#include "base/Handles.h"

namespace purgelet::ui {

namespace {
// A bitmap's key colour outside an image copied from an image list.
constexpr COLORREF kImageKeyColor = RGB(255, 0, 255);
}  // namespace

void Bitmap::Assign(HBITMAP bitmap) {
    if (handle_.Get() != bitmap) handle_.Reset(bitmap);
    BITMAP info{};
    transparent_ = CLR_INVALID;
    if (handle_ && GetObjectA(handle_, sizeof(info), &info)) {
        width_ = info.bmWidth;
        height_ = info.bmHeight;
        MemoryDC dc;
        SelectedObject selected(dc, handle_);
        transparent_ = GetPixel(dc, 0, height_ - 1);
    } else {
        width_ = height_ = 0;
    }
}

void Bitmap::LoadFromResource(HINSTANCE instance, int id) {
    Assign(static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0)));
}

void Bitmap::AssignFromImageList(HIMAGELIST images, int index) {
    int w = 0, h = 0;
    if (!images || index < 0 || index >= ImageList_GetImageCount(images) || !ImageList_GetIconSize(images, &w, &h)) {
        Assign(nullptr);
        return;
    }
    HBITMAP bitmap = nullptr;
    {
        ScreenDC screen;
        bitmap = CreateCompatibleBitmap(screen, w, h);
        MemoryDC dc(screen);
        SelectedObject selected(dc, bitmap);
        RECT all{0, 0, w, h};
        SetBkColor(dc, kImageKeyColor);
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
        ImageList_Draw(images, index, dc, 0, 0, ILD_TRANSPARENT);
    }
    Assign(bitmap);
}

void Icon::Assign(HICON icon) { handle_.Reset(icon ? CopyIcon(icon) : nullptr); }

void Icon::Load(HINSTANCE instance, int id, int size) {
    handle_.Reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
}

Canvas::Canvas(HDC dc) : dc_(dc), saved_(SaveDC(dc)) { SelectObject(dc_, GetStockObject(BLACK_PEN)); }

Canvas::~Canvas() { RestoreDC(dc_, saved_); }

void Canvas::SetFont(HFONT font) {
    if (font) SelectObject(dc_, font);
}

void Canvas::FillRect(const RECT& r) {
    // The device context's own brush: no brush object is made per fill.
    SetDCBrushColor(dc_, ColorToRGB(brushColor));
    ::FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void Canvas::Rectangle(const RECT& r) {
    SetDCBrushColor(dc_, ColorToRGB(brushColor));
    SelectedObject brush(dc_, GetStockObject(DC_BRUSH));
    ::Rectangle(dc_, r.left, r.top, r.right, r.bottom);
}

void Canvas::Draw(int x, int y, const Bitmap& bitmap) {
    if (bitmap.Empty() || bitmap.Width() <= 0 || bitmap.Height() <= 0) return;
    MemoryDC source(dc_);
    SelectedObject selected(source, bitmap.Handle());
    TransparentBlt(dc_, x, y, bitmap.Width(), bitmap.Height(), source, 0, 0, bitmap.Width(), bitmap.Height(),
                   bitmap.TransparentColor());
}

int Canvas::TextWidth(const std::string& text) {
    SIZE s{};
    if (!text.empty()) GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &s);
    return s.cx;
}

int Canvas::TextHeight(const std::string& text) {
    SIZE s{};
    GetTextExtentPoint32A(dc_, text.empty() ? "W" : text.c_str(), text.empty() ? 1 : static_cast<int>(text.size()), &s);
    return s.cy;
}

void Canvas::DrawText(const std::string& text, RECT r, UINT flags) {
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, ColorToRGB(brushColor));
    SetTextColor(dc_, ColorToRGB(fontColor));
    ::DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

}  // namespace purgelet::ui
