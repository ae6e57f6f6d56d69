#pragma once
// Owners for the platform's handles: each frees its handle once, when it
// goes, and can be moved but not copied. Every handle the program keeps is
// held by one of these.
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <shlobj.h>
#include <winsvc.h>

#include <utility>

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle handle = Traits::Invalid()) {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::Invalid() && old != handle) Traits::Free(old);
    }

private:
    Handle handle_ = Traits::Invalid();
};

namespace handle_traits {
template <typename H>
struct Gdi {
    static H Invalid() { return nullptr; }
    static void Free(H h) { ::DeleteObject(h); }
};
struct ImageList {
    static HIMAGELIST Invalid() { return nullptr; }
    static void Free(HIMAGELIST h) { ImageList_Destroy(h); }
};
struct Icon {
    static HICON Invalid() { return nullptr; }
    static void Free(HICON h) { ::DestroyIcon(h); }
};
struct Menu {
    static HMENU Invalid() { return nullptr; }
    static void Free(HMENU h) { ::DestroyMenu(h); }
};
struct Kernel {
    static HANDLE Invalid() { return nullptr; }
    static void Free(HANDLE h) { ::CloseHandle(h); }
};
struct Service {
    static SC_HANDLE Invalid() { return nullptr; }
    static void Free(SC_HANDLE h) { ::CloseServiceHandle(h); }
};
struct RegKey {
    static HKEY Invalid() { return nullptr; }
    static void Free(HKEY h) { ::RegCloseKey(h); }
};
struct ItemList {
    static LPITEMIDLIST Invalid() { return nullptr; }
    static void Free(LPITEMIDLIST h) { ::CoTaskMemFree(h); }
};
struct MemoryDC {
    static HDC Invalid() { return nullptr; }
    static void Free(HDC h) { ::DeleteDC(h); }
};
struct Global {
    static HGLOBAL Invalid() { return nullptr; }
    static void Free(HGLOBAL h) { ::GlobalFree(h); }
};
struct Hook {
    static HHOOK Invalid() { return nullptr; }
    static void Free(HHOOK h) { ::UnhookWindowsHookEx(h); }
};
struct Module {
    static HMODULE Invalid() { return nullptr; }
    static void Free(HMODULE h) { ::FreeLibrary(h); }
};
template <typename P>
struct Local {
    static P Invalid() { return nullptr; }
    static void Free(P p) { ::LocalFree(reinterpret_cast<HLOCAL>(p)); }
};
}  // namespace handle_traits

using Font = UniqueHandle<HFONT, handle_traits::Gdi<HFONT>>;
using Bitmap = UniqueHandle<HBITMAP, handle_traits::Gdi<HBITMAP>>;
using Brush = UniqueHandle<HBRUSH, handle_traits::Gdi<HBRUSH>>;
using ImageList = UniqueHandle<HIMAGELIST, handle_traits::ImageList>;
using Icon = UniqueHandle<HICON, handle_traits::Icon>;
using Menu = UniqueHandle<HMENU, handle_traits::Menu>;
using KernelHandle = UniqueHandle<HANDLE, handle_traits::Kernel>;
using ServiceHandle = UniqueHandle<SC_HANDLE, handle_traits::Service>;
using RegKeyHandle = UniqueHandle<HKEY, handle_traits::RegKey>;
using ItemIdList = UniqueHandle<LPITEMIDLIST, handle_traits::ItemList>;
using MemoryDC = UniqueHandle<HDC, handle_traits::MemoryDC>;
using HookHandle = UniqueHandle<HHOOK, handle_traits::Hook>;
using GlobalMemory = UniqueHandle<HGLOBAL, handle_traits::Global>;
using ModuleHandle = UniqueHandle<HMODULE, handle_traits::Module>;
// Memory the platform hands out to be given back with LocalFree.
template <typename P>
using LocalMemory = UniqueHandle<P, handle_traits::Local<P>>;

// The clipboard, open for a window while this lives; another program that
// holds it open keeps it from opening (IsOpen is false).
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard() {
        if (open_) ::CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

// A window's device context, released to that window.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDC(HWND window, DWORD flags) : window_(window), dc_(::GetDCEx(window, nullptr, flags)) {}
    ~WindowDC() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The device context of one WM_PAINT, ended with it.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~PaintDC() { ::EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a device context for a while; the one it
// replaced goes back when this goes.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer, released once.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For calls that hand out a new reference.
    T** put() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};
