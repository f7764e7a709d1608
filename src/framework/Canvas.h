#pragma once
// Drawing on a device context the way the menu painters need it: one fill
// colour that fills, fills framed rectangles and backs text, a text colour,
// and bitmaps drawn with their bottom-left pixel's colour transparent. Also
// the owned bitmap and icon objects the menus and the tray keep.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "base/Handles.h"
#include "framework/Types.h"

namespace purgelet::ui {

// An owned bitmap; empty until something is put into it.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    bool Empty() const { return !handle_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    HBITMAP Handle() const { return handle_.Get(); }

    // Takes ownership of a bitmap (null empties it).
    void Assign(HBITMAP bitmap);
    // Loads a bitmap resource; the bitmap stays empty when there is none.
    void LoadFromResource(HINSTANCE instance, int id);
    // Copies one image of an image list; outside the image it has the colour
    // of its bottom-left pixel, so it draws transparently there.
    void AssignFromImageList(HIMAGELIST images, int index);
    // The colour drawn as transparent: the bottom-left pixel's (read once,
    // when the bitmap is put in, so drawing reads no pixel).
    COLORREF TransparentColor() const { return transparent_; }

private:
    GdiHandle<HBITMAP> handle_;
    COLORREF transparent_ = CLR_INVALID;
    int width_ = 0;
    int height_ = 0;
};

// An owned copy of an icon.
class Icon {
public:
    Icon() = default;
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;

    HICON Handle() const { return handle_.Get(); }
    // Keeps a copy of the icon.
    void Assign(HICON icon);
    // Loads an icon resource at the given size.
    void Load(HINSTANCE instance, int id, int size);

private:
    IconHandle handle_;
};

class Canvas {
public:
    // Draws on dc with a 1-pixel black pen; the dc's own state comes back
    // when the canvas goes.
    explicit Canvas(HDC dc);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Handle() const { return dc_; }
    void SetFont(HFONT font);

    // The fill colour of FillRect and Rectangle, and the opaque background of text.
    Color brushColor = clWhite;
    // The colour of text.
    Color fontColor = clBlack;

    // Fills r (right and bottom exclusive) with the fill colour.
    void FillRect(const RECT& r);
    // Fills r with the fill colour inside a frame drawn with the pen.
    void Rectangle(const RECT& r);
    // Draws the bitmap with its top-left corner at (x, y), transparently.
    void Draw(int x, int y, const Bitmap& bitmap);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    // DrawText in the text colour on the fill colour.
    void DrawText(const std::string& text, RECT r, UINT flags);

private:
    HDC dc_;
    int saved_;
};

}  // namespace purgelet::ui
