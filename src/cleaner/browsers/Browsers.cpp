#include "cleaner/browsers/Browsers.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>

// Debian's SimpleIni keeps its definitions behind this switch.
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <nlohmann/json.hpp>

#include "base/Handles.h"
#include "base/Text.h"
#include "cleaner/browsers/BrowserPlaces.h"
#include "cleaner/removal/ConfinedEntries.h"
#include "cleaner/FolderDiscovery.h"
#include "core/ProgramState.h"

namespace purgelet {

namespace {

// The caches of a Chromium profile, and those of its browser's data folder.
constexpr const wchar_t* kChromiumCaches[] = {L"Cache", L"Code Cache", L"GPUCache", L"Service Worker\\CacheStorage",
                                              L"Service Worker\\ScriptCache"};
constexpr const wchar_t* kChromiumSharedCaches[] = {L"ShaderCache", L"GrShaderCache"};
// The caches of a Firefox profile, below its local folder.
constexpr const wchar_t* kFirefoxCaches[] = {L"cache2", L"startupCache", L"thumbnails"};

// The browsers' own files are read whole up to this size; a larger one is
// not theirs to begin with.
constexpr DWORD kLargestSettingsFile = 32 * 1024 * 1024;

// A file's bytes, read through a handle that lets the browser go on using it.
std::optional<std::string> ReadWhole(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestSettingsFile) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}

// A name that Windows takes as it is written: it drops a trailing dot or
// blank ("Default." names "Default"), and a device name (NUL, COM1,
// "con.txt") names no file.
bool WindowsKeepsName(std::wstring_view name) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
    std::wstring stem = Lower(std::wstring(name.substr(0, name.find(L'.'))));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (const wchar_t* device : {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"})
        if (stem == device) return false;
    const bool numbered = stem.size() == 4 && (stem.starts_with(L"com") || stem.starts_with(L"lpt"));
    return !(numbered &&
             (std::iswdigit(stem[3]) || stem[3] == L'\u00b9' || stem[3] == L'\u00b2' || stem[3] == L'\u00b3'));
}

// A profile folder's name as Local State gives it: one plain name, never a
// path of its own, and one Windows keeps.
bool IsPlainFolderName(std::wstring_view name) {
    return confined::IsPlainName(name) && name.find_first_of(L"\\/") == std::wstring_view::npos &&
           WindowsKeepsName(name);
}

// A name as a line shows it: on one line.
std::wstring OneLine(std::wstring text) {
    for (wchar_t& c : text)
        if (c < 0x20 || c == 0x7F || c == 0x85 || c == 0x2028 || c == 0x2029) c = L' ';
    return text;
}

BrowserProfile NewProfile(Browser browser, std::wstring folderName, std::wstring shownName, std::wstring folder,
                          std::wstring lockFile) {
    BrowserProfile profile;
    profile.browser = browser;
    profile.folderName = std::move(folderName);
    profile.shownName = std::move(shownName);
    profile.profileFolder = std::move(folder);
    profile.lockFile = std::move(lockFile);
    return profile;
}

// Where a profile's folder, name below root, really is. False when it is not
// there; a folder that is a link or leads out of root is refused, with where
// it leads. A folder met before (another name for it) is not taken twice.
bool PlaceProfile(BrowserProfile& profile, const PlaceRoot& root, const std::wstring& name, std::vector<FileId>& seen) {
    const PlaceCheck check = CheckPlace(root, name, PlaceKind::Folder);
    if (check.place == Place::Missing) return false;
    if (check.place != Place::Here) {
        profile.refusal = {RefusalKind::Elsewhere};
        profile.really = check.really;
        return true;
    }
    if (check.id && std::find(seen.begin(), seen.end(), *check.id) != seen.end()) return false;
    if (check.id) seen.push_back(*check.id);
    return true;
}

// A relative path of plain names ("Profiles/x.default"), with "\" between them.
std::optional<std::wstring> PlainRelativePath(const std::wstring& path) {
    std::wstring out;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find_first_of(L"\\/", start), path.size());
        const std::wstring_view part(path.data() + start, end - start);
        if (!confined::IsPlainName(part) || !WindowsKeepsName(part)) return std::nullopt;
        out.append(part).append(L"\\");
        start = end + 1;
    }
    return out;
}

