#include "command/Command.h"

#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cwctype>
#include <optional>

#include <nlohmann/json.hpp>

#include "base/Errors.h"
#include "base/Handles.h"
#include "core/KeptSites.h"
#include "core/Settings.h"
#include "core/Texts.h"
#include "purgelet_version.h"

namespace purgelet {

namespace {

constexpr wchar_t kUsage[] =
    L"Usage:\r\n"
    L"  @ list [--json]\r\n"
    L"  @ preview [--all | --chosen | CATEGORY...] [--all-profiles] [--browser NAME]... [--json]\r\n"
    L"  @ clear   [--all | --chosen | CATEGORY...] [--all-profiles] [--browser NAME]... [--compact] [--json]\r\n"
    L"          [--quiet]\r\n"
    L"  @ keep list [--json] | keep add SITE... | keep remove SITE...\r\n"
    L"  @ --help | --version\r\n"
    L"NAME: edge, chrome, brave, vivaldi, opera, firefox\r\n"
    L"CATEGORY: ";

constexpr wchar_t kHelp[] =
    L"\r\n"
    L"  list      the categories, and what each clears on this system\r\n"
    L"  preview   what a clearing would remove and how much space it frees; changes nothing\r\n"
    L"  clear     clears, and tells what went and what was kept\r\n"
    L"  keep      the sites whose cookies every clearing keeps (example.org keeps www.example.org);\r\n"
    L"            a name many sites share, such as org or co.uk, is no site\r\n"
    L"\r\n"
    L"  --all     all the categories (the browsers' items whose boxes are on, when the stored\r\n"
    L"            \"Include browsers\" box is on)\r\n"
    L"  --chosen  what the stored settings choose for the clearing at start and at shutdown\r\n"
    L"  --all-profiles  every browser profile found, not only those whose box is on\r\n"
    L"  --browser NAME  only this browser's profiles (may be given more than once)\r\n"
    L"  --compact rewrites each browser database cleared (VACUUM), so none of its old rows remain in the file\r\n"
    L"  --json    one JSON document on standard output instead of the table\r\n"
    L"  --quiet   no progress and no table; errors still go to standard error\r\n"
    L"\r\n"
    L"Exit codes: 0 done; 1 done, but something was kept (in use, refused, a value that\r\n"
    L"would not go, a running browser, a list of kept sites that cannot be read: then no\r\n"
    L"cookie is deleted); 2 usage error; 3 nothing could be done (the reason\r\n"
    L"is on standard error).\r\n";

constexpr wchar_t kNothingChosen[] = L"Nothing is chosen for the unattended clearing: see the Settings page, Execution";

// The usage of the program named so ("@" in kUsage), with the categories' names from the table.
std::wstring Usage(std::wstring_view program) {
    std::wstring usage;
    for (const wchar_t* c = kUsage; *c; ++c) usage += *c == L'@' ? std::wstring(program) : std::wstring(1, *c);
    for (std::size_t i = 0; i < kCategoryCount; ++i) usage += (i ? L", " : L"") + std::wstring(kCategories[i].name);
    return usage + L"\r\n";
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void Write(HANDLE handle, bool console, std::wstring_view text) {
    if (!handle || handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD written = 0;
    if (console) {
        // The console takes a limited amount per call.
        while (!text.empty()) {
            const DWORD n = static_cast<DWORD>(std::min<std::size_t>(text.size(), 8192));
            if (!WriteConsoleW(handle, text.data(), n, &written, nullptr) || written == 0) return;
            text.remove_prefix(written);
        }
        return;
    }
    const std::string bytes = Utf8(text);
    std::string_view rest = bytes;
    while (!rest.empty()) {
        if (!WriteFile(handle, rest.data(), static_cast<DWORD>(rest.size()), &written, nullptr) || written == 0) return;
        rest.remove_prefix(written);
    }
}

std::wstring Number(std::uint64_t n) { return std::to_wstring(n); }

std::wstring PadRight(std::wstring text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), L' ');
    return text;
}
std::wstring PadLeft(const std::wstring& text, std::size_t width) {
    return text.size() < width ? std::wstring(width - text.size(), L' ') + text : text;
}

// JSON ---------------------------------------------------------------------------

using Json = nlohmann::ordered_json;

// The shape of the documents; raised only when a field changes meaning or goes.
constexpr int kSchemaVersion = 2;

Json TextOrNull(std::wstring_view text) { return text.empty() ? Json(nullptr) : Json(Utf8(text)); }

// What every document starts with: its schema, the program and the system.
Json DocumentHead(const CleaningSite& site, std::wstring_view program, std::wstring_view command) {
    Json document;
    document["schemaVersion"] = kSchemaVersion;
    document["program"] = {{"name", Utf8(program)}, {"version", PURGELET_VERSION_TEXT}};
    Json windows;
    windows["family"] = site.folders.IsWin9x ? "9x" : "NT";
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (site.platform.getVersion && site.platform.getVersion(&version)) {
        windows["version"] = std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion);
        // The 9x family keeps other things in the build number's high word.
        windows["build"] = site.folders.IsWin9x ? version.dwBuildNumber & 0xFFFF : version.dwBuildNumber;
    } else {
        windows["version"] = nullptr;
        windows["build"] = nullptr;
    }
    document["windows"] = std::move(windows);
    document["command"] = TextOrNull(command);
    return document;
}

std::wstring Printed(const Json& document) {
    return FromUtf8(document.dump(2, ' ', false, Json::error_handler_t::replace)) + L"\r\n";
}

// The counts of one category or of all, as both outputs show them.
struct Counts {
    std::uint64_t files = 0, folders = 0, cacheEntries = 0, values = 0, bytes = 0;
    std::uint64_t keptFiles = 0, keptEntries = 0, keptValues = 0, refusedFolders = 0, keptLinks = 0, keptFolders = 0;
    std::uint64_t runningBrowsers = 0, rows = 0, keptDatabases = 0, keptCookies = 0;
    // The browsers' rows that a line counts: cookies, visits, form entries.
    std::uint64_t cookies = 0, visits = 0, formEntries = 0;

