#pragma once
// A picture control: a bitmap made from RGB pixels, or an icon. The picture is
// taken as drawn for the 120 pixels-per-inch design and scales with the
// layout: the control sits at its design place and takes the picture's
// scaled size, and the picture is resampled to it (a tent filter, which
// averages when it shrinks and interpolates when it grows).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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
    // Shows a copy of the icon as a picture of `designSize` pixels square,
    // drawn over the control's colour.
    void SetIcon(HICON icon, int designSize = 32);
    // No picture: the control shows its background only.
    void ClearPicture();
    bool HasPicture() const { return static_cast<bool>(bitmap_); }
    // The picture's size in design pixels (0 × 0 without one).
    SIZE PictureSize() const { return size_; }

protected:
    const char* WindowClass() const override;
    bool Subclassed() const override { return false; }
    LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Sizes the control to the scaled picture and makes the bitmap shown.
    void FitToPicture();
    void Paint(HDC dc);
    std::vector<std::uint8_t> rgb_;  // the picture at its design size
    GdiObject bitmap_;               // the picture at the control's size
    SIZE size_{0, 0};
};

}  // namespace purgelet::ui
