#pragma once
// Owning wrappers for system handles: each closes what it holds when it goes
// out of scope, so no code path closes anything by hand. They convert to the
// raw handle where one is expected.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <utility>

namespace purgelet {

// A handle with one closing function and one value that means "none".
template <class H, class Closer>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H handle, Closer closer = Closer{}) : handle_(handle), closer_(std::move(closer)) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, Closer::None())), closer_(std::move(other.closer_)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, Closer::None()));
            closer_ = std::move(other.closer_);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    H Get() const { return handle_; }
    operator H() const { return handle_; }
    explicit operator bool() const { return handle_ != Closer::None(); }
    // For functions that hand a new handle back through a pointer.
    H* Receive() {
        Reset();
        return &handle_;
    }
    void Reset(H handle = Closer::None()) {
        if (handle_ != Closer::None()) closer_(handle_);
        handle_ = handle;
    }

private:
    H handle_ = Closer::None();
    Closer closer_{};
};

struct RegKeyCloser {
    static HKEY None() { return nullptr; }
    void operator()(HKEY key) const { RegCloseKey(key); }
};
// A registry key.
using RegKey = UniqueHandle<HKEY, RegKeyCloser>;

struct FindCloser {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE h) const { FindClose(h); }
};
// A file search (FindFirstFileA).
using FindHandle = UniqueHandle<HANDLE, FindCloser>;

struct FileCloser {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE h) const { CloseHandle(h); }
};
// An open file or folder (CreateFileA, NtCreateFile).
using FileHandle = UniqueHandle<HANDLE, FileCloser>;

struct KernelObjectCloser {
    static HANDLE None() { return nullptr; }
    void operator()(HANDLE h) const { CloseHandle(h); }
};
// A kernel object whose "none" is null (CreateMutexA, CreateEventA).
using KernelHandle = UniqueHandle<HANDLE, KernelObjectCloser>;

// A URL cache search. The closing function comes with the handle, since the
// cache functions may be looked up at run time or stood in for in tests.
struct CacheFindCloser {
    static HANDLE None() { return nullptr; }
    std::function<void(HANDLE)> close;
    void operator()(HANDLE h) const {
        if (close) close(h);
    }
};
using CacheFindHandle = UniqueHandle<HANDLE, CacheFindCloser>;

// The screen's device context, released on scope exit.
class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// A memory device context (CreateCompatibleDC), deleted on scope exit.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith = nullptr) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// A GDI object selected into a device context; the previous one is selected
// back on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A GDI object of our own (bitmap, brush, font, pen), deleted on scope exit;
// typed by the kind of object it holds.
template <class H>
struct GdiCloser {
    static H None() { return nullptr; }
    void operator()(H h) const { DeleteObject(h); }
};
template <class H>
using GdiHandle = UniqueHandle<H, GdiCloser<H>>;
using GdiObject = GdiHandle<HGDIOBJ>;

// An icon of our own (CopyIcon, CreateIconIndirect), destroyed on scope exit.
struct IconCloser {
    static HICON None() { return nullptr; }
    void operator()(HICON h) const { DestroyIcon(h); }
};
using IconHandle = UniqueHandle<HICON, IconCloser>;

struct ImageListCloser {
    static HIMAGELIST None() { return nullptr; }
    void operator()(HIMAGELIST h) const { ImageList_Destroy(h); }
};
// An image list of our own (ImageList_Create).
using ImageListHandle = UniqueHandle<HIMAGELIST, ImageListCloser>;

struct MenuCloser {
    static HMENU None() { return nullptr; }
    void operator()(HMENU h) const { DestroyMenu(h); }
};
// A menu of our own (CreateMenu, CreatePopupMenu) with its sub-menus.
using MenuHandle = UniqueHandle<HMENU, MenuCloser>;

struct LibraryCloser {
    static HMODULE None() { return nullptr; }
    void operator()(HMODULE h) const { FreeLibrary(h); }
};
// A library loaded with LoadLibraryA.
using LibraryHandle = UniqueHandle<HMODULE, LibraryCloser>;

struct LocalMemoryCloser {
    static HLOCAL None() { return nullptr; }
    void operator()(HLOCAL h) const { LocalFree(h); }
};
// Memory the system allocated for us with LocalAlloc (FormatMessageA's
// FORMAT_MESSAGE_ALLOCATE_BUFFER).
using LocalMemory = UniqueHandle<HLOCAL, LocalMemoryCloser>;

}  // namespace purgelet
