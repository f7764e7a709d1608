#include "cookies/KeptSitesDialog.h"

#include <algorithm>

#include "base/AtScopeEnd.h"
#include "base/Text.h"
#include "core/KeptSites.h"
#include "framework/Application.h"
#include "framework/MessageDialog.h"

namespace purgelet {

namespace {

void DesignDialog(ui::Form& form) {
    form.border = ui::FormBorder::Dialog;
    form.position = ui::FormPosition::ScreenCenter;
    form.designIsClientArea = true;
    form.minimizeBox = false;
    form.maximizeBox = false;
    form.SetFont(ui::Font{"MS Sans Serif", -13});
}

std::string Trimmed(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    std::size_t first = 0;
    while (first < text.size() && blank(text[first])) ++first;
    return text.substr(first);
}

}  // namespace

TKeptSites::TKeptSites(ui::Application& app, ProgramState& state)
    : Form(app, "KeptSites", {0, 0, 420, 330}, "Kept sites"), state_(state) {
    DesignDialog(*this);
    lvSites.AddColumn("Site", 226);
    lvSites.SetColumnAutoSize(0, true);
    lvSites.utf8Texts = true;
    lvSites.checkBoxes = false;
    btnAdd.isDefault = true;
    btnClose.isCancel = true;
    // Opened to type a site; Del takes the selected sites out, as "Remove".
    activeControl = &edSite;
    lvSites.onKeyUp = [this](WORD key) {
        if (key == VK_DELETE) btnRemoveClick();
    };
    sitesWithCookies = [&state] { return SitesWithCookies(state.site); };
    onCreate = [this] { FillList(); };
    btnAdd.onClick = [this] { btnAddClick(); };
    btnRemove.onClick = [this] { btnRemoveClick(); };
    btnFromCookies.onClick = [this] { btnFromCookiesClick(); };
    btnClose.onClick = [this] { Close(); };
}

void TKeptSites::FillList() {
    const KeptSites kept = KeptSites::Read(state_.SettingsKey);
    // Names stored that are no sites are listed too, so that they can be removed.
    std::vector<std::string> names = kept.Sites();
    names.insert(names.end(), kept.Refused().begin(), kept.Refused().end());
    std::sort(names.begin(), names.end());
    {
        ui::ListView::UpdateBracket update(lvSites);
        lvSites.Clear();
        for (const std::string& name : names) lvSites.AddItem(name);
    }
    if (!kept.Readable())
        ui::MessageDlg(App(), Handle(), kept.Problem() + "; no cookie is deleted until it is mended.",
                       ui::MsgDlgType::Error);
}

void TKeptSites::Done(const std::string& failure) {
    FillList();
    if (!failure.empty()) ui::MessageDlg(App(), Handle(), failure, ui::MsgDlgType::Error);
}

void TKeptSites::btnAddClick() {
    const std::string typed = Trimmed(edSite.Text());
    const SiteCheck check = CheckSite(typed);
    if (!check.problem.empty()) {
        ui::MessageDlg(App(), Handle(),
                       (typed.empty() ? std::string("Type a site to keep, as example.org")
                                      : "\"" + typed + "\" is not a site: " + check.problem) +
                           ".",
                       ui::MsgDlgType::Error);
        edSite.SetFocus();
        return;
    }
    const std::string failure = AddKeptSites(state_.SettingsKey, {check.site});
    if (failure.empty()) edSite.SetText("");
    Done(failure);
    for (int i = 0; i < lvSites.Count(); ++i)
        if (lvSites.Item(i).caption == check.site) {
            lvSites.SetFocusedIndex(i);
            lvSites.EnsureVisible(i);
        }
    edSite.SetFocus();
}

void TKeptSites::btnRemoveClick() {
    std::vector<std::string> sites;
    for (int i : lvSites.SelectedIndices()) sites.push_back(lvSites.Item(i).caption);
    if (sites.empty()) return;
    Done(RemoveKeptSites(state_.SettingsKey, sites));
}

void TKeptSites::btnFromCookiesClick() {
    std::vector<SiteWithCookies> sites;
    {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        AtScopeEnd arrow{[] { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }};
        sites = sitesWithCookies();
    }
    std::vector<std::string> kept;
    for (int i = 0; i < lvSites.Count(); ++i) kept.push_back(lvSites.Item(i).caption);
    TCookieSites& pick = App().CreateForm<TCookieSites>(sites, kept);
    AtScopeEnd destroy{[&] { App().DestroyForm(pick); }};
    if (pick.ShowModal() != IDOK) return;
    Done(AddKeptSites(state_.SettingsKey, pick.Checked()));
}

TCookieSites::TCookieSites(ui::Application& app, const std::vector<SiteWithCookies>& sites,
                           const std::vector<std::string>& kept)
    : Form(app, "CookieSites", {0, 0, 560, 380}, "Add from cookies") {
    DesignDialog(*this);
    lvCookieSites.utf8Texts = true;
    // A face with the scripts profiles are named in (and, on Windows, linked to the others).
    lvCookieSites.SetFont(ui::Font{"Tahoma", -13});
    lvCookieSites.AddColumn("Site", 200);
    lvCookieSites.AddColumn("Cookies", 64);
    lvCookieSites.AddColumn("Where", 248);
    // Each column as wide as its widest text; the list scrolls sideways.
    for (int column = 0; column < lvCookieSites.ColumnCount(); ++column) lvCookieSites.SetColumnAutoSize(column, true);
    btnKeep.isDefault = true;
    btnCancel.isCancel = true;
    btnKeep.onClick = [this] {
        modalResult = IDOK;
        Close();
    };
    btnCancel.onClick = [this] { Close(); };
    onCreate = [this, sites, kept] {
        ui::ListView::UpdateBracket update(lvCookieSites);
        for (const SiteWithCookies& site : sites) {
            std::wstring where;
            for (const std::wstring& place : site.where) where += (where.empty() ? L"" : L", ") + place;
            const int row = lvCookieSites.AddItem(site.site, {std::to_string(site.cookies), Utf8(where)});
            lvCookieSites.SetChecked(row, std::find(kept.begin(), kept.end(), site.site) != kept.end());
            sites_.push_back(site.site);
        }
        if (lvCookieSites.Count() > 0) lvCookieSites.SetFocusedIndex(0);
    };
}

std::vector<std::string> TCookieSites::Checked() const {
    std::vector<std::string> checked;
    for (int i = 0; i < lvCookieSites.Count() && static_cast<std::size_t>(i) < sites_.size(); ++i)
        if (lvCookieSites.Checked(i)) checked.push_back(sites_[static_cast<std::size_t>(i)]);
    return checked;
}

void ShowKeptSites(ProgramState& state) {
    ui::Application& app = state.app;
    for (ui::Form* form : app.Forms())
        if (auto* open = dynamic_cast<TKeptSites*>(form)) {
            open->BringToFront();
            return;
        }
    TKeptSites& dialog = app.CreateForm<TKeptSites>(state);
    AtScopeEnd destroy{[&] { app.DestroyForm(dialog); }};
    dialog.ShowModal();
}

}  // namespace purgelet