    void Add(const ProfileReport& p) {
        switch (p.item) {
            case BrowserItem::Cookies:
                cookies += p.headline;
                break;
            case BrowserItem::History:
                visits += p.headline;
                break;
            case BrowserItem::Forms:
                formEntries += p.headline;
                break;
            case BrowserItem::Cache:
            case BrowserItem::Sessions:
                break;
        }
    }
    void Add(const CategoryReport& r) {
        for (const ProfileReport& p : r.profiles) Add(p);
        keptCookies += r.keptCookies;
        runningBrowsers += r.runningBrowsers;
        rows += r.rows;
        keptDatabases += r.keptDatabases;
        files += r.files;
        folders += r.folders;
        cacheEntries += r.cacheEntries;
        values += r.values;
        bytes += r.bytes;
        keptFiles += r.keptFiles;
        keptEntries += r.keptEntries;
        keptValues += r.keptValues;
        refusedFolders += r.refusedFolders;
        keptLinks += r.keptLinks;
        keptFolders += r.keptFolders;
    }
    // Everything that stays, as the table's column counts it and the lines
    // under it name it.
    std::uint64_t Kept() const {
        return keptFiles + keptEntries + keptValues + refusedFolders + keptLinks + keptFolders + runningBrowsers +
               keptDatabases + keptCookies;
    }
    // "3 files in use or denied, 2 links", as the lines under the table count what stays.
    std::wstring KeptParts() const {
        std::wstring text;
        const auto part = [&text](std::uint64_t n, const wchar_t* one, const wchar_t* many) {
            if (n) text += (text.empty() ? L"" : L", ") + GroupedCount(n) + L" " + (n == 1 ? one : many);
        };
        part(keptFiles, L"file", L"files");
        part(keptEntries, L"cache entry", L"cache entries");
        part(keptValues, L"registry value or key", L"registry values or keys");
        part(refusedFolders, L"folder refused", L"folders refused");
        part(keptLinks, L"link", L"links");
        part(keptFolders, L"folder left in place", L"folders left in place");
        part(runningBrowsers, L"browser profile skipped", L"browser profiles skipped");
        part(keptDatabases, L"database left as it was", L"databases left as they were");
        part(keptCookies, L"cookie of kept sites", L"cookies of kept sites");
        return text;
    }
    // Adds the counts to a document's object.
    void AddTo(Json& object) const {
        object["files"] = files;
        object["folders"] = folders;
        object["cacheEntries"] = cacheEntries;
        object["values"] = values;
        object["bytes"] = bytes;
        object["rows"] = rows;
        object["cookies"] = cookies;
        object["visits"] = visits;
        object["formEntries"] = formEntries;
        object["keptCookies"] = keptCookies;
        object["kept"] = {{"files", keptFiles},
                          {"cacheEntries", keptEntries},
                          {"values", keptValues},
                          {"refusedFolders", refusedFolders},
                          {"links", keptLinks},
                          {"folders", keptFolders},
                          {"runningBrowsers", runningBrowsers},
                          {"databases", keptDatabases}};
    }
};

Counts CountsOf(const CategoryReport& report) {
    Counts counts;
    counts.Add(report);
    return counts;
}

// The arguments -------------------------------------------------------------------

enum class Verb { List, Preview, Clear, Keep, Help, Version };
enum class KeepVerb { List, Add, Remove };

struct Request {
    Verb verb = Verb::Help;
    bool all = false, chosen = false, json = false, quiet = false;
    std::vector<Category> named;
    // The browsers' profiles: every one found (not only those whose box is
    // on), or only these browsers'.
    bool allProfiles = false;
    std::vector<Browser> browsers;
    bool compact = false;  // the browsers' databases rewritten after clearing
    KeepVerb keep = KeepVerb::List;
    std::vector<std::string> sites;  // to keep, or keep no more
};

struct UsageError {
    std::wstring message;
};

// keep list [--json] | keep add SITE... | keep remove SITE...
Request ParseKeep(const std::vector<std::wstring>& args) {
    Request request;
    request.verb = Verb::Keep;
    const std::wstring what = args.size() > 1 ? Lower(args[1]) : std::wstring();
    if (what == L"list") {
        request.keep = KeepVerb::List;
    } else if (what == L"add") {
        request.keep = KeepVerb::Add;
    } else if (what == L"remove") {
        request.keep = KeepVerb::Remove;
    } else {
        throw UsageError{L"keep wants list, add or remove"};
    }
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (Lower(arg) == L"--json") {
            request.json = true;
        } else if (!arg.empty() && arg[0] == L'-') {
            throw UsageError{L"Unknown option: " + arg};
        } else if (request.keep == KeepVerb::List) {
            throw UsageError{L"keep list takes no sites: " + arg};
        } else {
            const SiteCheck check = CheckSite(Utf8(arg));
            // A name that is no site may still be in the list, stored by an
            // earlier version: it can always be taken out.
            const std::string& name = request.keep == KeepVerb::Remove ? check.name : check.site;
            if (name.empty()) throw UsageError{L"Not a site: " + arg + L" (" + FromUtf8(check.problem) + L")"};
            request.sites.push_back(name);
        }
    }
    if (request.keep != KeepVerb::List && request.sites.empty()) throw UsageError{L"Name the sites."};
    return request;
}

