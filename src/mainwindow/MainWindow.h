#pragma once
// The main window: the activity log and clearing buttons, the browsers'
// profiles and what of them is cleared, the options, a brief help text and
// the button bar.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/ProgramState.h"
#include "cleaner/browsers/Browsers.h"
#include "cleaner/CategoryPlan.h"
#include "cleaner/Categories.h"
#include "framework/Controls.h"
#include "framework/Form.h"
#include "framework/ListView.h"
#include "mainwindow/ActivityLog.h"

namespace purgelet {

struct OptionRow;

class TForm1 : public ui::Form, public CookieListOptions {
public:
    TForm1(ui::Application& app, ProgramState& state);
    ~TForm1() override;

    // Handlers.
    void FormCreate();
    void FormCloseQuery(bool& canClose);
    void btnAboutClick();
    void btnHelpClick();
    void btnExitClick();

    // Routines.
    void LoadStatusOfOptions();
    void RestorePosition();
    void SwitchOfExecutionRadioBtns();
    void SwitchOfCustomChecks();
    void FillHelpText();
    void DiscoverUserFolders();
    std::string UserID();
    std::string ProfileFolderSearch();

    // Clearing (MainWindowClearing.cpp).
    void btnClearHistoryClick();
    void Button2Click();
    void btnClearCookiesClick();
    void btnClearTypedURLsClick();
    void btnClearTypedWordsInRunClick();
    void btnTemporaryClick();
    void btnClearRecentClick();
    void btnClearTypedURLsMouseDown();
    void btnClearTypedWordsInRunMouseDown();
    void btnClearAllClick();
    void btnClearSelectedClick();
    void btnClearNotSelectedClick();
    // Shows beside each category, for the browsers when they are included,
    // and in all, what Clear All would remove now; changes nothing.
    void btnPreviewMainClick();
    // Empties a registry list and logs how it went, then what it removed.
    void DeleteValuesInRegistry(const std::string& key, const std::string& failure, const std::string& success,
                                Category category);
    void WinNTDocNSettings();
    void ExecuteClearChosen();
    // Whether the hourglass is up over the Main page (a clearing is running).
    bool HourglassShown() const { return hourglassDepth_ > 0; }

    // Browsers page (BrowsersPage.cpp): one row per browser profile found,
    // checked by its stored box; a user's flip of a box is stored at once.
    void FillBrowserList();
    void lvBrowsersItemChecked(int index);
    void btnPreviewBrowsersClick();
    // Clears the checked items of the checked profiles, item by item, and
    // logs a line for each profile and item; the mode runs and the
    // unattended clearing click it last when "Include browsers" is on.
    void btnClearBrowsersClick();
    // The items whose box is on, in the category table's order.
    std::vector<Category> CheckedBrowserItems() const;

    // Option controls (Options.cpp), one row each in the option table: a
    // release of a mouse button over a control (its `<name>MouseUp`), Space
    // released on a check box or any key released on a radio button (its
    // `<name>KeyUp`) stores the option at once by the row's save rule.
    void OptionMouseUp(const OptionRow& row);
    void OptionKeyUp(const OptionRow& row, WORD key);
    void SaveStatusOfOption(const OptionRow& row);

    // Save routines of the options (Options.cpp) and the Run key (RunKey.cpp).
    void SaveStatusOfCheck(const OptionRow& row);
    void SaveStatusOfExecution(const OptionRow& row);
    void SaveStatusOfRunWhenWinStarts();
    void SaveStatusOfInTray(const OptionRow& row);
    void SaveStatusOfAutoColResize(const OptionRow& row);
    void SaveStatusOfIncludeBrowsers(const OptionRow& row);
    void SaveStatusOfRadioBtn();
    bool ExeWinStartWriteDelReg();
    bool WriteExeToRunKey(const std::string& name);

    // A row's control, and its check or selection.
    ui::Control& OptionControl(const OptionRow& row);
    bool OptionChecked(const OptionRow& row) const;
    void SetOptionChecked(const OptionRow& row, bool on);

    // Whether the cookie list fits its columns to their contents.
    bool AutoColumnResize() const override { return chkAutoColResize.Checked(); }

    ActivityLog& Log() { return log_; }
    ProgramState& State() { return state_; }

    // The page control and its pages.
    ui::PageControl PageControl1{this, "PageControl1", {0, 0, 0, 0}};
    ui::TabSheet TabMain{&PageControl1, "TabMain", "Main"};
    ui::TabSheet TabBrowsers{&PageControl1, "TabBrowsers", "Browsers"};
    ui::TabSheet TabSettings{&PageControl1, "TabSettings", "Settings"};
    ui::TabSheet TabMisc{&PageControl1, "TabMisc", "Misc"};
    ui::TabSheet TabHelp{&PageControl1, "TabHelp", "Brief help"};