// The Chromium profiles of a data folder: the keys of profile.info_cache in
// its Local State, or when that can't be read, Default and every Profile *.
std::vector<std::pair<std::wstring, std::wstring>> ChromiumProfileNames(const std::wstring& dataFolder) {
    std::vector<std::pair<std::wstring, std::wstring>> names;
    if (const std::optional<std::string> text = ReadWhole(dataFolder + L"Local State")) {
        const nlohmann::json state = nlohmann::json::parse(*text, nullptr, false);
        if (!state.is_discarded() && state.is_object() && state.contains("profile") && state["profile"].is_object() &&
            state["profile"].contains("info_cache") && state["profile"]["info_cache"].is_object()) {
            for (const auto& [key, value] : state["profile"]["info_cache"].items()) {
                const std::wstring folder = FromUtf8(key);
                if (!IsPlainFolderName(folder)) continue;
                const bool named = value.is_object() && value.contains("name") && value["name"].is_string();
                names.emplace_back(folder, OneLine(named ? FromUtf8(value["name"].get<std::string>()) : folder));
            }
            return names;
        }
    }
    if (DirectoryExists(dataFolder + L"Default\\")) names.emplace_back(L"Default", L"Default");
    WIN32_FIND_DATAW found;
    FindHandle find(FindFirstFileW((dataFolder + L"Profile *").c_str(), &found));
    if (find) {
        do {
            const std::wstring name = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsPlainFolderName(name))
                names.emplace_back(name, name);
        } while (FindNextFileW(find.Get(), &found));
    }
    return names;
}

// The caches below root + below that are there, each to lie in root.
void AddCaches(BrowserProfile& profile, const std::wstring& root, const std::wstring& below, const auto& names) {
    for (const wchar_t* name : names) {
        const std::wstring cache = root + below + name + L"\\";
        if (DirectoryExists(cache) &&
            std::find(profile.caches.begin(), profile.caches.end(), cache) == profile.caches.end()) {
            profile.caches.push_back(cache);
            profile.cacheRoots.push_back(root);
        }
    }
}

void FindChromium(const BrowserRow& row, const AppDataFolders& appData, std::vector<BrowserProfile>& found,
                  std::vector<FileId>& seen) {
    const std::wstring base = row.roaming ? appData.roaming : appData.local;
    const std::wstring dataFolder = base + row.folder + L"\\";
    if (base.empty() || !DirectoryExists(dataFolder)) return;
    if (row.id == Browser::Opera) {
        // Opera's data folder is its one profile; its caches lie below the
        // local folder at the same place.
        BrowserProfile profile =
            NewProfile(row.id, L"Opera Stable", L"Opera Stable", dataFolder, dataFolder + L"lockfile");
        if (!PlaceProfile(profile, RootOf(base), row.folder, seen)) return;
        for (const std::wstring& root :
             {dataFolder, appData.local.empty() ? dataFolder : appData.local + row.folder + L"\\"}) {
            AddCaches(profile, root, L"", kChromiumCaches);
            AddCaches(profile, root, L"", kChromiumSharedCaches);
        }
        found.push_back(std::move(profile));
        return;
    }
    const PlaceRoot root = RootOf(dataFolder);
    bool first = true;
    for (auto& [folder, shown] : ChromiumProfileNames(dataFolder)) {
        BrowserProfile profile =
            NewProfile(row.id, folder, shown, dataFolder + folder + L"\\", dataFolder + L"lockfile");
        if (!PlaceProfile(profile, root, folder, seen)) continue;
        AddCaches(profile, profile.profileFolder, L"", kChromiumCaches);
        if (first) AddCaches(profile, dataFolder, L"", kChromiumSharedCaches);
        first = false;
        found.push_back(std::move(profile));
    }
}

// Whether text is a list of profiles as Firefox writes it: UTF-8 text.
bool IsProfileListText(const std::string& text) {
    return text.find('\0') == std::string::npos &&
           (text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                                static_cast<int>(text.size()), nullptr, 0) > 0);
}