Request Parse(const std::vector<std::wstring>& args) {
    Request request;
    if (args.empty()) throw UsageError{L"No command given."};
    const std::wstring verb = Lower(args[0]);
    if (verb == L"--help" || verb == L"-h" || verb == L"/?" || verb == L"help") {
        request.verb = Verb::Help;
    } else if (verb == L"--version") {
        request.verb = Verb::Version;
    } else if (verb == L"list") {
        request.verb = Verb::List;
    } else if (verb == L"preview") {
        request.verb = Verb::Preview;
    } else if (verb == L"clear") {
        request.verb = Verb::Clear;
    } else if (verb == L"keep") {
        return ParseKeep(args);
    } else {
        throw UsageError{L"Unknown command: " + args[0]};
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        const std::wstring lower = Lower(arg);
        const bool selecting = request.verb == Verb::Preview || request.verb == Verb::Clear;
        if (request.verb == Verb::Help || request.verb == Verb::Version) {
            throw UsageError{L"Unknown argument: " + arg};
        } else if (lower == L"--json") {
            request.json = true;
        } else if (lower == L"--quiet" && request.verb == Verb::Clear) {
            request.quiet = true;
        } else if (lower == L"--quiet") {
            throw UsageError{L"The option --quiet belongs to clear: " + arg};
        } else if (lower == L"--compact" && request.verb == Verb::Clear) {
            request.compact = true;
        } else if (lower == L"--compact") {
            throw UsageError{L"The option --compact belongs to clear: " + arg};
        } else if (lower == L"--all" && selecting) {
            request.all = true;
        } else if (lower == L"--chosen" && selecting) {
            request.chosen = true;
        } else if (lower == L"--all-profiles" && selecting) {
            request.allProfiles = true;
        } else if (lower == L"--browser" && selecting) {
            if (++i == args.size()) throw UsageError{L"--browser wants a browser's name"};
            const std::optional<Browser> browser = BrowserNamed(Lower(args[i]));
            if (!browser) throw UsageError{L"Unknown browser: " + args[i]};
            if (std::find(request.browsers.begin(), request.browsers.end(), *browser) == request.browsers.end())
                request.browsers.push_back(*browser);
        } else if (!lower.empty() && lower[0] == L'-') {
            throw UsageError{L"Unknown option: " + arg};
        } else if (const auto category = CategoryNamed(lower); category && selecting) {
            if (std::find(request.named.begin(), request.named.end(), *category) == request.named.end())
                request.named.push_back(*category);
        } else if (category) {
            throw UsageError{L"list takes no categories: " + arg};
        } else {
            throw UsageError{L"Unknown category: " + arg};
        }
    }
    if (request.verb == Verb::Preview || request.verb == Verb::Clear) {
        const int ways = (request.all ? 1 : 0) + (request.chosen ? 1 : 0) + (request.named.empty() ? 0 : 1);
        if (ways == 0) throw UsageError{L"Name the categories, or give --all or --chosen."};
        if (ways > 1) throw UsageError{L"Give either --all, --chosen or categories, not more than one of them."};
    }
    return request;
}

// How a preview or a clear took its categories, and for --chosen the stored mode.
struct Selection {
    std::vector<Category> categories;
    const char* way = "named";      // "all", "chosen" or "named"
    std::optional<Execution> mode;  // with --chosen
    BrowserChoice browsers;
    // Why --all or --chosen takes none of the browsers' items; empty when
    // it takes some, or when the categories were named.
    std::wstring browsersLeftOut;

    bool TakesBrowsers() const {
        return std::any_of(categories.begin(), categories.end(),
                           [](Category category) { return RowOf(category).browsers; });
    }
};

// The browsers' categories, as a line names them.
std::wstring BrowserCategoryNames() {
    std::wstring names;
    for (const CategoryRow& row : kCategories)
        if (row.browsers) names += (names.empty() ? L"" : L", ") + std::wstring(row.name);
    return names;
}

// Why the stored settings leave the browsers out of --all and --chosen, and
// how to take them in.
std::wstring WhyBrowsersLeftOut(const std::function<std::string(const std::string&)>& read) {
    const std::wstring how = L"; or name their categories (" + BrowserCategoryNames() + L")";
    if (!IsSwitchOn(read(texts::ValIncludeBrowsers)))
        return L"The browsers are not included: turn on \"Include browsers in Clear All and the automatic "
               L"clearing\" on the Browsers page" +
               how;
    return L"The browsers are not included: no item is checked under \"Clear\" on the Browsers page" + how;
}

