// Registration of the program in the current user's Run key, so that Windows
// starts it at logon, following "Load when Windows starts".
#include "base/Handles.h"
#include "base/Registry.h"
#include "core/Texts.h"
#include "framework/Application.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OptionRules.h"

namespace purgelet {

namespace {
constexpr char kFailureCaption[] = "Ovk Purgelet";
constexpr char kFailureText[] =
    "Failing to update registry. If under Windows NT, only Administrator or Super Users have authorities to execute "
    "this command. Contact System Administrator to have furthur advice.";

bool NamesExistingFile(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

void TForm1::ShowRunKeyFailure() {
    ui::Form* owner = state_.windows.FirstWindow();
    App().ShowMessageBox(owner ? owner->Handle() : nullptr, kFailureText, kFailureCaption, MB_OK);
}

bool TForm1::WriteExeToRunKey(const std::string& name) {
    RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        ShowRunKeyFailure();
        return false;
    }
    // The registry reports a refused write by its code. Any other error is no
    // registry failure: it goes to the handler's error box.
    const std::wstring exe = state_.platform.moduleFileName();
    const bool written =
        !exe.empty() && state_.platform.runKey.setValue(key.Get(), name.c_str(), RunKeyData(exe)) == ERROR_SUCCESS;
    if (!written) ShowRunKeyFailure();
    return written;
}

// Makes the Run key entry agree with "Load when Windows starts", then stores
// "RunOnStartup" when that worked. An entry that is already gone, or that
// names no existing file, counts as removed; so does a Run key that does not
// exist at all.
bool TForm1::ExeWinStartWriteDelReg() {
    bool done = true;
    if (chkRunWhenWinStarts.Checked()) {
        done = WriteExeToRunKey(kRunEntryName);
    } else {
        RegKey key;
        const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_ALL_ACCESS, key.Receive());
        if (opened == ERROR_SUCCESS) {
            if (state_.platform.runKey.deleteValue(key.Get(), kRunEntryName) != ERROR_SUCCESS &&
                NamesExistingFile(RunKeyEntryPath(ReadRegWideText(key.Get(), Widen(kRunEntryName).c_str()).text))) {
                ShowRunKeyFailure();
                done = false;
            }
        } else if (opened != ERROR_FILE_NOT_FOUND) {
            ShowRunKeyFailure();
            done = false;
        }
    }
    if (done) state_.Write(texts::ValRunOnStartup, chkRunWhenWinStarts.Checked() ? "1" : "0");
    return done;
}

}  // namespace purgelet
