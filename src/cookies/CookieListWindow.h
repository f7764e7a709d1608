#pragma once
// The cookie manager window: lists the URL cache entries of one kind with a
// check box per row and deletes the checked ones. Created hidden; the main
// window drives it as an engine (kind, Refresh, Select All, Delete).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "cleaner/iecache/UrlCacheEntries.h"
#include "core/KeptSites.h"
#include "core/ProgramState.h"
#include "cookies/CookieRows.h"
#include "cookies/ShellVersion.h"
#include "cookies/UrlCache.h"
#include "framework/Controls.h"
#include "framework/Form.h"
#include "framework/ListView.h"
#include "framework/Menu.h"

namespace purgelet {

class TMainForm : public ui::Form {
public:
    TMainForm(ui::Application& app, ProgramState& state);
    ~TMainForm() override;

    // Handlers.
    void FormCreate();
    void FormActivate();
    void btnRefreshClick();
    void btnCheckClick();
    void btnUncheckClick();
    void btnDeleteClick();
    void btnCloseClick();
    void lvCookiesColumnClick(int column);
    // Compares the rows at these two places by the sort state.
    int lvCookiesCompare(int row1, int row2);
    void pmCookiesPopup();
    void smSetYesClick();
    void smSetNoClick();
    // Opens Internet Explorer's per-site privacy dialog for the selected row's
    // address, then watches Internet Options to refresh the list once it closes.
    void btnPrivacyClick();
    void TimerTimer();

    // The URL cache.
    // Chooses the entries the next refresh lists: 0 ordinary entries,
    // 1 cookies, 2 history, 3 and 4 the online and offline tracking bits.
    // Other kinds leave the choice as it is.
    void SetVar_CacheEntryType(std::uint8_t kind);
    // Whether WinInet's cache deletion function was found.
    bool Is_WininetDll_Exist() const;
    // Appends a row per kept cache entry; ends with the list taking the new
    // rows, UpdateButtonsAndCount and the default cursor, also when it fails.
    void GetEntries();
    // A run of several passes (the NT run of Clear All) lists the cache once:
    // until EndRunListing, each refresh takes its entries from that listing
    // (entries of another kind are not touched by a pass, and an entry gone
    // meanwhile is passed over as the cache says it is gone).
    void BeginRunListing();
    void EndRunListing() { runListing_.reset(); }
    // Append a row to the list's rows; the list shows it once GetEntries ends.
    void AddEntryRow(const INTERNET_CACHE_ENTRY_INFOA& entry);
    void AddCacheFileRow(const INTERNET_CACHE_ENTRY_INFOA& entry);
    static std::string FileTimeToText(const FILETIME& time) { return purgelet::FileTimeToText(time); }
    // Deletes the checked rows' entries (named by the text of nameColumn)
    // with their own files as UrlCacheEraser does; what stays is noted in
    // KeptLocalFiles.
    void DeleteEntryRows(int nameColumn);
    // The own files of the entries the last Delete left (kept rows, entries
    // the cache kept, entries whose file is outside it), in the form
    // RemovalTally::countedElsewhere holds.
    const std::unordered_set<std::wstring>& KeptLocalFiles() const { return keptFiles_; }
    // How many entries the last Delete deleted.
    std::uint64_t EntriesDeleted() const { return entriesDeleted_; }

    // Routines.
    void UpdateButtonsAndCount();
    void SelectCurrentRow();
    void SaveColumnWidths();
    void ApplyColumnWidths();
    void AutoResizeColumns();
    void SetWidthOfMainListColumns();
    void DeleteCookieRows();
    void DeleteHistoryRows();
    void DeleteCacheFileRows();
    void Restore_StatusOf_ColKeep_OnList();
    void GetShlwapiMajorVersion();

