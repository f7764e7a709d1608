#include "about/AboutBox.h"

#include "about/JpegPicture.h"
#include "base/AtScopeEnd.h"
#include "core/Texts.h"
#include "framework/Application.h"
#include "framework/MessageDialog.h"
#include "resource_ids.h"

namespace purgelet {

namespace {
constexpr INT_PTR kNoAssociation = 31;  // SE_ERR_NOASSOC
}

TAboutBox::TAboutBox(ui::Application& app, ProgramState& state)
    : Form(app, "AboutBox", {0, 0, 353, 451}, "About"), state_(state) {
    border = ui::FormBorder::Dialog;
    position = ui::FormPosition::ScreenCenter;
    designIsClientArea = true;
    minimizeBox = false;
    maximizeBox = false;
    SetFont(ui::Font{"MS Sans Serif", -14, false, ui::clBlack});

    lblProgNameVer.autoSize = true;
    lblProgNameVer.wordWrap = false;
    lblProgNameVer.SetFont(ui::Font{"Comic Sans MS", -15, false, ui::clBlack});
    lblCpyRightAuthor.autoSize = true;
    // Two lines of the notice take their own height at every density.
    lblNotice.autoSize = true;
    lblCpyRightAuthor.rightJustify = true;
    lblCpyRightAuthor.SetFont(ui::Font{"MS Sans Serif", -15, false, ui::clBlack});
    for (ui::Label* link : {&lblEmail, &lblHomePage}) {
        link->autoSize = true;
        link->wordWrap = false;
        link->handCursor = true;
    }
    lblEmail.SetFont(ui::Font{"MS Sans Serif", -13, false, ui::clBlue});
    lblHomePage.SetFont(ui::Font{"MS Sans Serif", -14, false, ui::clBlue});
    OKButton.isDefault = true;
    OKButton.isCancel = true;

    storedMailAddress = [] { return texts::AboutMail.Text(); };
    storedHomePage = [] { return texts::AboutHomePage.Text(); };
    LoadLogo();

    onCreate = [this] { FormCreate(); };
    OKButton.onClick = [this] { OKButtonClick(); };
    lblEmail.onClick = [this] { lblEmailClick(); };
    lblHomePage.onClick = [this] { lblHomePageClick(); };
}

void TAboutBox::LoadLogo() {
    // The logo is kept with the program as a JPEG picture; a damaged one
    // leaves the box without it.
    const std::string_view jpeg = state_.platform.resourceData(IDR_LOGO_JPEG);
    const auto picture = DecodeJpeg(reinterpret_cast<const std::uint8_t*>(jpeg.data()), jpeg.size());
    if (picture) Image1.SetPixels(picture->width, picture->height, picture->rgb.data());
}

void TAboutBox::FormCreate() {
    App().Beep(0);
    lblWare.SetCaption(texts::AboutWare.Text());
    lblNotice.SetCaption(texts::AboutNotice.Text());
    const std::string nameVersion = texts::AboutNameVersion.Text();
    const std::string maker = texts::AboutMaker.Text();
    const std::string mail = texts::AboutMail.Text();
    const std::string homePage = texts::AboutHomePage.Text();
    SetCaption(nameVersion + " - About");
    imgMainIcon.SetIcon(App().Icon());
    lblProgNameVer.SetCaption(nameVersion);
    lblCpyRightAuthor.SetCaption(maker);
    lblEmail.SetCaption(mail);
    lblHomePage.SetCaption(homePage);
}

void TAboutBox::OKButtonClick() { Close(); }

void TAboutBox::OpenLink(const std::string& target, const char* emptyMessage, const char* noProgramMessage) {
    if (target.empty()) {
        App().Beep(0);
        ui::MessageDlg(App(), Handle(), emptyMessage, ui::MsgDlgType::Information);
        return;
    }
    if (state_.platform.shellOpen(Handle(), target) == kNoAssociation) {
        App().Beep(0);
        ui::MessageDlg(App(), Handle(), noProgramMessage, ui::MsgDlgType::Error);
    }
}

void TAboutBox::lblEmailClick() {
    const std::string address = storedMailAddress();
    OpenLink(address.empty() ? std::string() : "mailto:" + address, "Invalid e-mail address.",
             "Failing to open e-mail client application.");
}

void TAboutBox::lblHomePageClick() {
    OpenLink(storedHomePage(), "Invalid URL.", "Failing to open browser and connect to internet.");
}

void ShowAboutBox(ProgramState& state) {
    ui::Application& app = state.app;
    for (ui::Form* form : app.Forms())
        if (auto* open = dynamic_cast<TAboutBox*>(form)) {
            open->BringToFront();
            return;
        }
    app.Beep(0);
    TAboutBox& box = app.CreateForm<TAboutBox>(state);
    AtScopeEnd destroyBox{[&] { app.DestroyForm(box); }};
    box.ShowModal();
}

}  // namespace purgelet
