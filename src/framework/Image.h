#pragma once
// A picture control: a bitmap made from RGB pixels, or an icon. The control
// sits at its design place and takes the size of its picture; the picture is
// stretched to the control.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Control.h"
#include "base/Handles.h"

namespace purgelet::ui {

class Image : public Control {
public:
    Image(Control* parent, std::string name, DesignRect rect);
    ~Image() override;

    // Shows `height` rows of `width` pixels, three bytes (red, green, blue)
    // each, top row first.
    void SetPixels(int width, int height, const std::uint8_t* rgb);
    // Shows a copy of the icon at its own size.
    void SetIcon(HICON icon);
    // No picture: the control shows its background only.
    void ClearPicture();
    bool HasPicture() const { return static_cast<bool>(bitmap_) || static_cast<bool>(icon_); }
    // The picture's size in pixels (0 × 0 without one).
    SIZE PictureSize() const { return size_; }

protected:
    const char* WindowClass() const override;
    LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FitToPicture();
    void Paint(HDC dc);
    GdiObject bitmap_;
    IconHandle icon_;
    SIZE size_{0, 0};
};

}  // namespace purgelet::ui
