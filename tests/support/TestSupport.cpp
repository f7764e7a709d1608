#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <fstream>

#include "core/Texts.h"
#include "base/Handles.h"
#include "base/Sqlite.h"
#include "resource_ids.h"
#include "tray/TrayWindow.h"

namespace testing_support {

void RegSetRaw(const std::string& key, const std::string& name, DWORD type, const std::string& bytes) {
    HKEY h = nullptr;
    LSTATUS status =
        RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(h, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                static_cast<DWORD>(bytes.size()));
        RegCloseKey(h);
    }
    if (status != ERROR_SUCCESS) ADD_FAILURE() << "cannot set HKCU\\" << key << " " << name << ": error " << status;
}

void RegSetString(const std::string& key, const std::string& name, const std::string& value) {
    RegSetRaw(key, name, REG_SZ, std::string(value.c_str(), value.size() + 1));
}

void RegSetDword(const std::string& key, const std::string& name, DWORD value) {
    RegSetRaw(key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof(value)));
}

std::string RegGetString(const std::string& key, const std::string& name) {
    char buf[4096] = {};
    DWORD size = sizeof(buf) - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return {};
    return buf;
}

bool RegValueExists(const std::string& key, const std::string& name) {
    return RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

bool RegKeyExists(const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

void RegDeleteTree(const std::string& key) {
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()), RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

void RegRemoveValue(const std::string& key, const std::string& name) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str());
}

DeniedKey::DeniedKey(const std::string& key) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) !=
        ERROR_SUCCESS)
        return;
    DWORD size = 0;
    RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
    saved_.resize(size);
    if (!size || RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS) return;
    SECURITY_DESCRIPTOR empty{};
    ACL acl{};
    InitializeSecurityDescriptor(&empty, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&acl, sizeof(acl), ACL_REVISION);
    SetSecurityDescriptorDacl(&empty, TRUE, &acl, FALSE);
    denied_ = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &empty) == ERROR_SUCCESS;
}

DeniedKey::~DeniedKey() {
    if (denied_) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
    if (key_) RegCloseKey(key_);
}

std::vector<std::string> RegValueNames(const std::string& key) {
    std::vector<std::string> names;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD len = sizeof(name);
        if (RegEnumValueA(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, len);
    }
    RegCloseKey(h);
    return names;
}

std::string SettingsKey() { return purgelet::texts::SettingsKey.Text(); }

ReportedVersion::ReportedVersion(const std::string& version) { RegSetString("Software\\Wine", "Version", version); }

ReportedVersion::~ReportedVersion() { EXPECT_TRUE(ReportDefaultVersion()); }

