// Shared pieces of the about-box tests: a main form made before any other
// form, and a shell stand-in that counts.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "views/KbxHyperlink.h"
#include "base/ScopedOverride.h"

namespace vtest {

// The application's main form for the whole test executable.
vtx::TForm& MainForm();

// Records every target handed to ShellOpen while it lives.
class ShellRecorder {
public:
    std::vector<std::wstring> Targets;

private:
    vtx::TScopedOverride<std::function<void(const std::wstring&)>> FSeam{vtx::ShellOpenSeam(),
                                                    [this](const std::wstring& target) { Targets.push_back(target); }};
};

// Sends a mouse move at client point (x, y) of a window, as the system does.
inline void MouseMove(HWND wnd, int x = 2, int y = 2) {
    ::SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}
inline void MouseClick(HWND wnd, int x = 2, int y = 2) {
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

} // namespace vtest
