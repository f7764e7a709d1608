#pragma once
// Basic value types of the window framework: colours, fonts, design rectangles.
#include <windows.h>

#include <cstdint>
#include <string>

namespace purgelet::ui {

// A colour is 0x00BBGGRR, or a system colour index with the top bit set.
using Color = std::uint32_t;

constexpr Color SysColor(int index) { return 0x80000000u | static_cast<Color>(index); }

inline constexpr Color clBlack = 0x000000;
inline constexpr Color clMaroon = 0x000080;
inline constexpr Color clGreen = 0x008000;
inline constexpr Color clNavy = 0x800000;
inline constexpr Color clTeal = 0x808000;
inline constexpr Color clGray = 0x808080;
inline constexpr Color clSilver = 0xC0C0C0;
inline constexpr Color clRed = 0x0000FF;
inline constexpr Color clBlue = 0xFF0000;
inline constexpr Color clWhite = 0xFFFFFF;
inline constexpr Color clSkyBlue = 0xF0CAA6;
inline constexpr Color clBtnFace = SysColor(COLOR_BTNFACE);
inline constexpr Color clWindow = SysColor(COLOR_WINDOW);
inline constexpr Color clWindowText = SysColor(COLOR_WINDOWTEXT);
inline constexpr Color clNone = 0x1FFFFFFF;  // no colour of its own: the parent's shows

inline COLORREF ColorToRGB(Color c) {
    if (c & 0x80000000u) return GetSysColor(static_cast<int>(c & 0xFF));
    return static_cast<COLORREF>(c & 0x00FFFFFF);
}

// A font as the design gives it: a negative height is the character height in
// design pixels (at the design density), a positive one the cell height.
struct Font {
    std::string name = "MS Sans Serif";
    int height = -14;
    bool bold = false;
    Color color = clWindowText;

    bool operator==(const Font&) const = default;
};

// Left, top, width, height in design pixels.
struct DesignRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// The density the windows were designed at.
inline constexpr int kDesignDpi = 120;

inline int Scale(int designValue, int dpi) { return MulDiv(designValue, dpi, kDesignDpi); }

enum class MouseButton { Left, Right, Middle };

// The keys and mouse buttons held during a mouse event, as a set of flags.
using ShiftState = unsigned;
inline constexpr ShiftState ssShift = 1;
inline constexpr ShiftState ssAlt = 2;
inline constexpr ShiftState ssCtrl = 4;
inline constexpr ShiftState ssLeft = 8;
inline constexpr ShiftState ssRight = 16;
inline constexpr ShiftState ssMiddle = 32;
inline constexpr ShiftState ssDouble = 64;

}  // namespace purgelet::ui
