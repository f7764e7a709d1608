// Times the browser-history category against a bare program that runs the
// same SQL statements on the same file with the same library, in the same
// run: an Edge profile's History of VISITS visits over URLS addresses (with
// the browser's indexes, searches typed, downloads and segments) is cleared
// (1) by the bare statements alone (open, secure_delete and foreign keys on,
// one exclusive transaction of DELETEs, commit), (2) by the category
// (finding the profiles, looking for the lock file and the browsers'
// processes, locking every database first, each table looked up, the rows
// counted by the deletions), and (3) previewed by the category (its rows
// counted, nothing changed). Each contender gets a fresh copy of the same
// file; the order rotates from round to round; the medians and spreads of the
// per-round ratios are reported against their goals: the category's clear at
// most 1.2 times the bare statements, its preview at most 0.2 times its clear.
//
//   bench_browser_history [visits [urls [rounds]]]
//
// Defaults: 100,000 visits over 20,000 addresses, 3 rounds.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Sqlite.h"
#include "cleaner/CategoryPlan.h"
#include "BenchFigures.h"
#include "support/TestSupport.h"

using namespace purgelet;

namespace {

const std::wstring kTop = L"C:\\purgelet-bench-history\\";
const std::wstring kProfile = kTop + L"Local\\Microsoft\\Edge\\User Data\\Default\\";
const std::wstring kTemplate = kTop + L"template.db";
const std::string kTables[] = {"urls", "visits", "keyword_search_terms", "segments", "segment_usage", "downloads"};

bool Exec(sqlite3* db, const std::string& sql) {
    const bool done = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!done) std::fprintf(stderr, "%s: %s\n", sql.substr(0, 60).c_str(), sqlite3_errmsg(db));
    return done;
}

