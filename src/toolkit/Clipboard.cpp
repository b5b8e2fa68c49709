#include "toolkit/Clipboard.h"
#include <cstring>
#include "base/Handle.h"

namespace vtx {

namespace {

bool OpenClipboardWithin(HWND owner, DWORD retryMs) {
    constexpr DWORD pause = 10;
    for (DWORD waited = 0;; waited += pause) {
        if (::OpenClipboard(owner)) return true;
        if (waited >= retryMs) return false;
        ::Sleep(pause);
    }
}

} // namespace

bool SetClipboardText(HWND owner, const std::wstring& text, DWORD retryMs) {
    const size_t length = (text.size() + 1) * sizeof(wchar_t);
    unique_hglobal memory(::GlobalAlloc(GMEM_MOVEABLE, length));
    if (!memory) return false;
    void* data = ::GlobalLock(memory.get());
    if (!data) return false;
    std::memcpy(data, text.c_str(), length);
    ::GlobalUnlock(memory.get());

    if (!OpenClipboardWithin(owner, retryMs)) return false;
    scope_exit close([] { ::CloseClipboard(); });
    if (!::EmptyClipboard()) return false;
    if (!::SetClipboardData(CF_UNICODETEXT, memory.get())) return false;
    memory.release();  // the clipboard owns it now
    return true;
}

} // namespace vtx
