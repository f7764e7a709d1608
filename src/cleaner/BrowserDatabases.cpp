#include "cleaner/BrowserDatabases.h"

#include <windows.h>

#include <span>
#include <sstream>

#include "base/Sqlite.h"
#include "base/Text.h"

namespace purgelet {

namespace {

// How long a statement waits for a lock another connection holds before the
// database counts as busy: a browser that runs holds its databases for good.
constexpr int kBusyWaitMs = 250;

enum class StepKind : std::uint8_t { Delete, ResetPlaces };

// One statement of a database's clearing: the rows of a table (of every
// table whose name starts so, with prefix) that go, where they match. It is
// passed over when its table, or a column it needs ("table.column", blank
// between), is missing: browsers add and rename tables between versions.
struct Step {
    const char* table;
    const char* where = nullptr;
    bool prefix = false;
    bool headline = false;  // its rows are what the item's line counts
    const char* needs = nullptr;
    StepKind kind = StepKind::Delete;
    // The column naming a cookie's host: the rows of kept sites stay.
    const char* host = nullptr;
};

constexpr Step kChromiumCookies[] = {{.table = "cookies", .headline = true, .host = "host_key"}};
// Where the user went: pages, visits, searches typed, downloads, and what the
// browser grouped or noted of them.
constexpr Step kChromiumHistory[] = {
    {.table = "urls"},
    {.table = "visits", .headline = true},
    {.table = "visit_source"},
    {.table = "visited_links"},
    {.table = "keyword_search_terms"},
    {.table = "segments"},
    {.table = "segment_usage"},
    {.table = "downloads"},
    {.table = "downloads_url_chains"},
    {.table = "downloads_slices"},
    {.table = "content_annotations"},
    {.table = "context_annotations"},
    {.table = "clusters"},
    {.table = "clusters_and_visits"},
    {.table = "cluster_keywords"},
    {.table = "cluster_visit_duplicates"},
    {.table = "journey", .prefix = true},
};
// Form entries only: addresses, cards, IBANs and search engines share the file.
constexpr Step kChromiumForms[] = {{.table = "autofill", .headline = true},
                                   {.table = "autocomplete", .headline = true}};
constexpr Step kFirefoxCookies[] = {{.table = "moz_cookies", .headline = true, .host = "host"}};
// Firefox keeps bookmarks in the same file: a place that a bookmark or a
// keyword uses has a foreign_count above 0 and stays, forgetting its visits;
// an origin stays while a place that stays uses it. Without foreign_count
// nothing of moz_places can be told apart, and it is left alone.
constexpr char kOriginsUnused[] =
    "id NOT IN (SELECT origin_id FROM moz_places WHERE foreign_count > 0 AND origin_id IS NOT NULL)";
constexpr Step kFirefoxPlaces[] = {
    {.table = "moz_historyvisits_extra"},
    {.table = "moz_historyvisits", .headline = true},
    {.table = "moz_inputhistory"},
    {.table = "moz_places_metadata"},
    {.table = "moz_places_metadata_search_queries"},
    {.table = "moz_newtab_", .prefix = true},
    {.table = "moz_places", .where = "foreign_count = 0", .needs = "moz_places.foreign_count"},
    {.table = "moz_places", .needs = "moz_places.foreign_count", .kind = StepKind::ResetPlaces},
    {.table = "moz_origins", .where = kOriginsUnused, .needs = "moz_places.foreign_count moz_places.origin_id"},
};
constexpr Step kFirefoxForms[] = {{.table = "moz_formhistory", .headline = true}};

// The databases of each item, by their place in the profile folder.
struct ItemDatabase {
    BrowserItem item;
    bool firefox;
    const wchar_t* file;
    std::span<const Step> steps;
};
constexpr ItemDatabase kDatabases[] = {
    {BrowserItem::Cookies, false, L"Network\\Cookies", kChromiumCookies},
    {BrowserItem::Cookies, false, L"Cookies", kChromiumCookies},
    {BrowserItem::History, false, L"History", kChromiumHistory},
    {BrowserItem::Forms, false, L"Web Data", kChromiumForms},
    {BrowserItem::Cookies, true, L"cookies.sqlite", kFirefoxCookies},
    {BrowserItem::History, true, L"places.sqlite", kFirefoxPlaces},
    {BrowserItem::Forms, true, L"formhistory.sqlite", kFirefoxForms},
};

// The files and folders an item removes whole: the browser rebuilds them.
// A file goes with its journals, never a journal without its file.
struct ItemFile {
    BrowserItem item;
    bool firefox;
    const wchar_t* name;
    bool folder = false;  // emptied, and kept as a folder
};
constexpr ItemFile kFiles[] = {
    {BrowserItem::History, false, L"Top Sites"},
    {BrowserItem::History, false, L"Shortcuts"},
    {BrowserItem::History, false, L"Visited Links"},
    {BrowserItem::History, false, L"Network Action Predictor"},
    {BrowserItem::Sessions, false, L"Sessions", true},
    {BrowserItem::Sessions, true, L"sessionstore.jsonlz4"},
    {BrowserItem::Sessions, true, L"sessionstore-backups", true},
};
constexpr const wchar_t* kJournals[] = {L"-journal", L"-wal", L"-shm"};

// A name quoted as an identifier ("..."), or a text as a literal ('...').
std::string Quoted(const std::string& name, char quote = '"') {
    std::string quoted(1, quote);
    for (char c : name) quoted += c == quote ? std::string(2, c) : std::string(1, c);
    return quoted + quote;
}

// kept_site(host): 1 when the list of kept sites keeps a cookie of host.
void KeptSiteFunction(sqlite3_context* context, int, sqlite3_value** values) {
    const auto* sites = static_cast<const KeptSites*>(sqlite3_user_data(context));
    const unsigned char* host = sqlite3_value_text(values[0]);
    const int length = sqlite3_value_bytes(values[0]);
    sqlite3_result_int(context, host && sites->Keeps(std::string_view(reinterpret_cast<const char*>(host),
                                                                      static_cast<std::size_t>(length)))
                                    ? 1
                                    : 0);
}

int Exec(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }

// The first column of the first row of a query, as a number.
int QueryNumber(sqlite3* db, const std::string& sql, std::uint64_t& value) {
    SqliteStatement statement;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, statement.Receive(), nullptr);
    if (rc != SQLITE_OK) return rc;
    rc = sqlite3_step(statement.Get());
    if (rc == SQLITE_ROW) value = static_cast<std::uint64_t>(sqlite3_column_int64(statement.Get(), 0));
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
}

enum class Opened : std::uint8_t { Ready, Busy, NotADatabase, Failed };

// A database of the profile, held in its transaction from opening to the end.
struct HeldDatabase {
    const ItemDatabase* row = nullptr;
    std::size_t report = 0;  // its place in the profile's report
    SqliteDatabase db;
    std::vector<std::string> tables;