// A folder given as a Firefox profile by its full path is one when it holds
// the files every profile has.
bool LooksLikeFirefoxProfile(const std::wstring& folder) {
    for (const wchar_t* name : {L"prefs.js", L"times.json"}) {
        const DWORD attributes = GetFileAttributesW((folder + name).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    }
    return false;
}

void FindFirefox(const BrowserRow& row, const AppDataFolders& appData, std::vector<BrowserProfile>& found,
                 std::vector<FileId>& seen) {
    if (appData.roaming.empty()) return;
    const std::wstring dataFolder = appData.roaming + row.folder + L"\\";
    const std::wstring localFolder = appData.local.empty() ? dataFolder : appData.local + row.folder + L"\\";
    const std::wstring list = dataFolder + L"profiles.ini";
    if (GetFileAttributesW(list.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    const std::optional<std::string> text = ReadWhole(list);
    CSimpleIniA ini;
    ini.SetUnicode(true);
    if (!text || !IsProfileListText(*text) || ini.LoadData(text->data(), text->size()) < 0) {
        // Not to be told which profiles it names: none of them is touched,
        // and the line says so.
        BrowserProfile unknown =
            NewProfile(row.id, L"profiles.ini", L"profiles.ini", dataFolder, dataFolder + L"parent.lock");
        unknown.problem = L"its list of profiles, " + list + L", could not be read";
        found.push_back(std::move(unknown));
        return;
    }
    const PlaceRoot root = RootOf(dataFolder), localRoot = RootOf(localFolder);
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    sections.sort(CSimpleIniA::Entry::LoadOrder());
    for (const CSimpleIniA::Entry& section : sections) {
        const std::string name = section.pItem;
        if (name.size() < 8 || _strnicmp(name.c_str(), "Profile", 7) != 0) continue;
        const char* path = ini.GetValue(section.pItem, "Path", nullptr);
        if (!path || !*path) continue;
        const std::wstring written = FromUtf8(path);
        const bool relative = std::string(ini.GetValue(section.pItem, "IsRelative", "1")) != "0";
        BrowserProfile profile;
        profile.browser = row.id;
        profile.folderName = OneLine(written);
        profile.shownName = OneLine(FromUtf8(ini.GetValue(section.pItem, "Name", path)));
        if (relative) {
            const std::optional<std::wstring> plain = PlainRelativePath(written);
            if (!plain) continue;  // a path that would leave the Firefox folder
            profile.profileFolder = dataFolder + *plain;
            if (!PlaceProfile(profile, root, plain->substr(0, plain->size() - 1), seen)) continue;
            AddCaches(profile, localFolder, *plain, kFirefoxCaches);
        } else {
            // A profile kept elsewhere keeps its caches in itself; it must be
            // a folder as itself, and look like a profile.
            profile.profileFolder = WithTrailingBackslash(written);
            std::replace(profile.profileFolder.begin(), profile.profileFolder.end(), L'/', L'\\');
            const std::wstring folder = profile.profileFolder.substr(0, profile.profileFolder.size() - 1);
            const std::size_t slash = folder.find_last_of(L'\\');
            if (!DirectoryExists(profile.profileFolder)) continue;
            // (A root has no folder to lie in: the guard refuses it.)
            if (slash != std::wstring::npos) {
                const std::wstring leaf = folder.substr(slash + 1);
                if (!confined::IsPlainName(leaf) || !WindowsKeepsName(leaf)) continue;
                if (!PlaceProfile(profile, RootOf(folder.substr(0, slash + 1)), leaf, seen)) continue;
            }
            if (!profile.refusal && !LooksLikeFirefoxProfile(profile.profileFolder))
                profile.problem = L"its folder " + profile.profileFolder +
                                  L" does not look like a Firefox profile (it holds no prefs.js or times.json)";
            AddCaches(profile, profile.profileFolder, L"", kFirefoxCaches);
        }
        profile.lockFile = profile.profileFolder + L"parent.lock";
        found.push_back(std::move(profile));
    }
}

// Whether the process runs as the current user; one that can't be asked is
// another user's (or the system's).
bool RunsAsThisUser(DWORD pid, const std::vector<BYTE>& user) {
    KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return false;
    HANDLE raw = nullptr;
    if (!OpenProcessToken(process.Get(), TOKEN_QUERY, &raw)) return false;
    KernelHandle token(raw);
    BYTE buffer[256];
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof(buffer), &size)) return false;
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    return user.size() == GetLengthSid(sid) && EqualSid(sid, const_cast<BYTE*>(user.data()));
}

std::vector<BYTE> ThisUser() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    KernelHandle token(raw);
    BYTE buffer[256];
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof(buffer), &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

}  // namespace

