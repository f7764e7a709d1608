#include "cleaner/FolderDiscovery.h"

#include <windows.h>

#include <vector>

#include "core/Texts.h"
#include "base/Handles.h"
#include "base/Registry.h"

namespace purgelet {

namespace {
constexpr char kCrLf[] = "\r\n";

std::string RemoveAll(std::string text, const std::string& what) {
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos)) text.erase(pos, what.size());
    return text;
}
// A folder named by the system, ending in "\"; empty stays empty.
std::wstring AsFolder(const std::wstring& path) { return path.empty() ? path : WithTrailingBackslash(path); }

std::wstring Known(const DiscoveryFacts& facts, REFKNOWNFOLDERID id) {
    return facts.knownFolder ? AsFolder(facts.knownFolder(id)) : std::wstring();
}
}  // namespace

std::string ExtractFileDrive(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // \\server\share: up to the backslash after the share name.
        std::size_t server = path.find('\\', 2);
        if (server == std::string::npos) return path;
        std::size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path : path.substr(0, share);
    }
    return {};
}

std::string FindProfileFolder(const DiscoveryFacts& facts, std::uint8_t winMajor) {
    // Without the Windows folder every base below would be a relative path.
    if (facts.windowsFolder.empty()) return {};
    std::string base;
    if (winMajor < 5) {
        base = facts.windowsFolder + "Profiles\\";
    } else {
        base = ExtractFileDrive(facts.windowsFolder).substr(0, 3);
        if (base.empty() || base.back() != '\\') {
            if (base.size() < 3) base += '\\';
        }
        base += "Documents and Settings\\";
        base = base.substr(0, 26);
    }
    if (base.empty()) return {};

    // Without a name a candidate would be the profiles root itself: no candidate.
    const auto usable = [](const std::string& name) { return !name.empty() && name != "." && name != ".."; };
    if (usable(facts.userName)) {
        std::string first = base + facts.userName + "\\";
        if (facts.directoryExists(first)) return first;
    }

    std::string appData = facts.readAppData ? facts.readAppData() : std::string();
    appData = facts.fullPath ? facts.fullPath(appData) : appData;
    appData = RemoveAll(appData, "\\Application Data");
    std::string name;
    if (auto slash = appData.find_last_of('\\'); slash != std::string::npos) name = appData.substr(slash + 1);
    if (!usable(name)) return {};
    std::string second = base + name + "\\";
    if (facts.directoryExists(second)) return second;
    return {};
}

namespace {
// Windows Vista and later keep each folder where the shell says, under names
// that have nothing in common with the 2000/XP ones: each is asked for by its
// role. Only the profile falls back to the search by name.
std::string DiscoverShellFolders(const DiscoveryFacts& facts, FolderSet& f) {
    FolderSet::ShellFolders& shell = f.shell;
    shell.profile = Known(facts, FOLDERID_Profile);
    if (shell.profile.empty()) shell.profile = Widen(FindProfileFolder(facts, f.WinMajor));
    shell.userTemp = facts.tempPath ? AsFolder(facts.tempPath()) : std::wstring();
    shell.userTempConfigured = facts.tempConfigured ? facts.tempConfigured() : std::wstring();
    shell.tempInternet = Known(facts, FOLDERID_InternetCache);
    shell.recent = Known(facts, FOLDERID_Recent);
    shell.cookies = Known(facts, FOLDERID_Cookies);
    shell.history = Known(facts, FOLDERID_History);
    f.ProfileFolder = Narrow(shell.profile);
    return "Current User Dir : " + Utf8(shell.profile) + kCrLf + "User Cookies Dir : " + Utf8(shell.cookies) + kCrLf +
           "User Recent Dir : " + Utf8(shell.recent) + kCrLf + "User History Dir : " + Utf8(shell.history) + kCrLf +
           "User Temp Dir : " + Utf8(shell.userTemp) + kCrLf + "User Temp Int Files Dir : " + Utf8(shell.tempInternet) +
           kCrLf;
}
}  // namespace