    bool HasTable(const std::string& name) const {
        for (const std::string& table : tables)
            if (sqlite3_stricmp(table.c_str(), name.c_str()) == 0) return true;
        return false;
    }
    bool HasColumn(const std::string& table, const std::string& column) const {
        if (!HasTable(table)) return false;
        std::uint64_t found = 0;
        return QueryNumber(db.Get(),
                           "SELECT count(*) FROM pragma_table_info(" + Quoted(table, '\'') +
                               ") WHERE name = " + Quoted(column, '\'') + " COLLATE NOCASE",
                           found) == SQLITE_OK &&
               found > 0;
    }
    // Whether every "table.column" a step needs is there.
    bool HasAll(const char* needs) const {
        if (!needs) return true;
        std::istringstream words(needs);
        for (std::string need; words >> need;) {
            const std::size_t dot = need.find('.');
            if (!HasColumn(need.substr(0, dot), need.substr(dot + 1))) return false;
        }
        return true;
    }
    // The tables a step touches, as the database names them.
    std::vector<std::string> TablesOf(const Step& step) const {
        std::vector<std::string> found;
        const std::size_t length = std::char_traits<char>::length(step.table);
        for (const std::string& table : tables)
            if (step.prefix ? sqlite3_strnicmp(table.c_str(), step.table, static_cast<int>(length)) == 0
                            : sqlite3_stricmp(table.c_str(), step.table) == 0)
                found.push_back(table);
        return found;
    }
};

// Opens a database and takes its lock: a read lock for a preview, which
// opens it read-only; the write lock for a clearing, with the foreign keys
// enforced (their cascades clear what hangs on a deleted row) and the
// deleted rows overwritten.
Opened Open(HeldDatabase& held, const std::wstring& path, bool preview, const KeptSites* keptSites,
            std::string& error) {
    int rc = sqlite3_open_v2(Utf8(path).c_str(), held.db.Receive(),
                             preview ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK && keptSites)
        rc = sqlite3_create_function_v2(held.db.Get(), "kept_site", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                        const_cast<KeptSites*>(keptSites), KeptSiteFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(held.db.Get(), kBusyWaitMs);
        // Only outside a transaction do these take effect.
        if (!preview) rc = Exec(held.db.Get(), "PRAGMA foreign_keys = ON; PRAGMA secure_delete = ON");
        if (rc == SQLITE_OK) rc = Exec(held.db.Get(), preview ? "BEGIN" : "BEGIN EXCLUSIVE");
        SqliteStatement names;
        if (rc == SQLITE_OK)
            rc = sqlite3_prepare_v2(held.db.Get(), "SELECT name FROM sqlite_master WHERE type = 'table'", -1,
                                    names.Receive(), nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(names.Get())) == SQLITE_ROW) {
            held.tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(names.Get(), 0)));
            rc = SQLITE_OK;
        }
        if (rc == SQLITE_DONE) return Opened::Ready;
    }
    error = held.db ? sqlite3_errmsg(held.db.Get()) : sqlite3_errstr(rc);
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return Opened::Busy;
        case SQLITE_NOTADB:
            return Opened::NotADatabase;
        case SQLITE_CANTOPEN:
            // A file the browser holds without sharing it.
            return HeldByAnotherProgram(path) ? Opened::Busy : Opened::Failed;
        default:
            return Opened::Failed;
    }
}

