#include "cleaner/Browsers.h"

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
#include "cleaner/ConfinedEntries.h"
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

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

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

// A profile folder's name as Local State gives it: one plain name, never a
// path of its own.
bool IsPlainFolderName(std::wstring_view name) {
    return confined::IsPlainName(name) && name.find_first_of(L"\\/") == std::wstring_view::npos;
}

// A relative path of plain names ("Profiles/x.default"), with "\" between them.
std::optional<std::wstring> PlainRelativePath(const std::wstring& path) {
    std::wstring out;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find_first_of(L"\\/", start), path.size());
        const std::wstring_view part(path.data() + start, end - start);
        if (!confined::IsPlainName(part)) return std::nullopt;
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
                names.emplace_back(folder, named ? FromUtf8(value["name"].get<std::string>()) : folder);
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

// The caches below folder that are there.
void AddCaches(std::vector<std::wstring>& caches, const std::wstring& folder, const auto& names) {
    for (const wchar_t* name : names) {
        const std::wstring cache = folder + name + L"\\";
        if (DirectoryExists(cache) && std::find(caches.begin(), caches.end(), cache) == caches.end())
            caches.push_back(cache);
    }
}

void FindChromium(const BrowserRow& row, const AppDataFolders& appData, std::vector<BrowserProfile>& found) {
    const std::wstring base = row.roaming ? appData.roaming : appData.local;
    const std::wstring dataFolder = base + row.folder + L"\\";
    if (base.empty() || !DirectoryExists(dataFolder)) return;
    if (row.id == Browser::Opera) {
        // Opera's data folder is its one profile; its caches lie below the
        // local folder at the same place.
        BrowserProfile profile{row.id, L"Opera Stable", L"Opera Stable", dataFolder, dataFolder + L"lockfile", {}, {}};
        for (const std::wstring& root :
             {dataFolder, appData.local.empty() ? dataFolder : appData.local + row.folder + L"\\"}) {
            AddCaches(profile.caches, root, kChromiumCaches);
            AddCaches(profile.caches, root, kChromiumSharedCaches);
        }
        found.push_back(std::move(profile));
        return;
    }
    bool first = true;
    for (auto& [folder, shown] : ChromiumProfileNames(dataFolder)) {
        BrowserProfile profile{row.id, folder, shown, dataFolder + folder + L"\\", dataFolder + L"lockfile", {}, {}};
        if (!DirectoryExists(profile.profileFolder)) continue;
        AddCaches(profile.caches, profile.profileFolder, kChromiumCaches);
        if (first) AddCaches(profile.caches, dataFolder, kChromiumSharedCaches);
        first = false;
        found.push_back(std::move(profile));
    }
}

void FindFirefox(const BrowserRow& row, const AppDataFolders& appData, std::vector<BrowserProfile>& found) {
    if (appData.roaming.empty()) return;
    const std::wstring dataFolder = appData.roaming + row.folder + L"\\";
    const std::wstring localFolder = appData.local.empty() ? dataFolder : appData.local + row.folder + L"\\";
    const std::optional<std::string> text = ReadWhole(dataFolder + L"profiles.ini");
    if (!text) return;
    CSimpleIniA ini;
    ini.SetUnicode(true);
    if (ini.LoadData(text->data(), text->size()) < 0) return;
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
        profile.folderName = written;
        profile.shownName = FromUtf8(ini.GetValue(section.pItem, "Name", path));
        std::wstring local;
        if (relative) {
            const std::optional<std::wstring> plain = PlainRelativePath(written);
            if (!plain) continue;  // a path that would leave the Firefox folder
            profile.profileFolder = dataFolder + *plain;
            local = localFolder + *plain;
        } else {
            // A profile kept elsewhere keeps its caches in itself.
            profile.profileFolder = WithTrailingBackslash(written);
            std::replace(profile.profileFolder.begin(), profile.profileFolder.end(), L'/', L'\\');
            local = profile.profileFolder;
        }
        if (!DirectoryExists(profile.profileFolder)) continue;
        profile.lockFile = profile.profileFolder + L"parent.lock";
        AddCaches(profile.caches, local, kFirefoxCaches);
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
    for (const BrowserRow& row : kBrowsers) {
        if (row.firefox)
            FindFirefox(row, appData, found);
        else
            FindChromium(row, appData, found);
    }
    if (guard)
        for (BrowserProfile& profile : found) profile.refusal = guard->LookAt(profile.profileFolder).refusal;
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

ProfileReport ClearProfileCaches(const BrowserProfile& profile, const std::vector<std::wstring>& programs,
                                 const Platform& platform, const std::wstring& programFolder, const FolderGuard& guard,
                                 Walk walk, const std::function<void(std::uint64_t count)>& progress) {
    ProfileReport report;
    report.profile = profile;
    if (profile.refusal) return report;
    report.running = BrowserRuns(profile, programs);
    if (report.running != Running::No) return report;
    for (const std::wstring& cache : profile.caches) {
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
        if (report.kept.size() < 100) report.kept.push_back(std::move(entry));
}

std::wstring GroupedCount(std::uint64_t n) {
    std::wstring digits = std::to_wstring(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, L",");
    return digits;
}

std::wstring ReadableSize(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_wstring(bytes) + (bytes == 1 ? L" byte" : L" bytes");
    const wchar_t* units[] = {L"KB", L"MB", L"GB", L"TB"};
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    wchar_t text[32];
    if (value < 10)
        swprintf(text, 32, L"%.1f %ls", value, units[unit]);
    else
        swprintf(text, 32, L"%.0f %ls", value, units[unit]);
    return text;
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
        if (database.notADatabase)
            text += L"; not a database, left as it is: " + database.file;
        else if (!database.error.empty())
            text += L"; left as it was: " + database.file + L" (" + Widen(database.error) + L")";
    }
    return text;
}

}  // namespace

std::wstring PreviewText(const ProfileReport& report) {
    if (report.running != Running::No) return L"running";
    if (report.profile.refusal) return L"refused";
    if (report.item == BrowserItem::Cache) return Summary(report);
    return std::wstring(WordsOf(report.item).what) + L": " + Summary(report);
}

std::wstring ProfileLine(const ProfileReport& report) {
    const BrowserProfile& profile = report.profile;
    const std::wstring who = std::wstring(RowOf(profile.browser).title) + L" (" + profile.shownName + L")";
    if (profile.refusal)
        return L"Skipped " + who + L": its profile folder " + profile.profileFolder + L" is never emptied (" +
               Widen(RefusalReason(profile.refusal)) + L")";
    if (report.running != Running::No) {
        std::wstring line = L"Skipped " + who + L": it is running; close it and try again";
        if (profile.browser == Browser::Edge)
            line +=
                L" (Edge may go on running in the background after its last window is closed: see its "
                L"settings \"Startup boost\" and \"Continue running background extensions and apps when "
                L"Microsoft Edge is closed\")";
        return line;
    }
    return L"Cleared the " + std::wstring(WordsOf(report.item).what) + L" of " + who + L": " + Summary(report);
}

std::wstring ProfileLine(const std::vector<ProfileReport>& items) {
    if (items.empty()) return {};
    if (items.size() == 1 || items.front().Skipped()) return ProfileLine(items.front());
    const BrowserProfile& profile = items.front().profile;
    std::wstring line = L"Cleared " + std::wstring(RowOf(profile.browser).title) + L" (" + profile.shownName + L"): ";
    for (std::size_t i = 0; i < items.size(); ++i)
        line += (i ? L"; the " : L"the ") + std::wstring(WordsOf(items[i].item).what) + L" " + Summary(items[i]);
    return line;
}

}  // namespace purgelet