    // Main page.
    ui::Label lblMessage{&TabMain, "lblMessage", {18, 8, 120, 21}, "lblMessage"};
    ui::ListBox ListBox1{&TabMain, "ListBox1", {16, 32, 329, 121}};
    ui::Button btnClearAll{&TabMain, "btnClearAll", {376, 12, 201, 25}, "Clear All"};
    ui::Button btnClearSelected{&TabMain, "btnClearSelected", {376, 36, 201, 25}, "Clear Selected"};
    ui::Button btnClearNotSelected{&TabMain, "btnClearNotSelected", {376, 60, 201, 25}, "Clear Not Selected"};
    // What Clear All would remove now, beside each of the Selected Items.
    ui::Button btnPreviewMain{&TabMain, "btnPreviewMain", {376, 85, 201, 25}, "Preview"};
    ui::GroupBox GroupBox3{&TabMain, "GroupBox3", {360, 112, 225, 233}, " Clear "};
    ui::Button btnClearHistory{&GroupBox3, "btnClearHistory", {16, 24, 201, 25}, "IE History Links Of Web Sites"};
    ui::Button Button2{&GroupBox3, "Button2", {16, 48, 201, 25}, "IE Temp Internet Files"};
    ui::Button btnClearCookies{&GroupBox3, "btnClearCookies", {16, 72, 201, 25}, "IE Cookies"};
    ui::Button btnClearTypedURLs{&GroupBox3, "btnClearTypedURLs", {16, 96, 201, 25}, "IE Typed URLs"};
    // The browsers found, with the Browsers page's "Include browsers" box:
    // both show and store the one setting, so Clear All's reach shows here.
    ui::CheckBox chkMainBrowsers{&GroupBox3, "chkMainBrowsers", {16, 123, 201, 19}, "Browsers"};
    ui::Button btnClearTypedWordsInRun{&GroupBox3, "btnClearTypedWordsInRun", {16, 144, 201, 25}, "Typed Words On Run"};
    ui::Button btnTemporary{&GroupBox3, "btnTemporary", {16, 168, 201, 25}, "Temporary Files"};
    ui::Button btnClearRecent{&GroupBox3, "btnClearRecent", {16, 192, 201, 25}, "History Links Of Doc"};
    ui::GroupBox GroupBox4{&TabMain, "GroupBox4", {16, 158, 329, 194}, " Selected Items "};
    ui::CheckBox chkClearHistory{&GroupBox4, "chkClearHistory", {16, 24, 196, 17}, "IE History Links Of  Web Sites"};
    ui::Label lblPreviewHistory{&GroupBox4, "lblPreviewHistory", {214, 24, 103, 17}};
    ui::CheckBox chkTempInternet{&GroupBox4, "chkTempInternet", {16, 40, 196, 17}, "IE Temp Internet Files"};
    ui::Label lblPreviewTempInternet{&GroupBox4, "lblPreviewTempInternet", {214, 40, 103, 17}};
    ui::CheckBox chkClearCookies{&GroupBox4, "chkClearCookies", {16, 56, 196, 17}, "IE Cookies"};
    ui::Label lblPreviewCookies{&GroupBox4, "lblPreviewCookies", {214, 56, 103, 17}};
    ui::CheckBox chkClearTypedURLs{&GroupBox4, "chkClearTypedURLs", {16, 72, 196, 17}, "IE Typed URLs"};
    ui::Label lblPreviewTypedURLs{&GroupBox4, "lblPreviewTypedURLs", {214, 72, 103, 17}};
    ui::CheckBox chkClearTypedWordsInRun{
        &GroupBox4, "chkClearTypedWordsInRun", {16, 88, 196, 17}, "Typed Words On Run"};
    ui::Label lblPreviewTypedWordsInRun{&GroupBox4, "lblPreviewTypedWordsInRun", {214, 88, 103, 17}};
    ui::CheckBox chkClearTemp{&GroupBox4, "chkClearTemp", {16, 104, 196, 17}, "Temporary Files"};
    ui::Label lblPreviewTemp{&GroupBox4, "lblPreviewTemp", {214, 104, 103, 17}};
    ui::CheckBox chkRecentLinks{&GroupBox4, "chkRecentLinks", {16, 120, 196, 17}, "History Links Of Documents"};
    ui::Label lblPreviewRecent{&GroupBox4, "lblPreviewRecent", {214, 120, 103, 17}};
    ui::Label lblPreviewBrowsers{&GroupBox4, "lblPreviewBrowsers", {16, 138, 301, 17}};
    ui::Label lblPreviewTotal{&GroupBox4, "lblPreviewTotal", {16, 156, 301, 32}};
    ui::Panel Panel1{&TabMain, "Panel1", {16, 360, 569, 57}};
    ui::Button btnAbout{&Panel1, "btnAbout", {16, 16, 73, 25}, "&About"};
    ui::Button btnHelp{&Panel1, "btnHelp", {96, 16, 65, 25}, "&Help"};
    ui::Button btnInfoCookies{&Panel1, "btnInfoCookies", {168, 16, 100, 25}, "Info Of &Cookies"};
    ui::Button btnInfoOfURLHistory{&Panel1, "btnInfoOfURLHistory", {272, 16, 100, 25}, "Info Of URL&History"};
    ui::Button btnInfoTemIntFiles{&Panel1, "btnInfoTemIntFiles", {376, 16, 100, 25}, "Info Of Temp Internet Files"};
    ui::Button btnInfoOfOfflineCache{&Panel1, "btnInfoOfOfflineCache", {168, 16, 100, 25}, "Info Of Offline Cache"};
    ui::Button btnInfoOfOnlineCache{&Panel1, "btnInfoOfOnlineCache", {272, 16, 100, 25}, "Info Of Online Cache"};
    ui::Button btnExit{&Panel1, "btnExit", {480, 16, 67, 25}, "&Exit"};