// The categories asked for, in the order the clearing takes them.
Selection Selected(const Request& request, const std::string& settingsKey) {
    Selection selection;
    const SettingsReader settings(settingsKey);
    const auto read = [&settings](const std::string& name) { return settings(name); };
    selection.browsers =
        StoredBrowserChoice([settingsKey](const std::string& name) { return SettingsReader(settingsKey)(name); });
    selection.browsers.allProfiles = request.allProfiles;
    selection.browsers.only = request.browsers;
    selection.browsers.compact = request.compact;
    if (request.chosen) {
        selection.way = "chosen";
        selection.mode = StoredExecution(read);
        selection.categories = StoredChoice(read);
    } else if (request.all) {
        selection.way = "all";
        selection.categories = ModeOrder();
        for (Category item : StoredBrowserItems(read)) selection.categories.push_back(item);
    } else {
        for (Category category : AllCategories())
            if (std::find(request.named.begin(), request.named.end(), category) != request.named.end())
                selection.categories.push_back(category);
    }
    // A profile is cleared of every browser item asked for, or left whole.
    for (Category category : selection.categories)
        if (RowOf(category).browsers) selection.browsers.together.push_back(category);
    if ((request.all || request.chosen) && !selection.categories.empty() && !selection.TakesBrowsers())
        selection.browsersLeftOut = WhyBrowsersLeftOut(read);
    return selection;
}

// Output ------------------------------------------------------------------------------

std::wstring CacheKindName(std::uint8_t kind) {
    switch (kind) {
        case kOrdinaryEntriesKind:
            return L"ordinary entries";
        case kCookieEntriesKind:
            return L"cookies";
        case kHistoryEntriesKind:
            return L"history entries";
        default:
            return L"kind " + std::to_wstring(kind);
    }
}

// The kept sites as the list shows them.
std::wstring KeptSitesText(const KeptSites& kept) {
    if (!kept.Readable()) return FromUtf8(kept.Problem()) + L"; no cookie is deleted until it is mended\r\n";
    if (kept.Sites().empty()) return L"No site is kept: every cookie goes.\r\n";
    std::wstring text;
    for (const std::string& site : kept.Sites()) text += FromUtf8(site) + L"\r\n";
    return text;
}

Json KeptSitesJson(const KeptSites& kept) {
    Json sites = Json::array();
    for (const std::string& site : kept.Sites()) sites.push_back(site);
    return sites;
}

std::wstring ListText(const CleaningSite& site, const KeptSites& kept) {
    std::wstring text = site.folders.IsWin9x ? L"Categories (Windows 9x family):\r\n" : L"Categories (NT family):\r\n";
    // The titles line up two blanks after the longest name.
    std::size_t nameWidth = 0;
    for (const CategoryRow& row : kCategories) nameWidth = std::max(nameWidth, std::wstring_view(row.name).size());
    const FolderGuard guard = GuardOf(site);
    const std::vector<std::wstring> programs = ProgramsOfThisUser();
    for (Category category : AllCategories()) {
        const CategoryRow& name = RowOf(category);
        const CategoryPlan plan = PlanOf(category, site, &guard);
        text += L"\r\n" + PadRight(name.name, nameWidth + 2) + name.title + L"\r\n";
        if (plan.historyStore) text += L"    URL history store of the current user\r\n";
        if (plan.cacheKind) text += L"    URL cache: " + CacheKindName(*plan.cacheKind) + L"\r\n";
        if (plan.registryKey) text += L"    registry: HKEY_CURRENT_USER\\" + Widen(plan.registryKey) + L"\r\n";
        for (const PlannedFolder& f : plan.folders) {
            if (f.folder.empty()) continue;
            text += L"    folder: " + f.folder;
            if (!ReallyUnlessSame(f.folder, f.named).empty()) text += L"  (configured as " + f.named + L")";
            if (!f.really.empty()) text += L"  (really " + f.really + L")";
            if (f.refusal) text += L"  (refused: " + Widen(RefusalReason(f.refusal)) + L")";
            text += L"\r\n";
        }
        if (!name.browsers) continue;
        const std::vector<BrowserProfile> profiles = BrowserProfilesOf(site, &guard);
        if (profiles.empty()) text += std::wstring(L"    ") + kNoBrowserFound + L"\r\n";
        for (const BrowserProfile& profile : profiles) {
            text += L"    " + profile.Label() + L": " + profile.profileFolder;
            if (profile.refusal) text += L"  (refused: " + Widen(RefusalReason(profile.refusal)) + L")";
            if (BrowserRuns(profile, programs) != Running::No) text += L"  (running)";
            text += L"\r\n";
            if (category != Category::BrowserCache) continue;
            for (const std::wstring& cache : profile.caches) text += L"      cache: " + cache + L"\r\n";
        }
    }
    return text + L"\r\nKept sites (their cookies stay):\r\n" + KeptSitesText(kept);
}

// The URL cache kind as scripts read it.
const char* CacheKindKey(std::uint8_t kind) {
    switch (kind) {
        case kOrdinaryEntriesKind:
            return "ordinary";
        case kCookieEntriesKind:
            return "cookies";
        case kHistoryEntriesKind:
            return "history";
        default:
            return "other";
    }
}

