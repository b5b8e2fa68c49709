// A small child process for the tests: it sleeps, or shows a window of a
// chosen kind, until it is ended or its time runs out.
//   vthelper sleep [ms]
//   vthelper modules [count] [ms]   (loads count of the system's DLLs first)
//   vthelper window|toolwindow|appwindow|owned|hidden [title] [ms]
//   vthelper locked [ms]   (sleeps with an access list that lets only SYSTEM open it)
//   vthelper hung [title] [ms]   (shows its window, minimises it and stops taking messages)
//   vthelper load path [ms]   (loads the library at path, of any length, first)
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <string>
#include "base/Handle.h"

namespace {

LRESULT CALLBACK HelperWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND CreateHelperWindow(const std::wstring& kind, const std::wstring& title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = HelperWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VtHelperWindow";
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    DWORD exStyle = 0;
    HWND owner = nullptr;
    if (kind == L"toolwindow") exStyle = WS_EX_TOOLWINDOW;
    if (kind == L"appwindow") exStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW;
    if (kind == L"owned") {
        owner = CreateWindowExW(0, wc.lpszClassName, L"owner", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                                nullptr, wc.hInstance, nullptr);
    }
    HWND wnd = CreateWindowExW(exStyle, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 100, 100, 320, 200,
                               owner, nullptr, wc.hInstance, nullptr);
    if (kind != L"hidden") ShowWindow(wnd, SW_SHOWNORMAL);
    return wnd;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring mode = argc > 1 ? argv[1] : L"sleep";
    // Two libraries beyond the defaults, so the module list has known entries.
    LoadLibraryW(L"version.dll");
    LoadLibraryW(L"shlwapi.dll");
    if (mode == L"modules") {
        // Mapped without running their start-up code: only the module list grows.
        int wanted = argc > 2 ? _wtoi(argv[2]) : 120;
        wchar_t dir[MAX_PATH] = {};
        GetSystemDirectoryW(dir, MAX_PATH);
        WIN32_FIND_DATAW found{};
        const vtx::unique_find_handle search(FindFirstFileW((std::wstring(dir) + L"\\*.dll").c_str(), &found));
        for (BOOL more = static_cast<bool>(search); more && wanted > 0; more = FindNextFileW(search.get(), &found))
            if (LoadLibraryExW((std::wstring(dir) + L"\\" + found.cFileName).c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES))
                --wanted;
        Sleep(argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 120000);
        return 0;
    }
    if (mode == L"load") {
        if (argc < 3 || !LoadLibraryW(argv[2])) return 4;
        Sleep(argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 120000);
        return 0;
    }
    if (mode == L"locked") {
        // What a service or another user's process is to a standard user:
        // not even a limited query may open it.
        vtx::unique_hlocal sd;
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;SY)", SDDL_REVISION_1, sd.put(), nullptr) ||
            !GetSecurityDescriptorDacl(sd.get(), &present, &dacl, &defaulted) ||
            SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT,
                            DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                            nullptr) != ERROR_SUCCESS)
            return 3;
        Sleep(argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 120000);
        return 0;
    }
    if (mode == L"sleep") {
        DWORD ms = argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 120000;
        Sleep(ms);
        return 0;
    }
    std::wstring title = argc > 2 ? argv[2] : L"VtHelper";
    UINT ms = argc > 3 ? static_cast<UINT>(_wtoi(argv[3])) : 120000;
    if (mode == L"hung") {
        // A program that has stopped answering, minimised: nothing sent to
        // its window is handled until it ends.
        HWND wnd = CreateHelperWindow(L"window", title);
        ShowWindow(wnd, SW_MINIMIZE);
        Sleep(ms);
        return 0;
    }
    CreateHelperWindow(mode, title);
    SetTimer(nullptr, 0, ms, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
