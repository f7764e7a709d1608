// Clearing 10,000 cookies through the cookie window (Refresh, Select All,
// Delete, the way the main window drives it) against a bare WinInet loop
// that finds and deletes the same entries, measured in the same run: the
// contenders take turns going first, and the median and spread of the
// per-round ratios are reported against the goal. The peak working set the
// window adds is measured over the peak of the first bare loop, which runs
// before anything else has listed the entries.
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
#include "BenchFigures.h"
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
    return testing_support::WalkUrlCache([](const INTERNET_CACHE_ENTRY_INFOA& e) { return DeleteIfCookie(e) != 0; });
}

// The same loop reading each entry the way the window does: a size query
// with no buffer, then a read into a buffer of exactly that size.
int BareLoopTwoCalls() {
    return testing_support::WalkUrlCache([](const INTERNET_CACHE_ENTRY_INFOA& e) { return DeleteIfCookie(e) != 0; },
                                         testing_support::CacheReads::SizeQueryEach);
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
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    if (entries <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_cookie_list [entries [rounds]]\n");
        return 2;
    }
    constexpr double kGoal = 1.15, kMemoryGoalMB = 3.0;

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
    std::vector<double> bare, bareTwoCalls, refresh, selectAll, del, total, ratios, ratiosTwoCalls;
    double peakAfterBare = 0;
    bool countsRight = true;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 3; ++turn) {
            if (Fill(entries) != entries) countsRight = false;
            const double t0 = testing_support::SecondsNow();
            switch ((round + turn) % 3) {
                case 0: {
                    const int deleted = BareLoop();
                    bare.push_back(testing_support::SecondsNow() - t0);
                    if (deleted != entries) countsRight = false;
                    if (round == 0) peakAfterBare = PeakWorkingSetMB();
                    break;
                }
                case 1: {
                    const int deleted = BareLoopTwoCalls();
                    bareTwoCalls.push_back(testing_support::SecondsNow() - t0);
                    if (deleted != entries) countsRight = false;
                    break;
                }
                default: {
                    window.SetVar_CacheEntryType(1);
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
                    if (listed != entries || window.lvCookies.Count() != 0) countsRight = false;
                    break;
                }
            }
            if (CookiesInCache() != 0) countsRight = false;
        }
        ratios.push_back(total.back() / bare.back());
        ratiosTwoCalls.push_back(total.back() / bareTwoCalls.back());
        std::printf(
            "round %d (first: %s): bare %.2f s, bare with size queries %.2f s, window %.2f s (refresh %.2f, select all "
            "%.3f, delete %.2f); window / bare %.3f\n",
            round + 1, round % 3 == 0 ? "bare" : (round % 3 == 1 ? "size queries" : "window"), bare.back(),
            bareTwoCalls.back(), total.back(), refresh.back(), selectAll.back(), del.back(), ratios.back());
        std::fflush(stdout);
    }
    testing_support::ClearUrlCache();

    using testing_support::MedianAndSpread;
    using testing_support::Summarize;
    const auto headline = Summarize(ratios);
    const double peak = PeakWorkingSetMB(), added = peak - peakAfterBare;
    std::printf("\nbench_cookie_list: %d cookie entries, medians of %d rounds, order rotated\n", entries, rounds);
    std::printf("  bare FindFirst/FindNext/DeleteUrlCacheEntry loop (one call per entry): %s s\n",
                MedianAndSpread(Summarize(bare)).c_str());
    std::printf("  the same loop with a size query per entry:                          %s s\n",
                MedianAndSpread(Summarize(bareTwoCalls)).c_str());
    std::printf("  window: Refresh %.2f s + Select All %.3f s + Delete %.2f s; total %s s\n", Summarize(refresh).median,
                Summarize(selectAll).median, Summarize(del).median, MedianAndSpread(Summarize(total)).c_str());
    std::printf("  ratio window / bare one-call loop: %s  goal <= %.2f: %s\n",
                MedianAndSpread(headline, "%.3f").c_str(), kGoal, headline.median <= kGoal ? "met" : "MISSED");
    std::printf("  ratio window / loop with size queries: %s\n",
                MedianAndSpread(Summarize(ratiosTwoCalls), "%.3f").c_str());
    std::printf(
        "  peak working set: %.1f MB; after the first bare loop %.1f MB; the window adds %.1f MB  goal <= %.1f MB: "
        "%s\n",
        peak, peakAfterBare, added, kMemoryGoalMB, added <= kMemoryGoalMB ? "met" : "MISSED");
    std::printf("  every entry listed and deleted: %s; error boxes: %d\n", countsRight ? "yes" : "NO", errors);
    return countsRight && errors == 0 ? 0 : 1;
}
