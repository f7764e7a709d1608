// The Main page's preview: beside each of the seven categories what Clear
// All would remove now, the browsers' when they are included, and the total,
// as the engine's preview counts them; nothing is changed.
#include <string>
#include <vector>

#include "base/AtScopeEnd.h"
#include "base/Text.h"
#include "cleaner/CategoryPlan.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OptionTable.h"

namespace purgelet {

namespace {

std::wstring Counted(std::uint64_t n, const wchar_t* one, const wchar_t* many) {
    return GroupedCount(n) + L" " + (n == 1 ? one : many);
}

// What a preview counted, as the Main page shows it: the URL cache's
// entries, the registry's values, the folders' files and their size (those
// of the folders emptied, as the log's lines count them), the browsers'
// rows, and how much would stay (said with the total).
struct Figures {
    std::uint64_t entries = 0, values = 0, files = 0, bytes = 0, rows = 0, stays = 0;
    bool folders = false;  // files are counted even when none would go

    void Add(const Figures& f) {
        folders = folders || f.folders;
        entries += f.entries;
        values += f.values;
        files += f.files;
        bytes += f.bytes;
        rows += f.rows;
        stays += f.stays;
    }
    // The figures; with stays, how many would stay too (the total's line has the room).
    std::wstring Text(bool withStays = false) const {
        std::wstring text;
        const auto part = [&text](const std::wstring& p) { text += (text.empty() ? L"" : L", ") + p; };
        if (entries) part(Counted(entries, L"entry", L"entries"));
        if (values) part(Counted(values, L"value", L"values"));
        if (files || bytes || folders) part(Counted(files, L"file", L"files") + L", " + ReadableSize(bytes));
        if (rows) part(Counted(rows, L"row", L"rows"));
        if (text.empty()) text = L"nothing";
        if (withStays && stays) text += L" (" + GroupedCount(stays) + L" would stay)";
        return text;
    }
};

Figures FiguresOf(const CategoryReport& report) {
    Figures f;
    f.entries = report.cacheEntries;
    f.values = report.values;
    if (RowOf(report.category).browsers) {
        f.files = report.files;
        f.bytes = report.bytes;
    }
    f.folders = !report.byFolder.empty();
    for (const FolderReport& folder : report.byFolder) {
        f.files += folder.files;
        f.bytes += folder.bytes;
    }
    f.rows = report.rows;
    f.stays = report.keptFiles + report.keptEntries + report.keptValues + report.refusedFolders + report.keptLinks +
              report.keptFolders + report.runningBrowsers + report.keptDatabases;
    return f;
}

}  // namespace

void TForm1::btnPreviewMainClick() {
    BeginHourglass();
    AtScopeEnd restoreCursor{[this] { EndHourglass(); }};
    const KeptSites kept = KeptSites::Read(state_.SettingsKey);
    const CacheListing listing = ListUrlCache(state_.site.cacheSource);
    Figures total;
    for (Category category : ModeOrder()) {
        ui::Label& figure = this->*OptionRowOf(category).preview;
        if (!WhyNotPossible({category}, state_.site).empty()) {
            figure.SetCaption(L"not possible here");
            continue;
        }
        const CategoryReport report = RunCategory(category, true, state_.site, {}, &listing, {}, &kept);
        if (!report.error.empty()) {
            figure.SetCaption(L"cannot be counted");
            continue;
        }
        const Figures figures = FiguresOf(report);
        total.Add(figures);
        figure.SetCaption(figures.Text());
    }
    if (!chkIncludeBrowsers.Checked()) {
        lblPreviewBrowsers.SetCaption(L"Browsers: not included (see their box under Clear)");
    } else {
        Figures browsers;
        const std::vector<Category> items = CheckedBrowserItems();
        for (Category item : items)
            browsers.Add(FiguresOf(RunCategory(item, true, state_.site, {}, nullptr, BrowsersChosen(items), &kept)));
        total.Add(browsers);
        lblPreviewBrowsers.SetCaption(L"Browsers: " + browsers.Text());
    }
    lblPreviewTotal.SetCaption(L"Total: " + total.Text(true));
}

}  // namespace purgelet
