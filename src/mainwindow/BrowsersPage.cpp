// The Browsers page: the browser profiles found for the current user, each
// with its stored box, and the items cleared of them (cache, cookies,
// history, form data, open tabs), each with its stored box; a preview of what
// the checked items hold, and their clearing, which writes a line per
// profile and item to the activity log.
#include <algorithm>

#include "base/AtScopeEnd.h"
#include "base/Handles.h"
#include "base/Text.h"
#include "cleaner/CategoryPlan.h"
#include "cleaner/LogLines.h"
#include "cookies/KeptSitesDialog.h"
#include "framework/Application.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OptionTable.h"

namespace purgelet {

namespace {
constexpr int kPreviewColumn = 1;

std::wstring Counted(std::uint64_t n, const wchar_t* one, const wchar_t* many) {
    return GroupedCount(n) + L" " + (n == 1 ? one : many);
}

// The activity log's text for a line of the cleaner's.
std::string LogText(const std::wstring& line) { return Utf8(line); }

}  // namespace

BrowserChoice TForm1::BrowsersChosen(const std::vector<Category>& together) const {
    BrowserChoice choice = StoredBrowserChoice([this](const std::string& name) { return state_.Read(name); });
    choice.together = together;
    return choice;
}

void TForm1::BindBrowserHandlers() {
    lvBrowsers.onItemChecked = [this](int index) { lvBrowsersItemChecked(index); };
    btnPreviewBrowsers.onClick = [this] { btnPreviewBrowsersClick(); };
    btnClearBrowsers.onClick = [this] { btnClearBrowsersClick(); };
    btnKeptSites.onClick = [this] { ShowKeptSites(state_); };
}

// A box whose stored value cannot be read keeps its design state (on), and
// the filling goes on with the next row.
void TForm1::FillBrowserList() {
    ui::ListView::UpdateBracket update(lvBrowsers);
    lvBrowsers.Clear();
    browserProfiles_ = BrowserProfilesOf(state_.site, nullptr);
    const BrowserChoice chosen = BrowsersChosen({});
    lvBrowsers.SetColumnCaption(kPreviewColumn, "Would remove");
    for (const BrowserProfile& profile : browserProfiles_) {
        const int row = lvBrowsers.AddItem(Utf8(profile.Label()), {""});
        lvBrowsers.SetChecked(row, true);
        App().Guard([&] { lvBrowsers.SetChecked(row, chosen.Takes(profile)); });
    }
    if (browserProfiles_.empty()) lvBrowsers.HideCheckBox(lvBrowsers.AddItem(Utf8(kNoBrowserFound)));
    ShowBrowsersFound();
}

// "Browsers: Edge, Chrome, Firefox", the browsers found in the table's
// order; when their names do not fit the box, how many were found.
void TForm1::ShowBrowsersFound() {
    std::vector<std::wstring> names;
    for (const BrowserProfile& profile : browserProfiles_) {
        const std::wstring title = RowOf(profile.browser).title;
        if (std::find(names.begin(), names.end(), title) == names.end()) names.push_back(title);
    }
    std::wstring caption = L"Browsers: ";
    for (std::size_t i = 0; i < names.size(); ++i) caption += (i ? L", " : L"") + names[i];
    if (names.empty()) caption += L"none found";
    if (chkMainBrowsers.Handle()) {
        SIZE text{};
        {
            ScreenDC dc;
            SelectedObject font(dc, App().FontHandle(chkMainBrowsers.EffectiveFont()));
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
        }
        const RECT box = chkMainBrowsers.BoundsPx();
        if (text.cx + 2 * GetSystemMetrics(SM_CXMENUCHECK) > box.right - box.left)
            caption = L"Browsers: " + std::to_wstring(names.size()) + L" found";
    }
    chkMainBrowsers.SetCaption(caption);
}

void TForm1::lvBrowsersItemChecked(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= browserProfiles_.size()) return;
    state_.Write(ProfileBoxValue(browserProfiles_[static_cast<std::size_t>(index)]),
                 lvBrowsers.Checked(index) ? "1" : "0");
}

std::vector<Category> TForm1::CheckedBrowserItems() const {
    std::vector<Category> items;
    for (const CategoryRow& category : kCategories)
        for (const OptionRow& row : kOptionTable)
            if (category.browsers && row.box && !row.button && row.category == category.id && OptionChecked(row))
                items.push_back(category.id);
    return items;
}

// The list is found anew (a profile made since shows too); each row then
// shows what the checked items of its profile hold ("cache: ...; history:
// ..."), once "running" when its browser runs, and nothing when the profile
// was not taken; a last row their total.
void TForm1::btnPreviewBrowsersClick() {
    BeginHourglass();
    AtScopeEnd restoreCursor{[this] { EndHourglass(); }};
    FillBrowserList();
    const KeptSites kept = KeptSites::Read(state_.SettingsKey);
    const std::vector<Category> items = CheckedBrowserItems();
    std::vector<CategoryReport> reports;
    for (Category item : items)
        reports.push_back(RunCategory(item, true, state_.site, {}, nullptr, BrowsersChosen(items), &kept));
    ShowBrowserReports(reports, true);
}

