// Clearing 10,000 cookies through the cookie window (Refresh, Select All,
// Delete, the way the main window drives it) against a bare WinInet loop
// that finds and deletes the same entries, measured in the same run.
//
//   scripts/winerun.sh --build <build> <build>/bench/bench_cookie_list.exe [entries] [rounds]
#define PSAPI_VERSION 2
#include <windows.h>
#include <wininet.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cookies/CookieListWindow.h"
#include "support/TestSupport.h"

using namespace purgelet;

namespace {
int Fill(int count) {
    FILETIME zero{};
    int made = 0;
    char name[96];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof(name), "Cookie:bench@site%05d.example/path/", i);
        if (CommitUrlCacheEntryA(name, nullptr, zero, zero, COOKIE_CACHE_ENTRY, nullptr, 0, nullptr, nullptr)) ++made;
    }
    return made;
}

int CookiesInCache() {
    int n = 0;
    for (const auto& name : testing_support::CacheEntryNames())
        if (name.rfind("Cookie:", 0) == 0) ++n;
    return n;
}

// The bare loops delete what the window would list for cookies.
int DeleteIfCookie(const INTERNET_CACHE_ENTRY_INFOA& entry) {
    if (!(entry.CacheEntryType & COOKIE_CACHE_ENTRY)) return 0;
    DeleteUrlCacheEntryA(entry.lpszSourceUrlName);
    return 1;
}

// The plainest loop that does the same work: one reusable buffer, grown when
// an entry does not fit, and each cookie deleted as it is found.
int BareLoop() {
    return testing_support::WalkUrlCacheOneBuffer(
        [](const INTERNET_CACHE_ENTRY_INFOA& e) { return DeleteIfCookie(e) != 0; });
}

// The same loop reading each entry the way the window does: a size query
// with no buffer, then a read into a buffer of exactly that size.
int BareLoopTwoCalls() {
    DWORD size = 0;
    FindFirstUrlCacheEntryA(nullptr, nullptr, &size);
    std::vector<char> buffer(size);
    auto entry = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()); };
    HANDLE find = FindFirstUrlCacheEntryA(nullptr, entry(), &size);
    if (!find) return 0;
    int deleted = 0;
    for (;;) {
        deleted += DeleteIfCookie(*entry());
        size = 0;
        if (FindNextUrlCacheEntryA(find, nullptr, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        buffer.assign(size, 0);
        if (!FindNextUrlCacheEntryA(find, entry(), &size)) break;
    }
    FindCloseUrlCache(find);
    return deleted;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double PeakWorkingSetMB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}
}  // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;

    ui::Application app;
    ProgramState state(app);
    state.SettingsKey = testing_support::SettingsKey();
    int errors = 0;
    app.hooks.messageBox = [&](HWND, const std::string& text, const std::string&, UINT) {
        std::printf("  error box: %s\n", text.c_str());
        ++errors;
        return IDOK;
    };
    TMainForm& window = app.CreateForm<TMainForm>(state);

    testing_support::ClearUrlCache();
    std::vector<double> bare, bareTwoCalls, refresh, selectAll, del, total;
    double peakAfterBare = 0;
    bool countsRight = true;
    for (int round = 0; round < rounds; ++round) {
        if (Fill(entries) != entries) countsRight = false;
        double t0 = testing_support::SecondsNow();
        int deleted = BareLoop();
        bare.push_back(testing_support::SecondsNow() - t0);
        if (deleted != entries || CookiesInCache() != 0) countsRight = false;
        if (round == 0) peakAfterBare = PeakWorkingSetMB();

        if (Fill(entries) != entries) countsRight = false;
        t0 = testing_support::SecondsNow();
        deleted = BareLoopTwoCalls();
        bareTwoCalls.push_back(testing_support::SecondsNow() - t0);
        if (deleted != entries || CookiesInCache() != 0) countsRight = false;

        if (Fill(entries) != entries) countsRight = false;
        window.SetVar_CacheEntryType(1);
        t0 = testing_support::SecondsNow();
        window.btnRefresh.Click();
        const double t1 = testing_support::SecondsNow();
        window.btnCheck.Click();
        const double t2 = testing_support::SecondsNow();
        const int listed = window.lvCookies.Count();
        window.btnDelete.Click();
        const double t3 = testing_support::SecondsNow();
        refresh.push_back(t1 - t0);
        selectAll.push_back(t2 - t1);
        del.push_back(t3 - t2);
        total.push_back(t3 - t0);
        if (listed != entries || window.lvCookies.Count() != 0 || CookiesInCache() != 0) countsRight = false;
        std::printf(
            "round %d: bare %.2f s, bare with size queries %.2f s, window %.2f s (refresh %.2f, select all "
            "%.3f, delete %.2f)\n",
            round + 1, bare.back(), bareTwoCalls.back(), total.back(), refresh.back(), selectAll.back(), del.back());
        std::fflush(stdout);
    }
    testing_support::ClearUrlCache();

    const double ratio = Median(total) / Median(bare);
    std::printf("\nbench_cookie_list: %d cookie entries, median of %d rounds\n", entries, rounds);
    std::printf("  bare FindFirst/FindNext/DeleteUrlCacheEntry loop: %.2f s\n", Median(bare));
    std::printf("  the same loop with a size query per entry: %.2f s\n", Median(bareTwoCalls));
    std::printf("  window: Refresh %.2f s + Select All %.3f s + Delete %.2f s = %.2f s\n", Median(refresh),
                Median(selectAll), Median(del), Median(total));
    std::printf("  ratio window / bare loop: %.2f (goal <= 1.30)\n", ratio);
    std::printf("  ratio window / bare loop with size queries: %.2f\n", Median(total) / Median(bareTwoCalls));
    std::printf("  peak working set: %.1f MB (%.1f MB after the first bare loop)\n", PeakWorkingSetMB(), peakAfterBare);
    std::printf("  every entry listed and deleted: %s; error boxes: %d\n", countsRight ? "yes" : "NO", errors);
    return countsRight && errors == 0 ? 0 : 1;
}
