#pragma once
// The few platform calls that tests must be able to steer. Everything else
// calls Win32 directly.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

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
    // Full path of the running executable.
    std::function<std::string()> moduleFileName = [] {
        char path[MAX_PATH] = {};
        DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        return std::string(path, n);
    };
    // ShellExecuteA with the verb "open"; returns its result code.
    std::function<INT_PTR(HWND, const std::string& file)> shellOpen = [](HWND owner, const std::string& file) {
        return reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", file.c_str(), "", "", SW_SHOW));
    };
    // A listed entry's attribute word as the file removal sees it; lets tests
    // present attributes that Wine does not store (normal, not indexed, ...).
    std::function<DWORD(const std::wstring& path, DWORD attributes)> listedAttributes =
        [](const std::wstring&, DWORD attributes) { return attributes; };
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