// The statement that makes a place that stays forget its visits, with the
// columns this version of the file has.
std::string ResetPlacesSql(const HeldDatabase& held, const std::string& table) {
    static constexpr const char* kReset[][2] = {
        {"visit_count", "0"},         {"last_visit_date", "NULL"}, {"typed", "0"},
        {"frecency", "-1"},           {"recalc_frecency", "1"},    {"alt_frecency", "NULL"},
        {"recalc_alt_frecency", "1"},
    };
    std::string set;
    for (const auto& [column, value] : kReset)
        if (held.HasColumn(table, column)) set += (set.empty() ? "" : ", ") + std::string(column) + " = " + value;
    return set.empty() ? std::string() : "UPDATE " + Quoted(table) + " SET " + set;
}

// Runs a database's steps inside its transaction: counts the rows that
// would go, or deletes them.
int RunSteps(HeldDatabase& held, bool preview, const KeptSites* keptSites, DatabaseReport& report) {
    sqlite3* db = held.db.Get();
    const bool keeping = keptSites && !keptSites->Sites().empty();
    for (const Step& step : held.row->steps) {
        if (!held.HasAll(step.needs)) continue;
        for (const std::string& table : held.TablesOf(step)) {
            std::string where = step.where ? std::string(" WHERE ") + step.where : std::string();
            if (step.host && keeping) {
                // Which rows stay cannot be told without their host: all stay.
                if (!held.HasColumn(table, step.host)) continue;
                const std::string kept = "kept_site(" + Quoted(step.host) + ")";
                std::uint64_t stay = 0;
                if (const int rc = QueryNumber(db, "SELECT count(*) FROM " + Quoted(table) + " WHERE " + kept, stay);
                    rc != SQLITE_OK)
                    return rc;
                report.keptCookies += stay;
                where = " WHERE NOT " + kept;
            }
            if (step.kind == StepKind::ResetPlaces) {
                const std::string reset = ResetPlacesSql(held, table);
                if (preview || reset.empty()) continue;
                if (const int rc = Exec(db, reset); rc != SQLITE_OK) return rc;
                continue;
            }
            std::uint64_t rows = 0;
            int rc = SQLITE_OK;
            if (preview) {
                rc = QueryNumber(db, "SELECT count(*) FROM " + Quoted(table) + where, rows);
            } else {
                rc = Exec(db, "DELETE FROM " + Quoted(table) + where);
                rows = static_cast<std::uint64_t>(sqlite3_changes64(db));
            }
            if (rc != SQLITE_OK) return rc;
            report.tables.emplace_back(table, rows);
            report.rows += rows;
            if (step.headline) report.headline += rows;
        }
    }
    return SQLITE_OK;
}