DiscoveryLabels DiscoverFolders(const DiscoveryFacts& facts, FolderSet& f) {
    DiscoveryLabels labels;
    f.UserName = facts.userName;
    if (facts.versionKnown) {
        labels.winVer = "Version : " + std::to_string(facts.major) + "." + std::to_string(facts.minor);
        f.WinMajor = static_cast<std::uint8_t>(facts.major);
        f.IsWin9x = facts.platformId != VER_PLATFORM_WIN32_NT;
    }
    const std::string& win = facts.windowsFolder;
    if (f.IsWin9x) {
        f.UserTempInternetFolder.clear();
        if (!f.UserName.empty()) {
            const std::string profile = "Profiles\\" + f.UserName + "\\";
            f.UserHistoryFolder = profile + texts::Win9xHistoryName.Text();
            f.UserCookiesFolder = profile + texts::Win9xCookiesName.Text();
            f.UserRecentFolder = profile + texts::Win9xRecentName.Text();
            f.UserTempInternetFolder = profile + texts::Win9xTempInternetName.Text();
            labels.curUserDir = "Current User Dir : " + win + "Profiles\\" + f.UserName + kCrLf +
                                "User History Dir : " + win + f.UserHistoryFolder + kCrLf +
                                "User Cookies Dir : " + win + f.UserCookiesFolder + kCrLf + "User Recent Dir : " + win +
                                f.UserRecentFolder + kCrLf + "User Temp Int File Dir : " + win +
                                f.UserTempInternetFolder;
        } else {
            labels.curUserDir = "Current User Dir : " + win + kCrLf + "User History Dir : " + win +
                                texts::Win9xHistoryName.Text() + kCrLf + "User Cookies Dir : " + win +
                                texts::Win9xCookiesName.Text() + kCrLf + "User Recent Dir : " + win +
                                texts::Win9xRecentName.Text() + kCrLf + "User Temp Int File Dir : " + win +
                                texts::Win9xTempInternetName.Text() + kCrLf;
        }
        // Named in the ANSI code page, as these families name their folders.
        labels.curUserDir = Utf8(Widen(labels.curUserDir));
        return labels;
    }
    if (f.WinMajor >= 6) {
        labels.curUserDir = DiscoverShellFolders(facts, f);
        return labels;
    }
    f.ProfileFolder = FindProfileFolder(facts, f.WinMajor);
    const std::string& pf = f.ProfileFolder;
    std::string text =
        "Current User Dir : " + pf + kCrLf + "User Cookies Dir : " + pf + texts::NtCookiesName.Text() + kCrLf;
    text += "User Recent Dir : " + pf + texts::NtRecentName.Text() + kCrLf;
    if (f.WinMajor >= 5) {
        text += "User History Dir : " + pf + texts::Nt5HistoryName.Text() + kCrLf;
        text += "User Temp Dir : " + pf + texts::Nt5TempName.Text() + kCrLf;
        text += "User Temp Int Files Dir : " + pf + texts::Nt5TempInternetName.Text() + kCrLf;
    } else {
        text += "User History Dir : " + texts::Nt4HistoryName.Text() + kCrLf;
        text += "User Temp Dir : " + texts::Nt4TempName.Text() + kCrLf;
        text += "User Temp Int Files Dir : " + texts::Nt4TempInternetName.Text() + kCrLf;
    }
    labels.curUserDir = Utf8(Widen(text));
    return labels;
}

bool DirectoryExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string UserID(const Platform& platform) {
    char buf[128] = {};
    DWORD size = sizeof(buf);
    if (!platform.getUserName(buf, &size)) return {};
    buf[sizeof(buf) - 1] = '\0';
    return buf;
}

DiscoveryFacts SystemFacts(const ProgramState& state) { return SystemFacts(state.platform, state.WindowsFolder); }

DiscoveryFacts SystemFacts(const Platform& platform, const std::string& windowsFolder) {
    DiscoveryFacts facts;
    facts.windowsFolder = windowsFolder;
    facts.userName = UserID(platform);
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (platform.getVersion(&v)) {
        facts.versionKnown = true;
        facts.major = v.dwMajorVersion;
        facts.minor = v.dwMinorVersion;
        facts.platformId = v.dwPlatformId;
    }
    facts.directoryExists = [](const std::string& path) { return DirectoryExists(path); };
    facts.knownFolder = platform.knownFolderPath;
    facts.tempPath = [] {
        std::wstring path(MAX_PATH + 1, L'\0');
        DWORD n = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
        if (n >= path.size()) {
            path.resize(n + 1);
            n = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
        }
        return n == 0 || n >= path.size() ? std::wstring() : path.substr(0, n);
    };
    facts.tempConfigured = [] {
        for (const wchar_t* name : {L"TMP", L"TEMP"}) {
            std::wstring value(MAX_PATH + 1, L'\0');
            DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
            if (n >= value.size()) {
                value.resize(n + 1);
                n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
            }
            if (n > 0 && n < value.size()) return value.substr(0, n);
        }
        return std::wstring();
    };
    facts.readAppData = [] {
        // The key is named "\Volatile Environment"; the registry wants it without the leading "\".
        RegKey key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Volatile Environment", 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
            return std::string();
        return ReadRegText(key, "APPDATA").text;
    };
    facts.fullPath = [](const std::string& p) {
        if (p.empty()) return std::string();
        char buf[MAX_PATH * 2] = {};
        DWORD n = GetFullPathNameA(p.c_str(), sizeof(buf), buf, nullptr);
        return (n == 0 || n >= sizeof(buf)) ? p : std::string(buf, n);
    };
    return facts;
}

}  // namespace purgelet
