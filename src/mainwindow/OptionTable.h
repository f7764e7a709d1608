#pragma once
// The option controls of the main window, one row each: the control, the
// value that stores it, what a change of it does, and for the seven
// categories the category's button and custom box (for the browsers' items
// their category). Binding, loading, saving, the enabling rules and the mode
// runs walk this table, so an option is one row here (and, when it does more
// than store itself, its save rule).
#include "cleaner/Categories.h"
#include "core/Scramble.h"
#include "core/Texts.h"
#include "mainwindow/MainWindow.h"

namespace purgelet {

// What a change of the control does when the user makes it.
enum class SaveRule {
    Switch,            // stores "1" or "0"
    Execution,         // a clearing at start or at shutdown: may turn on "Load when
                       // Windows starts", is stored, then the enabling rules follow
    RunWhenWinStarts,  // brings the Run key in line, which stores the value
    InTray,            // is stored, then the tray window is created or removed
    AutoColResize,     // is stored, then the cookie list fits or restores its columns
    IncludeBrowsers,   // is stored, and its twin on the other page follows
    ExecutionMode,     // a radio button: all four are stored, then the custom boxes' enabling
};

struct OptionRow {
    // The control: a check box or a radio button.
    ui::CheckBox TForm1::*box = nullptr;
    ui::RadioButton TForm1::*radio = nullptr;
    FixedText value;
    SaveRule rule = SaveRule::Switch;
    // Checked at design time: loading then turns it off only for a stored
    // "0"; any other control is turned on only for a stored "1".
    bool onAtDesign = false;
    // A selection box of the Main page: its category, the category's button
    // and its custom box on the Settings page. An item box of the Browsers
    // page: its category alone.
    Category category{};
    ui::Button TForm1::*button = nullptr;
    ui::CheckBox TForm1::*custom = nullptr;
    // A selection box's label beside it, where the Main page's preview
    // shows what the category would remove.
    ui::Label TForm1::*preview = nullptr;
};

// In the order the options are loaded; among the radio buttons the last one
// stored as "1" is selected.
inline constexpr OptionRow kOptionTable[] = {
    {.box = &TForm1::chkClearHistory,
     .value = RowOf(Category::HistoryLinksWeb).selectionValue,
     .category = Category::HistoryLinksWeb,
     .button = &TForm1::btnClearHistory,
     .custom = &TForm1::chkCustom_HistoryLinksWeb,
     .preview = &TForm1::lblPreviewHistory},
    {.box = &TForm1::chkTempInternet,
     .value = RowOf(Category::TempInternetFiles).selectionValue,
     .category = Category::TempInternetFiles,
     .button = &TForm1::Button2,
     .custom = &TForm1::chkCustom_TempInternetFiles,
     .preview = &TForm1::lblPreviewTempInternet},
    {.box = &TForm1::chkClearCookies,
     .value = RowOf(Category::Cookies).selectionValue,
     .category = Category::Cookies,
     .button = &TForm1::btnClearCookies,
     .custom = &TForm1::chkCustom_Cookies,
     .preview = &TForm1::lblPreviewCookies},
    {.box = &TForm1::chkClearTypedURLs,
     .value = RowOf(Category::TypedURLs).selectionValue,
     .category = Category::TypedURLs,
     .button = &TForm1::btnClearTypedURLs,
     .custom = &TForm1::chkCustom_TypedURLs,
     .preview = &TForm1::lblPreviewTypedURLs},
    {.box = &TForm1::chkRecentLinks,
     .value = RowOf(Category::HistoryLinksDoc).selectionValue,
     .category = Category::HistoryLinksDoc,
     .button = &TForm1::btnClearRecent,
     .custom = &TForm1::chkCustom_HistoryLinksDoc,
     .preview = &TForm1::lblPreviewRecent},
    {.box = &TForm1::chkClearTemp,
     .value = RowOf(Category::TemporaryFiles).selectionValue,
     .category = Category::TemporaryFiles,
     .button = &TForm1::btnTemporary,
     .custom = &TForm1::chkCustom_Temporary,
     .preview = &TForm1::lblPreviewTemp},
    {.box = &TForm1::chkClearTypedWordsInRun,
     .value = RowOf(Category::TypedWordsOnRun).selectionValue,
     .category = Category::TypedWordsOnRun,
     .button = &TForm1::btnClearTypedWordsInRun,
     .custom = &TForm1::chkCustom_TypedWordsInRun,
     .preview = &TForm1::lblPreviewTypedWordsInRun},

    {.box = &TForm1::chkCustom_HistoryLinksWeb, .value = RowOf(Category::HistoryLinksWeb).customValue},
    {.box = &TForm1::chkCustom_Cookies, .value = RowOf(Category::Cookies).customValue},
    {.box = &TForm1::chkCustom_TypedURLs, .value = RowOf(Category::TypedURLs).customValue},
    {.box = &TForm1::chkCustom_TempInternetFiles, .value = RowOf(Category::TempInternetFiles).customValue},
    {.box = &TForm1::chkCustom_Temporary, .value = RowOf(Category::TemporaryFiles).customValue},
    {.box = &TForm1::chkCustom_HistoryLinksDoc, .value = RowOf(Category::HistoryLinksDoc).customValue},
    {.box = &TForm1::chkCustom_TypedWordsInRun, .value = RowOf(Category::TypedWordsOnRun).customValue},

    {.box = &TForm1::chkRunWhenWinStarts, .value = texts::ValRunOnStartup, .rule = SaveRule::RunWhenWinStarts},
    {.box = &TForm1::chkExecuteClearStart, .value = texts::ValExecuteClearStart, .rule = SaveRule::Execution},
    {.box = &TForm1::chkExecuteClearShutDown, .value = texts::ValExecuteClearShutDown, .rule = SaveRule::Execution},

    {.radio = &TForm1::rbtnClearAll, .value = ValueOf(Execution::ClearAll), .rule = SaveRule::ExecutionMode},
    {.radio = &TForm1::rbtnClearSelected, .value = ValueOf(Execution::ClearSelected), .rule = SaveRule::ExecutionMode},
    {.radio = &TForm1::rbtnClearNotSelected,
     .value = ValueOf(Execution::ClearNotSelected),
     .rule = SaveRule::ExecutionMode},
    {.radio = &TForm1::rbtnCustom, .value = ValueOf(Execution::Custom), .rule = SaveRule::ExecutionMode},

    {.box = &TForm1::chkXPmenu, .value = texts::ValXPmenu, .onAtDesign = true},
    {.box = &TForm1::chkInTray, .value = texts::ValCheckInTray, .rule = SaveRule::InTray},
    {.box = &TForm1::chkAutoColResize, .value = texts::ValAutoColResize, .rule = SaveRule::AutoColResize},
    {.box = &TForm1::chkIncludeBrowsers, .value = texts::ValIncludeBrowsers, .rule = SaveRule::IncludeBrowsers},
    {.box = &TForm1::chkMainBrowsers, .value = texts::ValIncludeBrowsers, .rule = SaveRule::IncludeBrowsers},

    // The Browsers page's item boxes, in the category table's order.
    {.box = &TForm1::chkBrowserCache,
     .value = RowOf(Category::BrowserCache).itemValue,
     .onAtDesign = RowOf(Category::BrowserCache).itemOnByDefault,
     .category = Category::BrowserCache},
    {.box = &TForm1::chkBrowserCookies,
     .value = RowOf(Category::BrowserCookies).itemValue,
     .onAtDesign = RowOf(Category::BrowserCookies).itemOnByDefault,
     .category = Category::BrowserCookies},
    {.box = &TForm1::chkBrowserHistory,
     .value = RowOf(Category::BrowserHistory).itemValue,
     .onAtDesign = RowOf(Category::BrowserHistory).itemOnByDefault,
     .category = Category::BrowserHistory},
    {.box = &TForm1::chkBrowserForms,
     .value = RowOf(Category::BrowserForms).itemValue,
     .onAtDesign = RowOf(Category::BrowserForms).itemOnByDefault,
     .category = Category::BrowserForms},
    {.box = &TForm1::chkBrowserSessions,
     .value = RowOf(Category::BrowserSessions).itemValue,
     .onAtDesign = RowOf(Category::BrowserSessions).itemOnByDefault,
     .category = Category::BrowserSessions},
};

// The row of a category's selection box.
const OptionRow& OptionRowOf(Category category);

}  // namespace purgelet
