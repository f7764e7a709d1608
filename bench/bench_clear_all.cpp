// "Clear All" on the Windows XP family, through the main window and the hidden
// cookie manager, against the bare loops that do the same work, measured in
// the same run: a FindFirstFileA/DeleteFileA loop over the same folder trees
// and one FindFirst/FindNextUrlCacheEntryA loop deleting the same cookie and
// history entries. A third contender runs bare loops in the clearing's own
// steps (three cache passes with one call per entry), which shows what
// the windows add, and a fourth clicks each of Clear All's steps on its own,
// so that each step's time shows beside its bare loop and a regression shows
// where it lies. The contenders take turns going first; the headline is the
// median, with its spread, of the per-round ratios of "Clear All" to the sum
// of the two bare loops, against its goal.
//
//   scripts/bench.sh bench_clear_all [folders [files-per-folder [entries [rounds]]]]
//
// Defaults: 10 folders of 1,000 files, split between the user's and the
// Windows temporary folders; 3,000 cookie and 3,000 history entries; 5 rounds.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ClearingTraces.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"
#include "BenchFigures.h"
#include "support/TestSupport.h"

using namespace purgelet;

namespace {

const bench::ClearingTraces kTraces("C:\\purgelet-bench-clear\\");

void BareFileLoop(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "*.*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!std::strcmp(data.cFileName, ".") || !std::strcmp(data.cFileName, "..")) continue;
        const std::string path = folder + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            BareFileLoop(path + "\\");
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(h, &data));
    FindClose(h);
}

// One pass over the cache with one reused buffer, deleting cookies and history.
void BareCacheLoop() {
    testing_support::WalkUrlCache([](const INTERNET_CACHE_ENTRY_INFOA& e) {
        if (!(e.CacheEntryType & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY))) return false;
        DeleteUrlCacheEntryA(e.lpszSourceUrlName);
        return true;
    });
}

// The cache part in the clearing's own steps, without the windows: three
// passes (history, ordinary entries, cookies), each reading every entry with
// one call into a reused buffer, then deleting what it kept; each pass's time
// goes to its step.
void StepwiseCacheLoops(std::vector<double>* steps) {
    int step = 0;
    for (DWORD kind : {DWORD(URLHISTORY_CACHE_ENTRY), DWORD(0), DWORD(COOKIE_CACHE_ENTRY)}) {
        const double t0 = testing_support::SecondsNow();
        std::vector<std::string> kept;
        testing_support::WalkUrlCache([&](const INTERNET_CACHE_ENTRY_INFOA& e) {
            const DWORD type = e.CacheEntryType;
            const bool keep = kind ? (type & kind) == kind : !(type & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY));
            if (keep) kept.emplace_back(e.lpszSourceUrlName);
            return keep;
        });
        for (auto it = kept.rbegin(); it != kept.rend(); ++it) DeleteUrlCacheEntryA(it->c_str());
        steps[step++].push_back(testing_support::SecondsNow() - t0);
    }
}

// Clear All's steps as the main page's buttons, in Clear All's order; the
// bare loops' steps that do the same work (the cache's three passes and the
// temporary folders); the registry lists and Recent have nothing laid out.
struct Step {
    const char* what;
    ui::Button TForm1::*button;
    int bare;  // the bare step it is measured against, or -1
};
constexpr Step kSteps[] = {{"history links of web sites", &TForm1::btnClearHistory, 0},
                           {"temporary internet files", &TForm1::Button2, 1},
                           {"cookies", &TForm1::btnClearCookies, 2},
                           {"typed URLs", &TForm1::btnClearTypedURLs, -1},
                           {"typed words on Run", &TForm1::btnClearTypedWordsInRun, -1},
                           {"temporary files", &TForm1::btnTemporary, 3},
                           {"history links of documents", &TForm1::btnClearRecent, -1}};
constexpr int kStepCount = sizeof(kSteps) / sizeof(kSteps[0]);
constexpr int kBareSteps = 4;

}  // namespace