// Ends a database's transaction: a preview's by rolling back (it changed
// nothing), a clearing's by committing, or rolling back all of it when a
// statement failed; then compacts it when asked.
void Finish(HeldDatabase& held, bool preview, const DatabaseOptions& options, DatabaseReport& report) {
    sqlite3* db = held.db.Get();
    int rc = RunSteps(held, preview, options.keptSites, report);
    if (rc == SQLITE_OK && !preview) rc = Exec(db, "COMMIT");
    if (preview || rc != SQLITE_OK) {
        if (rc != SQLITE_OK) {
            report.error = sqlite3_errmsg(db);
            report.tables.clear();
            report.rows = report.headline = report.keptCookies = 0;
        }
        Exec(db, "ROLLBACK");
        return;
    }
    if (options.compact) report.compacted = Exec(db, "VACUUM") == SQLITE_OK;
}

bool IsPlainFile(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Removes (or counts) one file of the profile folder that the browser
// rebuilds, through the confined removal; whether it went (or would go).
bool RemoveFile(ProfileReport& report, const std::wstring& path, Walk walk) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!IsPlainFile(path, data)) return false;
    if (data.dwFileAttributes & ~kHandledAttributes) {
        ++report.keptLinks;
        if (report.kept.size() < 100) report.kept.push_back({LeftAs::Link, path});
        return false;
    }
    if (walk == Walk::Delete) {
        DeleteFileInside(report.profile.profileFolder, path);
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ++report.keptFiles;
            if (report.kept.size() < 100) report.kept.push_back({LeftAs::InUse, path});
            return false;
        }
    }
    ++report.files;
    report.bytes += (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return true;
}

}  // namespace

