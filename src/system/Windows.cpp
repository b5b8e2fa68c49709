// Windows: the main window of a process.
#include <exception>
#include "system/VtxSysInfo.h"

namespace vtx {

namespace {

struct TWindowSearch {
    DWORD ProcessId = 0;
    HWND Found = nullptr;
    std::exception_ptr Error;
};

BOOL CALLBACK FindMainWindow(HWND wnd, LPARAM context) noexcept {
    auto* search = reinterpret_cast<TWindowSearch*>(context);
    try {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(wnd, &owner);
        if (owner == search->ProcessId && IsMainAppWindow(wnd)) {
            search->Found = wnd;
            return FALSE;
        }
        return TRUE;
    } catch (...) {
        search->Error = std::current_exception();
        return FALSE;
    }
}

} // namespace

bool IsMainAppWindow(HWND wnd) {
    if (!::IsWindowVisible(wnd)) return false;
    // The owner is a pointer-sized value: the 64-bit build reads it whole.
    auto owner = reinterpret_cast<HWND>(::GetWindowLongPtrW(wnd, GWLP_HWNDPARENT));
    auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(wnd, GWL_EXSTYLE));
    const bool unowned = owner == nullptr || owner == ::GetDesktopWindow();
    return unowned && (!(exStyle & WS_EX_TOOLWINDOW) || (exStyle & WS_EX_APPWINDOW));
}

HWND MainWindowFromProcessId(std::uint32_t processId) {
    TWindowSearch search;
    search.ProcessId = processId;
    // Ignored: FALSE only says the callback stopped the walk (found, or an error kept in Search).
    static_cast<void>(::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search)));
    if (search.Error) std::rethrow_exception(search.Error);
    return search.Found;
}

} // namespace vtx
