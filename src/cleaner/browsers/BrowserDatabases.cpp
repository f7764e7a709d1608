#include "cleaner/browsers/BrowserDatabases.h"

#include <windows.h>

#include <span>
#include <sstream>

#include "base/Sqlite.h"
#include "base/Text.h"
#include "cleaner/browsers/BrowserPlaces.h"

namespace purgelet {

namespace {

// How long a statement waits for a lock another connection holds before the
// database counts as busy: a browser that runs holds its databases for good.
constexpr int kBusyWaitMs = 250;

// Delete: the rows of the table that match go. ResetPlaces: the places that
// stay forget their visits. PlacesGone, OriginsUnused: the places no bookmark
// or keyword uses go, then the origins no place that stays uses.
enum class StepKind : std::uint8_t { Delete, ResetPlaces, PlacesGone, OriginsUnused };

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
// keyword uses stays, forgetting its visits - whether its foreign_count says
// so or only moz_bookmarks and moz_keywords do (a damaged or older file may
// hold a stale count); an origin stays while a place that stays uses it.
// Without foreign_count nothing of moz_places can be told apart, and it is
// left alone.
constexpr Step kFirefoxPlaces[] = {
    {.table = "moz_historyvisits_extra"},
    {.table = "moz_historyvisits", .headline = true},
    {.table = "moz_inputhistory"},
    {.table = "moz_places_metadata"},
    {.table = "moz_places_metadata_search_queries"},
    {.table = "moz_newtab_", .prefix = true},
    {.table = "moz_places", .needs = "moz_places.foreign_count", .kind = StepKind::PlacesGone},
    {.table = "moz_places", .needs = "moz_places.foreign_count", .kind = StepKind::ResetPlaces},
    {.table = "moz_origins", .needs = "moz_places.foreign_count moz_places.origin_id", .kind = StepKind::OriginsUnused},
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

constexpr char kReadOnly[] = "the file is read-only: its rows cannot be deleted";

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

bool Names(const std::vector<std::string>& tables, const char* table) {
    for (const std::string& name : tables)
        if (table && sqlite3_stricmp(name.c_str(), table) == 0) return true;
    return false;
}

// What a step of a clearing may write: the tables it names, and the tables
// the database's clearing empties whole (a foreign key's cascade may reach
// them). A trigger may write only to the latter. Anything else - a trigger
// or a foreign key of the file reaching a table the item does not name, a
// change of the schema - is refused, and the statement fails.
struct Authority {
    std::vector<std::string> step;     // the current step's tables
    std::vector<std::string> emptied;  // the tables emptied whole
    std::string denied;                // the first write refused
};

int Authorize(void* data, int action, const char* table, const char*, const char* database, const char* trigger) {
    auto* authority = static_cast<Authority*>(data);
    switch (action) {
        case SQLITE_READ:
        case SQLITE_SELECT:
        case SQLITE_FUNCTION:
        case SQLITE_TRANSACTION:
        case SQLITE_SAVEPOINT:
        case SQLITE_RECURSIVE:
            return SQLITE_OK;
        case SQLITE_PRAGMA:
            return trigger ? SQLITE_DENY : SQLITE_OK;
        case SQLITE_DELETE:
        case SQLITE_INSERT:
        case SQLITE_UPDATE: {
            const bool main = database && sqlite3_stricmp(database, "main") == 0;
            if (main && (Names(authority->emptied, table) || (!trigger && Names(authority->step, table))))
                return SQLITE_OK;
            if (authority->denied.empty())
                authority->denied = (trigger ? "trigger " + Quoted(trigger) + " would write to "
                                             : std::string("a write would reach ")) +
                                    Quoted(table ? table : "?");
            return SQLITE_DENY;
        }
        default:
            if (authority->denied.empty()) authority->denied = "a change of the schema";
            return SQLITE_DENY;
    }
}

enum class Opened : std::uint8_t { Ready, Busy, NotADatabase, Failed, Elsewhere, HotJournal };

// A database of the profile, held in its transaction from opening to the end.
struct HeldDatabase {
    const ItemDatabase* row = nullptr;
    std::size_t report = 0;  // its place in the profile's report
    SqliteDatabase db;
    std::vector<std::string> tables;

    bool HasTable(const std::string& name) const { return Names(tables, name.c_str()); }
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

// Whether SQLite opened the very file that was checked (and not another that
// took its name meanwhile).
bool OpenedTheChecked(sqlite3* db, const PlaceCheck& checked) {
    HANDLE handle = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_WIN32_GET_HANDLE, &handle) != SQLITE_OK || !handle) return false;
    const std::optional<FileId> id = IdOf(handle);
    return id && checked.id && *id == *checked.id;
}

// How a database is opened: to be counted (read-only, unless it is a
// preview's own copy), cleared, or only locked to see that it can be.
enum class Use : std::uint8_t { Count, CountCopy, Clear, LockOnly };

// Opens a database and takes its lock: a read lock to count, the write lock
// to clear, with the foreign keys enforced (their cascades clear what hangs
// on a deleted row) and the deleted rows overwritten. Nothing in the file is
// trusted: no function of the program runs from its schema, and the
// connection is defensive. checked, when given, is the file as checked:
// SQLite must have opened that one.
Opened Open(HeldDatabase& held, const std::wstring& path, const PlaceCheck* checked, Use use,
            const KeptSites* keptSites, std::string& error) {
    const bool count = use == Use::Count || use == Use::CountCopy;
    int rc = sqlite3_open_v2(Utf8(path).c_str(), held.db.Receive(),
                             use == Use::Count ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
    sqlite3* db = held.db.Get();
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        // A look at the lock leaves a database's write-ahead log as it was.
        if (use == Use::LockOnly) sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        if (checked && !OpenedTheChecked(db, *checked)) {
            error = "it was replaced while it was being opened";
            return Opened::Elsewhere;
        }
    }
    if (rc == SQLITE_OK && keptSites)
        rc = sqlite3_create_function_v2(db, "kept_site", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY,
                                        const_cast<KeptSites*>(keptSites), KeptSiteFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, kBusyWaitMs);
        // Only outside a transaction do these take effect.
        if (!count) rc = Exec(db, "PRAGMA foreign_keys = ON; PRAGMA secure_delete = ON");
        if (rc == SQLITE_OK) rc = Exec(db, count ? "BEGIN" : "BEGIN EXCLUSIVE");
        SqliteStatement names;
        if (rc == SQLITE_OK)
            rc = sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, names.Receive(),
                                    nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(names.Get())) == SQLITE_ROW) {
            held.tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(names.Get(), 0)));
            rc = SQLITE_OK;
        }
        // The columns are asked through pragma_table_info, whose first use
        // on a connection makes its table: before any step is authorized.
        std::uint64_t columns = 0;
        if (rc == SQLITE_DONE) rc = QueryNumber(db, "SELECT count(*) FROM pragma_table_info('sqlite_master')", columns);
        if (rc == SQLITE_OK) {
            if (use != Use::Clear || sqlite3_db_readonly(db, "main") != 1) return Opened::Ready;
            error = kReadOnly;
            return Opened::Failed;
        }
    }
    error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if (rc == SQLITE_READONLY_ROLLBACK) return Opened::HotJournal;
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

