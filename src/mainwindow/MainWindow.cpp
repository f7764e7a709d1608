#include "mainwindow/MainWindow.h"

#include <algorithm>

#include "about/AboutBox.h"
#include "core/Texts.h"
#include "cleaner/FolderDiscovery.h"
#include "framework/Application.h"
#include "base/Errors.h"
#include "base/Handles.h"
#include "base/Text.h"
#include "mainwindow/HelpFile.h"
#include "mainwindow/OptionTable.h"
#include "resource_ids.h"

namespace purgelet {

namespace {
ui::Font MakeFont(const char* name, int height, bool bold = false, ui::Color color = ui::clWindowText) {
    return ui::Font{name, height, bold, color};
}
}  // namespace

const std::vector<std::string>& HelpTextLines() {
    static const std::vector<std::string> lines = {
        " Visit Ovk's home page to get more freewares!",
        "",
        "Main :",
        "",
        "Clear All = Clear all listed items",
        "Clear Selected = Clear selected items",
        "Clear Not Selected = Clear not selected items",
        "",
        "IE Temp Internet Files = Some temporary files are stored when you are surfing on the internet, include "
        "graphics and html files",
        "",
        "IE Cookies = Tracking information of your surfing, such as times of visiting web sites",
        "",
        "IE Typed URLs = Words that you typed on the Internet Explorer address bar (If browsers are opened and you "
        "make change to address bar, Purgelet does not get updated information. The best result is to close all "
        "opened browsers before execute this command.)",
        "",
        "History Links Of Doc = History links of documents. ",
        "",
        "Temporary files = Temporary files under [Windows\\temp] and [user's temp].",
        "",
        "Typed Words On Run = Words that you typed on the Run screen (take effect when Windows starts next time)",
        "",
        "",
        "Settings :",
        "",
        "Load When Windows Starts = When Windows starts every time, run Ovk Purgelet",
        "",
        "Browsers :",
        "",
        "Browsers page = Every profile of Edge, Chrome, Brave, Vivaldi, Opera and Firefox found, each with its box, "
        "and what is cleared of them: Cache, Cookies, History, Form data, Open tabs and sessions. Preview shows "
        "beside each profile what would go, Clear browsers clears it. With \"Include browsers in Clear All and the "
        "automatic clearing\" on (the Browsers line of the Main page is the same box), every clearing clears them "
        "too. A browser that is running is skipped. Bookmarks, saved passwords and the browsers' settings are never "
        "touched.",
        "",
        "Kept sites = The sites whose cookies every clearing keeps, in Internet Explorer and in every browser "
        "(example.org keeps www.example.org too). Type a site, or pick it from the sites that have cookies now "
        "(Add from cookies...).",
        "",
        "Remarks:",
        "",
        "If your operating system is Windows NT, Ovk Purgelet assumes those paths(stored temporary files, temporary "
        "internet files, cookies and history links of documents) are not changed by anyone(Administrator) or those "
        "paths not assigned to different locations for logon users. It means Purgelet only checks fixed "
        "directories. Even though Purgelet fails to find preceding directories, it will skip the checks and has no "
        "harm!",
    };
    return lines;
}

TForm1::TForm1(ui::Application& app, ProgramState& state)
    : Form(app, "Form1", {179, 94, 612, 496}, "Ovk"), state_(state) {
    state_.windows.Enter(WindowRole::Main, *this);
    ApplyDesignLook();
    ConnectOptionHandlers();
    onCreate = [this] { FormCreate(); };
    onCloseQuery = [this](ui::CloseQueryEvent& e) { FormCloseQuery(e.canClose); };
    btnAbout.onClick = [this] { btnAboutClick(); };
    btnHelp.onClick = [this] { btnHelpClick(); };
    btnExit.onClick = [this] { btnExitClick(); };
    BindClearingHandlers();
    BindBrowserHandlers();
    // The "Info Of" buttons do nothing.
    for (ui::Button* b :
         {&btnInfoCookies, &btnInfoOfURLHistory, &btnInfoTemIntFiles, &btnInfoOfOfflineCache, &btnInfoOfOnlineCache})
        b->onClick = [] {};
}

TForm1::~TForm1() { state_.windows.Leave(WindowRole::Main, *this); }

void TForm1::ApplyDesignLook() {
    SetFont(MakeFont("MS Sans Serif", -14));
    PageControl1.SetAlign(ui::Align::Client);
    PageControl1.SetActivePage(&TabHelp);

    lblMessage.SetFont(MakeFont("Comic Sans MS", -14, false, ui::clMaroon));
    lblMessage.wordWrap = false;
    ListBox1.SetColor(ui::clSkyBlue);
    ListBox1.SetFont(MakeFont("Arial", -12));
    ListBox1.itemHeight = 15;
    ListBox1.SetTabStop(false);
    for (ui::Button* b : {&btnClearAll, &btnClearSelected, &btnClearNotSelected, &btnPreviewMain})
        b->SetFont(MakeFont("Comic Sans MS", -13));

    GroupBox3.SetFont(MakeFont("Times New Roman", -17, true, ui::clRed));
    for (ui::Button* b : {&btnClearHistory, &Button2, &btnClearCookies, &btnClearTypedURLs})
        b->SetFont(MakeFont("MS Sans Serif", -14));
    for (ui::Button* b : {&btnClearTypedWordsInRun, &btnTemporary, &btnClearRecent})
        b->SetFont(MakeFont("MS Sans Serif", -14, true));

    GroupBox4.SetFont(MakeFont("Times New Roman", -17, true, ui::clGreen));
    for (ui::CheckBox* c : {&chkClearHistory, &chkTempInternet, &chkClearCookies, &chkClearTypedURLs})
        c->SetFont(MakeFont("Tahoma", -12, false, ui::clNavy));
    for (ui::CheckBox* c : {&chkClearTypedWordsInRun, &chkClearTemp, &chkRecentLinks})
        c->SetFont(MakeFont("Tahoma", -12, true, ui::clNavy));
    // The preview's figures, right beside their boxes; a long one grows to the left.
    for (const OptionRow& row : kOptionTable) {
        if (!row.preview) continue;
        ui::Label& figure = this->*row.preview;
        figure.SetFont(MakeFont("Tahoma", -12, false, ui::clMaroon));
        figure.rightJustify = true;
        figure.autoSize = true;
    }
    // The browsers' figures on one line, the total on up to two.
    for (ui::Label* l : {&lblPreviewBrowsers, &lblPreviewTotal})
        l->SetFont(MakeFont("Tahoma", -11, l == &lblPreviewTotal, ui::clMaroon));
    lblPreviewBrowsers.wordWrap = false;
    lblPreviewTotal.SetCaption("(Preview: what Clear All would remove)");

    Panel1.loweredBevel = true;
    btnAbout.glyph = IDB_GLYPH_ABOUT;
    btnHelp.glyph = IDB_GLYPH_HELP;
    btnExit.glyph = IDB_GLYPH_EXIT;
    Panel1.SetFont(MakeFont("MS Sans Serif", -14));
    for (ui::Button* b :
         {&btnInfoCookies, &btnInfoOfURLHistory, &btnInfoTemIntFiles, &btnInfoOfOfflineCache, &btnInfoOfOnlineCache}) {
        b->SetVisible(false);
        b->SetEnabled(false);
    }
    btnInfoOfOfflineCache.SetTabStop(false);
    btnInfoOfOnlineCache.SetTabStop(false);

    lblBrowsers.SetFont(MakeFont("Comic Sans MS", -14, false, ui::clMaroon));
    lblBrowsers.wordWrap = false;
    lvBrowsers.multiSelect = false;
    lvBrowsers.utf8Texts = true;
    // A face with the scripts profiles are named in (and, on Windows, linked to the others).
    lvBrowsers.SetFont(MakeFont("Tahoma", -13));
    lvBrowsers.AddColumn("Profile", 340);
    // The columns fit their texts (a long profile name, what a preview
    // found), and the list then scrolls sideways.
    lvBrowsers.AddColumn("Would remove", 205);
    lvBrowsers.SetColumnAutoSize(0, true);
    lvBrowsers.SetColumnAutoSize(1, true);
    gbBrowserItems.SetFont(MakeFont("MS Sans Serif", -14));
    for (ui::CheckBox* c :
         {&chkBrowserCache, &chkBrowserCookies, &chkBrowserHistory, &chkBrowserForms, &chkBrowserSessions})
        c->SetFont(MakeFont("Tahoma", -12, false, ui::clNavy));
    for (ui::Label* l : {&lblBrowsersRunning, &lblBrowserSessions, &lblBrowsersKept})
        l->SetFont(MakeFont("Tahoma", -13));
    chkMainBrowsers.SetFont(MakeFont("Tahoma", -12, false, ui::clNavy));
    for (ui::Button* b : {&btnPreviewBrowsers, &btnClearBrowsers}) b->SetFont(MakeFont("Comic Sans MS", -13));

    lblSupplement.SetFont(MakeFont("Tahoma", -13));
    // The notes take the room their one line needs at every density.
    for (ui::Label* l : {&lblSupplement, &lblExecuteWhenShutDown}) {
        l->wordWrap = false;
        l->autoSize = true;
    }
    gbExecution.SetFont(MakeFont("MS Sans Serif", -14));
    for (ui::CheckBox* c :
         {&chkCustom_HistoryLinksWeb, &chkCustom_Cookies, &chkCustom_TypedURLs, &chkCustom_TempInternetFiles})
        c->SetFont(MakeFont("Tahoma", -12, false, ui::clNavy));
    for (ui::CheckBox* c : {&chkCustom_Temporary, &chkCustom_HistoryLinksDoc, &chkCustom_TypedWordsInRun})
        c->SetFont(MakeFont("Tahoma", -12, true, ui::clNavy));

    for (const OptionRow& row : kOptionTable)
        if (row.onAtDesign) SetOptionChecked(row, true);
    chkAutoColResize.SetVisible(false);
    gbSysInfo.SetVisible(false);
    lblWinVer.SetVisible(false);
    lblCurUserDir.SetVisible(false);

    Memo1.SetAlign(ui::Align::Client);
    Memo1.SetFont(MakeFont("Comic Sans MS", -13));
}

void TForm1::FormCreate() {
    btnInfoCookies.SetEnabled(false);
    btnInfoCookies.SetVisible(false);
    btnInfoOfURLHistory.SetEnabled(false);
    btnInfoOfURLHistory.SetVisible(false);
    if (App().Dpi() <= 96) SetSize(497, 403);
    lblMessage.SetCaption("Messages :");
    SetCaption(texts::ProgramName);
    SYSTEMTIME today;
    GetLocalTime(&today);
    log_.FillOpeningLines(today);
    FillHelpText();
    PageControl1.SetActivePage(&TabMain);
    DiscoverUserFolders();
    LoadStatusOfOptions();
    SwitchOfExecutionRadioBtns();
    SwitchOfCustomChecks();
    FillBrowserList();
    FitSelectionBoxes();
}

void TForm1::FitSelectionBoxes() {
    for (const OptionRow& row : kOptionTable) {
        if (!row.preview) continue;
        ui::CheckBox& box = this->*row.box;
        if (!box.Handle()) continue;
        RECT text{0, 0, 0, 0};
        SIZE zero{};
        {
            ScreenDC dc;
            SelectedObject font(dc, App().FontHandle(box.EffectiveFont()));
            const std::wstring caption = Widen(box.Caption());
            DrawTextW(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
            GetTextExtentPoint32A(dc, "0", 1, &zero);
        }
        RECT place = box.BoundsPx();
        place.right =
            std::min<LONG>(place.right, place.left + text.right + GetSystemMetrics(SM_CXMENUCHECK) + 2 * zero.cx);
        box.SetBoundsPx(place);
    }
}

void TForm1::FillHelpText() {
    Memo1.Clear();
    Memo1.SetLines(HelpTextLines());
}

std::string TForm1::UserID() { return purgelet::UserID(state_.platform); }

std::string TForm1::ProfileFolderSearch() { return FindProfileFolder(SystemFacts(state_), state_.folders.WinMajor); }

void TForm1::DiscoverUserFolders() {
    DiscoveryLabels labels = DiscoverFolders(SystemFacts(state_), state_.folders);
    if (labels.winVer) lblWinVer.SetCaption(FromUtf8(*labels.winVer));
    lblCurUserDir.SetCaption(FromUtf8(labels.curUserDir));
}

// A stored value that cannot be read (no whole number, a wrong registry type)
// is reported in the error box; its edge or control keeps its design state
// and the loading goes on with the next value.
void TForm1::RestorePosition() {
    App().Guard([this] {
        const std::string top = state_.Read(texts::ValMainTop);
        if (!top.empty()) {
            int y = StrToInt(top);
            if (y >= 0 && y < GetSystemMetrics(SM_CYSCREEN)) SetTop(y);
        }
    });
    App().Guard([this] {
        const std::string left = state_.Read(texts::ValMainLeft);
        if (!left.empty()) {
            int x = StrToInt(left);
            if (x >= 0 && x < GetSystemMetrics(SM_CXSCREEN)) SetLeft(x);
        }
    });
}

// Each control is loaded on its own: a value that cannot be read leaves it
// at its design state and the loading goes on.
void TForm1::LoadStatusOfOptions() {
    RestorePosition();
    for (const OptionRow& row : kOptionTable) {
        App().Guard([&] {
            const std::string stored = state_.Read(row.value.Text());
            if (row.onAtDesign ? IsSwitchOff(stored) : IsSwitchOn(stored)) SetOptionChecked(row, !row.onAtDesign);
        });
    }
}

void TForm1::SwitchOfExecutionRadioBtns() {
    bool on = false;
    for (const OptionRow& row : kOptionTable)
        if (row.rule == SaveRule::Execution && OptionChecked(row)) on = true;
    for (const OptionRow& row : kOptionTable)
        if (row.rule == SaveRule::ExecutionMode) OptionControl(row).SetEnabled(on);
}

void TForm1::SwitchOfCustomChecks() {
    const bool on = rbtnCustom.Checked() && rbtnCustom.Enabled();
    for (const OptionRow& row : kOptionTable)
        if (row.custom) (this->*row.custom).SetEnabled(on);
}

void TForm1::btnAboutClick() { ShowAboutBox(state_); }

void TForm1::btnHelpClick() {
    ui::Form* first = state_.windows.FirstWindow();
    OpenHelpFile(state_, first ? first->Handle() : Handle());
}

void TForm1::btnExitClick() { Close(); }

void TForm1::FormCloseQuery(bool& canClose) {
    state_.Write(texts::ValMainTop, std::to_string(Top()));
    state_.Write(texts::ValMainLeft, std::to_string(Left()));
    if (!state_.TrayMode) App().Terminate();
    canClose = true;
}

}  // namespace purgelet
