#include "command/Command.h"

#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cwctype>
#include <optional>

#include "base/Errors.h"
#include "base/Handles.h"
#include "core/Settings.h"
#include "core/Texts.h"
#include "purgelet_version.h"

namespace purgelet {

namespace {

constexpr wchar_t kUsage[] =
    L"Usage:\r\n"
    L"  PurgeletCmd list [--json]\r\n"
    L"  PurgeletCmd preview [--all | --chosen | CATEGORY...] [--json]\r\n"
    L"  PurgeletCmd clear   [--all | --chosen | CATEGORY...] [--json] [--quiet]\r\n"
    L"  PurgeletCmd --help | --version\r\n"
    L"CATEGORY: ";

constexpr wchar_t kHelp[] =
    L"\r\n"
    L"  list      the categories, and what each clears on this system\r\n"
    L"  preview   what a clearing would remove and how much space it frees; changes nothing\r\n"
    L"  clear     clears, and tells what went and what was kept\r\n"
    L"\r\n"
    L"  --all     all the categories\r\n"
    L"  --chosen  what the stored settings choose for the clearing at start and at shutdown\r\n"
    L"  --json    one JSON document on standard output instead of the table\r\n"
    L"  --quiet   no progress and no table; errors still go to standard error\r\n"
    L"\r\n"
    L"Exit codes: 0 done; 1 done, but something was kept (in use, refused, a value that\r\n"
    L"would not go); 2 usage error; 3 nothing could be done (the reason is on standard error).\r\n";

constexpr wchar_t kNothingChosen[] = L"Nothing is chosen for the unattended clearing: see the Settings page, Execution";

// The usage, with the categories' names from the table.
std::wstring Usage() {
    std::wstring usage = kUsage;
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

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

std::wstring Number(std::uint64_t n) { return std::to_wstring(n); }

// A size as people read it: bytes up to 1 KB, then KB, MB and GB with one decimal.
std::wstring SizeText(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_wstring(bytes) + L" B";
    const wchar_t* units[] = {L"KB", L"MB", L"GB", L"TB"};
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f %ls", value, units[unit]);
    return text;
}

std::wstring PadRight(std::wstring text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), L' ');
    return text;
}
std::wstring PadLeft(const std::wstring& text, std::size_t width) {
    return text.size() < width ? std::wstring(width - text.size(), L' ') + text : text;
}

// JSON ---------------------------------------------------------------------------

std::wstring JsonString(std::wstring_view text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        switch (c) {
            case L'"':
                out += L"\\\"";
                break;
            case L'\\':
                out += L"\\\\";
                break;
            case L'\n':
                out += L"\\n";
                break;
            case L'\r':
                out += L"\\r";
                break;
            case L'\t':
                out += L"\\t";
                break;
            default:
                if (c < 0x20) {
                    wchar_t escaped[8];
                    std::swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + L"\"";
}

// The counts of one category or of all, as both outputs show them.
struct Counts {
    std::uint64_t files = 0, folders = 0, cacheEntries = 0, values = 0, bytes = 0;
    std::uint64_t keptFiles = 0, keptEntries = 0, keptValues = 0, refusedFolders = 0, keptLinks = 0, keptFolders = 0;

    void Add(const CategoryReport& r) {
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
    std::uint64_t Kept() const {
        return keptFiles + keptEntries + keptValues + refusedFolders + keptLinks + keptFolders;
    }
    std::wstring Json() const {
        return L"\"files\": " + Number(files) + L", \"folders\": " + Number(folders) + L", \"cacheEntries\": " +
               Number(cacheEntries) + L", \"values\": " + Number(values) + L", \"bytes\": " + Number(bytes) +
               L", \"kept\": {\"files\": " + Number(keptFiles) + L", \"cacheEntries\": " + Number(keptEntries) +
               L", \"values\": " + Number(keptValues) + L", \"refusedFolders\": " + Number(refusedFolders) +
               L", \"links\": " + Number(keptLinks) + L", \"folders\": " + Number(keptFolders) + L"}";
    }
};

Counts CountsOf(const CategoryReport& report) {
    Counts counts;
    counts.Add(report);
    return counts;
}

// The arguments -------------------------------------------------------------------

enum class Verb { List, Preview, Clear, Help, Version };

struct Request {
    Verb verb = Verb::Help;
    bool all = false, chosen = false, json = false, quiet = false;
    std::vector<Category> named;
};

struct UsageError {
    std::wstring message;
};

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
        } else if (lower == L"--all" && selecting) {
            request.all = true;
        } else if (lower == L"--chosen" && selecting) {
            request.chosen = true;
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

// The categories asked for, in the order the clearing takes them.
std::vector<Category> Selected(const Request& request, const CleaningSite& site, const std::string& settingsKey) {
    if (request.chosen) {
        const SettingsStore store(site.platform);
        return StoredChoice([&](const std::string& name) { return store.ReadIniFromReg(settingsKey, name); });
    }
    std::vector<Category> selected;
    for (Category category : ModeOrder())
        if (request.all || std::find(request.named.begin(), request.named.end(), category) != request.named.end())
            selected.push_back(category);
    return selected;
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

std::wstring ListText(const CleaningSite& site) {
    std::wstring text = site.folders.IsWin9x ? L"Categories (Windows 9x family):\r\n" : L"Categories (NT family):\r\n";
    const FolderGuard guard = GuardOf(site);
    for (Category category : ModeOrder()) {
        const CategoryRow& name = RowOf(category);
        const CategoryPlan plan = PlanOf(category, site, &guard);
        text += L"\r\n" + PadRight(name.name, 16) + name.title + L"\r\n";
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
    }
    return text;
}

std::wstring ListJson(const CleaningSite& site) {
    std::wstring json = L"{\"command\": \"list\", \"family\": ";
    json += site.folders.IsWin9x ? L"\"9x\"" : L"\"NT\"";
    json += L", \"categories\": [";
    bool first = true;
    const FolderGuard guard = GuardOf(site);
    for (Category category : ModeOrder()) {
        const CategoryRow& name = RowOf(category);
        const CategoryPlan plan = PlanOf(category, site, &guard);
        json += first ? L"\r\n  " : L",\r\n  ";
        first = false;
        json += L"{\"name\": " + JsonString(name.name) + L", \"title\": " + JsonString(name.title);
        json += L", \"historyStore\": ";
        json += plan.historyStore ? L"true" : L"false";
        json += L", \"cacheEntries\": " + (plan.cacheKind ? JsonString(CacheKindName(*plan.cacheKind)) : L"null");
        json += L", \"registryKey\": " +
                (plan.registryKey ? JsonString(L"HKEY_CURRENT_USER\\" + Widen(plan.registryKey)) : L"null");
        json += L", \"folders\": [";
        bool firstFolder = true;
        for (const PlannedFolder& f : plan.folders) {
            if (f.folder.empty()) continue;
            if (!firstFolder) json += L", ";
            firstFolder = false;
            json += L"{\"path\": " + JsonString(f.folder) + L", \"configured\": " +
                    (!ReallyUnlessSame(f.folder, f.named).empty() ? JsonString(f.named) : L"null") + L", \"really\": " +
                    (f.really.empty() ? L"null" : JsonString(f.really)) + L", \"refused\": " +
                    (f.refusal ? JsonString(Widen(RefusalReason(f.refusal))) : L"null") + L"}";
        }
        json += L"]}";
    }
    return json + L"\r\n]}\r\n";
}

std::wstring ReportJson(bool preview, const std::vector<CategoryReport>& reports, int exitCode) {
    std::wstring json = L"{\"command\": ";
    json += preview ? L"\"preview\"" : L"\"clear\"";
    json += L", \"categories\": [";
    Counts totals;
    bool first = true;
    for (const CategoryReport& r : reports) {
        totals.Add(r);
        json += first ? L"\r\n  " : L",\r\n  ";
        first = false;
        json += L"{\"name\": " + JsonString(RowOf(r.category).name) + L", " + CountsOf(r).Json();
        json += L", \"keptItems\": [";
        for (std::size_t i = 0; i < r.kept.size(); ++i) json += (i ? L", " : L"") + JsonString(r.kept[i]);
        json += L"], \"error\": " + (r.error.empty() ? std::wstring(L"null") : JsonString(Widen(r.error))) + L"}";
    }
    json += L"\r\n], \"totals\": {" + totals.Json() + L"}, \"exitCode\": " + std::to_wstring(exitCode) + L"}\r\n";
    return json;
}

std::wstring ReportText(bool preview, const std::vector<CategoryReport>& reports) {
    std::wstring text =
        preview ? L"Preview: what a clearing would remove (nothing was changed)\r\n\r\n" : L"Cleared:\r\n\r\n";
    const auto row = [](const std::wstring& name, const Counts& c, bool preview) {
        std::wstring line = PadRight(name, 16) + PadLeft(Number(c.files), 9) + PadLeft(Number(c.folders), 9) +
                            PadLeft(Number(c.cacheEntries), 15) + PadLeft(Number(c.values), 8) +
                            PadLeft(SizeText(c.bytes), 12);
        if (!preview) line += PadLeft(Number(c.Kept()), 7);
        return line + L"\r\n";
    };
    text += PadRight(L"Category", 16) + PadLeft(L"Files", 9) + PadLeft(L"Folders", 9) + PadLeft(L"Cache entries", 15) +
            PadLeft(L"Values", 8) + PadLeft(preview ? L"Size" : L"Freed", 12) + (preview ? L"" : L"   Kept") + L"\r\n";
    Counts totals;
    for (const CategoryReport& r : reports) {
        totals.Add(r);
        text += row(RowOf(r.category).name, CountsOf(r), preview);
    }
    text += row(L"Total", totals, preview);
    bool header = false;
    for (const CategoryReport& r : reports) {
        if (r.kept.empty() && r.error.empty()) continue;
        if (!header) text += preview ? L"\r\nWould stay:\r\n" : L"\r\nKept:\r\n";
        header = true;
        for (const std::wstring& line : r.kept)
            text += L"  " + std::wstring(RowOf(r.category).name) + L": " + line + L"\r\n";
        if (!r.error.empty())
            text += L"  " + std::wstring(RowOf(r.category).name) + L": error: " + Widen(r.error) + L"\r\n";
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

int Run(const Request& request, const CleaningSite& site, const std::string& settingsKey, CommandOutput& output) {
    switch (request.verb) {
        case Verb::Help:
            output.Out(std::wstring(L"PurgeletCmd - ") + Widen(texts::ProgramName) + L" on the command line\r\n\r\n" +
                       Usage() + kHelp);
            return kExitDone;
        case Verb::Version:
            output.Out(L"PurgeletCmd " + Widen(PURGELET_VERSION_TEXT) + L" (" + Widen(texts::ProgramName) + L")\r\n");
            return kExitDone;
        case Verb::List:
            output.Out(request.json ? ListJson(site) : ListText(site));
            return kExitDone;
        case Verb::Preview:
        case Verb::Clear:
            break;
    }
    const bool preview = request.verb == Verb::Preview;
    const std::vector<Category> categories = Selected(request, site, settingsKey);
    if (categories.empty()) {
        // Said even when quiet: a scheduled clearing that never clears
        // anything must not look like one that works.
        output.Err(std::wstring(kNothingChosen) + L"\r\n");
        if (request.json) {
            std::wstring json = ReportJson(preview, {}, kExitDone);
            json.insert(json.rfind(L'}'), L", \"nothingChosen\": " + JsonString(kNothingChosen));
            output.Out(json);
        }
        return kExitDone;
    }
    if (const std::string why = WhyNotPossible(categories, site); !why.empty()) {
        output.Err(Widen(why) + L"\r\n");
        if (request.json)
            output.Out(std::wstring(L"{\"command\": ") + (preview ? L"\"preview\"" : L"\"clear\"") + L", \"error\": " +
                       JsonString(Widen(why)) + L", \"exitCode\": " + std::to_wstring(kExitImpossible) + L"}\r\n");
        return kExitImpossible;
    }

    // A preview lists the URL cache once for all its categories.
    std::optional<CacheListing> listing;
    if (preview && std::any_of(categories.begin(), categories.end(),
                               [&](Category category) { return PlanOf(category, site).cacheKind.has_value(); }))
        listing = ListUrlCache(site.cacheSource);

    std::vector<CategoryReport> reports;
    {
        Progress progress(output, output.ErrIsConsole() && !request.quiet);
        for (Category category : categories) {
            progress.Show(category, 0);
            reports.push_back(RunCategory(
                category, preview, site, [&](std::uint64_t count) { progress.Show(category, count); },
                listing ? &*listing : nullptr));
            // An error ends the run there, as it ends the window's.
            if (!reports.back().error.empty()) break;
        }
    }
    int exitCode = kExitDone;
    for (const CategoryReport& r : reports)
        if (r.SomethingKept()) exitCode = kExitKept;
    if (preview && reports.back().error.empty()) exitCode = kExitDone;
    // Ended by an error before anything was done.
    if (reports.size() == 1 && !reports[0].error.empty()) exitCode = kExitImpossible;

    for (const CategoryReport& r : reports)
        if (!r.error.empty()) output.Err(std::wstring(RowOf(r.category).name) + L": " + Widen(r.error) + L"\r\n");
    if (request.json)
        output.Out(ReportJson(preview, reports, exitCode));
    else if (!request.quiet)
        output.Out(ReportText(preview, reports));
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
               CommandOutput& output) {
    // With --json there is one document whatever happens: a usage error and
    // an error that stops the run give one with the error and the exit code.
    const bool json =
        std::any_of(args.begin(), args.end(), [](const std::wstring& a) { return Lower(a) == L"--json"; });
    const std::wstring command = args.empty() ? std::wstring() : Lower(args[0]);
    const auto failed = [&](const std::wstring& message, int code) {
        if (json)
            output.Out(L"{\"command\": " + (command.empty() ? std::wstring(L"null") : JsonString(command)) +
                       L", \"error\": " + JsonString(message) + L", \"exitCode\": " + std::to_wstring(code) + L"}\r\n");
        return code;
    };
    Request request;
    try {
        request = Parse(args);
    } catch (const UsageError& e) {
        output.Err(e.message + L"\r\n" + Usage());
        return failed(e.message, kExitUsage);
    }
    try {
        return Run(request, site, settingsKey, output);
    } catch (const std::exception& e) {
        output.Err(L"Stopped: " + Widen(e.what()) + L"\r\n");
        return failed(L"Stopped: " + Widen(e.what()), kExitImpossible);
    }
}

int CommandMain(const std::vector<std::wstring>& whenBare) {
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
    return RunCommand(args, site, texts::SettingsKey.Text(), output);
}

}  // namespace purgelet
