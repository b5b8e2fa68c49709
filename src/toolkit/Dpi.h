// Dots per inch of windows and monitors; designed sizes are at 96.
#pragma once
#include <windows.h>

namespace vtx {

UINT WindowDpi(HWND wnd) noexcept;
UINT SystemDpi() noexcept;
inline int ScaleToDpi(int value, UINT dpi) noexcept { return ::MulDiv(value, static_cast<int>(dpi), 96); }

} // namespace vtx
