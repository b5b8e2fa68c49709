// The cost of the two ways to subclass a common control, through a report
// list view as the program uses it: rows inserted with their sub-item texts,
// and column widths read back. "none" is the control's own procedure;
// "window proc" replaces GWLP_WNDPROC and finds its object in a map (as
// TControl does); "SetWindowSubclass" is comctl32's chain with the object in
// the reference data. Medians of repeated runs, in milliseconds.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>
#include <unordered_map>
#include "base/Handle.h"
#include "helpers/Bench.h"

using vtest::MedianMs;

namespace {

struct TTarget {
    WNDPROC Original = nullptr;
    int Seen = 0;
};

std::unordered_map<HWND, TTarget*>& Map() {
    static std::unordered_map<HWND, TTarget*> map;
    return map;
}

LRESULT CALLBACK LongPtrProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto it = Map().find(wnd);
    TTarget* target = it->second;
    ++target->Seen;
    return ::CallWindowProcW(target->Original, wnd, msg, wp, lp);
}

LRESULT CALLBACK ChainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    ++reinterpret_cast<TTarget*>(ref)->Seen;
    return ::DefSubclassProc(wnd, msg, wp, lp);
}

enum class TWay { None, WindowProc, SetWindowSubclass };

HWND MakeList(HWND parent) {
    HWND list = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                  WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS, 0, 0, 600, 400, parent,
                                  nullptr, ::GetModuleHandleW(nullptr), nullptr);
    for (int c = 0; c < 7; ++c) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = const_cast<wchar_t*>(L"Column");
        col.cx = 80;
        col.iSubItem = c;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&col));
    }
    return list;
}

void Hook(HWND list, TWay way, TTarget& target) {
    if (way == TWay::WindowProc) {
        Map()[list] = &target;
        target.Original = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LongPtrProc)));
    } else if (way == TWay::SetWindowSubclass) {
        ::SetWindowSubclass(list, ChainProc, 1, reinterpret_cast<DWORD_PTR>(&target));
    }
}

void Unhook(HWND list, TWay way, TTarget& target) {
    if (way == TWay::WindowProc) {
        ::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(target.Original));
        Map().erase(list);
    } else if (way == TWay::SetWindowSubclass) {
        ::RemoveWindowSubclass(list, ChainProc, 1);
    }
}

// 300 rows of 7 texts each (one LVM_INSERTITEMW and six LVM_SETITEMTEXTW).
void InsertRows(HWND list) {
    ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < 300; ++i) {
        std::wstring text = L"row " + std::to_wstring(i);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = text.data();
        int row = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        for (int c = 1; c < 7; ++c) {
            LVITEMW sub{};
            sub.iSubItem = c;
            sub.pszText = text.data();
            ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
        }
    }
}

// 7 columns read 1000 times.
int ReadWidths(HWND list) {
    int sum = 0;
    for (int i = 0; i < 1000; ++i)
        for (int c = 0; c < 7; ++c) sum += static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0));
    return sum;
}

} // namespace

int wmain() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    const vtx::unique_hwnd owner(::CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    const HWND parent = owner.get();
    const int runs = 9;
    const struct {
        TWay Way;
        const char* Name;
    } ways[] = {{TWay::None, "none"},
                {TWay::WindowProc, "window proc"},
                {TWay::SetWindowSubclass, "SetWindowSubclass"},
                {TWay::WindowProc, "window proc"},
                {TWay::SetWindowSubclass, "SetWindowSubclass"}};
    std::printf("bench_subclass: %-18s %16s %18s %10s\n", "way", "300 rows ms", "7000 widths ms", "messages");
    int checksum = 0;
    for (const auto& way : ways) {
        const vtx::unique_hwnd owned(MakeList(parent));
        const HWND list = owned.get();
        TTarget target;
        Hook(list, way.Way, target);
        double rows = MedianMs(runs, [&] { InsertRows(list); });
        double widths = MedianMs(runs, [&] { checksum += ReadWidths(list); });
        std::printf("bench_subclass: %-18s %16.2f %18.2f %10d\n", way.Name, rows, widths, target.Seen);
        std::fflush(stdout);
        Unhook(list, way.Way, target);
    }
    return checksum > 0 ? 0 : 1;
}
