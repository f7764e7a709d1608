#pragma once
// The About box: the program's name and version, its logo and icon, a short
// description, a notice, and the mail and home-page links.
#include <functional>
#include <string>

#include "core/ProgramState.h"
#include "framework/Controls.h"
#include "framework/Form.h"
#include "framework/Image.h"

namespace purgelet {

class TAboutBox : public ui::Form {
public:
    TAboutBox(ui::Application& app, ProgramState& state);

    // Handlers.
    void FormCreate();
    void OKButtonClick();
    void lblEmailClick();
    void lblHomePageClick();

    // The stored addresses, turned into text at each click.
    std::function<std::string()> storedMailAddress;
    std::function<std::string()> storedHomePage;

    ui::Image Image1{this, "Image1", {49, 16, 178, 71}};
    ui::Image imgMainIcon{this, "imgMainIcon", {273, 32, 32, 33}};
    ui::Label lblProgNameVer{this, "lblProgNameVer", {22, 100, 112, 20}};
    ui::Label lblWare{this, "lblWare", {24, 128, 305, 41}};
    ui::Label lblCpyRightAuthor{this, "lblCpyRightAuthor", {223, 175, 107, 16}};
    ui::GroupBox GroupBox1{this, "GroupBox1", {17, 300, 320, 97}};
    ui::Label lblNotice{&GroupBox1, "lblNotice", {10, 16, 295, 32}};
    ui::Label lblEmail{&GroupBox1, "lblEmail", {12, 50, 48, 16}};
    ui::Label lblHomePage{&GroupBox1, "lblHomePage", {12, 72, 84, 16}};
    ui::Button OKButton{this, "OKButton", {259, 409, 70, 30}, "&OK"};

private:
    // Opens an address through the shell; an empty address and a request no
    // program is associated with are reported after a beep.
    void OpenLink(const std::string& target, const char* emptyMessage, const char* noProgramMessage);
    void LoadLogo();
    ProgramState& state_;
};

// "&About" of the main window and "  About" of the tray menu: brings an open
// About box forward, or beeps and shows a new one modally, owned by the
// application, and frees it when the modal display ends, also by an error.
void ShowAboutBox(ProgramState& state);

}  // namespace purgelet