int main(int argc, char** argv) {
    const int folders = argc > 1 ? std::atoi(argv[1]) : 10;
    const int files = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int entries = argc > 3 ? std::atoi(argv[3]) : 3000;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 5;
    constexpr double kGoal = 1.5, kStepsGoal = 1.1;
    if (folders <= 0 || files <= 0 || entries <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_clear_all [folders [files-per-folder [entries [rounds]]]]\n");
        return 2;
    }

    bench::XpWindows windows(kTraces);
    ProgramState& state = windows.state;
    TForm1& main = *windows.main;
    const int& errors = windows.errors;
    testing_support::ClearUrlCache();

    std::printf("Clear All on Windows XP: %d folders of %d files, %d cookie and %d history entries\n", folders, files,
                entries, entries);
    std::vector<double> bareFiles, bareCache, stepwise, clearAll, ratios, stepwiseRatios, stepsToBare;
    std::vector<double> bareSteps[kBareSteps], buttons[kStepCount];
    bool cleared = true;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 4; ++turn) {
            if (!kTraces.Fill(folders, files, entries)) {
                std::fprintf(stderr, "could not lay out the traces\n");
                kTraces.RemoveAll();
                return 1;
            }
            const double t0 = testing_support::SecondsNow();
            switch ((round + turn) % 4) {
                case 0: {
                    BareFileLoop(kTraces.userTemp);
                    BareFileLoop(kTraces.windowsTemp);
                    const double t1 = testing_support::SecondsNow();
                    BareCacheLoop();
                    bareFiles.push_back(t1 - t0);
                    bareCache.push_back(testing_support::SecondsNow() - t1);
                    break;
                }
                case 1: {
                    StepwiseCacheLoops(bareSteps);
                    const double t1 = testing_support::SecondsNow();
                    BareFileLoop(kTraces.userTemp);
                    BareFileLoop(kTraces.windowsTemp);
                    bareSteps[3].push_back(testing_support::SecondsNow() - t1);
                    stepwise.push_back(testing_support::SecondsNow() - t0);
                    break;
                }
                case 2:
                    // Each of Clear All's steps on its own, through its button.
                    for (int step = 0; step < kStepCount; ++step) {
                        const double t1 = testing_support::SecondsNow();
                        (main.*kSteps[step].button).Click();
                        buttons[step].push_back(testing_support::SecondsNow() - t1);
                    }
                    break;
                default:
                    main.btnClearAll.Click();
                    clearAll.push_back(testing_support::SecondsNow() - t0);
                    break;
            }
            if (!kTraces.AllCleared()) cleared = false;
        }
        const double bare = bareFiles.back() + bareCache.back();
        ratios.push_back(clearAll.back() / bare);
        stepwiseRatios.push_back(clearAll.back() / stepwise.back());
        stepsToBare.push_back(stepwise.back() / bare);
        std::printf(
            "round %d: bare files %.2f s + bare cache %.2f s = %.2f s; stepwise bare %.2f s; Clear All %.2f s; "
            "ratios %.2f, %.2f\n",
            round + 1, bareFiles.back(), bareCache.back(), bare, stepwise.back(), clearAll.back(), ratios.back(),
            stepwiseRatios.back());
        std::fflush(stdout);
    }
    using testing_support::MedianAndSpread;
    using testing_support::Summarize;
    const auto headline = Summarize(ratios);
    std::printf("\nbench_clear_all: medians of %d rounds, order rotated\n", rounds);
    std::printf("  ratio Clear All / (bare file loop + bare one-pass cache loop): %s  goal <= %.2f: %s\n",
                MedianAndSpread(headline, "%.3f").c_str(), kGoal, headline.median <= kGoal ? "met" : "MISSED");
    std::printf("  bare FindFirstFileA/DeleteFileA loop:           %s s\n",
                MedianAndSpread(Summarize(bareFiles)).c_str());
    std::printf("  bare cache enumerate/delete loop (one pass):    %s s\n",
                MedianAndSpread(Summarize(bareCache)).c_str());
    std::printf("  bare loops in the clearing's steps (3 passes):  %s s\n",
                MedianAndSpread(Summarize(stepwise)).c_str());
    std::printf("  Clear All:                                      %s s\n",
                MedianAndSpread(Summarize(clearAll)).c_str());
    const auto steps = Summarize(stepwiseRatios);
    std::printf("  ratio Clear All / bare loops in its steps:      %s  goal <= %.2f: %s\n",
                MedianAndSpread(steps, "%.3f").c_str(), kStepsGoal, steps.median <= kStepsGoal ? "met" : "MISSED");
    std::printf("  ratio bare loops in its steps / sum of bare loops (three passes instead of one): %s\n",
                MedianAndSpread(Summarize(stepsToBare), "%.3f").c_str());
    std::printf("  each step through its button beside the bare loop of the same work (medians, s):\n");
    for (int step = 0; step < kStepCount; ++step) {
        const double button = Summarize(buttons[step]).median;
        if (kSteps[step].bare < 0) {
            std::printf("    %-28s %7.3f   (nothing laid out)\n", kSteps[step].what, button);
            continue;
        }
        const double bare = Summarize(bareSteps[kSteps[step].bare]).median;
        std::printf("    %-28s %7.3f   bare %7.3f   ratio %.2f\n", kSteps[step].what, button, bare,
                    bare > 0 ? button / bare : 0.0);
    }
    std::printf("  log: ");
    for (const std::string& line : main.Log().Lines()) std::printf("[%s] ", line.c_str());
    std::printf("\n  everything cleared: %s; error boxes: %d\n", cleared ? "yes" : "NO", errors);
    testing_support::ClearUrlCache();
    testing_support::RegDeleteTree(state.SettingsKey);
    kTraces.RemoveAll();
    return cleared && errors == 0 ? 0 : 1;
}
