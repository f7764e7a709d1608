// Stands in for Internet Options in the privacy launcher tests: a dialog
// window "Internet Properties" holding a page "Privacy" with an "&Edit..."
// button; the button's command, sent to the options window, opens a dialog
// "Per Site Privacy Actions" with two "Edit" fields. All are of the dialog
// class "#32770", as Internet Explorer's own are.
//
//   privacy_standin.exe           the whole set
//   privacy_standin.exe nopage    the options window with a "General" page only
//
// Closing the options window ends the program.
#include <windows.h>

#include <cstring>

namespace {
constexpr int kEditButtonId = 1044;
HWND editButton = nullptr;
HWND perSite = nullptr;

HWND MakeDialog(HWND parent, const char* title, DWORD style, int x, int y, int w, int h) {
    return CreateWindowExA(parent ? WS_EX_CONTROLPARENT : 0, "#32770", title, style, x, y, w, h, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

HWND MakeChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

void OpenPerSiteDialog() {
    if (perSite) return;
    perSite = MakeDialog(nullptr, "", WS_POPUP | WS_CAPTION | WS_SYSMENU, 120, 120, 360, 200);
    MakeChild(perSite, "Static", "Address of Web site:", 0, 10, 10, 200, 20, 100);
    MakeChild(perSite, "Edit", "", WS_BORDER, 10, 34, 250, 24, 101);
    MakeChild(perSite, "Edit", "", WS_BORDER, 10, 70, 250, 24, 102);
    SetWindowTextA(perSite, "Per Site Privacy Actions");
    ShowWindow(perSite, SW_SHOWNA);
}

INT_PTR CALLBACK OptionsProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            // Only the Edit button's own click, with its identifier and handle.
            if (LOWORD(wParam) == kEditButtonId && HIWORD(wParam) == BN_CLICKED &&
                reinterpret_cast<HWND>(lParam) == editButton) {
                OpenPerSiteDialog();
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            if (perSite) DestroyWindow(perSite);
            DestroyWindow(hwnd);
            PostQuitMessage(0);
            return TRUE;
        default:
            return FALSE;
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const bool withPrivacyPage = std::strstr(commandLine, "nopage") == nullptr;
    // The title comes last, so a search by title never finds a half-built window.
    HWND options = MakeDialog(nullptr, "", WS_POPUP | WS_CAPTION | WS_SYSMENU, 60, 60, 420, 300);
    SetWindowLongPtrA(options, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&OptionsProc));
    HWND page = MakeDialog(options, withPrivacyPage ? "Privacy" : "General", WS_CHILD | WS_VISIBLE | DS_CONTROL, 10, 10,
                           390, 240);
    editButton = MakeChild(page, "Button", withPrivacyPage ? "&Edit..." : "&Settings...", BS_PUSHBUTTON, 20, 20, 100,
                           28, kEditButtonId);
    SetWindowTextA(options, "Internet Properties");
    ShowWindow(options, SW_SHOWNA);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(options, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
