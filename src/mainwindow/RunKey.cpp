// Registration of the program in the current user's Run key, so that Windows
// starts it at logon, following "Load when Windows starts".
#include "framework/Application.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OptionRules.h"

namespace purgelet {

namespace {
constexpr char kFailureCaption[] = "Ovk Purgelet";
constexpr char kFailureText[] =
    "Failing to update registry. If under Windows NT, only Administrator or Super Users have authorities to execute "
    "this command. Contact System Administrator to have furthur advice.";

// An open registry key, closed when it goes out of scope.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY* Receive() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// A value's text; empty when it is missing or holds no text.
std::string ReadText(HKEY key, const char* name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    std::string data(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return {};
    data.resize(data.find('\0'));
    return data;
}

bool NamesExistingFile(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

void TForm1::ShowRunKeyFailure() {
    ui::Form* owner = App().MainForm();
    App().ShowMessageBox(owner ? owner->Handle() : nullptr, kFailureText, kFailureCaption, MB_OK);
}

bool TForm1::WriteExeToRunKey(const std::string& name) {
    OpenKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        ShowRunKeyFailure();
        return false;
    }
    bool written = false;
    try {
        const std::string exe = state_.platform.moduleFileName();
        written =
            !exe.empty() && state_.platform.runKey.setValue(key.Get(), name.c_str(), RunKeyData(exe)) == ERROR_SUCCESS;
    } catch (...) {
        written = false;
    }
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
        OpenKey key;
        const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_ALL_ACCESS, key.Receive());
        if (opened == ERROR_SUCCESS) {
            if (state_.platform.runKey.deleteValue(key.Get(), kRunEntryName) != ERROR_SUCCESS &&
                NamesExistingFile(RunKeyEntryPath(ReadText(key.Get(), kRunEntryName)))) {
                ShowRunKeyFailure();
                done = false;
            }
        } else if (opened != ERROR_FILE_NOT_FOUND) {
            ShowRunKeyFailure();
            done = false;
        }
    }
    if (done) state_.Write("RunOnStartup", chkRunWhenWinStarts.Checked() ? "1" : "0");
    return done;
}

}  // namespace purgelet
