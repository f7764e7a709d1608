// The main window's clearing: the seven category buttons of the group
// " Clear ", the NT run, the three mode buttons and the unattended clearing.
#include <unordered_set>
#include <utility>

#include "cleaner/CategoryPlan.h"
#include "cleaner/FileRemoval.h"
#include "cleaner/FolderDiscovery.h"
#include "cookies/CookieListWindow.h"
#include "framework/Application.h"
#include "base/AtScopeEnd.h"
#include "base/Errors.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OptionTable.h"

namespace purgelet {

namespace {

TMainForm& CookieManagerOf(const ProgramState& state) {
    TMainForm* manager = state.windows.CookieManager();
    if (!manager) throw Error("The cookie manager window is not open");
    return *manager;
}

using KeptFiles = std::unordered_set<std::wstring>;

// Empties a planned folder that was not refused: false when it counts as
// missing. Its category's line follows, and a line for what it left that was
// not asked to stay; or, when the folder turns out to be one never emptied
// as it is opened, the line that says so instead.
bool EmptyPlanned(const ProgramState& state, const PlannedFolder& f, const FolderGuard& guard, const KeptFiles& kept,
                  ActivityLog& log) {
    RemovalTally tally;
    if (!EmptyFolder(f.folder, state.platform, {state.ProgramFolderWide, f.cacheIndexes, &guard, &kept}, Walk::Delete,
                     tally))
        return false;
    if (tally.refusal) {
        log.Add(SkippedLine(f.what, f.named, tally.refusal, tally.really));
        return true;
    }
    log.Add(f.line);
    if (const std::string left = LeftLine(f.what, tally); !left.empty()) log.Add(left);
    return true;
}

FolderGuard GuardOf(const ProgramState& state) {
    return FolderGuard(
        GuardedFoldersOf(state.folders, state.WindowsFolder, state.ProgramFolderWide, state.platform.knownFolderPath));
}

// Windows 9x: each folder of the category that is there is emptied and logs
// its line. kept: the own files of cache entries that stayed.
void Empty9xFolders(const ProgramState& state, Category category, ActivityLog& log, const KeptFiles& kept = {}) {
    const FolderGuard guard = GuardOf(state);
    for (const PlannedFolder& f : PlanOf(category, state.folders, state.WindowsFolder, &guard).folders) {
        if (f.refusal)
            log.Add(SkippedLine(f.what, f.named, f.refusal, f.really));
        else
            EmptyPlanned(state, f, guard, kept, log);
    }
}

// The folders of a category in the NT run: both passes, whether the folder is
// there or not (a missing folder has no sub-folders to go either), and the
// category's line; or, for a folder that must not be emptied, the line that
// says so instead.
void EmptyNtFolders(const ProgramState& state, Category category, ActivityLog& log, const KeptFiles& kept = {}) {
    const FolderGuard guard = GuardOf(state);
    for (const PlannedFolder& f : PlanOf(category, state.folders, state.WindowsFolder, &guard).folders) {
        if (f.folder.empty()) {
            log.Add(f.line);
        } else if (f.refusal) {
            log.Add(SkippedLine(f.what, f.named, f.refusal, f.really));
        } else if (!EmptyPlanned(state, f, guard, kept, log)) {
            log.Add(f.line);
        }
    }
}

// Sets the cursor at once when the mouse is over the page (nothing repaints
// during a run, so the next mouse move would come too late).
void SetCursorOver(const ui::Control& page, const char* cursor) {
    HWND pageWindow = page.Handle();
    if (!pageWindow || !page.Showing()) return;
    POINT at;
    if (!GetCursorPos(&at)) return;
    HWND below = WindowFromPoint(at);
    if (below == pageWindow || IsChild(pageWindow, below)) SetCursor(LoadCursorA(nullptr, cursor));
}

}  // namespace

void TForm1::BindClearingHandlers() {
    btnClearHistory.onClick = [this] { btnClearHistoryClick(); };
    Button2.onClick = [this] { Button2Click(); };
    btnClearCookies.onClick = [this] { btnClearCookiesClick(); };
    btnClearTypedURLs.onClick = [this] { btnClearTypedURLsClick(); };
    btnClearTypedWordsInRun.onClick = [this] { btnClearTypedWordsInRunClick(); };
    btnTemporary.onClick = [this] { btnTemporaryClick(); };
    btnClearRecent.onClick = [this] { btnClearRecentClick(); };
    btnClearTypedURLs.onMouseDown = [this](ui::MouseButton, int, int) { btnClearTypedURLsMouseDown(); };
    btnClearTypedWordsInRun.onMouseDown = [this](ui::MouseButton, int, int) { btnClearTypedWordsInRunMouseDown(); };
    btnClearAll.onClick = [this] { btnClearAllClick(); };
    btnClearSelected.onClick = [this] { btnClearSelectedClick(); };
    btnClearNotSelected.onClick = [this] { btnClearNotSelectedClick(); };
}

// The hourglass over the Main page; runs inside runs keep it up until the
// outermost one ends.
void TForm1::BeginHourglass() {
    ++hourglassDepth_;
    SetCursorOver(TabMain, IDC_WAIT);
}

void TForm1::EndHourglass() {
    if (hourglassDepth_ > 0 && --hourglassDepth_ == 0) SetCursorOver(TabMain, IDC_ARROW);
}

// The cookie manager as an engine: choose the kind, list it, check every row,
// delete the checked rows. Every listed entry goes, as each refresh marks
// every row "No" to keep.
void TForm1::RunCookieManager(std::uint8_t kind) {
    TMainForm& manager = CookieManagerOf(state_);
    manager.SetVar_CacheEntryType(kind);
    manager.btnRefresh.Click();
    manager.btnCheck.Click();
    manager.btnDelete.Click();
    // Its listing puts the program's cursor back to the arrow.
    if (HourglassShown()) SetCursorOver(TabMain, IDC_WAIT);
}

// Categories ----------------------------------------------------------------

void TForm1::ClearHistoryOfWebSites() {
    ClearUrlHistoryStore(state_.platform);
    RunCookieManager(kHistoryEntriesKind);
    log_.Add(logline::HistoryOfWebSites);
}

void TForm1::btnClearHistoryClick() {
    if (state_.ClearLogPerCategory) log_.Clear();
    ClearHistoryOfWebSites();
}

void TForm1::Button2Click() {
    if (state_.ClearLogPerCategory) log_.Clear();
    if (!CookieManagerOf(state_).Is_WininetDll_Exist()) {
        log_.Add(logline::TempInternetNoWininet);
        return;
    }
    RunCookieManager(kOrdinaryEntriesKind);
    if (state_.folders.IsWin9x) {
        Empty9xFolders(state_, Category::TempInternetFiles, log_, CookieManagerOf(state_).KeptLocalFiles());
        return;
    }
    state_.ntFlags.tempInternetFiles = true;
    WinNTDocNSettings();
}

void TForm1::btnClearCookiesClick() {
    if (state_.ClearLogPerCategory) log_.Clear();
    if (!CookieManagerOf(state_).Is_WininetDll_Exist()) {
        log_.Add(logline::CookiesNoWininet);
        return;
    }
    RunCookieManager(kCookieEntriesKind);
    log_.Add(logline::UserCookies);
}

void TForm1::btnClearTypedURLsClick() {
    if (state_.ClearLogPerCategory) log_.Clear();
    DeleteValuesInRegistry(kTypedUrlsKey, logline::TypedUrlsFailed, logline::TypedUrls);
}

void TForm1::btnClearTypedWordsInRunClick() {
    if (state_.ClearLogPerCategory) log_.Clear();
    DeleteValuesInRegistry(kRunMruKey, logline::RunWordsFailed, logline::RunWords);
}

// A press on either registry button empties the log at once, whether or not
// it becomes a click.
void TForm1::btnClearTypedURLsMouseDown() { log_.Clear(); }

void TForm1::btnClearTypedWordsInRunMouseDown() { log_.Clear(); }

void TForm1::DeleteValuesInRegistry(const std::string& key, const std::string& failure, const std::string& success) {
    log_.Add(RegistryOutcomeLine(DeleteAllValues(key, state_.platform), failure, success));
}

void TForm1::btnTemporaryClick() {
    BeginHourglass();
    AtScopeEnd restoreCursor{[this] { EndHourglass(); }};
    if (state_.ClearLogPerCategory) log_.Clear();
    if (state_.folders.IsWin9x) {
        Empty9xFolders(state_, Category::TemporaryFiles, log_);
        return;
    }
    state_.ntFlags.temporaryFiles = true;
    WinNTDocNSettings();
}

void TForm1::btnClearRecentClick() {
    if (state_.ClearLogPerCategory) log_.Clear();
    if (state_.folders.IsWin9x) {
        Empty9xFolders(state_, Category::HistoryLinksDoc, log_);
        return;
    }
    state_.ntFlags.historyLinksDoc = true;
    WinNTDocNSettings();
}

// The NT run --------------------------------------------------------------------

void TForm1::WinNTDocNSettings() {
    const NtFolders folders = NtFoldersOf(state_.WindowsFolder, state_.folders);
    if (folders.profile.empty() || !DirectoryExists(folders.profile)) {
        // Nothing is cleared; the pending categories wait for a run that finds the profile.
        log_.Add(logline::NoProfileFolder);
        log_.Add(logline::NtRunStopped);
        return;
    }
    log_.Clear();
    BeginHourglass();
    // The pending categories are done with when the run ends, also when an
    // error ends it: a later run clears only what it is asked to.
    AtScopeEnd finish{[this] {
        EndHourglass();
        state_.ntFlags.SetAll(false);
    }};
    const NtCategoryFlags& pending = state_.ntFlags;

    if (pending.historyLinksWeb) ClearHistoryOfWebSites();
    if (pending.tempInternetFiles) {
        RunCookieManager(kOrdinaryEntriesKind);
        EmptyNtFolders(state_, Category::TempInternetFiles, log_, KeptFiles(CookieManagerOf(state_).KeptLocalFiles()));
    }
    if (pending.cookies) {
        RunCookieManager(kCookieEntriesKind);
        log_.Add(logline::NtCookies);
    }
    if (pending.typedURLs) btnClearTypedURLs.Click();
    if (pending.typedWordsOnRun) btnClearTypedWordsInRun.Click();
    if (pending.temporaryFiles) EmptyNtFolders(state_, Category::TemporaryFiles, log_);
    if (pending.historyLinksDoc) EmptyNtFolders(state_, Category::HistoryLinksDoc, log_);
}

// Modes -------------------------------------------------------------------------------

void TForm1::RunMode(ClearMode mode) {
    BeginHourglass();
    AtScopeEnd restoreCursor{[this] { EndHourglass(); }};
    log_.Clear();
    state_.ClearLogPerCategory = false;
    // Restored however the run ends, so later categories empty the log again.
    AtScopeEnd restoreLogRule{[this] { state_.ClearLogPerCategory = true; }};
    if (state_.folders.IsWin9x) {
        for (Category category : kModeOrder) {
            const OptionRow& row = CategoryRow(category);
            if (ModeTakes(mode, OptionChecked(row))) (this->*row.button).Click();
        }
        return;
    }
    for (Category category : kModeOrder)
        NtFlagOf(state_.ntFlags, category) = ModeTakes(mode, OptionChecked(CategoryRow(category)));
    WinNTDocNSettings();
}

void TForm1::btnClearAllClick() { RunMode(ClearMode::All); }

void TForm1::btnClearSelectedClick() { RunMode(ClearMode::Selected); }

void TForm1::btnClearNotSelectedClick() { RunMode(ClearMode::NotSelected); }

// The unattended clearing: the chosen execution mode, as one run. An error
// ends it and is shown; it never leaves here.
void TForm1::ExecuteClearChosen() {
    App().Guard([this] {
        switch (ChosenExecution(rbtnClearAll.Checked(), rbtnClearSelected.Checked(), rbtnClearNotSelected.Checked(),
                                rbtnCustom.Checked())) {
            case Execution::ClearAll:
                btnClearAll.Click();
                break;
            case Execution::ClearSelected:
                btnClearSelected.Click();
                break;
            case Execution::ClearNotSelected:
                btnClearNotSelected.Click();
                break;
            case Execution::Custom:
                // No mode run around these: each category empties the log first.
                for (Category category : kCustomOrder) {
                    const OptionRow& row = CategoryRow(category);
                    if ((this->*row.custom).Checked()) (this->*row.button).Click();
                }
                break;
            case Execution::None:
                break;
        }
    });
}

}  // namespace purgelet
