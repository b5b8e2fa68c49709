// One move-only owner for every kind of platform handle: the traits name the
// pointer type, the empty value and how to release it.
#pragma once
#include <windows.h>
#include <utility>

namespace vtx {

template <class Traits>
class unique_resource {
public:
    using pointer = typename Traits::pointer;

    unique_resource() noexcept = default;
    explicit unique_resource(pointer value) noexcept : value_(value) {}
    unique_resource(const unique_resource&) = delete;
    unique_resource& operator=(const unique_resource&) = delete;
    unique_resource(unique_resource&& other) noexcept : value_(other.release()) {}
    unique_resource& operator=(unique_resource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_resource() { reset(); }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }
    pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
    void reset(pointer value = Traits::invalid()) noexcept {
        pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    // For out-parameters of platform calls: releases what is held first.
    pointer* put() noexcept { reset(); return &value_; }

private:
    pointer value_ = Traits::invalid();
};

namespace traits {
template <class T, auto Close>
struct null_invalid {
    using pointer = T;
    static constexpr pointer invalid() noexcept { return nullptr; }
    static void close(pointer p) noexcept { Close(p); }
};
template <auto Close>
struct invalid_handle_value {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer p) noexcept { Close(p); }
};
inline void close_handle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void find_close(HANDLE h) noexcept { ::FindClose(h); }
inline void close_key(HKEY k) noexcept { ::RegCloseKey(k); }
inline void destroy_icon(HICON i) noexcept { ::DestroyIcon(i); }
inline void free_library(HMODULE m) noexcept { ::FreeLibrary(m); }
inline void unmap_view(void* p) noexcept { ::UnmapViewOfFile(p); }
inline void delete_gdi(HGDIOBJ o) noexcept { ::DeleteObject(o); }
inline void destroy_window(HWND w) noexcept { ::DestroyWindow(w); }
inline void destroy_menu(HMENU m) noexcept { ::DestroyMenu(m); }
inline void local_free(void* p) noexcept { ::LocalFree(p); }
inline void global_free(HGLOBAL g) noexcept { ::GlobalFree(g); }
inline void free_sid(PSID p) noexcept { ::FreeSid(p); }
inline void delete_dc(HDC d) noexcept { ::DeleteDC(d); }
} // namespace traits

using unique_handle = unique_resource<traits::null_invalid<HANDLE, traits::close_handle>>;
// Handles whose failure value is INVALID_HANDLE_VALUE (files, Tool Help snapshots).
using unique_file_handle = unique_resource<traits::invalid_handle_value<traits::close_handle>>;
using unique_find_handle = unique_resource<traits::invalid_handle_value<traits::find_close>>;
using unique_hkey = unique_resource<traits::null_invalid<HKEY, traits::close_key>>;
using unique_hicon = unique_resource<traits::null_invalid<HICON, traits::destroy_icon>>;
using unique_hmodule = unique_resource<traits::null_invalid<HMODULE, traits::free_library>>;
using unique_view = unique_resource<traits::null_invalid<void*, traits::unmap_view>>;
using unique_gdi = unique_resource<traits::null_invalid<HGDIOBJ, traits::delete_gdi>>;
using unique_hfont = unique_resource<traits::null_invalid<HFONT, traits::delete_gdi>>;
using unique_hbrush = unique_resource<traits::null_invalid<HBRUSH, traits::delete_gdi>>;
using unique_hbitmap = unique_resource<traits::null_invalid<HBITMAP, traits::delete_gdi>>;
using unique_hwnd = unique_resource<traits::null_invalid<HWND, traits::destroy_window>>;
using unique_hmenu = unique_resource<traits::null_invalid<HMENU, traits::destroy_menu>>;
using unique_hlocal = unique_resource<traits::null_invalid<void*, traits::local_free>>;
using unique_hglobal = unique_resource<traits::null_invalid<HGLOBAL, traits::global_free>>;
using unique_sid = unique_resource<traits::null_invalid<PSID, traits::free_sid>>;
// Memory device contexts made with CreateCompatibleDC.
using unique_hdc = unique_resource<traits::null_invalid<HDC, traits::delete_dc>>;

// A device context borrowed from a window, given back on scope exit.
class window_dc {
public:
    explicit window_dc(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
    window_dc(const window_dc&) = delete;
    window_dc& operator=(const window_dc&) = delete;
    ~window_dc() { if (dc_) ::ReleaseDC(wnd_, dc_); }
    HDC get() const noexcept { return dc_; }
private:
    HWND wnd_;
    HDC dc_;
};

// Selects a GDI object into a DC and puts the previous one back on scope exit.
class select_object {
public:
    select_object(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    select_object(const select_object&) = delete;
    select_object& operator=(const select_object&) = delete;
    ~select_object() { if (old_) ::SelectObject(dc_, old_); }
private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window's paint bracket: BeginPaint now, EndPaint on scope exit.
class paint_dc {
public:
    explicit paint_dc(HWND wnd) noexcept : wnd_(wnd), dc_(::BeginPaint(wnd, &ps_)) {}
    paint_dc(const paint_dc&) = delete;
    paint_dc& operator=(const paint_dc&) = delete;
    ~paint_dc() { ::EndPaint(wnd_, &ps_); }
    HDC get() const noexcept { return dc_; }
    const PAINTSTRUCT& info() const noexcept { return ps_; }
private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Runs a function when the scope ends, however it ends.
template <class F>
class scope_exit {
public:
    explicit scope_exit(F f) noexcept : f_(std::move(f)) {}
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;
    ~scope_exit() { if (armed_) f_(); }
    void release() noexcept { armed_ = false; }
private:
    F f_;
    bool armed_ = true;
};

// A device context borrowed with GetDCEx (clip region and flags as given), or
// the whole window's with GetWindowDC; given back on scope exit.
class window_dc_ex {
public:
    window_dc_ex(HWND wnd, HRGN clip, DWORD flags) noexcept : wnd_(wnd), dc_(::GetDCEx(wnd, clip, flags)) {}
    // The window's frame included, for WM_NCPAINT.
    static window_dc_ex whole_window(HWND wnd) noexcept { return window_dc_ex(wnd, ::GetWindowDC(wnd)); }
    window_dc_ex(const window_dc_ex&) = delete;
    window_dc_ex& operator=(const window_dc_ex&) = delete;
    ~window_dc_ex() { if (dc_) ::ReleaseDC(wnd_, dc_); }
    HDC get() const noexcept { return dc_; }
private:
    window_dc_ex(HWND wnd, HDC dc) noexcept : wnd_(wnd), dc_(dc) {}
    HWND wnd_;
    HDC dc_;
};

} // namespace vtx
