// The floor of the start-up benchmark: the least a process viewer can do on
// this platform. One window with one report list view, one reading of the
// process table (the system's process records, the fastest way here), one row
// per process filled before the window shows; then it waits to be closed.
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK FloorProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    if (msg == WM_SIZE) {
        if (HWND list = ::GetWindow(wnd, GW_CHILD)) ::MoveWindow(list, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSW wc{};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"VtxFloor";
    ::RegisterClassW(&wc);
    HWND wnd = ::CreateWindowExW(0, wc.lpszClassName, L"Floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 913, 612, nullptr, nullptr, instance, nullptr);
    HWND list = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 900,
                                  580, wnd, nullptr, instance, nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 300;
    column.pszText = const_cast<wchar_t*>(L"Process");
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    using QueryFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> records(1 << 20);
    ULONG returned = 0;
    while (query(5 /* SystemProcessInformation */, records.data(), static_cast<ULONG>(records.size()), &returned) ==
           static_cast<LONG>(0xC0000004))
        records.resize(records.size() * 2);
    // The record's image name: a counted string at 0x38 on 64-bit Windows.
    int row = 0;
    for (size_t offset = 0;;) {
        const BYTE* record = records.data() + offset;
        USHORT bytes = 0;
        const wchar_t* name = nullptr;
        std::memcpy(&bytes, record + 0x38, sizeof bytes);
        std::memcpy(&name, record + 0x40, sizeof name);
        std::wstring text = name ? std::wstring(name, bytes / sizeof(wchar_t)) : std::wstring(L"System Idle Process");
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row++;
        item.pszText = text.data();
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        ULONG next = 0;
        std::memcpy(&next, record, sizeof next);
        if (next == 0) break;
        offset += next;
    }
    ::ShowWindow(wnd, show);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
