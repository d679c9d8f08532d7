// Owners for Windows handles: each releases its handle exactly once, cannot be
// copied, and is declared in the order the handles are acquired so that
// destruction unselects, deletes, then releases.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>
#include <utility>

namespace scrimble::win32 {

// The value that holds no handle: null, or the deleter's None() where the
// system says "none" otherwise (INVALID_HANDLE_VALUE for files and searches).
template <typename Handle, typename Deleter, typename = void>
struct NoHandle {
    static Handle Value() { return Handle{}; }
};
template <typename Handle, typename Deleter>
struct NoHandle<Handle, Deleter, std::void_t<decltype(Deleter::None())>> {
    static Handle Value() { return Deleter::None(); }
};

template <typename Handle, typename Deleter>
class UniqueHandle {
    using None = NoHandle<Handle, Deleter>;

public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, None::Value())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, None::Value());
        }
        return *this;
    }
    Handle get() const { return handle_; }
    Handle release() { return std::exchange(handle_, None::Value()); }
    explicit operator bool() const { return handle_ != None::Value(); }
    void reset(Handle handle = None::Value()) {
        if (handle_ != None::Value()) Deleter{}(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = None::Value();
};

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
struct CreatedDcDeleter {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};
struct KernelHandleDeleter {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
struct FileDeleter {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE file) const { ::CloseHandle(file); }
};
struct FindDeleter {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE search) const { ::FindClose(search); }
};
struct IconDeleter {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
};

using UniqueFont = UniqueHandle<HFONT, GdiObjectDeleter>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectDeleter>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectDeleter>;
using UniquePalette = UniqueHandle<HPALETTE, GdiObjectDeleter>;
using UniqueMemoryDc = UniqueHandle<HDC, CreatedDcDeleter>;
using UniquePrinterDc = UniqueHandle<HDC, CreatedDcDeleter>;  // from the print dialog
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleDeleter>;
using UniqueFile = UniqueHandle<HANDLE, FileDeleter>;  // CreateFileW
using UniqueFind = UniqueHandle<HANDLE, FindDeleter>;  // FindFirstFileW
using UniqueIcon = UniqueHandle<HICON, IconDeleter>;    // LoadImageW without LR_SHARED
struct MenuDeleter {
    void operator()(HMENU menu) const { ::DestroyMenu(menu); }
};
using UniqueMenu = UniqueHandle<HMENU, MenuDeleter>;
struct WindowDeleter {
    void operator()(HWND window) const { ::DestroyWindow(window); }
};
using UniqueWindow = UniqueHandle<HWND, WindowDeleter>;

// A device context taken with GetDC / GetWindowDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC; the previous one is selected back on exit.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~Selection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A palette selected into a DC; the previous one is selected back on exit.
class PaletteSelection {
public:
    PaletteSelection(HDC dc, HPALETTE palette) : dc_(dc), previous_(nullptr) {
        if (palette != nullptr) {
            previous_ = ::SelectPalette(dc, palette, FALSE);
            ::RealizePalette(dc);
        }
    }
    ~PaletteSelection() {
        if (previous_ != nullptr) ::SelectPalette(dc_, previous_, FALSE);
    }
    PaletteSelection(const PaletteSelection&) = delete;
    PaletteSelection& operator=(const PaletteSelection&) = delete;

private:
    HDC dc_;
    HPALETTE previous_;
};

// A DLL of the system, taken from the system folder only: a file of the same
// name beside the program or in the current folder is never loaded instead.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
    // Vista and 7 without their loader update refuse the flag: name the file
    // in the system folder, whose dependencies are then looked for there too.
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// A function of a system DLL that older Windows versions may lack: looked up at
// run time so that the program still starts there. Null when it is missing.
template <typename Fn>
Fn SystemFunction(const wchar_t* module, const char* name) {
    HMODULE handle = ::GetModuleHandleW(module);
    if (handle == nullptr) handle = LoadSystemLibrary(module);
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

}  // namespace scrimble::win32