Json ListJson(const CleaningSite& site, const KeptSites& kept, std::wstring_view program) {
    Json document = DocumentHead(site, program, L"list");
    Json categories = Json::array();
    const FolderGuard guard = GuardOf(site);
    const std::vector<std::wstring> programs = ProgramsOfThisUser();
    for (Category category : AllCategories()) {
        const CategoryRow& row = RowOf(category);
        const CategoryPlan plan = PlanOf(category, site, &guard);
        Json folders = Json::array();
        for (const PlannedFolder& f : plan.folders) {
            if (f.folder.empty()) continue;
            folders.push_back({{"path", Utf8(WithTrailingBackslash(f.folder))},
                               {"configured", TextOrNull(ReallyUnlessSame(f.folder, f.named).empty() ? L"" : f.named)},
                               {"really", TextOrNull(f.really)},
                               {"refused", f.refusal ? Json(Utf8(Widen(RefusalReason(f.refusal)))) : Json(nullptr)}});
        }
        categories.push_back(
            {{"name", Utf8(row.name)},
             {"title", Utf8(row.title)},
             {"historyStore", plan.historyStore},
             {"cacheKind", plan.cacheKind ? Json(CacheKindKey(*plan.cacheKind)) : Json(nullptr)},
             {"registryKey",
              plan.registryKey ? Json("HKEY_CURRENT_USER\\" + Utf8(Widen(plan.registryKey))) : Json(nullptr)},
             {"byFolder", std::move(folders)}});
        if (!row.browsers) continue;
        Json profiles = Json::array();
        for (const BrowserProfile& profile : BrowserProfilesOf(site, &guard)) {
            Json caches = Json::array();
            for (const std::wstring& cache : profile.caches) caches.push_back(Utf8(cache));
            profiles.push_back(
                {{"browser", Utf8(RowOf(profile.browser).name)},
                 {"profile", Utf8(profile.folderName)},
                 {"name", Utf8(profile.shownName)},
                 {"path", Utf8(profile.profileFolder)},
                 {"running", BrowserRuns(profile, programs) != Running::No},
                 {"refused", profile.refusal ? Json(Utf8(Widen(RefusalReason(profile.refusal)))) : Json(nullptr)},
                 {"caches", std::move(caches)}});
        }
        categories.back()["profiles"] = std::move(profiles);
    }
    document["categories"] = std::move(categories);
    document["keptSites"] = KeptSitesJson(kept);
    document["keptSitesProblem"] = TextOrNull(FromUtf8(kept.Problem()));
    document["error"] = nullptr;
    document["exitCode"] = kExitDone;
    return document;
}

const char* ModeKey(Execution mode) {
    switch (mode) {
        case Execution::ClearAll:
            return "clear-all";
        case Execution::ClearSelected:
            return "clear-selected";
        case Execution::ClearNotSelected:
            return "clear-not-selected";
        case Execution::Custom:
            return "custom";
        case Execution::None:
            break;
    }
    return "none";
}

Json KeptItemJson(const KeptItem& item) {
    return {{"path", Utf8(item.path)},
            {"reason", Utf8(KeptReasonName(item.reason))},
            {"refusal", item.refusal ? Json(Utf8(Widen(RefusalReason(item.refusal)))) : Json(nullptr)},
            {"really", TextOrNull(item.really)}};
}

Json FolderJson(const FolderReport& folder) {
    return {{"path", Utf8(WithTrailingBackslash(folder.path))},
            {"configured", TextOrNull(folder.configured)},
            {"files", folder.files},
            {"folders", folder.folders},
            {"bytes", folder.bytes},
            {"kept", {{"files", folder.keptFiles}, {"links", folder.keptLinks}, {"folders", folder.keptFolders}}},
            {"refused", folder.refusal ? Json(Utf8(Widen(RefusalReason(folder.refusal)))) : Json(nullptr)},
            {"really", TextOrNull(folder.really)}};
}

// Why a database was left as it was, as scripts read it; null when it was not.
Json LeftAloneKey(LeftAlone left) {
    switch (left) {
        case LeftAlone::NotADatabase:
            return "not-a-database";
        case LeftAlone::Failed:
            return "database-kept";
        case LeftAlone::Link:
            return "link";
        case LeftAlone::OtherNames:
            return "other-names";
        case LeftAlone::ForeignTrigger:
            return "foreign-trigger";
        case LeftAlone::No:
            break;
    }
    return nullptr;
}

// The rows a profile's item counts in its line, by what they are.
void AddEntries(Json& object, BrowserItem item, std::uint64_t headline) {
    object["cookies"] = item == BrowserItem::Cookies ? headline : 0;
    object["visits"] = item == BrowserItem::History ? headline : 0;
    object["formEntries"] = item == BrowserItem::Forms ? headline : 0;
}

Json DatabaseJson(const DatabaseReport& database, BrowserItem item) {
    Json tables = Json::object();
    for (const auto& [table, rows] : database.tables) tables[table] = rows;
    Json object = {{"file", Utf8(database.file)},
                   {"rows", database.rows},
                   {"tables", std::move(tables)},
                   {"notADatabase", database.left == LeftAlone::NotADatabase},
                   {"left", LeftAloneKey(database.left)},
                   {"really", TextOrNull(database.really)},
                   {"error", TextOrNull(Widen(database.error))},
                   {"compacted", database.compacted}};
    AddEntries(object, item, database.headline);
    return object;
}