std::vector<std::pair<std::string, std::uint64_t>> CookieHostsOf(const BrowserProfile& profile,
                                                                 const std::vector<std::wstring>& programs) {
    std::vector<std::pair<std::string, std::uint64_t>> hosts;
    if (profile.refusal || BrowserRuns(profile, programs) != Running::No) return hosts;
    const bool firefox = RowOf(profile.browser).firefox;
    for (const ItemDatabase& row : kDatabases) {
        if (row.item != BrowserItem::Cookies || row.firefox != firefox) continue;
        const std::wstring path = profile.profileFolder + row.file;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!IsPlainFile(path, data) || (data.dwFileAttributes & ~kHandledAttributes)) continue;
        HeldDatabase held;
        std::string error;
        if (Open(held, path, true, nullptr, error) != Opened::Ready) continue;
        const Step& step = row.steps.front();
        for (const std::string& table : held.TablesOf(step)) {
            if (!held.HasColumn(table, step.host)) continue;
            SqliteStatement query;
            if (sqlite3_prepare_v2(
                    held.db.Get(),
                    ("SELECT " + Quoted(step.host) + ", count(*) FROM " + Quoted(table) + " GROUP BY 1").c_str(), -1,
                    query.Receive(), nullptr) != SQLITE_OK)
                continue;
            while (sqlite3_step(query.Get()) == SQLITE_ROW) {
                const auto* host = reinterpret_cast<const char*>(sqlite3_column_text(query.Get(), 0));
                if (!host) continue;
                hosts.emplace_back(CookieHost(host), static_cast<std::uint64_t>(sqlite3_column_int64(query.Get(), 1)));
            }
        }
        Exec(held.db.Get(), "ROLLBACK");
    }
    return hosts;
}

ProfileReport ClearProfileItem(const BrowserProfile& profile, BrowserItem item,
                               const std::vector<std::wstring>& programs, const Platform& platform,
                               const std::wstring& programFolder, const FolderGuard& guard, Walk walk,
                               const DatabaseOptions& options) {
    if (item == BrowserItem::Cache) return ClearProfileCaches(profile, programs, platform, programFolder, guard, walk);
    ProfileReport report;
    report.profile = profile;
    report.item = item;
    if (profile.refusal) return report;
    report.running = BrowserRuns(profile, programs);
    if (report.running != Running::No) return report;
    const bool firefox = RowOf(profile.browser).firefox;
    const bool preview = walk == Walk::Count;

    // Every database of the item is opened and locked before any is changed:
    // one that is busy means the browser runs, and then none is changed
    // (closing the others rolls their transactions back).
    std::vector<HeldDatabase> held;
    for (const ItemDatabase& row : kDatabases) {
        if (row.item != item || row.firefox != firefox) continue;
        const std::wstring path = profile.profileFolder + row.file;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!IsPlainFile(path, data)) continue;
        if (data.dwFileAttributes & ~kHandledAttributes) {
            // A link: what it leads to is not this profile's to change.
            ++report.keptLinks;
            report.kept.push_back({LeftAs::Link, path});
            continue;
        }
        DatabaseReport& database = report.databases.emplace_back();
        database.file = path;
        HeldDatabase& one = held.emplace_back();
        one.row = &row;
        one.report = report.databases.size() - 1;
        switch (Open(one, path, preview, options.keptSites, database.error)) {
            case Opened::Ready:
                database.error.clear();
                continue;
            case Opened::Busy:
                report.running = Running::DatabaseBusy;
                report.databases.clear();
                report.kept.clear();
                report.keptLinks = 0;
                return report;
            case Opened::NotADatabase:
                database.notADatabase = true;
                database.error.clear();
                break;
            case Opened::Failed:
                break;
        }
        ++report.keptDatabases;
        held.pop_back();
    }
    for (HeldDatabase& one : held) {
        DatabaseReport& database = report.databases[one.report];
        Finish(one, preview, options, database);
        one.db.Reset();
        if (!database.error.empty()) ++report.keptDatabases;
        report.rows += database.rows;
        report.headline += database.headline;
        report.keptCookies += database.keptCookies;
    }

    for (const ItemFile& file : kFiles) {
        if (file.item != item || file.firefox != firefox) continue;
        const std::wstring path = profile.profileFolder + file.name;
        if (file.folder) {
            RemovalTally tally;
            if (EmptyFolder(path + L"\\", platform, {programFolder, false, &guard, nullptr}, walk, tally))
                AddRemoval(report, path + L"\\", tally);
        } else if (RemoveFile(report, path, walk)) {
            for (const wchar_t* journal : kJournals) RemoveFile(report, path + journal, walk);
        }
    }
    return report;
}

}  // namespace purgelet
