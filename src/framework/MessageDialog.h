#pragma once
// The framework's message dialog: the icon and caption of its type, the
// text and one OK button.
#include <windows.h>

#include <string>

#include "framework/Application.h"

namespace purgelet::ui {

enum class MsgDlgType { Information, Error };

inline int MessageDlg(Application& app, HWND owner, const std::string& text, MsgDlgType type) {
    const bool error = type == MsgDlgType::Error;
    return app.ShowMessageBox(owner, text, error ? "Error" : "Information",
                              MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

}  // namespace purgelet::ui