Json ProfileJson(const ProfileReport& report) {
    const BrowserProfile& profile = report.profile;
    Json databases = Json::array();
    for (const DatabaseReport& database : report.databases) databases.push_back(DatabaseJson(database, report.item));
    Json object = {{"browser", Utf8(RowOf(profile.browser).name)},
                   {"profile", Utf8(profile.folderName)},
                   {"name", Utf8(profile.shownName)},
                   {"path", Utf8(profile.profileFolder)},
                   {"running", report.running != Running::No && report.running != Running::OtherClearing},
                   {"anotherClearing", report.running == Running::OtherClearing},
                   {"refused", profile.refusal ? Json(Utf8(Widen(RefusalReason(profile.refusal)))) : Json(nullptr)},
                   {"really", TextOrNull(profile.really)},
                   {"problem", TextOrNull(profile.problem)},
                   {"files", report.files},
                   {"folders", report.folders},
                   {"bytes", report.bytes},
                   {"rows", report.rows},
                   {"databases", std::move(databases)},
                   {"kept",
                    {{"files", report.keptFiles},
                     {"links", report.keptLinks},
                     {"folders", report.keptFolders},
                     {"refusedFolders", report.refusedFolders},
                     {"databases", report.keptDatabases}}}};
    object["keptCookies"] = report.keptCookies;
    AddEntries(object, report.item, report.headline);
    return object;
}

// The document of a preview or a clear: the run, each category, the totals.
Json ReportJson(Json document, const Selection& selection, const std::vector<CategoryReport>& reports,
                std::wstring_view nothingChosen, int exitCode) {
    document["selection"] = selection.way;
    document["mode"] = selection.mode ? Json(ModeKey(*selection.mode)) : Json(nullptr);
    document["nothingChosen"] = TextOrNull(nothingChosen);
    document["browsers"] = selection.TakesBrowsers()                    ? "included"
                           : std::string_view(selection.way) == "named" ? "not-named"
                                                                        : "not-included";
    document["browsersNotIncluded"] = TextOrNull(selection.browsersLeftOut);
    Json categories = Json::array();
    Counts totals;
    for (const CategoryReport& r : reports) {
        totals.Add(r);
        Json category;
        category["name"] = Utf8(RowOf(r.category).name);
        CountsOf(r).AddTo(category);
        Json byFolder = Json::array(), kept = Json::array();
        for (const FolderReport& folder : r.byFolder) byFolder.push_back(FolderJson(folder));
        for (const KeptItem& item : r.kept) kept.push_back(KeptItemJson(item));
        category["byFolder"] = std::move(byFolder);
        if (RowOf(r.category).browsers) {
            Json profiles = Json::array();
            for (const ProfileReport& profile : r.profiles) profiles.push_back(ProfileJson(profile));
            category["profiles"] = std::move(profiles);
        }
        category["keptItems"] = std::move(kept);
        category["keptSitesProblem"] = TextOrNull(FromUtf8(r.keptSitesProblem));
        category["error"] = TextOrNull(Widen(r.error));
        categories.push_back(std::move(category));
    }
    document["categories"] = std::move(categories);
    Json sums;
    totals.AddTo(sums);
    document["totals"] = std::move(sums);
    document["error"] = nullptr;
    document["exitCode"] = exitCode;
    return document;
}

std::wstring ReportText(bool preview, const Selection& selection, const std::vector<CategoryReport>& reports) {
    std::wstring text =
        preview ? L"Preview: what a clearing would remove (nothing was changed)\r\n\r\n" : L"Cleared:\r\n\r\n";
    std::size_t nameWidth = std::wstring_view(L"Category").size();
    for (const CategoryReport& r : reports)
        nameWidth = std::max(nameWidth, std::wstring_view(RowOf(r.category).name).size());
    nameWidth += 2;
    const auto row = [nameWidth](const std::wstring& name, const Counts& c) {
        return PadRight(name, nameWidth) + PadLeft(Number(c.files), 9) + PadLeft(Number(c.folders), 9) +
               PadLeft(Number(c.cacheEntries), 15) + PadLeft(Number(c.values), 8) + PadLeft(Number(c.rows), 10) +
               PadLeft(ReadableSize(c.bytes), 12) + PadLeft(Number(c.Kept()), 8) + L"\r\n";
    };
    text += PadRight(L"Category", nameWidth) + PadLeft(L"Files", 9) + PadLeft(L"Folders", 9) +
            PadLeft(L"Cache entries", 15) + PadLeft(L"Values", 8) + PadLeft(L"Rows", 10) +
            PadLeft(preview ? L"Size" : L"Freed", 12) + PadLeft(preview ? L"Stays" : L"Kept", 8) + L"\r\n";
    Counts totals;
    for (const CategoryReport& r : reports) {
        totals.Add(r);
        text += row(RowOf(r.category).name, CountsOf(r));
    }
    text += row(L"Total", totals);
    if (!selection.browsersLeftOut.empty()) text += L"\r\n" + selection.browsersLeftOut + L".\r\n";
    for (const CategoryReport& r : reports) {
        if (!RowOf(r.category).browsers) continue;
        text += L"\r\nBrowsers, " + std::wstring(RowOf(r.category).name) + L":\r\n";
        if (r.profiles.empty()) text += std::wstring(L"  ") + kNoBrowserFound + L"\r\n";
        for (const ProfileReport& profile : r.profiles)
            text += L"  " +
                    (preview && !profile.Skipped() ? profile.profile.Label() + L": " + PreviewText(profile)
                                                   : ProfileLine(profile)) +
                    L"\r\n";
    }
    // What stays, per category: as many as the column counts, then each
    // item (the first hundred or so).
    bool header = false;
    for (const CategoryReport& r : reports) {
        const Counts counts = CountsOf(r);
        if (!counts.Kept() && r.error.empty() && r.keptSitesProblem.empty()) continue;
        if (!header) text += preview ? L"\r\nWould stay:\r\n" : L"\r\nKept:\r\n";
        header = true;
        const std::wstring name = RowOf(r.category).name;
        if (counts.Kept())
            text += L"  " + name + L": " + Number(counts.Kept()) + L" (" + counts.KeptParts() + L")\r\n";
        else if (!r.kept.empty())
            text += L"  " + name + L":\r\n";
        for (const KeptItem& item : r.kept) text += L"    " + KeptLineOf(item) + L"\r\n";
        if (!r.error.empty()) text += L"  " + name + L": error: " + Widen(r.error) + L"\r\n";
    }
    return text;
}

