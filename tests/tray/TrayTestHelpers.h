#pragma once
// What the tray tests look at: the icons in Wine's notification area, which
// (with no tray manager on the X server) is a window "Wine System Tray" with
// one child window per icon.
#include <windows.h>

#include "support/Input.h"

namespace tray_testing {

inline int TrayIconCount() {
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    if (!tray) return 0;
    int n = 0;
    EnumChildWindows(
        tray,
        [](HWND child, LPARAM count) {
            char cls[64] = {};
            GetClassNameA(child, cls, sizeof(cls));
            if (lstrcmpA(cls, "__winex11_tray_icon") == 0) ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

// Waits until the count is as expected (icons of another process come and go
// through the shell's own window).
inline bool WaitForTrayIcons(int expected, DWORD timeoutMs = 10000) {
    return testing_support::WaitUntil([&] { return TrayIconCount() == expected; }, timeoutMs);
}

}  // namespace tray_testing