    // Browsers page.
    ui::Label lblBrowsers{&TabBrowsers, "lblBrowsers", {18, 8, 400, 21}, "Browser profiles :"};
    ui::ListView lvBrowsers{&TabBrowsers, "lvBrowsers", {16, 32, 569, 177}};
    ui::GroupBox gbBrowserItems{&TabBrowsers, "gbBrowserItems", {16, 214, 569, 86}, " Clear "};
    ui::CheckBox chkBrowserCache{&gbBrowserItems, "chkBrowserCache", {16, 22, 120, 17}, "Cache"};
    ui::CheckBox chkBrowserCookies{&gbBrowserItems, "chkBrowserCookies", {144, 22, 120, 17}, "Cookies"};
    ui::CheckBox chkBrowserHistory{&gbBrowserItems, "chkBrowserHistory", {272, 22, 120, 17}, "History"};
    ui::CheckBox chkBrowserForms{&gbBrowserItems, "chkBrowserForms", {16, 42, 120, 17}, "Form data"};
    ui::CheckBox chkBrowserSessions{
        &gbBrowserItems, "chkBrowserSessions", {144, 42, 249, 17}, "Open tabs and sessions"};
    ui::Label lblBrowserSessions{
        &gbBrowserItems, "lblBrowserSessions", {162, 60, 395, 16}, "(the browser cannot restore its tabs afterwards)"};
    ui::CheckBox chkIncludeBrowsers{&TabBrowsers,
                                    "chkIncludeBrowsers",
                                    {16, 308, 569, 17},
                                    "Include browsers in Clear All and the automatic clearing"};
    ui::Label lblBrowsersRunning{&TabBrowsers,
                                 "lblBrowsersRunning",
                                 {34, 328, 551, 16},
                                 "(a browser that is running is skipped: close it, then clear again)"};
    ui::Label lblBrowsersKept{&TabBrowsers,
                              "lblBrowsersKept",
                              {16, 351, 569, 16},
                              "Never touched: bookmarks, saved passwords and the browsers' settings."};
    ui::Button btnPreviewBrowsers{&TabBrowsers, "btnPreviewBrowsers", {16, 376, 201, 25}, "Preview"};
    ui::Button btnClearBrowsers{&TabBrowsers, "btnClearBrowsers", {232, 376, 201, 25}, "Clear browsers"};
    ui::Button btnKeptSites{&TabBrowsers, "btnKeptSites", {448, 376, 137, 25}, "Kept sites..."};