// Progress on a console: the category and its running count, on one line.
class Progress {
public:
    Progress(CommandOutput& output, bool on) : output_(output), on_(on) {}
    ~Progress() { Clear(); }

    void Show(Category category, std::uint64_t count) {
        if (!on_) return;
        const ULONGLONG now = GetTickCount64();
        if (shown_ && now - last_ < 200) return;
        last_ = now;
        Clear();
        line_ = std::wstring(RowOf(category).name) + L": " + Number(count) + L" items";
        output_.Err(L"\r" + line_);
        shown_ = true;
    }
    void Clear() {
        if (!shown_) return;
        output_.Err(L"\r" + std::wstring(line_.size(), L' ') + L"\r");
        shown_ = false;
    }

private:
    CommandOutput& output_;
    bool on_;
    bool shown_ = false;
    ULONGLONG last_ = 0;
    std::wstring line_;
};

// A site keep add or keep remove leaves as it was, and why.
struct Unchanged {
    std::string site;
    std::string keptBy;  // the site of the list that keeps it, when one does
    const char* reason;  // "kept-already" or "not-in-list"
};

std::wstring UnchangedLine(const Unchanged& u) {
    const std::wstring site = FromUtf8(u.site), by = FromUtf8(u.keptBy);
    if (std::string_view(u.reason) == "kept-already")
        return u.keptBy == u.site ? site + L" is kept already"
                                  : site + L" is kept already, by " + by + L" (which keeps every site below it)";
    return site + L" is not in the list of kept sites" +
           (by.empty() ? std::wstring() : L"; its cookies stay all the same, kept by " + by);
}

// keep: lists the kept sites, or adds or removes some and lists them then.
// A site kept already (itself or by a site above it) is not added again,
// and one not in the list is not removed; a line says so for each.
int RunKeep(const Request& request, const CleaningSite& site, const std::string& settingsKey, CommandOutput& output,
            std::wstring_view program) {
    std::string failure;
    std::vector<Unchanged> unchanged;
    if (request.keep != KeepVerb::List) {
        const KeptSites before = KeptSites::Read(settingsKey);
        std::vector<std::string> change;
        for (const std::string& name : request.sites) {
            const std::string by = before.KeptBy(name);
            const bool listed =
                std::find(before.Sites().begin(), before.Sites().end(), name) != before.Sites().end() ||
                std::find(before.Refused().begin(), before.Refused().end(), name) != before.Refused().end();
            if (request.keep == KeepVerb::Add && !by.empty())
                unchanged.push_back({name, by, "kept-already"});
            else if (request.keep == KeepVerb::Remove && !listed)
                unchanged.push_back({name, by, "not-in-list"});
            else
                change.push_back(name);
        }
        if (!change.empty())
            failure = request.keep == KeepVerb::Add ? AddKeptSites(settingsKey, change)
                                                    : RemoveKeptSites(settingsKey, change);
    }
    const KeptSites kept = KeptSites::Read(settingsKey);
    const std::string& problem = !failure.empty() ? failure : kept.Problem();
    const int exitCode = problem.empty() ? kExitDone : kExitImpossible;
    if (!problem.empty()) output.Err(FromUtf8(problem) + L"\r\n");
    if (request.json) {
        Json document = DocumentHead(site, program, L"keep");
        document["keptSites"] = KeptSitesJson(kept);
        Json left = Json::array();
        for (const Unchanged& u : unchanged)
            left.push_back({{"site", u.site}, {"reason", u.reason}, {"keptBy", TextOrNull(FromUtf8(u.keptBy))}});
        document["unchanged"] = std::move(left);
        document["error"] = TextOrNull(FromUtf8(problem));
        document["exitCode"] = exitCode;
        output.Out(Printed(document));
        return exitCode;
    }
    for (const Unchanged& u : unchanged) output.Out(UnchangedLine(u) + L"\r\n");
    if (kept.Readable()) output.Out((unchanged.empty() ? L"" : L"\r\n") + KeptSitesText(kept));
    return exitCode;
}

