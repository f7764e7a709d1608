#include "mainwindow/HelpFile.h"

#include "core/Texts.h"
#include "framework/Application.h"

namespace purgelet {

namespace {
constexpr UINT_PTR kNoAssociation = 31;  // SE_ERR_NOASSOC

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

void OpenHelpFile(ProgramState& state, HWND owner) {
    ui::Application& app = state.app;
    const std::string file = state.ProgramFolder + texts::HelpFileName.Text();
    if (!FileExists(file)) {
        app.Beep(0);
        app.ShowMessageBox(owner, texts::HelpMissing.Text(), app.Title(), MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (static_cast<UINT_PTR>(state.platform.shellOpen(owner, file)) == kNoAssociation) {
        app.Beep(0);
        app.ShowMessageBox(owner, texts::HelpNoAssociation.Text(), app.Title(), MB_OK | MB_ICONERROR);
    }
}

}  // namespace purgelet