const BrowserRow& RowOf(Browser browser) {
    for (const BrowserRow& row : kBrowsers)
        if (row.id == browser) return row;
    return kBrowsers[0];
}

std::optional<Browser> BrowserNamed(std::wstring_view name) {
    for (const BrowserRow& row : kBrowsers)
        if (name == row.name) return row.id;
    return std::nullopt;
}

AppDataFolders AppDataOf(const Platform& platform) {
    const auto folder = [&](REFKNOWNFOLDERID id) {
        const std::wstring path = platform.knownFolderPath ? platform.knownFolderPath(id) : std::wstring();
        return path.empty() ? path : WithTrailingBackslash(path);
    };
    return {folder(FOLDERID_LocalAppData), folder(FOLDERID_RoamingAppData)};
}

std::wstring BrowserProfile::Key() const { return std::wstring(RowOf(browser).name) + L":" + folderName; }

std::wstring BrowserProfile::Label() const { return std::wstring(RowOf(browser).title) + L" \u2014 " + shownName; }

std::vector<BrowserProfile> FindBrowserProfiles(const AppDataFolders& appData, const FolderGuard* guard) {
    std::vector<BrowserProfile> found;
    std::vector<FileId> seen;
    for (const BrowserRow& row : kBrowsers) {
        if (row.firefox)
            FindFirefox(row, appData, found, seen);
        else
            FindChromium(row, appData, found, seen);
    }
    if (guard)
        for (BrowserProfile& profile : found) {
            if (profile.refusal) continue;
            const FolderGuard::Verdict verdict = guard->LookAt(profile.profileFolder);
            profile.refusal = verdict.refusal;
            profile.really = verdict.really;
            if (profile.refusal) profile.problem.clear();  // refused whatever it holds
        }
    return found;
}

std::vector<std::wstring> ProgramsOfThisUser() {
    std::vector<std::wstring> programs;
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return programs;
    const std::vector<BYTE> user = ThisUser();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        const std::wstring name = Lower(entry.szExeFile);
        const bool browser = std::any_of(std::begin(kBrowsers), std::end(kBrowsers),
                                         [&](const BrowserRow& row) { return name == row.program; });
        if (browser && RunsAsThisUser(entry.th32ProcessID, user)) programs.push_back(name);
    }
    return programs;
}

bool HeldByAnotherProgram(const std::wstring& path) {
    for (DWORD access : {DWORD(GENERIC_READ | GENERIC_WRITE), DWORD(GENERIC_READ)}) {
        FileHandle file(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file) return false;
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
        if (error != ERROR_ACCESS_DENIED) return false;
    }
    return false;
}

Running BrowserRuns(const BrowserProfile& profile, const std::vector<std::wstring>& programs) {
    if (!profile.lockFile.empty() && HeldByAnotherProgram(profile.lockFile)) return Running::LockHeld;
    const std::wstring program = RowOf(profile.browser).program;
    return std::find(programs.begin(), programs.end(), program) != programs.end() ? Running::ProcessFound : Running::No;
}

ProfileClearing::ProfileClearing(const BrowserProfile& profile, unsigned long waitMs) {
    // Named by where the folder really lies, so that every name of it meets
    // the same mutex.
    std::wstring where = RootOf(profile.profileFolder).final;
    if (where.empty()) where = profile.profileFolder;
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : Lower(where)) hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    wchar_t name[80];
    swprintf(name, 80, L"Local\\Ovk Purgelet clearing of a profile %016llx", static_cast<unsigned long long>(hash));
    mutex_ = CreateMutexW(nullptr, FALSE, name);
    if (!mutex_) return;
    const DWORD waited = WaitForSingleObject(mutex_, waitMs);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