// Runs a request; its document, with --json, is printed here unless an error stops it.
int Run(const Request& request, const CleaningSite& site, const std::string& settingsKey, CommandOutput& output,
        std::wstring_view program) {
    switch (request.verb) {
        case Verb::Help:
            output.Out(std::wstring(program) + L" - " + Widen(texts::ProgramName) + L" on the command line\r\n\r\n" +
                       Usage(program) + kHelp);
            return kExitDone;
        case Verb::Version:
            output.Out(std::wstring(program) + L" " + Widen(PURGELET_VERSION_TEXT) + L" (" + Widen(texts::ProgramName) +
                       L")\r\n");
            return kExitDone;
        case Verb::List: {
            const KeptSites kept = KeptSites::Read(settingsKey);
            output.Out(request.json ? Printed(ListJson(site, kept, program)) : ListText(site, kept));
            return kExitDone;
        }
        case Verb::Keep:
            return RunKeep(request, site, settingsKey, output, program);
        case Verb::Preview:
        case Verb::Clear:
            break;
    }
    const bool preview = request.verb == Verb::Preview;
    const Selection selection = Selected(request, settingsKey);
    if (!request.browsers.empty() && !selection.categories.empty() && !selection.TakesBrowsers())
        throw UsageError{L"--browser chooses among the browsers' profiles, and no browsers' category is taken here" +
                         (selection.browsersLeftOut.empty() ? L": name one (" + BrowserCategoryNames() + L")"
                                                            : L". " + selection.browsersLeftOut)};
    const Json head = DocumentHead(site, program, preview ? L"preview" : L"clear");
    if (selection.categories.empty()) {
        // Said even when quiet: a scheduled clearing that never clears
        // anything must not look like one that works.
        output.Err(std::wstring(kNothingChosen) + L"\r\n");
        if (request.json) output.Out(Printed(ReportJson(head, selection, {}, kNothingChosen, kExitDone)));
        return kExitDone;
    }
    if (const std::string why = WhyNotPossible(selection.categories, site); !why.empty()) {
        output.Err(Widen(why) + L"\r\n");
        if (request.json) {
            Json document = ReportJson(head, selection, {}, {}, kExitImpossible);
            document["error"] = Utf8(Widen(why));
            output.Out(Printed(document));
        }
        return kExitImpossible;
    }

    // A preview lists the URL cache once for all its categories.
    std::optional<CacheListing> listing;
    if (preview && std::any_of(selection.categories.begin(), selection.categories.end(),
                               [&](Category category) { return PlanOf(category, site).cacheKind.has_value(); }))
        listing = ListUrlCache(site.cacheSource);

    // Read whole before any cookie goes, once for every category that clears cookies.
    std::optional<KeptSites> kept;
    if (std::any_of(selection.categories.begin(), selection.categories.end(), ClearsCookies))
        kept = KeptSites::Read(settingsKey);

    std::vector<CategoryReport> reports;
    {
        Progress progress(output, output.ErrIsConsole() && !request.quiet);
        for (Category category : selection.categories) {
            progress.Show(category, 0);
            reports.push_back(RunCategory(
                category, preview, site, [&](std::uint64_t count) { progress.Show(category, count); },
                listing ? &*listing : nullptr, selection.browsers, kept ? &*kept : nullptr));
            // An error ends the run there, as it ends the window's.
            if (!reports.back().error.empty()) break;
        }
    }
    // A preview ends as the clear it announces would: 1 when it found
    // something that would stay.
    int exitCode = kExitDone;
    for (const CategoryReport& r : reports)
        if (r.SomethingKept()) exitCode = kExitKept;
    // Ended by an error before anything was done.
    if (reports.size() == 1 && !reports[0].error.empty()) exitCode = kExitImpossible;

    for (const CategoryReport& r : reports) {
        if (!r.error.empty()) output.Err(std::wstring(RowOf(r.category).name) + L": " + Widen(r.error) + L"\r\n");
        if (!r.keptSitesProblem.empty())
            output.Err(std::wstring(RowOf(r.category).name) + L": " + FromUtf8(r.keptSitesProblem) +
                       L"; no cookie was deleted\r\n");
    }
    if (request.json)
        output.Out(Printed(ReportJson(head, selection, reports, {}, exitCode)));
    else if (!request.quiet)
        output.Out(ReportText(preview, selection, reports));
    return exitCode;
}

}  // namespace

StandardOutput::StandardOutput()
    : out_(GetStdHandle(STD_OUTPUT_HANDLE)),
      err_(GetStdHandle(STD_ERROR_HANDLE)),
      outConsole_(IsConsole(out_)),
      errConsole_(IsConsole(err_)) {}

void StandardOutput::Out(std::wstring_view text) { Write(out_, outConsole_, text); }

void StandardOutput::Err(std::wstring_view text) { Write(err_, errConsole_, text); }

int RunCommand(const std::vector<std::wstring>& args, const CleaningSite& site, const std::string& settingsKey,
               CommandOutput& output, std::wstring_view program) {
    // With --json there is one document whatever happens: a usage error and
    // an error that stops the run give one with the error and the exit code.
    const bool json =
        std::any_of(args.begin(), args.end(), [](const std::wstring& a) { return Lower(a) == L"--json"; });
    const std::wstring command = args.empty() ? std::wstring() : Lower(args[0]);
    const auto failed = [&](const std::wstring& message, int code) {
        if (json) {
            Json document = DocumentHead(site, program, command);
            document["error"] = Utf8(message);
            document["exitCode"] = code;
            output.Out(Printed(document));
        }
        return code;
    };
    try {
        return Run(Parse(args), site, settingsKey, output, program);
    } catch (const UsageError& e) {
        output.Err(e.message + L"\r\n" + Usage(program));
        return failed(e.message, kExitUsage);
    } catch (const std::exception& e) {
        output.Err(L"Stopped: " + Widen(e.what()) + L"\r\n");
        return failed(L"Stopped: " + Widen(e.what()), kExitImpossible);
    }
}

int CommandMain(std::wstring_view program, const std::vector<std::wstring>& whenBare) {
    // No system message box for a drive without a medium, or anything else.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    std::vector<std::wstring> args;
    int count = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
        const LocalMemory owned(argv);
        for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
    }
    if (args.empty()) args = whenBare;
    StandardOutput output;
    const CleaningSite site = SiteOfThisSystem();
    return RunCommand(args, site, texts::SettingsKey.Text(), output, program);
}

}  // namespace purgelet
