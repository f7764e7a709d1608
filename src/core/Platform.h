#pragma once
// The few platform calls that tests must be able to steer. Everything else
// calls Win32 directly.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <string_view>

namespace purgelet {

struct Platform {
    // GetVersionExA; the structure's size field is set by the caller.
    std::function<BOOL(OSVERSIONINFOA*)> getVersion = [](OSVERSIONINFOA* v) { return GetVersionExA(v); };
    // RegSetValueExA, so a failing write can be provoked.
    std::function<LONG(HKEY, const char*, DWORD, const BYTE*, DWORD)> regSetValue =
        [](HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
            return RegSetValueExA(key, name, 0, type, data, size);
        };
    // GetWindowsDirectoryA.
    std::function<UINT(char*, UINT)> getWindowsDirectory = [](char* buf, UINT size) {
        return GetWindowsDirectoryA(buf, size);
    };
    // GetUserNameA.
    std::function<BOOL(char*, DWORD*)> getUserName = [](char* buf, DWORD* size) { return GetUserNameA(buf, size); };
    // Full path of the running executable, however long; empty on failure.
    std::function<std::wstring()> moduleFileName = [] {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (n == 0) return std::wstring();
            if (n < path.size()) return path.substr(0, n);
            if (path.size() >= 32768) return std::wstring();
            path.resize(path.size() * 2);
        }
    };
    // SHGetKnownFolderPath for the current user: where the shell keeps the
    // folder of a role (profile, Recent, ...), as it reports it; empty when
    // it names none.
    std::function<std::wstring(REFKNOWNFOLDERID)> knownFolderPath = [](REFKNOWNFOLDERID id) {
        PWSTR path = nullptr;
        std::wstring result;
        if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) result = path;
        CoTaskMemFree(path);
        return result;
    };
    // ShellExecuteA with the verb "open"; returns its result code.
    std::function<INT_PTR(HWND, const std::string& file)> shellOpen = [](HWND owner, const std::string& file) {
        return reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", file.c_str(), "", "", SW_SHOW));
    };
    // WinExec: starts a command line with a show mode; returns its result.
    std::function<UINT(const std::string& commandLine, UINT show)> winExec =
        [](const std::string& commandLine, UINT show) { return WinExec(commandLine.c_str(), show); };
    // The bytes of one of the program's RCDATA resources (empty when missing).
    std::function<std::string_view(int id)> resourceData = [](int id) -> std::string_view {
        HMODULE module = GetModuleHandleA(nullptr);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes) return {};
        return std::string_view(static_cast<const char*>(bytes), SizeofResource(module, found));
    };
    // The value calls on the current user's Run key (start at logon), so tests
    // can make a write or a removal fail on a key that opened. A key that
    // cannot be opened is made for real: Wine honours a key's access list.
    struct RunKeyCalls {
        // RegSetValueExW with REG_SZ, so a path outside the code page is kept
        // as it is (the value's name is plain ASCII).
        std::function<LONG(HKEY key, const char* name, const std::wstring& text)> setValue =
            [](HKEY key, const char* name, const std::wstring& text) {
                const std::wstring wideName(name, name + std::char_traits<char>::length(name));
                return RegSetValueExW(key, wideName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
            };
        // RegDeleteValueA.
        std::function<LONG(HKEY key, const char* name)> deleteValue = [](HKEY key, const char* name) {
            return RegDeleteValueA(key, name);
        };
    };
    RunKeyCalls runKey;
    // A listed entry's attribute word as the file removal sees it; lets tests
    // present attributes that Wine does not store (normal, not indexed, ...).
    std::function<DWORD(const std::wstring& path, DWORD attributes)> listedAttributes =
        [](const std::wstring&, DWORD attributes) { return attributes; };
    // CoCreateInstance for an in-process or local server.
    std::function<HRESULT(REFCLSID, REFIID, void**)> createComObject = [](REFCLSID clsid, REFIID iid, void** out) {
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, iid, out);
    };
    // RegEnumValueW asking for the name only, so a listing that breaks off can
    // be provoked.
    std::function<LONG(HKEY, DWORD index, wchar_t* name, DWORD* length)> regEnumValueName =
        [](HKEY key, DWORD index, wchar_t* name, DWORD* length) {
            return RegEnumValueW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
        };
    // RegDeleteValueW, so a value that will not go can be provoked.
    std::function<LONG(HKEY, const wchar_t*)> regDeleteValue = [](HKEY key, const wchar_t* name) {
        return RegDeleteValueW(key, name);
    };
    // Shell_NotifyIconA, so a refused icon can be provoked and the calls seen.
    std::function<BOOL(DWORD, NOTIFYICONDATAA*)> notifyIcon = [](DWORD message, NOTIFYICONDATAA* data) {
        return Shell_NotifyIconA(message, data);
    };
    // ShutdownBlockReasonCreate and ShutdownBlockReasonDestroy of user32,
    // looked up at run time (Windows before Vista has neither); false when
    // absent or refused.
    std::function<bool(HWND, const std::wstring& reason)> shutdownBlockReasonCreate = [](HWND window,
                                                                                         const std::wstring& reason) {
        using Fn = BOOL(WINAPI*)(HWND, LPCWSTR);
        auto fn = reinterpret_cast<Fn>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), "ShutdownBlockReasonCreate")));
        return fn && fn(window, reason.c_str());
    };
    std::function<bool(HWND)> shutdownBlockReasonDestroy = [](HWND window) {
        using Fn = BOOL(WINAPI*)(HWND);
        auto fn = reinterpret_cast<Fn>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), "ShutdownBlockReasonDestroy")));
        return fn && fn(window);
    };
};

}  // namespace purgelet