// Beside each profile, what its items' reports say, item by item (what a
// preview would remove, or what a clearing removed); under them the total
// of the profiles taken and how many were skipped.
void TForm1::ShowBrowserReports(const std::vector<CategoryReport>& reports, bool preview) {
    std::vector<std::vector<std::wstring>> parts(browserProfiles_.size());
    std::uint64_t files = 0, bytes = 0, rows = 0;
    std::vector<std::wstring> skipped;
    for (const CategoryReport& report : reports)
        for (const ProfileReport& done : report.profiles) {
            const std::wstring key = done.profile.Key();
            const auto row = std::find_if(browserProfiles_.begin(), browserProfiles_.end(),
                                          [&key](const BrowserProfile& profile) { return profile.Key() == key; });
            if (row == browserProfiles_.end()) continue;
            std::wstring part = PreviewText(done);
            if (!done.Skipped() && done.item == BrowserItem::Cache) part = L"cache: " + part;
            std::vector<std::wstring>& shown = parts[static_cast<std::size_t>(row - browserProfiles_.begin())];
            if (std::find(shown.begin(), shown.end(), part) == shown.end()) shown.push_back(part);
            if (done.Skipped()) {
                if (std::find(skipped.begin(), skipped.end(), key) == skipped.end()) skipped.push_back(key);
                continue;
            }
            files += done.files;
            bytes += done.bytes;
            rows += done.rows;
        }
    ui::ListView::UpdateBracket update(lvBrowsers);
    lvBrowsers.SetColumnCaption(kPreviewColumn, preview ? "Would remove" : "Removed");
    for (std::size_t row = 0; row < parts.size(); ++row) {
        std::wstring text;
        for (const std::wstring& part : parts[row]) text += (text.empty() ? L"" : L"; ") + part;
        lvBrowsers.SetText(static_cast<int>(row), kPreviewColumn, Utf8(text));
    }
    if (browserProfiles_.empty()) return;
    std::wstring total = Counted(files, L"file", L"files") + L", " + ReadableSize(bytes);
    if (rows) total += L"; " + Counted(rows, L"database row", L"database rows");
    if (!skipped.empty()) total += L"; " + Counted(skipped.size(), L"profile skipped", L"profiles skipped");
    int totalRow = static_cast<int>(browserProfiles_.size());
    if (lvBrowsers.Count() <= totalRow) {
        totalRow = lvBrowsers.AddItem("Total");
        lvBrowsers.HideCheckBox(totalRow);
    }
    lvBrowsers.SetText(totalRow, kPreviewColumn, Utf8(total));
}

// As a category's button: the log is emptied first unless a mode run writes
// it. Each profile taken gets one line naming what went of each item, or
// why it was skipped.
void TForm1::btnClearBrowsersClick() {
    BeginHourglass();
    AtScopeEnd restoreCursor{[this] { EndHourglass(); }};
    if (state_.ClearLogPerCategory) log_.Clear();
    std::vector<std::wstring> taken;               // the keys of the profiles taken, in their order
    std::vector<std::vector<ProfileReport>> done;  // each one's reports, item by item
    std::vector<std::wstring> lines;
    const KeptSites kept = KeptSites::Read(state_.SettingsKey);
    const std::vector<Category> items = CheckedBrowserItems();
    std::vector<CategoryReport> reports;
    for (Category item : items) {
        const CategoryReport& report =
            reports.emplace_back(RunCategory(item, false, state_.site, {}, nullptr, BrowsersChosen(items), &kept));
        if (!report.keptSitesProblem.empty())
            lines.push_back(FromUtf8(logline::NoCookieDeleted + report.keptSitesProblem));
        for (const ProfileReport& profile : report.profiles) {
            const std::size_t at =
                static_cast<std::size_t>(std::find(taken.begin(), taken.end(), profile.profile.Key()) - taken.begin());
            if (at == taken.size()) {
                taken.push_back(profile.profile.Key());
                done.emplace_back();
            }
            done[at].push_back(profile);
        }
    }
    // One line per profile: what went, item by item, or why it was skipped.
    for (const std::vector<ProfileReport>& reports : done) lines.push_back(ProfileLine(reports));
    if (done.empty())
        for (std::wstring& line : BrowserLines({}, state_.site)) lines.push_back(std::move(line));  // no browser found
    for (const std::wstring& line : lines) log_.Add(LogText(line));
    // Where the preview was, what went of each profile.
    ShowBrowserReports(reports, false);
}

}  // namespace purgelet