bool ReportDefaultVersion() {
    const LSTATUS status = RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version");
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

void MakeDir(const std::string& path) {
    // Creates every missing level.
    std::string p;
    for (std::size_t i = 0; i < path.size(); ++i) {
        p += path[i];
        if (path[i] == '\\' && p.size() > 3) CreateDirectoryA(p.c_str(), nullptr);
    }
    const bool made = CreateDirectoryA(path.c_str(), nullptr);
    const DWORD error = GetLastError();
    if (!made && !IsDir(path)) ADD_FAILURE() << "cannot make the folder " << path << ": error " << error;
}

void WriteFile(const std::string& path, const std::string& content, DWORD attributes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool done = h != INVALID_HANDLE_VALUE &&
                ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                written == content.size();
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    done = done && (!attributes || SetFileAttributesA(path.c_str(), attributes));
    if (!done) ADD_FAILURE() << "cannot write the file " << path << ": error " << GetLastError();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDir(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolderEmpty(const std::string& folder) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((purgelet::Widen(folder) + L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    int entries = 0;
    do entries += std::wcscmp(data.cFileName, L".") != 0 && std::wcscmp(data.cFileName, L"..") != 0;
    while (FindNextFileW(h, &data));
    FindClose(h);
    return entries == 0;
}

namespace {
// Whether the entry really lies at `path`. Under Wine a host link to a file
// lists as a plain file, and attribute changes or deletion by name act on its
// target; its final path names where the target lies, so such an entry (and
// any reparse point) is left alone.
bool LiesWhereListed(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    wchar_t final[1024];
    DWORD n = GetFinalPathNameByHandleW(h, final, 1024, FILE_NAME_NORMALIZED);
    CloseHandle(h);
    if (n == 0 || n >= 1024) return false;
    std::wstring got(final, n);
    if (got.rfind(L"\\\\?\\", 0) == 0) got.erase(0, 4);
    return CompareStringOrdinal(got.c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Wide throughout, so that names outside the code page go too.
void RemoveTreeWide(const std::wstring& path) {
    std::wstring base = path;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((base + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = base + name;
            // Links are never followed, reset or removed here.
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !LiesWhereListed(full)) continue;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTreeWide(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}
}  // namespace

void RemoveTree(const std::string& path) { RemoveTreeWide(purgelet::Widen(path)); }

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    char name[128];
    std::snprintf(name, sizeof(name), "C:\\purgelet-tests\\t%lu-%d\\", GetCurrentProcessId(), counter++);
    path_ = name;
    RemoveTree(path_);
    MakeDir(path_);
}

TempDir::~TempDir() { RemoveTree(path_); }

HICON ProgramIcon() { return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINICON)); }

ProgramFixture::ProgramFixture() {
    app.hooks.messageBox = [this](HWND, const std::string& text, const std::string& caption, UINT flags) {
        recorded.boxes.push_back({text, caption, flags});
        return IDOK;
    };
    app.hooks.beep = [this](UINT) { ++recorded.beeps; };
    purgelet::ConnectTrayWindow(state);
}

// The windows and components refer to the program state, so they go before
// it; the instance mutex a start claimed goes with the fixture, so the next
// fixture starts as a first copy.
ProgramFixture::~ProgramFixture() {
    app.DestroyAll();
    state.instanceMutex.Release();
}

HANDLE Start(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string cmd = commandLine;
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

int RunAndWait(const std::string& commandLine, DWORD timeoutMs) {
    HANDLE p = Start(commandLine);
    if (!p) return -1;
    int code = -1;
    if (WaitForSingleObject(p, timeoutMs) == WAIT_OBJECT_0) {
        DWORD c = 0;
        GetExitCodeProcess(p, &c);
        code = static_cast<int>(c);
    } else {
        TerminateProcess(p, 99);
    }
    CloseHandle(p);
    return code;
}

StartedProgram::~StartedProgram() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
}

bool StartedProgram::End(HWND window, DWORD timeoutMs) {
    if (!process_) return false;
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0) return true;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
    return false;
}

std::string BesideTestProgram(const std::string& name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string self = path;
    return self.substr(0, self.find_last_of('\\') + 1) + name;
}

int RunTestInChild(const std::string& test, DWORD timeoutMs) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return RunAndWait(std::string("\"") + self + "\" --gtest_also_run_disabled_tests --gtest_filter=" + test,
                      timeoutMs);
}

bool StartHostScript(const std::string& script, const std::string& arguments) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string command = "T:\\host\\" + script + " " + arguments;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool WaitForFile(const std::string& path, bool present, DWORD timeoutMs) {
    for (const DWORD start = GetTickCount();; Sleep(2)) {
        if (Exists(path) == present) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
    }
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool ReplaceFromHost(const std::string& done, const std::string& arguments) {
    return StartHostScript("replace_with_links.pl", done + " " + arguments) && WaitForFile(done);
}

std::string ProgramExe() {
    // The build folder is drive T: inside the test prefix.
    return "T:\\Purgelet.exe";
}

namespace {
struct FindCtx {
    std::string caption;
    const char* cls;
    DWORD pid;
    HWND found;
};
BOOL CALLBACK FindProc(HWND h, LPARAM lp) {
    auto* ctx = reinterpret_cast<FindCtx*>(lp);
    char text[512] = {};
    GetWindowTextA(h, text, sizeof(text));
    if (ctx->caption != text) return TRUE;
    if (ctx->cls) {
        char cls[256] = {};
        GetClassNameA(h, cls, sizeof(cls));
        if (lstrcmpiA(cls, ctx->cls) != 0) return TRUE;
    }
    if (ctx->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != ctx->pid) return TRUE;
    }
    ctx->found = h;
    return FALSE;
}
}  // namespace

HWND WaitForWindow(const std::string& caption, const char* className, DWORD timeoutMs, DWORD processId) {
    DWORD start = GetTickCount();
    do {
        FindCtx ctx{caption, className, processId, nullptr};
        EnumWindows(FindProc, reinterpret_cast<LPARAM>(&ctx));
        if (ctx.found) return ctx.found;
        Sleep(100);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::string DialogText(HWND dialog) {
    std::string all;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassNameA(c, cls, sizeof(cls));
        if (lstrcmpiA(cls, "Static") != 0) continue;
        char text[1024] = {};
        GetWindowTextA(c, text, sizeof(text));
        all += text;
    }
    return all;
}

bool AddCookieEntry(const std::string& name) {
    FILETIME zero{};
    return CommitUrlCacheEntryA(name.c_str(), nullptr, zero, zero, COOKIE_CACHE_ENTRY, nullptr, 0, nullptr, nullptr);
}

bool AddHistoryEntry(const std::string& name) {
    FILETIME zero{};
    return CommitUrlCacheEntryA(name.c_str(), nullptr, zero, zero, URLHISTORY_CACHE_ENTRY, nullptr, 0, nullptr,
                                nullptr);
}

std::string AddNormalEntry(const std::string& url, const std::string& extension) {
    char file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(url.c_str(), 0, extension.c_str(), file, 0)) return {};
    WriteFile(file, "<html></html>");
    FILETIME zero{};
    if (!CommitUrlCacheEntryA(url.c_str(), file, zero, zero, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr))
        return {};
    return file;
}

std::vector<std::string> CacheEntryNames() {
    std::vector<std::string> names;
    WalkUrlCache([&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
        if (entry.lpszSourceUrlName) names.emplace_back(entry.lpszSourceUrlName);
        return true;
    });
    return names;
}

void ClearUrlCache() {
    for (const auto& n : CacheEntryNames()) DeleteUrlCacheEntryA(n.c_str());
}

}  // namespace testing_support

namespace testing_support {

double SecondsNow() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string SqlLastValue(const std::string& file, const std::string& sql) {
    purgelet::SqliteDatabase db;
    EXPECT_EQ(sqlite3_open(file.c_str(), db.Receive()), SQLITE_OK);
    std::string last;
    const auto keep = [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) = values[0] ? values[0] : "";
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db.Get(), sql.c_str(), keep, &last, nullptr), SQLITE_OK) << sql;
    return last;
}

int WalkUrlCache(const std::function<bool(const INTERNET_CACHE_ENTRY_INFOA&)>& visit, CacheReads reads) {
    const bool query = reads == CacheReads::SizeQueryEach;
    std::vector<char> buffer(query ? 0 : 4096);
    auto entry = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()); };
    DWORD size = static_cast<DWORD>(buffer.size());
    HANDLE find = FindFirstUrlCacheEntryA(nullptr, query ? nullptr : entry(), &size);
    if (!find && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.assign(size, 0);
        find = FindFirstUrlCacheEntryA(nullptr, entry(), &size);
    }
    if (!find) return 0;
    int answered = 0;
    for (;;) {
        answered += visit(*entry()) ? 1 : 0;
        size = query ? 0 : static_cast<DWORD>(buffer.size());
        if (FindNextUrlCacheEntryA(find, query ? nullptr : entry(), &size)) continue;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        buffer.assign(size, 0);
        if (!FindNextUrlCacheEntryA(find, entry(), &size)) break;
    }
    FindCloseUrlCache(find);
    return answered;
}

std::vector<std::string> WithoutRemovedLines(std::vector<std::string> lines) {
    std::erase_if(lines, [](const std::string& line) { return line.rfind("Removed from ", 0) == 0; });
    return lines;
}

}  // namespace testing_support