// The places that stay (a bookmark or a keyword uses them), as a condition
// on the rows of table (named so in the statement).
std::string PlacesStay(const HeldDatabase& held, const std::string& table) {
    std::string stay = Quoted(table) + ".foreign_count > 0";
    if (held.HasColumn("moz_bookmarks", "fk"))
        stay += " OR " + Quoted(table) + ".id IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)";
    if (held.HasColumn("moz_keywords", "place_id"))
        stay += " OR " + Quoted(table) + ".id IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)";
    return "(" + stay + ")";
}

// The condition on the rows of table that a step removes; empty for all.
std::string WhereOf(const HeldDatabase& held, const Step& step, const std::string& table) {
    switch (step.kind) {
        case StepKind::PlacesGone:
            return "NOT " + PlacesStay(held, table);
        case StepKind::OriginsUnused: {
            std::string places;
            for (const std::string& name : held.tables)
                if (sqlite3_stricmp(name.c_str(), "moz_places") == 0) places = name;
            return Quoted(table) + ".id NOT IN (SELECT origin_id FROM " + Quoted(places) +
                   " WHERE origin_id IS NOT NULL AND " + PlacesStay(held, places) + ")";
        }
        default:
            return step.where ? step.where : "";
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

// Whether a step removes every row of its tables.
bool EmptiesWhole(const Step& step, bool keeping) {
    return step.kind == StepKind::Delete && !step.where && !(step.host && keeping);
}

// Runs a database's steps inside its transaction: counts the rows that
// would go, or deletes them, each step allowed to write only what it names.
int RunSteps(HeldDatabase& held, bool count, const KeptSites* keptSites, Authority& authority, DatabaseReport& report) {
    sqlite3* db = held.db.Get();
    const bool keeping = keptSites && !keptSites->Sites().empty();
    for (const Step& step : held.row->steps)
        if (EmptiesWhole(step, keeping))
            for (std::string& table : held.TablesOf(step)) authority.emptied.push_back(std::move(table));
    for (const Step& step : held.row->steps) {
        if (!held.HasAll(step.needs)) continue;
        authority.step = held.TablesOf(step);
        for (const std::string& table : held.TablesOf(step)) {
            std::string condition = WhereOf(held, step, table);
            if (step.host && keeping) {
                // Which rows stay cannot be told without their host: all stay.
                if (!held.HasColumn(table, step.host)) continue;
                const std::string kept = "kept_site(" + Quoted(table) + "." + Quoted(step.host) + ")";
                std::uint64_t stay = 0;
                if (const int rc = QueryNumber(db, "SELECT count(*) FROM " + Quoted(table) + " WHERE " + kept, stay);
                    rc != SQLITE_OK)
                    return rc;
                report.keptCookies += stay;
                condition = "NOT " + kept;
            }
            const std::string where = condition.empty() ? std::string() : " WHERE " + condition;
            // A count prepares the statement the clear would run, so that a
            // trigger or foreign key it would set off is judged the same.
            const auto prepared = [db](const std::string& sql) {
                SqliteStatement statement;
                return sqlite3_prepare_v2(db, sql.c_str(), -1, statement.Receive(), nullptr);
            };
            if (step.kind == StepKind::ResetPlaces) {
                const std::string reset = ResetPlacesSql(held, table);
                if (reset.empty()) continue;
                if (const int rc = count ? prepared(reset) : Exec(db, reset); rc != SQLITE_OK) return rc;
                continue;
            }
            std::uint64_t rows = 0;
            int rc = SQLITE_OK;
            if (count) {
                rc = prepared("DELETE FROM " + Quoted(table) + where);
                if (rc == SQLITE_OK) rc = QueryNumber(db, "SELECT count(*) FROM " + Quoted(table) + where, rows);
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

// Ends a database's transaction: a count's by rolling back (it changed
// nothing), a clearing's by committing, or rolling back all of it when a
// statement failed; then compacts it when asked.
void Finish(HeldDatabase& held, bool count, const DatabaseOptions& options, DatabaseReport& report) {
    sqlite3* db = held.db.Get();
    Authority authority;
    sqlite3_set_authorizer(db, Authorize, &authority);
    int rc = RunSteps(held, count, options.keptSites, authority, report);
    if (rc == SQLITE_OK && !count) rc = Exec(db, "COMMIT");
    sqlite3_set_authorizer(db, nullptr, nullptr);
    if (count || rc != SQLITE_OK) {
        if (rc != SQLITE_OK) {
            report.error = sqlite3_errmsg(db);
            report.left = LeftAlone::Failed;
            if (!authority.denied.empty()) {
                report.left = LeftAlone::ForeignTrigger;
                report.error = authority.denied + ", which this clearing does not name";
            }
            report.tables.clear();
            report.rows = report.headline = report.keptCookies = 0;
        }
        Exec(db, "ROLLBACK");
        return;
    }
    if (options.compact) report.compacted = Exec(db, "VACUUM") == SQLITE_OK;
}

// A database's file (and each journal beside it) must be there as itself:
// whatever it leads to is not this profile's to change. False, with why in
// database, when it is not, or when it cannot be written (and write is asked).
bool FitToChange(const PlaceCheck& check, const PlaceRoot& root, std::wstring_view name, DatabaseReport& database,
                 bool write = true) {
    const auto left = [&](const PlaceCheck& which) {
        database.left = which.place == Place::OtherNames ? LeftAlone::OtherNames
                        : which.place == Place::Link     ? LeftAlone::Link
                                                         : LeftAlone::Failed;
        if (database.left == LeftAlone::Failed) database.error = "it could not be opened";
        database.file = which.path;
        database.really = which.really;
        return false;
    };
    if (check.place != Place::Here) return left(check);
    for (const wchar_t* journal : kJournals) {
        const PlaceCheck beside = CheckPlace(root, std::wstring(name) + journal, PlaceKind::File);
        if (beside.place != Place::Missing && beside.place != Place::Here && beside.place != Place::InUse)
            return left(beside);
    }
    if (write && !check.writable) {
        database.left = LeftAlone::Failed;
        database.error = kReadOnly;
        return false;
    }
    return true;
}

// A preview of a database that a crash left with a hot journal: SQLite must
// roll the journal back before its rows can be counted, which would change
// the file, so they are counted in a copy of both, made and removed here.
bool CountInCopy(const PlaceCheck& check, const PlaceRoot& root, std::wstring_view name, const DatabaseOptions& options,
                 HeldDatabase& held, DatabaseReport& database) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length > MAX_PATH) return false;
    std::wstring folder;
    for (int attempt = 0; attempt < 100 && folder.empty(); ++attempt) {
        std::wstring candidate = std::wstring(temp) + L"Purgelet-preview-" + std::to_wstring(GetCurrentProcessId()) +
                                 L"-" + std::to_wstring(GetTickCount() + attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) folder = candidate + L"\\";
    }
    if (folder.empty()) return false;
    const std::wstring copy = folder + L"db";
    const auto copyOf = [](HANDLE from, const std::wstring& to) {
        FileHandle out(
            CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!out || SetFilePointer(from, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
        std::vector<char> buffer(1 << 16);
        for (DWORD read = 0, written = 0;;) {
            if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return false;
            if (read == 0) return true;
            if (!WriteFile(out.Get(), buffer.data(), read, &written, nullptr) || written != read) return false;
        }
    };
    const PlaceCheck journal = CheckPlace(root, std::wstring(name) + L"-journal", PlaceKind::File, GENERIC_READ);
    bool counted = false;
    if (journal.place == Place::Here && copyOf(check.handle.Get(), copy) &&
        copyOf(journal.handle.Get(), copy + L"-journal")) {
        std::string error;
        if (Open(held, copy, nullptr, Use::CountCopy, options.keptSites, error) == Opened::Ready) {
            Finish(held, true, options, database);
            counted = true;
        }
    }
    held.db.Reset();
    for (const wchar_t* file : {L"db", L"db-journal", L"db-wal", L"db-shm"}) DeleteFileW((folder + file).c_str());
    RemoveDirectoryW(folder.c_str());
    return counted;
}

std::vector<const ItemDatabase*> DatabasesOf(BrowserItem item, bool firefox) {
    std::vector<const ItemDatabase*> rows;
    for (const ItemDatabase& row : kDatabases)
        if (row.item == item && row.firefox == firefox) rows.push_back(&row);
    return rows;
}

// Adds what stopped a file's removal to the report.
void KeepFile(ProfileReport& report, const PlaceCheck& stopped) {
    LeftAs why = LeftAs::Denied;
    switch (stopped.place) {
        case Place::Link:
            ++report.keptLinks;
            why = LeftAs::Link;
            break;
        case Place::OtherNames:
            ++report.keptFiles;
            why = LeftAs::OtherNames;
            break;
        case Place::InUse:
            ++report.keptFiles;
            why = LeftAs::InUse;
            break;
        default:
            ++report.keptFiles;
    }
    if (report.kept.size() < kKeptNamed) report.kept.push_back({why, stopped.path});
}

}  // namespace

std::vector<std::pair<std::string, std::uint64_t>> CookieHostsOf(const BrowserProfile& profile,
                                                                 const std::vector<std::wstring>& programs) {
    std::vector<std::pair<std::string, std::uint64_t>> hosts;
    if (profile.refusal || !profile.problem.empty() || BrowserRuns(profile, programs) != Running::No) return hosts;
    const PlaceRoot root = RootOf(profile.profileFolder);
    for (const ItemDatabase* row : DatabasesOf(BrowserItem::Cookies, RowOf(profile.browser).firefox)) {
        const PlaceCheck check = CheckPlace(root, row->file, PlaceKind::File, GENERIC_READ);
        DatabaseReport unused;
        if (check.place == Place::Missing || !FitToChange(check, root, row->file, unused, false)) continue;
        HeldDatabase held;
        std::string error;
        if (Open(held, check.path, &check, Use::Count, nullptr, error) != Opened::Ready) continue;
        const Step& step = row->steps.front();
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

Running ProfileBusy(const BrowserProfile& profile, const std::vector<BrowserItem>& items,
                    const std::vector<std::wstring>& programs, Walk walk) {
    if (const Running runs = BrowserRuns(profile, programs); runs != Running::No) return runs;
    const PlaceRoot root = RootOf(profile.profileFolder);
    for (BrowserItem item : items) {
        for (const ItemDatabase* row : DatabasesOf(item, RowOf(profile.browser).firefox)) {
            const PlaceCheck check = CheckPlace(root, row->file, PlaceKind::File);
            if (check.place == Place::InUse) return Running::DatabaseBusy;
            if (check.place != Place::Here) continue;
            HeldDatabase held;
            std::string error;
            if (Open(held, check.path, &check, walk == Walk::Count ? Use::Count : Use::LockOnly, nullptr, error) ==
                Opened::Busy)
                return Running::DatabaseBusy;
        }
    }
    return Running::No;
}

ProfileReport ClearProfileItem(const BrowserProfile& profile, BrowserItem item,
                               const std::vector<std::wstring>& programs, const Platform& platform,
                               const std::wstring& programFolder, const FolderGuard& guard, Walk walk,
                               const DatabaseOptions& options) {
    if (item == BrowserItem::Cache) return ClearProfileCaches(profile, programs, platform, programFolder, guard, walk);
    ProfileReport report;
    report.profile = profile;
    report.item = item;
    if (profile.refusal || !profile.problem.empty()) return report;
    report.running = BrowserRuns(profile, programs);
    if (report.running != Running::No) return report;
    const bool preview = walk == Walk::Count;
    const PlaceRoot root = RootOf(profile.profileFolder);

    // Every database of the item is opened and locked before any is changed:
    // one that is busy means the browser runs, and then none is changed
    // (closing the others rolls their transactions back).
    std::vector<HeldDatabase> held;
    const auto busy = [&] {
        report.running = Running::DatabaseBusy;
        report.databases.clear();
        report.kept.clear();
        report.keptLinks = report.keptDatabases = 0;
        return report;
    };
    for (const ItemDatabase* row : DatabasesOf(item, RowOf(profile.browser).firefox)) {
        PlaceCheck check = CheckPlace(root, row->file, PlaceKind::File, GENERIC_READ | GENERIC_WRITE);
        if (check.place == Place::Missing) continue;
        if (check.place == Place::InUse) return busy();
        DatabaseReport& database = report.databases.emplace_back();
        database.file = check.path;
        if (!FitToChange(check, root, row->file, database)) {
            ++report.keptDatabases;
            continue;
        }
        HeldDatabase& one = held.emplace_back();
        one.row = row;
        one.report = report.databases.size() - 1;
        std::string error;
        Opened opened = Open(one, check.path, &check, preview ? Use::Count : Use::Clear, options.keptSites, error);
        if (opened == Opened::HotJournal && preview) {
            one.db.Reset();
            one.tables.clear();
            if (CountInCopy(check, root, row->file, options, one, database)) {
                report.rows += database.rows;
                report.headline += database.headline;
                report.keptCookies += database.keptCookies;
                held.pop_back();
                continue;
            }
        }
        switch (opened) {
            case Opened::Ready:
                continue;
            case Opened::Busy:
                return busy();
            case Opened::NotADatabase:
                database.left = LeftAlone::NotADatabase;
                break;
            case Opened::Elsewhere:
                database.left = LeftAlone::Link;
                database.error = error;
                break;
            default:
                database.left = LeftAlone::Failed;
                database.error = error;
        }
        ++report.keptDatabases;
        held.pop_back();
    }
    for (HeldDatabase& one : held) {
        DatabaseReport& database = report.databases[one.report];
        Finish(one, preview, options, database);
        one.db.Reset();
        if (database.left != LeftAlone::No) ++report.keptDatabases;
        report.rows += database.rows;
        report.headline += database.headline;
        report.keptCookies += database.keptCookies;
    }

    for (const ItemFile& file : kFiles) {
        if (file.item != item || file.firefox != RowOf(profile.browser).firefox) continue;
        if (file.folder) {
            const PlaceCheck check = CheckPlace(root, file.name, PlaceKind::Folder);
            if (check.place == Place::Missing) continue;
            if (check.place != Place::Here) {
                ++report.refusedFolders;
                report.refused.push_back({check.path + L"\\", {RefusalKind::Elsewhere}, check.really});
                continue;
            }
            RemovalTally tally;
            if (EmptyFolder(check.path + L"\\", platform, {programFolder, false, &guard, nullptr}, walk, tally))
                AddRemoval(report, check.path + L"\\", tally);
            continue;
        }
        if (CheckPlace(root, file.name, PlaceKind::File).place == Place::Missing) continue;
        std::vector<std::wstring> names{file.name};
        for (const wchar_t* journal : kJournals) names.push_back(file.name + std::wstring(journal));
        const PlaceCheck stopped = DeleteTogether(root, names, preview, report.files, report.bytes);
        if (stopped.place != Place::Here) KeepFile(report, stopped);
    }
    return report;
}

}  // namespace purgelet