    // Settings page.
    ui::CheckBox chkRunWhenWinStarts{
        &TabSettings, "chkRunWhenWinStarts", {24, 16, 297, 17}, "Load when Windows starts (minimize to tray)"};
    ui::Label lblSupplement{
        &TabSettings, "lblSupplement", {24, 40, 360, 16}, "(Enabled Execution will enable above option simutaneously)"};
    ui::CheckBox chkInTray{&TabSettings, "chkInTray", {24, 64, 153, 17}, "Show icon in tray"};
    ui::GroupBox gbExecution{&TabSettings, "gbExecution", {24, 96, 545, 265}, "Execution"};
    ui::CheckBox chkExecuteClearStart{
        &gbExecution, "chkExecuteClearStart", {24, 32, 289, 17}, "Execute Clearing When Windows Starts"};
    ui::CheckBox chkExecuteClearShutDown{
        &gbExecution, "chkExecuteClearShutDown", {24, 52, 393, 21}, "Execute Clearing When Windows Shuts Down"};
    ui::Label lblExecuteWhenShutDown{
        &gbExecution, "lblExecuteWhenShutDown", {42, 72, 265, 16}, "(take effect on next start up if no icon in tray)"};
    ui::RadioButton rbtnClearAll{&gbExecution, "rbtnClearAll", {24, 104, 300, 17}, "Clear All"};
    ui::RadioButton rbtnClearSelected{
        &gbExecution, "rbtnClearSelected", {24, 122, 300, 17}, "Clear Selected (refer to Main Page)"};
    ui::RadioButton rbtnClearNotSelected{
        &gbExecution, "rbtnClearNotSelected", {24, 140, 300, 17}, "Clear Not Selected (refer to Main Page)"};
    ui::RadioButton rbtnCustom{&gbExecution, "rbtnCustom", {24, 158, 300, 17}, "Custom"};
    ui::CheckBox chkCustom_HistoryLinksWeb{
        &gbExecution, "chkCustom_HistoryLinksWeb", {64, 184, 209, 17}, "IE History Links Of  Web Sites"};
    ui::CheckBox chkCustom_Cookies{&gbExecution, "chkCustom_Cookies", {64, 202, 209, 17}, "IE Cookies"};
    ui::CheckBox chkCustom_TypedURLs{&gbExecution, "chkCustom_TypedURLs", {64, 218, 209, 17}, "IE Typed URLs"};
    ui::CheckBox chkCustom_TempInternetFiles{
        &gbExecution, "chkCustom_TempInternetFiles", {64, 236, 209, 17}, "IE Temp Internet Files"};
    ui::CheckBox chkCustom_Temporary{&gbExecution, "chkCustom_Temporary", {280, 188, 240, 17}, "Temporary Files"};
    ui::CheckBox chkCustom_HistoryLinksDoc{
        &gbExecution, "chkCustom_HistoryLinksDoc", {280, 206, 240, 17}, "History Links Of Documents"};
    ui::CheckBox chkCustom_TypedWordsInRun{
        &gbExecution, "chkCustom_TypedWordsInRun", {280, 224, 240, 17}, "Typed Words On Run"};

    // Misc page.
    ui::CheckBox chkXPmenu{&TabMisc, "chkXPmenu", {32, 24, 297, 17}, "Style of XP menu (take effect on next start)"};
    ui::CheckBox chkAutoColResize{
        &TabMisc, "chkAutoColResize", {32, 48, 313, 17}, "Automatically resize columns in Cookies List"};
    ui::GroupBox gbSysInfo{&TabMisc, "gbSysInfo", {32, 80, 537, 281}, " System Information "};
    ui::Label lblWinVer{&gbSysInfo, "lblWinVer", {16, 24, 505, 20}, "lblWinVer"};
    ui::Label lblCurUserDir{&gbSysInfo, "lblCurUserDir", {16, 48, 505, 220}, "lblCurUserDir"};

    // Brief help page.
    ui::Memo Memo1{&TabHelp, "Memo1", {0, 0, 0, 0}};

protected:
    // Windows asks whether the session may end: closed like the title-bar button, answered yes.
    bool QueryEndSession() override;

private:
    void ApplyDesignLook();
    void ConnectOptionHandlers();
    void CheckBoxKeyUp(const OptionRow& row, WORD key);
    void ShowRunKeyFailure();
    // Clearing (MainWindowClearing.cpp).
    void BindClearingHandlers();
    // A category's own work, as its button does it.
    void ClearCategory(Category category);
    // The cookie manager's four steps on a kind; the own files of the
    // entries that stayed.
    // The entries deleted are counted for the category, until its line
    // after its own says how many went (LogEntriesRemoved).
    std::unordered_set<std::wstring> RunCookieManager(std::uint8_t kind, Category category);
    void LogEntriesRemoved(Category category);
    std::uint64_t entriesRemoved_[kCategoryCount] = {};
    // Whether the cookie pass just run kept every cookie (its list of kept
    // sites could not be read); says so in the log.
    bool CookiesKeptWhole(const CategoryPlan& plan);
    void RunMode(ClearMode mode);
    void BeginHourglass();
    void EndHourglass();
    // Sets the cursor at once where the mouse is over a page that runs clearings.
    void SetCursorOverPages(const char* cursor);
    void BindBrowserHandlers();
    void ShowBrowserReports(const std::vector<CategoryReport>& reports, bool preview);
    // The Selected Items boxes as wide as their captions, so the preview's
    // figures beside them have the rest of the row.
    void FitSelectionBoxes();
    // The Main page's line for the browsers: those found, by name.
    void ShowBrowsersFound();
    // The profiles the stored boxes take, for a run of these browsers' items.
    BrowserChoice BrowsersChosen(const std::vector<Category>& together) const;
    ProgramState& state_;
    ActivityLog log_{ListBox1};
    int hourglassDepth_ = 0;
    // The profiles of lvBrowsers' rows, in row order.
    std::vector<BrowserProfile> browserProfiles_;
};

// The brief help text, line by line.
const std::vector<std::string>& HelpTextLines();

}  // namespace purgelet
