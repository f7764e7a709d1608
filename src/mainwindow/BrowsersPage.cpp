// The Browsers page: the browser profiles found for the current user, each
// with its stored box; a preview of what their caches hold, and the clearing
// of the checked ones, which writes a line per profile to the activity log.
#include <algorithm>

#include "base/AtScopeEnd.h"
#include "base/Text.h"
#include "cleaner/CategoryPlan.h"
#include "framework/Application.h"
#include "mainwindow/MainWindow.h"

namespace purgelet {

namespace {
constexpr int kCacheColumn = 1;

// The activity log's text for a line of the cleaner's.
std::string LogText(const std::wstring& line) { return Utf8(line); }

BrowserChoice ChosenBrowsers(const ProgramState& state) {
    return StoredBrowserChoice([&state](const std::string& name) { return state.Read(name); });
}
}  // namespace

void TForm1::BindBrowserHandlers() {
    lvBrowsers.onItemChecked = [this](int index) { lvBrowsersItemChecked(index); };
    btnPreviewBrowsers.onClick = [this] { btnPreviewBrowsersClick(); };
    btnClearBrowsers.onClick = [this] { btnClearBrowsersClick(); };
}

// A box whose stored value cannot be read keeps its design state (on), and
// the filling goes on with the next row.
void TForm1::FillBrowserList() {
    ui::ListView::UpdateBracket update(lvBrowsers);
    lvBrowsers.Clear();
    browserProfiles_ = BrowserProfilesOf(state_.site, nullptr);
    const BrowserChoice chosen = ChosenBrowsers(state_);
    for (const BrowserProfile& profile : browserProfiles_) {
        const int row = lvBrowsers.AddItem(Narrow(profile.Label()), {""});
        lvBrowsers.SetChecked(row, true);
        App().Guard([&] { lvBrowsers.SetChecked(row, chosen.Takes(profile)); });
    }
    if (browserProfiles_.empty()) lvBrowsers.HideCheckBox(lvBrowsers.AddItem(Narrow(kNoBrowserFound)));
}

void TForm1::lvBrowsersItemChecked(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= browserProfiles_.size()) return;
    state_.Write(ProfileBoxValue(browserProfiles_[static_cast<std::size_t>(index)]),
                 lvBrowsers.Checked(index) ? "1" : "0");
}

// The list is found anew (a profile made since shows too); each row then
// shows what its profile's cache holds when the profile was taken, and
// nothing when it was not.
void TForm1::btnPreviewBrowsersClick() {
    BeginHourglass();
    AtScopeEnd restoreCursor{[this] { EndHourglass(); }};
    FillBrowserList();
    const CategoryReport report =
        RunCategory(Category::BrowserCache, true, state_.site, {}, nullptr, ChosenBrowsers(state_));
    ui::ListView::UpdateBracket update(lvBrowsers);
    for (std::size_t row = 0; row < browserProfiles_.size(); ++row) {
        const std::wstring key = browserProfiles_[row].Key();
        const auto taken = std::find_if(report.profiles.begin(), report.profiles.end(),
                                        [&key](const ProfileReport& done) { return done.profile.Key() == key; });
        lvBrowsers.SetText(static_cast<int>(row), kCacheColumn,
                           taken == report.profiles.end() ? std::string() : Narrow(PreviewText(*taken)));
    }
}

// As a category's button: the log is emptied first unless a mode run writes it.
void TForm1::btnClearBrowsersClick() {
    BeginHourglass();
    AtScopeEnd restoreCursor{[this] { EndHourglass(); }};
    if (state_.ClearLogPerCategory) log_.Clear();
    const CategoryReport report =
        RunCategory(Category::BrowserCache, false, state_.site, {}, nullptr, ChosenBrowsers(state_));
    for (const std::wstring& line : BrowserLines(report, state_.site)) log_.Add(LogText(line));
    // What a preview showed of the caches taken is gone.
    ui::ListView::UpdateBracket update(lvBrowsers);
    for (const ProfileReport& done : report.profiles)
        for (std::size_t row = 0; row < browserProfiles_.size(); ++row)
            if (browserProfiles_[row].Key() == done.profile.Key())
                lvBrowsers.SetText(static_cast<int>(row), kCacheColumn, std::string());
}

}  // namespace purgelet