    // +k: ascending by column k - 1; -k: descending; 0: cache order.
    int SortState() const { return sortState_; }
    // The shell library's major version, read when the window becomes active.
    std::uint32_t ShellLibraryVersion = 0;
    // The key path of the kept sites (settings key + "\CookiesInfoKeep"):
    // "Set Yes to Keep" adds the sites of the rows, "Set No to Keep" takes
    // them out, and every refresh marks the rows of kept sites "Yes".
    const std::string& KeepKeyPath() const { return keepKeyPath_; }
    // The kept sites as the last refresh read them. When they could not be
    // read, the cookie pass deletes nothing.
    const KeptSites& KeptSitesRead() const { return keptSites_; }

    // Where the entries come from; the URL cache unless replaced.
    UrlCacheSource cacheSource = UrlCacheSource::WinInet();
    // How the shell library's version is read.
    std::function<std::uint32_t()> readShellVersion = ReadShlwapiMajorVersion;

private:
    // The rows of lvCookies; it must outlive the list.
    CookieRows cookieRows_;

public:
    // Heading band.
    ui::Panel pnlHeader{this, "pnlHeader", {0, 0, 644, 62}};
    ui::Label Label1{&pnlHeader, "Label1", {22, 10, 420, 22}, "Information of Cookies"};
    ui::Label Label2{&pnlHeader,
                     "Label2",
                     {22, 36, 600, 18},
                     "Make a check next to the item if you want to remove it.  Then press Delete button."};
    ui::Panel pnlStrip{this, "pnlStrip", {0, 62, 10, 296}};

    ui::ListView lvCookies{this, "lvCookies", {22, 74, 602, 276}};

    ui::Button btnCheck{this, "btnCheck", {22, 362, 96, 28}, "Select All"};
    ui::Button btnUncheck{this, "btnUncheck", {126, 362, 96, 28}, "Select None"};
    ui::Button btnRefresh{this, "btnRefresh", {230, 362, 96, 28}, "Refresh"};
    ui::Button btnPrivacy{this, "btnPrivacy", {334, 362, 96, 28}, "Privacy..."};
    ui::Button btnDelete{this, "btnDelete", {528, 362, 96, 28}, "Delete"};

    ui::Label Label3{this, "Label3", {22, 409, 80, 18}, "Total Items:"};
    ui::Edit edCookieCount{this, "edCookieCount", {106, 405, 72, 24}, "0"};
    ui::Button btnClose{this, "btnClose", {528, 400, 96, 28}, "&Close"};

    ui::Timer Timer{*this, 1000};

    ui::PopupMenu pmCookies{*this, "pmCookies"};
    ui::MenuItem smSetYes{pmCookies, "smSetYes", "Set Yes to Keep"};
    ui::MenuItem smSetNo{pmCookies, "smSetNo", "Set No to Keep"};

private:
    bool AutoColumnResizeOn() const;
    // WinInet's deletion function, null when it was not found.
    DeleteUrlCacheEntryFn DeletionFunction() const;
    // Deletes the checked rows marked "No" to keep, last to first, after
    // deleteEntry has removed each one's cache entry.
    void DeleteCheckedRows(const std::function<void(int row)>& deleteEntry);
    void SetKeepOfSelectedRows(bool keep);
    // The host of a row's cookie, from its full address.
    std::string RowHost(int row) const;
    // Every row's check box, first to last, redrawn once.
    void SetAllChecked(bool on);

    ProgramState& state_;
    DeleteUrlCacheEntryFn deleteUrlCacheEntry_ = nullptr;
    int sortState_ = 0;
    DateSeparators sortSeparators_;
    std::string keepKeyPath_;
    KeptSites keptSites_;
    std::uint64_t entriesDeleted_ = 0;
    std::unordered_set<std::wstring> keptFiles_;
    // An entry as listed, with its own copies of the texts a row reads.
    struct ListedRecord {
        INTERNET_CACHE_ENTRY_INFOA entry;
        std::string url, localFile;
        bool hasLocalFile = false;
    };
    std::optional<std::vector<ListedRecord>> runListing_;
    // Notes the own file of an entry that stays.
    void KeepLocalFile(const std::string& localFile);
    void NoteOutcome(UrlCacheEraser::Outcome outcome, const std::string& localFile);
};

}  // namespace purgelet
