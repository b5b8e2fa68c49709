#include "toolkit/Dpi.h"
#include "base/Handle.h"

namespace vtx {

UINT SystemDpi() noexcept {
    window_dc screen(nullptr);
    UINT dpi = screen.get() ? static_cast<UINT>(::GetDeviceCaps(screen.get(), LOGPIXELSY)) : 96;
    return dpi ? dpi : 96;
}

UINT WindowDpi(HWND wnd) noexcept {
    // Windows 10 has GetDpiForWindow; 0 for a window that is no more.
    if (wnd) {
        if (UINT dpi = ::GetDpiForWindow(wnd)) return dpi;
    }
    return SystemDpi();
}

} // namespace vtx
