#pragma once
// Where a control lies, which font it shows, and whether a list view's
// texts fit their columns.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Control.h"

namespace testing_support {

// The control's place in its parent's client area.
inline RECT PlaceIn(const purgelet::ui::Control& c) {
    RECT r;
    GetWindowRect(c.Handle(), &r);
    MapWindowPoints(nullptr, GetParent(c.Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The face name of the control's font, and its height.
inline std::string FontOf(const purgelet::ui::Control& c, int* height) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(c.Handle(), WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    *height = lf.lfHeight;
    return lf.lfFaceName;
}

// How much ink a font puts on a sample line, in whole pixels: a bold font
// draws heavier than the regular one of its size.
inline int InkOf(HFONT font) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 40);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap), oldFont = SelectObject(dc, font);
    RECT all{0, 0, 200, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 0, 0, "History Links", 13);
    int ink = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) ink += 255 - GetRValue(GetPixel(dc, x, y));
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return ink / 255;
}
inline HFONT FontHandleOf(const purgelet::ui::Control& c) {
    return reinterpret_cast<HFONT>(SendMessageA(c.Handle(), WM_GETFONT, 0, 0));
}

// A cell's text as a list view shows it, asked for wide.
inline std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[1024] = {};
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = text;
    cell.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return text;
}

// The first column caption or cell of a list view wider than its column
// (with the margins either side that header and list keep), or nothing.
inline std::string CutCell(HWND list) {
    wchar_t text[1024];
    const auto cut = [&](int room) {
        return *text && SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text)) +
                                6 * GetSystemMetrics(SM_CXEDGE) >
                            room;
    };
    const auto shown = [&] {
        char bytes[3 * std::size(text)];
        WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof(bytes), nullptr, nullptr);
        return std::string(bytes);
    };
    LVCOLUMNW column{LVCF_TEXT | LVCF_WIDTH};
    column.pszText = text;
    column.cchTextMax = static_cast<int>(std::size(text));
    for (int c = 0; SendMessageW(list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column)); ++c) {
        if (cut(column.cx)) return "column \"" + shown() + "\" is cut";
        for (int r = 0; r < SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); ++r) {
            lstrcpynW(text, CellText(list, r, c).c_str(), static_cast<int>(std::size(text)));
            RECT label{LVIR_LABEL, c, 0, 0};
            SendMessageW(list, LVM_GETSUBITEMRECT, r, reinterpret_cast<LPARAM>(&label));
            if (cut(label.right - label.left)) return "cell \"" + shown() + "\" is cut";
        }
    }
    return {};
}

}  // namespace testing_support
