// The main window's clearing: the seven category buttons of the group
// " Clear ", the NT run, the three mode buttons and the unattended clearing
// (which take the browsers' caches last when "Include browsers" is on).
#include <unordered_set>
#include <utility>

#include "cleaner/CategoryPlan.h"
#include "cleaner/removal/FileRemoval.h"
#include "cleaner/FolderDiscovery.h"
#include "cleaner/iecache/HistoryStore.h"
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
    log.Add(RemovedLine(f.what, tally));
    if (const std::string left = LeftLine(f.what, tally); !left.empty()) log.Add(left);
    return true;
}

// Windows 9x: each folder of the category that is there is emptied and logs
// its line. kept: the own files of cache entries that stayed.
void Empty9xFolders(const ProgramState& state, Category category, ActivityLog& log, const KeptFiles& kept = {}) {
    const FolderGuard guard = GuardOf(state.site);
    for (const PlannedFolder& f : PlanOf(category, state.site, &guard).folders) {
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
    const FolderGuard guard = GuardOf(state.site);
    for (const PlannedFolder& f : PlanOf(category, state.site, &guard).folders) {
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
    btnPreviewMain.onClick = [this] { btnPreviewMainClick(); };
}

// The hourglass over the Main and the Browsers page; runs inside runs keep
// it up until the outermost one ends.
void TForm1::BeginHourglass() {
    ++hourglassDepth_;
    SetCursorOverPages(IDC_WAIT);
}

void TForm1::EndHourglass() {
    if (hourglassDepth_ > 0 && --hourglassDepth_ == 0) SetCursorOverPages(IDC_ARROW);
}

void TForm1::SetCursorOverPages(const char* cursor) {
    SetCursorOver(TabMain, cursor);
    SetCursorOver(TabBrowsers, cursor);
}

// The cookie manager as an engine: choose the kind, list it, check every row,
// delete the checked rows. Every listed entry goes, as each refresh marks
// every row "No" to keep.
KeptFiles TForm1::RunCookieManager(std::uint8_t kind, Category category) {
    TMainForm& manager = CookieManagerOf(state_);
    manager.SetVar_CacheEntryType(kind);
    manager.btnRefresh.Click();
    manager.btnCheck.Click();
    manager.btnDelete.Click();
    entriesRemoved_[IndexOf(category)] += manager.EntriesDeleted();
    // Its listing puts the program's cursor back to the arrow.
    if (HourglassShown()) SetCursorOverPages(IDC_WAIT);
    return manager.KeptLocalFiles();
}

// The line after a cache category's own: how many of its entries went.
void TForm1::LogEntriesRemoved(Category category) {
    std::uint64_t& removed = entriesRemoved_[IndexOf(category)];
    if (const std::string line = RemovedLine(category, removed); !line.empty()) log_.Add(line);
    removed = 0;
}

// After the cookie manager's pass: when it could not read the kept sites it
// deleted no cookie, and then the cookies' folders stay as well; the log
// says why.
bool TForm1::CookiesKeptWhole(const CategoryPlan& plan) {
    if (plan.cacheKind != kCookieEntriesKind) return false;
    const KeptSites& kept = CookieManagerOf(state_).KeptSitesRead();
    if (kept.Readable()) return false;
    log_.Add(logline::NoCookieDeleted + kept.Problem());
    return true;
}

// Categories ----------------------------------------------------------------

// What a category clears comes from its plan; the row says how its button
// goes about it: a registry list is emptied and logged; a button that needs
// WinInet's deletion function says so when it is missing; the history store
// and the cache entries go; on the NT family a category whose folders lie
// below the profile hands over to the NT run, elsewhere its folders are
// emptied and its line follows.
void TForm1::ClearCategory(Category category) {
    const CategoryRow& row = RowOf(category);
    if (row.hourglass) BeginHourglass();
    AtScopeEnd restoreCursor{[this, &row] {
        if (row.hourglass) EndHourglass();
    }};
    if (state_.ClearLogPerCategory) log_.Clear();
    const CategoryPlan plan = PlanOf(category, state_.site);
    if (plan.registryKey) {
        DeleteValuesInRegistry(plan.registryKey, row.failureLine, row.line, category);
        return;
    }
    if (row.noWininetLine && plan.cacheKind && !CookieManagerOf(state_).Is_WininetDll_Exist()) {
        log_.Add(row.noWininetLine);
        return;
    }
    if (plan.historyStore) ClearUrlHistoryStore(state_.platform);
    KeptFiles kept;
    entriesRemoved_[IndexOf(category)] = 0;
    if (plan.cacheKind) kept = RunCookieManager(*plan.cacheKind, category);
    if (CookiesKeptWhole(plan)) return;
    if (row.ntRun && !state_.folders.IsWin9x) {
        // The NT run tells, after the category's lines, what went of its entries here and there.
        state_.ntFlags.Set(IndexOf(category), true);
        WinNTDocNSettings();
        return;
    }
    Empty9xFolders(state_, category, log_, kept);
    if (row.line) log_.Add(row.line);
    if (plan.cacheKind) LogEntriesRemoved(category);
}

void TForm1::btnClearHistoryClick() { ClearCategory(Category::HistoryLinksWeb); }

void TForm1::Button2Click() { ClearCategory(Category::TempInternetFiles); }

void TForm1::btnClearCookiesClick() { ClearCategory(Category::Cookies); }

void TForm1::btnClearTypedURLsClick() { ClearCategory(Category::TypedURLs); }

void TForm1::btnClearTypedWordsInRunClick() { ClearCategory(Category::TypedWordsOnRun); }

void TForm1::btnTemporaryClick() { ClearCategory(Category::TemporaryFiles); }

void TForm1::btnClearRecentClick() { ClearCategory(Category::HistoryLinksDoc); }

// A press on either registry button empties the log at once, whether or not
// it becomes a click.
void TForm1::btnClearTypedURLsMouseDown() { log_.Clear(); }

void TForm1::btnClearTypedWordsInRunMouseDown() { log_.Clear(); }

void TForm1::DeleteValuesInRegistry(const std::string& key, const std::string& failure, const std::string& success,
                                    Category category) {
    const RegistryValuesCleared result = DeleteAllValues(key, state_.platform);
    log_.Add(RegistryOutcomeLine(result, failure, success));
    if (result.opened || result.missing) log_.Add(RemovedLine(category, static_cast<std::uint64_t>(result.deleted)));
}

// The NT run --------------------------------------------------------------------

// The pending categories in the table's order: a registry list by a click
// on its button; the others by their plan - the history store, the cache
// entries, the folders below the profile - and their line in the run.
void TForm1::WinNTDocNSettings() {
    if (!ProfileFolderFound(state_.folders, state_.WindowsFolder)) {
        // Nothing is cleared; the pending categories wait for a run that finds the profile.
        log_.Add(logline::NoProfileFolder);
        log_.Add(logline::NtRunStopped);
        return;
    }
    log_.Clear();
    BeginHourglass();
    // The pending categories are done with when the run ends, also when an
    // error ends it: a later run clears only what it is asked to.
    // Several cache passes take their entries from one listing of the cache.
    std::size_t cachePasses = 0;
    for (std::size_t i = 0; i < kCategoryCount; ++i)
        if (state_.ntFlags.Has(i) && PlanOf(kCategories[i].id, state_.site).cacheKind) ++cachePasses;
    TMainForm* listing = cachePasses > 1 ? &CookieManagerOf(state_) : nullptr;
    AtScopeEnd finish{[this, listing] {
        if (listing) listing->EndRunListing();
        EndHourglass();
        state_.ntFlags.SetAll(false);
    }};
    if (listing) listing->BeginRunListing();
    for (std::size_t i = 0; i < kCategoryCount; ++i) {
        if (!state_.ntFlags.Has(i)) continue;
        const CategoryRow& row = kCategories[i];
        const CategoryPlan plan = PlanOf(row.id, state_.site);
        if (plan.registryKey) {
            (this->*OptionRowOf(row.id).button).Click();
            continue;
        }
        if (plan.historyStore) ClearUrlHistoryStore(state_.platform);
        KeptFiles kept;
        if (plan.cacheKind) kept = RunCookieManager(*plan.cacheKind, row.id);
        if (CookiesKeptWhole(plan)) {
            entriesRemoved_[i] = 0;
            continue;
        }
        EmptyNtFolders(state_, row.id, log_, kept);
        if (row.ntLine) log_.Add(row.ntLine);
        if (plan.cacheKind) LogEntriesRemoved(row.id);
    }
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
        for (Category category : ModeOrder()) {
            const OptionRow& row = OptionRowOf(category);
            if (ModeTakes(mode, OptionChecked(row))) (this->*row.button).Click();
        }
    } else {
        for (Category category : ModeOrder())
            state_.ntFlags.Set(IndexOf(category), ModeTakes(mode, OptionChecked(OptionRowOf(category))));
        WinNTDocNSettings();
    }
    if (chkIncludeBrowsers.Checked()) btnClearBrowsers.Click();
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
                for (Category category : CustomOrder()) {
                    const OptionRow& row = OptionRowOf(category);
                    if ((this->*row.custom).Checked()) (this->*row.button).Click();
                }
                if (chkIncludeBrowsers.Checked()) btnClearBrowsers.Click();
                break;
            case Execution::None:
                break;
        }
    });
}

}  // namespace purgelet
