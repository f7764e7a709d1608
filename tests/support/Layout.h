#pragma once
// Where a control lies and which font it shows.
#include <windows.h>

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

}  // namespace testing_support
