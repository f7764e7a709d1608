#include "cookies/CookieListWindow.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "cleaner/removal/FileRemoval.h"
#include "cookies/CookieListRules.h"
#include "core/KeptSites.h"
#include "core/Texts.h"
#include "framework/MessageDialog.h"
#include "framework/Application.h"
#include "base/AtScopeEnd.h"
#include "base/Errors.h"
#include "cleaner/LogLines.h"

namespace purgelet {

namespace {

struct ColumnDesign {
    const char* caption;
    int width;
};
constexpr ColumnDesign kColumns[kCookieColumnCount] = {
    {"Address", 80},       {"Hits", 50}, {"Modified", 80},        {"Expires", 80},
    {"Full Address", 100}, {"Keep", 50}, {"Local Filename", 100},
};

std::string ColumnWidthValueName(int column) { return texts::ValColumnWidthPrefix + std::to_string(column); }

void SetCursorTo(const char* id) { SetCursor(LoadCursorA(nullptr, id)); }

}  // namespace

TMainForm::TMainForm(ui::Application& app, ProgramState& state)
    : Form(app, "MainForm", {0, 0, 650, 480}, "MainForm"), state_(state) {
    state_.windows.Enter(WindowRole::CookieManager, *this);
    border = ui::FormBorder::Dialog;
    position = ui::FormPosition::ScreenCenter;
    systemMenu = true;
    minimizeBox = false;
    maximizeBox = false;
    SetFont(ui::Font{"MS Sans Serif", -14});

    pnlHeader.SetColor(ui::clWhite);
    Label1.SetFont(ui::Font{"MS Sans Serif", -16, true});
    pnlStrip.SetColor(ui::clTeal);

    for (int c = 0; c < kCookieColumnCount; ++c) lvCookies.AddColumn(kColumns[c].caption, kColumns[c].width);
    lvCookies.checkBoxes = true;
    lvCookies.multiSelect = true;
    lvCookies.readOnly = true;
    lvCookies.showSelectionAlways = true;
    lvCookies.popupMenu = &pmCookies;
    lvCookies.SetRows(cookieRows_);

    btnCheck.SetEnabled(false);
    btnUncheck.SetEnabled(false);
    btnDelete.SetEnabled(false);
    btnPrivacy.SetEnabled(false);
    btnPrivacy.SetVisible(false);
    edCookieCount.readOnly = true;
    edCookieCount.SetTabStop(false);

    onCreate = [this] { FormCreate(); };
    onActivate = [this] { FormActivate(); };
    btnRefresh.onClick = [this] { btnRefreshClick(); };
    btnCheck.onClick = [this] { btnCheckClick(); };
    btnUncheck.onClick = [this] { btnUncheckClick(); };
    btnDelete.onClick = [this] { btnDeleteClick(); };
    btnClose.onClick = [this] { btnCloseClick(); };
    lvCookies.onColumnClick = [this](int column) { lvCookiesColumnClick(column); };
    lvCookies.onCompareRows = [this](int a, int b) { return lvCookiesCompare(a, b); };
    pmCookies.onPopup = [this] { pmCookiesPopup(); };
    smSetYes.onClick = [this] { smSetYesClick(); };
    smSetNo.onClick = [this] { smSetNoClick(); };
    btnPrivacy.onClick = [this] { btnPrivacyClick(); };
    Timer.onTimer = [this] { TimerTimer(); };
}

TMainForm::~TMainForm() { state_.windows.Leave(WindowRole::CookieManager, *this); }

// Creation and activation -----------------------------------------------------

void TMainForm::FormCreate() {
    SetCaption(texts::CookieManagerCaption);
    keepKeyPath_ = state_.SettingsKey + texts::CookiesKeepKeyName;
    deleteUrlCacheEntry_ = LookUpDeleteUrlCacheEntry();
    if (!deleteUrlCacheEntry_) state_.deleteUrlCacheEntryFound = false;
    state_.site.deleteEntry = deleteUrlCacheEntry_;
    ApplyColumnWidths();
}

void TMainForm::FormActivate() {
    if (IsShowing()) SelectCurrentRow();
    GetShlwapiMajorVersion();
    if (ShellLibraryVersion >= 6) btnPrivacy.SetEnabled(true);
}

void TMainForm::GetShlwapiMajorVersion() {
    ShellLibraryVersion = 0;
    if (readShellVersion) ShellLibraryVersion = readShellVersion();
}

// The URL cache -----------------------------------------------------------------

void TMainForm::SetVar_CacheEntryType(std::uint8_t kind) {
    if (auto filter = FilterOfKind(kind)) state_.cacheEntryTypeFilter = *filter;
}

bool TMainForm::Is_WininetDll_Exist() const { return state_.deleteUrlCacheEntryFound; }

void TMainForm::GetEntries() {
    SetCursorTo(IDC_WAIT);
    // The list, its buttons and the count follow the entries read, and the
    // cursor comes back, also when an error ends the listing.
    AtScopeEnd finish{[this] {
        lvCookies.RowsChanged();
        UpdateButtonsAndCount();
        SetCursorTo(IDC_ARROW);
    }};
    cookieRows_.SetSeparators(DateSeparators::OfUserLocale());
    const std::uint32_t filter = state_.cacheEntryTypeFilter;
    const auto visit = [&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
        if (!EntryKept(entry.CacheEntryType, filter)) return;
        if (filter != 0)
            AddEntryRow(entry);
        else
            AddCacheFileRow(entry);
    };
    if (!runListing_) {
        EnumerateUrlCache(cacheSource, visit);
        return;
    }
    for (const ListedRecord& record : *runListing_) {
        INTERNET_CACHE_ENTRY_INFOA entry = record.entry;
        entry.lpszSourceUrlName = const_cast<char*>(record.url.c_str());
        entry.lpszLocalFileName = record.hasLocalFile ? const_cast<char*>(record.localFile.c_str()) : nullptr;
        entry.lpHeaderInfo = nullptr;
        entry.lpszFileExtension = nullptr;
        visit(entry);
    }
}

void TMainForm::BeginRunListing() {
    runListing_.emplace();
    EnumerateUrlCache(cacheSource, [this](const INTERNET_CACHE_ENTRY_INFOA& entry) {
        ListedRecord& record = runListing_->emplace_back();
        record.entry = entry;
        if (entry.lpszSourceUrlName) record.url = entry.lpszSourceUrlName;
        record.hasLocalFile = entry.lpszLocalFileName != nullptr;
        if (record.hasLocalFile) record.localFile = entry.lpszLocalFileName;
    });
}

void TMainForm::AddEntryRow(const INTERNET_CACHE_ENTRY_INFOA& entry) { cookieRows_.AddEntry(entry); }

void TMainForm::AddCacheFileRow(const INTERNET_CACHE_ENTRY_INFOA& entry) { cookieRows_.AddCacheFile(entry); }

DeleteUrlCacheEntryFn TMainForm::DeletionFunction() const {
    return state_.deleteUrlCacheEntryFound ? deleteUrlCacheEntry_ : nullptr;
}

void TMainForm::KeepLocalFile(const std::string& localFile) {
    if (!localFile.empty()) keptFiles_.insert(CountedElsewhereKey(Widen(localFile)));
}

void TMainForm::NoteOutcome(UrlCacheEraser::Outcome outcome, const std::string& localFile) {
    if (outcome == UrlCacheEraser::Outcome::Gone || outcome == UrlCacheEraser::Outcome::GoneFileLeft) ++entriesDeleted_;
    if (outcome == UrlCacheEraser::Outcome::Kept || outcome == UrlCacheEraser::Outcome::Outside ||
        outcome == UrlCacheEraser::Outcome::GoneFileLeft)
        KeepLocalFile(localFile);
}

// Buttons --------------------------------------------------------------------------

void TMainForm::btnRefreshClick() {
    {
        ui::ListView::UpdateBracket update(lvCookies);
        lvCookies.Clear();
        GetEntries();
    }
    if (IsShowing()) SelectCurrentRow();
    Restore_StatusOf_ColKeep_OnList();
}

void TMainForm::SetAllChecked(bool on) {
    ui::ListView::UpdateBracket update(lvCookies);
    for (int i = 0; i < lvCookies.Count(); ++i) lvCookies.SetChecked(i, on);
}

void TMainForm::btnCheckClick() { SetAllChecked(true); }

void TMainForm::btnUncheckClick() { SetAllChecked(false); }

void TMainForm::btnDeleteClick() {
    keptFiles_.clear();
    entriesDeleted_ = 0;
    switch (PassOfFilter(state_.cacheEntryTypeFilter)) {
        case DeletionPass::Cookies:
            DeleteCookieRows();
            break;
        case DeletionPass::History:
            DeleteHistoryRows();
            break;
        case DeletionPass::CacheFiles:
            DeleteCacheFileRows();
            break;
        case DeletionPass::None:
            break;
    }
}

void TMainForm::btnCloseClick() {
    SaveColumnWidths();
    Close();
}

// Deletion passes -------------------------------------------------------------------

void TMainForm::DeleteCheckedRows(const std::function<void(int row)>& deleteEntry) {
    {
        ui::ListView::UpdateBracket update(lvCookies);
        for (int i = lvCookies.Count() - 1; i >= 0; --i) {
            if (!RowToBeDeleted(lvCookies.Checked(i), cookieRows_.Text(i, kColKeep))) {
                KeepLocalFile(cookieRows_.LocalFile(i));
                continue;
            }
            deleteEntry(i);
            lvCookies.DeleteItem(i);
        }
    }
    if (lvCookies.Count() == 0) UpdateButtonsAndCount();
}

void TMainForm::DeleteCookieRows() {
    if (!keptSites_.Readable()) {
        // No row can be told to stay: none goes, nor does its file.
        for (int i = 0; i < lvCookies.Count(); ++i) KeepLocalFile(cookieRows_.LocalFile(i));
        if (IsShowing())
            ui::MessageDlg(App(), Handle(), logline::NoCookieDeleted + keptSites_.Problem(), ui::MsgDlgType::Error);
        return;
    }
    const UrlCacheEraser eraser(DeletionFunction(), DeletionPass::Cookies);
    DeleteCheckedRows([&](int row) {
        const std::string localFile = cookieRows_.LocalFile(row);
        NoteOutcome(eraser.Erase(cookieRows_.Text(row, kColFullAddress), localFile), localFile);
    });
}

void TMainForm::DeleteEntryRows(int nameColumn) {
    // One eraser for the pass: it reads the cache's folders once.
    const UrlCacheEraser eraser(DeletionFunction(), DeletionPass::History);
    DeleteCheckedRows([&](int row) {
        const std::string localFile = cookieRows_.LocalFile(row);
        NoteOutcome(eraser.Erase(cookieRows_.Text(row, nameColumn), localFile), localFile);
    });
}

void TMainForm::DeleteHistoryRows() { DeleteEntryRows(kColFullAddress); }

// Rows of ordinary entries carry the entry's whole name as their Address.
void TMainForm::DeleteCacheFileRows() { DeleteEntryRows(kColAddress); }

// Count, buttons and the current row ----------------------------------------------------

void TMainForm::UpdateButtonsAndCount() {
    const int rows = lvCookies.Count();
    const CookieButtonStates states = ButtonStatesForCount(rows, ShellLibraryVersion, btnPrivacy.Enabled());
    btnCheck.SetEnabled(states.selectAll);
    btnUncheck.SetEnabled(states.selectNone);
    btnDelete.SetEnabled(states.del);
    btnPrivacy.SetEnabled(states.privacy);
    edCookieCount.SetText(std::to_string(rows));
}

void TMainForm::SelectCurrentRow() {
    if (!lvCookies.Showing()) return;
    int row = lvCookies.FocusedIndex();
    if (row < 0 && lvCookies.Count() > 0) row = 0;
    if (row < 0) return;
    lvCookies.SetFocus();
    lvCookies.SetFocusedIndex(row);
    lvCookies.EnsureVisible(row);
}

void TMainForm::Restore_StatusOf_ColKeep_OnList() {
    keptSites_ = KeptSites::Read(state_.SettingsKey);
    if (state_.cacheEntryTypeFilter != kCookieCacheEntry || !keptSites_.Readable()) return;
    ui::ListView::UpdateBracket update(lvCookies);
    for (int i = 0; i < lvCookies.Count(); ++i)
        lvCookies.SetText(i, kColKeep, keptSites_.Keeps(RowHost(i)) ? kKeepYes : kKeepNo);
}

std::string TMainForm::RowHost(int row) const { return CacheEntryHost(cookieRows_.Text(row, kColFullAddress)); }

// Sorting ---------------------------------------------------------------------------------

void TMainForm::lvCookiesColumnClick(int column) {
    sortState_ = NextSortState(sortState_, column);
    sortSeparators_ = DateSeparators::OfUserLocale();
    lvCookies.Sort();
}

int TMainForm::lvCookiesCompare(int row1, int row2) {
    const int column = std::abs(sortState_) - 1;
    if (column < 0 || column >= kCookieColumnCount) return 0;
    return CompareCookieCells(column, cookieRows_.Text(row1, column), cookieRows_.Text(row2, column), sortState_,
                              sortSeparators_);
}

// Keep flags --------------------------------------------------------------------------------

void TMainForm::pmCookiesPopup() {
    if (KeepItemsMayStay(state_.cacheEntryTypeFilter, lvCookies.Count())) return;
    smSetYes.SetEnabled(false);
    smSetNo.SetEnabled(false);
}

// The sites of the selected rows go into the list or out of it; "No" takes
// out every kept site that keeps a row's host, so that its cookie goes. The
// rows are then marked from the list as it now stands.
void TMainForm::SetKeepOfSelectedRows(bool yes) {
    std::vector<std::string> sites;
    for (int i : lvCookies.SelectedIndices()) {
        const std::string host = RowHost(i);
        if (yes) {
            if (SiteCheck check = CheckSite(host); check.problem.empty()) sites.push_back(std::move(check.site));
            continue;
        }
        for (const auto* names : {&keptSites_.Sites(), &keptSites_.Refused()})
            for (const std::string& site : *names)
                if (SiteKeeps(site, host)) sites.push_back(site);
    }
    const std::string failure =
        yes ? AddKeptSites(state_.SettingsKey, sites) : RemoveKeptSites(state_.SettingsKey, sites);
    Restore_StatusOf_ColKeep_OnList();
    if (!failure.empty()) throw Error(failure);
}

void TMainForm::smSetYesClick() { SetKeepOfSelectedRows(true); }

void TMainForm::smSetNoClick() { SetKeepOfSelectedRows(false); }

// Column widths --------------------------------------------------------------------------------

bool TMainForm::AutoColumnResizeOn() const {
    const auto* options = dynamic_cast<const CookieListOptions*>(state_.windows.Find(WindowRole::Main));
    return options && options->AutoColumnResize();
}

void TMainForm::ApplyColumnWidths() {
    if (AutoColumnResizeOn())
        AutoResizeColumns();
    else
        SetWidthOfMainListColumns();
}

void TMainForm::AutoResizeColumns() {
    for (int c = kCookieColumnCount - 1; c >= 0; --c) {
        lvCookies.SetColumnAutoSize(c, true);
        lvCookies.SetColumnWidth(c, ui::ListView::kAutoSizeUseHeader);
    }
}

void TMainForm::SetWidthOfMainListColumns() {
    std::string stored[kCookieColumnCount];
    for (int c = 0; c < kCookieColumnCount; ++c) stored[c] = state_.Read(ColumnWidthValueName(c));
    // A text that is no whole number stops here with a conversion error; the
    // columns from it on keep their widths.
    for (int c = 0; c < kCookieColumnCount; ++c)
        if (!stored[c].empty()) lvCookies.SetColumnWidth(c, StrToInt(stored[c]));
}

void TMainForm::SaveColumnWidths() {
    int widths[kCookieColumnCount];
    for (int c = 0; c < kCookieColumnCount; ++c) widths[c] = lvCookies.ColumnWidth(c);
    if (AutoColumnResizeOn()) return;
    for (int c = 0; c < kCookieColumnCount; ++c) state_.Write(ColumnWidthValueName(c), std::to_string(widths[c]));
}

}  // namespace purgelet
