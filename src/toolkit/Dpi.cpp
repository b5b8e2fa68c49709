#include "toolkit/Dpi.h"

namespace vtx {

namespace {
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
GetDpiForWindowFn DpiForWindowEntry() noexcept {
    // Bound by name: systems before Windows 10 lack it.
    static auto entry = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return entry;
}
} // namespace

UINT SystemDpi() noexcept {
    HDC dc = ::GetDC(nullptr);
    UINT dpi = dc ? static_cast<UINT>(::GetDeviceCaps(dc, LOGPIXELSY)) : 96;
    if (dc) ::ReleaseDC(nullptr, dc);
    return dpi ? dpi : 96;
}

UINT WindowDpi(HWND wnd) noexcept {
    if (wnd) {
        if (auto entry = DpiForWindowEntry()) {
            UINT dpi = entry(wnd);
            if (dpi) return dpi;
        }
    }
    return SystemDpi();
}

} // namespace vtx