ProfileClearing::~ProfileClearing() {
    if (held_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
}

ProfileReport ClearProfileCaches(const BrowserProfile& profile, const std::vector<std::wstring>& programs,
                                 const Platform& platform, const std::wstring& programFolder, const FolderGuard& guard,
                                 Walk walk, const std::function<void(std::uint64_t count)>& progress) {
    ProfileReport report;
    report.profile = profile;
    if (profile.refusal || !profile.problem.empty()) return report;
    report.running = BrowserRuns(profile, programs);
    if (report.running != Running::No) return report;
    for (std::size_t i = 0; i < profile.caches.size(); ++i) {
        const std::wstring& cache = profile.caches[i];
        // A cache must lie in its profile (or data folder) as itself.
        const std::wstring root = i < profile.cacheRoots.size() ? profile.cacheRoots[i] : profile.profileFolder;
        if (cache.size() <= root.size() + 1 || cache.compare(0, root.size(), root) != 0) continue;
        const PlaceCheck check =
            CheckPlace(RootOf(root), cache.substr(root.size(), cache.size() - root.size() - 1), PlaceKind::Folder);
        if (check.place == Place::Missing) continue;
        if (check.place != Place::Here) {
            ++report.refusedFolders;
            report.refused.push_back({cache, {RefusalKind::Elsewhere}, check.really});
            continue;
        }
        RemovalTally tally;
        const std::uint64_t before = report.files + report.folders;
        if (progress) tally.onProgress = [&](const RemovalTally& t) { progress(before + t.files + t.folders); };
        EmptyFolder(cache, platform, {programFolder, false, &guard, nullptr}, walk, tally);
        AddRemoval(report, cache, tally);
    }
    return report;
}

void AddRemoval(ProfileReport& report, const std::wstring& folder, RemovalTally& tally) {
    if (tally.refusal) {
        ++report.refusedFolders;
        report.refused.push_back({folder, tally.refusal, tally.really});
        return;
    }
    report.files += tally.files;
    report.folders += tally.folders;
    report.bytes += tally.bytes;
    report.keptFiles += tally.keptFiles;
    report.keptLinks += tally.keptLinks;
    report.keptFolders += tally.keptFolders;
    for (LeftEntry& entry : tally.kept)
        if (report.kept.size() < kKeptNamed) report.kept.push_back(std::move(entry));
}

namespace {

// What an item is called in its lines, and what its line counts.
struct ItemWords {
    const wchar_t* what;
    const wchar_t* one;
    const wchar_t* many;
};
ItemWords WordsOf(BrowserItem item) {
    switch (item) {
        case BrowserItem::Cookies:
            return {L"cookies", L"cookie", L"cookies"};
        case BrowserItem::History:
            return {L"history", L"visit", L"visits"};
        case BrowserItem::Forms:
            return {L"form data", L"form entry", L"form entries"};
        case BrowserItem::Sessions:
            return {L"open tabs and sessions", nullptr, nullptr};
        case BrowserItem::Cache:
            break;
    }
    return {L"cache", nullptr, nullptr};
}

std::wstring Counted(std::uint64_t n, const wchar_t* one, const wchar_t* many) {
    return GroupedCount(n) + L" " + (n == 1 ? one : many);
}

// "18,204 visits (40,112 rows), 3 files, 2.1 MB": the databases' rows when
// the item has any, its files when it has files or nothing else.
std::wstring Summary(const ProfileReport& report) {
    const ItemWords words = WordsOf(report.item);
    std::wstring text;
    if (words.one) {
        text = Counted(report.headline, words.one, words.many);
        if (report.rows != report.headline) text += L" (" + Counted(report.rows, L"row", L"rows") + L")";
        if (report.keptCookies) text += L", " + GroupedCount(report.keptCookies) + L" kept (kept sites)";
    }
    if (report.files || report.folders || !words.one)
        text += (text.empty() ? L"" : L", ") + Counted(report.files, L"file", L"files") + L", " +
                ReadableSize(report.bytes);
    for (const DatabaseReport& database : report.databases) {
        switch (database.left) {
            case LeftAlone::NotADatabase:
                text += L"; not a database, left as it is: " + database.file;
                break;
            case LeftAlone::Link:
                text += L"; a link, left as it is: " + database.file +
                        (database.really.empty() ? L"" : L" (it leads to " + database.really + L")");
                break;
            case LeftAlone::OtherNames:
                text += L"; a file with other names, left as it is: " + database.file;
                break;
            case LeftAlone::Failed:
            case LeftAlone::ForeignTrigger:
                text += L"; left as it was: " + database.file + L" (" + Widen(database.error) + L")";
                break;
            case LeftAlone::No:
                break;
        }
    }
    for (const ProfileReport::RefusedCache& refused : report.refused)
        text += L"; refused: " + refused.folder + (refused.really.empty() ? L"" : L", which is " + refused.really) +
                L" (" + Widen(RefusalReason(refused.why)) + L")";
    return text;
}

// Why a profile was skipped, as its line goes on after its name.
std::wstring WhySkipped(const ProfileReport& report) {
    const BrowserProfile& profile = report.profile;
    if (!profile.problem.empty()) return profile.problem + L"; nothing of it was touched";
    if (profile.refusal) {
        if (profile.refusal.kind == RefusalKind::Elsewhere)
            return L"its profile folder " + profile.profileFolder + L" is a link or leads out of its browser's folder" +
                   (profile.really.empty() ? L"" : L" (to " + profile.really + L")") + L", and is left alone";
        return L"its profile folder " + profile.profileFolder +
               (profile.really.empty() ? L"" : L" (which is " + profile.really + L")") + L" is never emptied (" +
               Widen(RefusalReason(profile.refusal)) + L")";
    }
    if (report.running == Running::OtherClearing)
        return L"another clearing of " + std::wstring(RowOf(profile.browser).title) + L" (" + profile.shownName +
               L") is running; try again when it has ended";
    std::wstring why = L"it is running; close it and try again";
    if (profile.browser == Browser::Edge)
        why +=
            L" (Edge may go on running in the background after its last window is closed: see its "
            L"settings \"Startup boost\" and \"Continue running background extensions and apps when "
            L"Microsoft Edge is closed\")";
    return why;
}

}  // namespace

std::wstring PreviewText(const ProfileReport& report) {
    if (report.running == Running::OtherClearing) return L"another clearing is running";
    if (report.running != Running::No) return L"running";
    if (report.profile.refusal || !report.profile.problem.empty()) return L"refused";
    if (report.item == BrowserItem::Cache) return Summary(report);
    return std::wstring(WordsOf(report.item).what) + L": " + Summary(report);
}

std::wstring ProfileLine(const ProfileReport& report) {
    const BrowserProfile& profile = report.profile;
    const std::wstring who = std::wstring(RowOf(profile.browser).title) + L" (" + profile.shownName + L")";
    if (report.Skipped()) return L"Skipped " + who + L": " + WhySkipped(report);
    return L"Cleared the " + std::wstring(WordsOf(report.item).what) + L" of " + who + L": " + Summary(report);
}

std::wstring ProfileLine(const std::vector<ProfileReport>& items) {
    if (items.empty()) return {};
    const bool allSkipped =
        std::all_of(items.begin(), items.end(), [](const ProfileReport& item) { return item.Skipped(); });
    if (items.size() == 1 || allSkipped) return ProfileLine(items.front());
    // A run that went only part of the way (the browser started meanwhile)
    // tells per item what went and what did not.
    const BrowserProfile& profile = items.front().profile;
    std::wstring line = L"Cleared " + std::wstring(RowOf(profile.browser).title) + L" (" + profile.shownName + L"): ";
    for (std::size_t i = 0; i < items.size(); ++i) {
        line += (i ? L"; the " : L"the ") + std::wstring(WordsOf(items[i].item).what) + L" ";
        line += items[i].Skipped() ? L"not cleared: " + WhySkipped(items[i]) : Summary(items[i]);
    }
    return line;
}

}  // namespace purgelet