// The History as Chromium lays it out, with the tables and indexes its
// clearing meets.
bool MakeTemplate(int visits, int urls) {
    SqliteDatabase db;
    if (sqlite3_open_v2(Narrow(kTemplate).c_str(), db.Receive(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        return false;
    if (!Exec(db.Get(),
              "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
              "CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, title LONGVARCHAR,"
              " visit_count INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL, last_visit_time"
              " INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT NULL);"
              "CREATE INDEX urls_url_index ON urls (url);"
              "CREATE TABLE visits(id INTEGER PRIMARY KEY AUTOINCREMENT, url INTEGER NOT NULL, visit_time INTEGER"
              " NOT NULL, from_visit INTEGER, transition INTEGER DEFAULT 0 NOT NULL, segment_id INTEGER,"
              " visit_duration INTEGER DEFAULT 0 NOT NULL);"
              "CREATE INDEX visits_url_index ON visits (url); CREATE INDEX visits_time_index ON visits (visit_time);"
              "CREATE TABLE keyword_search_terms(keyword_id INTEGER NOT NULL, url_id INTEGER NOT NULL, term"
              " LONGVARCHAR NOT NULL, normalized_term LONGVARCHAR NOT NULL);"
              "CREATE TABLE segments(id INTEGER PRIMARY KEY, name VARCHAR, url_id INTEGER NON NULL);"
              "CREATE TABLE segment_usage(id INTEGER PRIMARY KEY, segment_id INTEGER NOT NULL, time_slot INTEGER"
              " NOT NULL, visit_count INTEGER DEFAULT 0 NOT NULL);"
              "CREATE TABLE downloads(id INTEGER PRIMARY KEY, guid VARCHAR NOT NULL, target_path LONGVARCHAR NOT"
              " NULL, tab_url VARCHAR NOT NULL);"
              "INSERT INTO meta VALUES ('version', '67'); BEGIN"))
        return false;
    char sql[256];
    for (int u = 1; u <= urls; ++u) {
        std::snprintf(sql, sizeof(sql),
                      "INSERT INTO urls VALUES (%d, 'https://site%d.example/page/%d?q=%d', 'Page %d', 5, %d, %d, 0)", u,
                      u % 700, u, u * 7, u, u % 3, 13300000 + u);
        if (!Exec(db.Get(), sql)) return false;
        if (u % 10 == 0) {
            std::snprintf(sql, sizeof(sql),
                          "INSERT INTO keyword_search_terms VALUES (2, %d, 'term %d', 'term %d');"
                          "INSERT INTO segments VALUES (%d, 'http://site%d.example/', %d);"
                          "INSERT INTO segment_usage VALUES (%d, %d, %d, 3)",
                          u, u, u, u, u % 700, u, u, u, 13300000 + u);
            if (!Exec(db.Get(), sql)) return false;
        }
        if (u % 20 == 0) {
            std::snprintf(sql, sizeof(sql), "INSERT INTO downloads VALUES (%d, 'guid-%d', 'C:\\d\\f%d.zip', 'x')", u, u,
                          u);
            if (!Exec(db.Get(), sql)) return false;
        }
    }
    for (int v = 1; v <= visits; ++v) {
        std::snprintf(sql, sizeof(sql), "INSERT INTO visits VALUES (%d, %d, %d, %d, 805306368, 0, 1200)", v,
                      1 + (v * 7919) % urls, 13300000 + v, v - 1);
        if (!Exec(db.Get(), sql)) return false;
    }
    return Exec(db.Get(), "COMMIT");
}

// The bare program: the same statements on the same file.
std::uint64_t BareClear(const std::wstring& file) {
    SqliteDatabase db;
    if (sqlite3_open_v2(Narrow(file).c_str(), db.Receive(), SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return 0;
    std::uint64_t rows = 0;
    if (!Exec(db.Get(), "PRAGMA foreign_keys = ON; PRAGMA secure_delete = ON; BEGIN EXCLUSIVE")) return 0;
    for (const std::string& table : kTables) {
        if (!Exec(db.Get(), "DELETE FROM \"" + table + "\"")) return 0;
        rows += static_cast<std::uint64_t>(sqlite3_changes64(db.Get()));
    }
    return Exec(db.Get(), "COMMIT") ? rows : 0;
}

std::uint64_t Visits(const std::wstring& file) {
    SqliteDatabase db;
    SqliteStatement count;
    if (sqlite3_open_v2(Narrow(file).c_str(), db.Receive(), SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db.Get(), "SELECT count(*) FROM visits", -1, count.Receive(), nullptr) != SQLITE_OK ||
        sqlite3_step(count.Get()) != SQLITE_ROW)
        return ~std::uint64_t{0};
    return static_cast<std::uint64_t>(sqlite3_column_int64(count.Get(), 0));
}

}  // namespace

int main(int argc, char** argv) {
    const int visits = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int urls = argc > 2 ? std::atoi(argv[2]) : 20000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    constexpr double kClearGoal = 1.2, kPreviewGoal = 0.2;
    if (visits <= 0 || urls <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_browser_history [visits [urls [rounds]]]\n");
        return 2;
    }
    testing_support::RemoveTree(Narrow(kTop));
    testing_support::MakeDir(Narrow(kProfile));
    if (!MakeTemplate(visits, urls)) {
        std::fprintf(stderr, "could not make the History\n");
        return 1;
    }
    CleaningSite site = SiteOfThisSystem();
    site.folders.WinMajor = 6;
    site.platform.knownFolderPath = [](REFKNOWNFOLDERID id) {
        if (id == FOLDERID_LocalAppData) return kTop + L"Local";
        if (id == FOLDERID_RoamingAppData) return kTop + L"Roaming";
        return Platform().knownFolderPath(id);
    };
    const std::wstring history = kProfile + L"History";
    std::printf("browser-history against the bare statements: %d visits over %d addresses\n", visits, urls);

    std::vector<double> bare, clear, preview, clearRatios, previewRatios;
    std::uint64_t expected = 0;
    bool right = true;
    for (int round = 0; round < rounds; ++round) {
        double times[3] = {};
        for (int turn = 0; turn < 3; ++turn) {
            if (!CopyFileW(kTemplate.c_str(), history.c_str(), FALSE)) {
                std::fprintf(stderr, "could not copy the History\n");
                return 1;
            }
            const int contender = (round + turn) % 3;
            const double t0 = testing_support::SecondsNow();
            const std::uint64_t rows =
                contender == 0 ? BareClear(history) : RunCategory(Category::BrowserHistory, contender == 2, site).rows;
            times[contender] = testing_support::SecondsNow() - t0;
            if (contender == 0 && expected == 0) expected = rows;
            const std::uint64_t left = Visits(history);
            if (rows == 0 || (expected && rows != expected) || left != (contender == 2 ? visits : 0u)) {
                right = false;
                std::printf("  contender %d: %llu rows, %llu visits left\n", contender,
                            static_cast<unsigned long long>(rows), static_cast<unsigned long long>(left));
            }
        }
        bare.push_back(times[0]);
        clear.push_back(times[1]);
        preview.push_back(times[2]);
        clearRatios.push_back(times[1] / times[0]);
        previewRatios.push_back(times[2] / times[1]);
        std::printf("round %d: bare %.3f s; clear %.3f s; preview %.3f s; ratios clear %.3f, preview %.3f\n", round + 1,
                    times[0], times[1], times[2], clearRatios.back(), previewRatios.back());
        std::fflush(stdout);
    }
    testing_support::RemoveTree(Narrow(kTop));

    using testing_support::MedianAndSpread;
    using testing_support::Summarize;
    const auto clearFigures = Summarize(clearRatios);
    const auto previewFigures = Summarize(previewRatios);
    std::printf("\nbench_browser_history: medians of %d rounds, order rotated, %llu rows a clearing\n", rounds,
                static_cast<unsigned long long>(expected));
    std::printf("  ratio clear / bare statements: %s  goal <= %.2f: %s\n",
                MedianAndSpread(clearFigures, "%.3f").c_str(), kClearGoal,
                clearFigures.median <= kClearGoal ? "met" : "MISSED");
    std::printf("  ratio preview / clear:         %s  goal <= %.2f: %s\n",
                MedianAndSpread(previewFigures, "%.3f").c_str(), kPreviewGoal,
                previewFigures.median <= kPreviewGoal ? "met" : "MISSED");
    std::printf("  bare: %s s; clear: %s s; preview: %s s\n", MedianAndSpread(Summarize(bare)).c_str(),
                MedianAndSpread(Summarize(clear)).c_str(), MedianAndSpread(Summarize(preview)).c_str());
    std::printf("  counts right and the file as it should be: %s\n", right ? "yes" : "NO");
    return right ? 0 : 1;
}
