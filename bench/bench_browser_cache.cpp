// Times the browsers' cache category against the confined removal alone, in
// the same run: a Chrome profile whose cache holds FOLDERS folders of FILES
// files is emptied (1) by EmptyFolder on its cache folder and nothing else,
// (2) by the browser-cache category (finding the profiles, reading Local
// State, looking for the lock file and the browsers' processes, then the
// same removal), and (3) previewed by the category. Each contender gets its
// own freshly laid-out tree; the order rotates from round to round; the
// medians and spreads of the per-round ratios are reported against their
// goals: the category's clear at most 1.1 times the removal alone, its
// preview at most 0.3 times its clear.
//
//   bench_browser_cache [folders [files-per-folder [rounds]]]
//
// Defaults: 200 folders of 100 files (20,000 files), 3 rounds.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cleaner/CategoryPlan.h"
#include "BenchFigures.h"
#include "support/TestSupport.h"

using namespace purgelet;

namespace {

const std::wstring kTop = L"C:\\purgelet-bench-browsers\\";
const std::wstring kUserData = kTop + L"Local\\Google\\Chrome\\User Data\\";
const std::wstring kCache = kUserData + L"Default\\Cache\\";

bool LayOut(int folders, int files) {
    testing_support::RemoveTree(Narrow(kTop));
    for (const std::wstring& folder :
         {kTop, kTop + L"Local\\", kTop + L"Local\\Google\\", kTop + L"Local\\Google\\Chrome\\", kUserData,
          kUserData + L"Default\\", kCache, kCache + L"Cache_Data\\"})
        CreateDirectoryW(folder.c_str(), nullptr);
    testing_support::WriteFile(Narrow(kUserData) + "Local State", R"({"profile": {"info_cache": {"Default": {}}}})");
    wchar_t name[64];
    for (int d = 0; d < folders; ++d) {
        std::swprintf(name, 64, L"Cache_Data\\d%03d\\", d);
        const std::wstring folder = kCache + name;
        if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
        for (int f = 0; f < files; ++f) {
            std::swprintf(name, 64, L"f_%06d", f);
            HANDLE h = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            if (h == INVALID_HANDLE_VALUE) return false;
            DWORD written = 0;
            WriteFile(h, "cache", 5, &written, nullptr);
            CloseHandle(h);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int folders = argc > 1 ? std::atoi(argv[1]) : 200;
    const int files = argc > 2 ? std::atoi(argv[2]) : 100;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    constexpr double kClearGoal = 1.1, kPreviewGoal = 0.3;
    if (folders <= 0 || files <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_browser_cache [folders [files-per-folder [rounds]]]\n");
        return 2;
    }
    CleaningSite site = SiteOfThisSystem();
    site.folders.WinMajor = 6;
    site.platform.knownFolderPath = [](REFKNOWNFOLDERID id) {
        if (id == FOLDERID_LocalAppData) return kTop + L"Local";
        if (id == FOLDERID_RoamingAppData) return kTop + L"Roaming";
        return Platform().knownFolderPath(id);
    };
    const std::uint64_t expected = static_cast<std::uint64_t>(folders) * files;
    std::printf("the browsers' cache category against EmptyFolder alone: %d folders of %d files\n", folders, files);

    std::vector<double> alone, clear, preview, clearRatios, previewRatios;
    bool right = true;
    for (int round = 0; round < rounds; ++round) {
        double times[3] = {};
        for (int turn = 0; turn < 3; ++turn) {
            if (!LayOut(folders, files)) {
                std::fprintf(stderr, "could not lay out the cache\n");
                return 1;
            }
            const int contender = (round + turn) % 3;
            const double t0 = testing_support::SecondsNow();
            std::uint64_t counted = 0;
            if (contender == 0) {
                RemovalTally tally;
                EmptyFolder(kCache, site.platform, {}, Walk::Delete, tally);
                counted = tally.files;
            } else {
                counted = RunCategory(Category::BrowserCache, contender == 2, site).files;
            }
            times[contender] = testing_support::SecondsNow() - t0;
            const bool untouched =
                contender == 2 && testing_support::Exists(Narrow(kCache) + "Cache_Data\\d000\\f_000000");
            const bool emptied = contender != 2 && !testing_support::Exists(Narrow(kCache) + "Cache_Data");
            if (counted != expected || !(untouched || emptied)) {
                right = false;
                std::printf("  contender %d counted %llu files%s\n", contender,
                            static_cast<unsigned long long>(counted),
                            untouched || emptied ? "" : " and left the tree otherwise than it should");
            }
        }
        alone.push_back(times[0]);
        clear.push_back(times[1]);
        preview.push_back(times[2]);
        clearRatios.push_back(times[1] / times[0]);
        previewRatios.push_back(times[2] / times[1]);
        std::printf("round %d: EmptyFolder %.2f s; clear %.2f s; preview %.2f s; ratios clear %.3f, preview %.3f\n",
                    round + 1, times[0], times[1], times[2], clearRatios.back(), previewRatios.back());
        std::fflush(stdout);
    }
    testing_support::RemoveTree(Narrow(kTop));

    using testing_support::MedianAndSpread;
    using testing_support::Summarize;
    const auto clearFigures = Summarize(clearRatios);
    const auto previewFigures = Summarize(previewRatios);
    std::printf("\nbench_browser_cache: medians of %d rounds, order rotated\n", rounds);
    std::printf("  ratio clear / EmptyFolder alone: %s  goal <= %.2f: %s\n",
                MedianAndSpread(clearFigures, "%.3f").c_str(), kClearGoal,
                clearFigures.median <= kClearGoal ? "met" : "MISSED");
    std::printf("  ratio preview / clear:           %s  goal <= %.2f: %s\n",
                MedianAndSpread(previewFigures, "%.3f").c_str(), kPreviewGoal,
                previewFigures.median <= kPreviewGoal ? "met" : "MISSED");
    std::printf("  EmptyFolder: %s s; clear: %s s; preview: %s s\n", MedianAndSpread(Summarize(alone)).c_str(),
                MedianAndSpread(Summarize(clear)).c_str(), MedianAndSpread(Summarize(preview)).c_str());
    std::printf("  counts right and the tree as it should be: %s\n", right ? "yes" : "NO");
    return right ? 0 : 1;
}
