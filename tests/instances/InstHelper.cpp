// Child process for the single-instance tests.
//   vtinsthelper app <log> [max] [hidden|shown|minimized] [restore-gate]
//       a "TApplication" window, then CheckMultipleInstances(max, 0, 0);
//       logs what reaches it until its window is closed; a restore request
//       logs the All table, then waits for the gate event (the instance
//       stops answering meanwhile)
//   vtinsthelper lock <name> <pairs> <mapping> <go-event> [spin]
//       Enter/increment/Leave pairs on a counter in a shared mapping
//   vtinsthelper hold <name> <ready-event> [release-event]
//       takes the lock twice, signals, and leaves when released (or never)
//   vtinsthelper squat <exe> <ready-event> lock|block|table|use
//       makes the lock's event and block, the block alone, or the All table of
//       the executable at <exe> with an access list that lets this user only
//       read them ("use": one that lets everyone use the lock's objects but
//       not change them), signals, and holds them until it is ended
#include <windows.h>
#include <sddl.h>
#include <cstdint>
#include <string>
#include <vector>
#include "instances/VtxAppInst.h"

namespace {

std::wstring gLogPath;
std::wstring gRestoreGate;
UINT gMessageId = 0;

void Log(const std::wstring& line) {
    if (gLogPath.empty()) return;
    const vtx::unique_file_handle file(CreateFileW(gLogPath.c_str(), FILE_APPEND_DATA,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    std::string text = vtx::NarrowUtf8(line + L"\n");
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::wstring Pair(WPARAM wp, LPARAM lp) {
    return std::to_wstring(static_cast<unsigned long long>(wp)) + L" " + std::to_wstring(static_cast<long long>(lp));
}

LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        if (gMessageId && msg == gMessageId) {
            Log(L"window " + Pair(wp, lp));
            return 0;
        }
        switch (msg) {
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_RESTORE) {
                // Who is registered while the request is being handled.
                vtx::TInstanceTable all = vtx::GlobalAppInstances().AllTable();
                std::wstring table = L"table " + std::to_wstring(all.Count);
                for (std::size_t i = 0; i < vtx::TableEntryCount(all); ++i)
                    table += L" " + std::to_wstring(all.ProcessIDs[i]);
                Log(table);
                Log(L"restore");
                const vtx::unique_handle gate(
                    gRestoreGate.empty() ? nullptr : OpenEventW(SYNCHRONIZE, FALSE, gRestoreGate.c_str()));
                if (gate) WaitForSingleObject(gate.get(), 30000);
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE) Log(L"activate");
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        }
    } catch (...) {
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

int RunApp(int argc, wchar_t** argv) {
    gLogPath = argc > 2 ? argv[2] : L"";
    auto maxInstances = static_cast<std::uint16_t>(argc > 3 ? _wtoi(argv[3]) : 1);
    std::wstring show = argc > 4 ? argv[4] : L"hidden";
    gRestoreGate = argc > 5 ? argv[5] : L"";
    WNDCLASSW wc{};
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TApplication";
    RegisterClassW(&wc);
    HWND app = CreateWindowExW(0, wc.lpszClassName, L"InstHelper", WS_OVERLAPPEDWINDOW, 100, 100, 240, 120, nullptr,
                               nullptr, wc.hInstance, nullptr);
    try {
        vtx::TVtxAppInstances& instances = vtx::GlobalAppInstances();
        gMessageId = instances.MessageID();
        Log(L"id " + instances.UniqueAppID());
        Log(L"pid " + std::to_wstring(GetCurrentProcessId()));
        instances.CheckMultipleInstances(maxInstances, 0, 0);
    } catch (const vtx::EVtxError& e) {
        Log(L"error " + e.Message());
        return 3;
    }
    Log(L"admitted");
    if (show == L"shown") ShowWindow(app, SW_SHOWNORMAL);
    if (show == L"minimized") ShowWindow(app, SW_SHOWMINIMIZED);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == gMessageId) Log(L"thread " + Pair(msg.wParam, msg.lParam));
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;  // the registry leaves the tables at program end
}

int RunLock(int argc, wchar_t** argv) {
    if (argc < 6) return 2;
    int pairs = _wtoi(argv[3]);
    std::int32_t spin = argc > 6 ? _wtoi(argv[6]) : vtx::TVtxOptex::DefaultSpinCount;
    vtx::TVtxOptex optex(argv[2], spin);
    vtx::TVtxSwapFileMapping mapping(argv[4], PAGE_READWRITE, 4096, nullptr);
    auto* counter = static_cast<volatile std::uint32_t*>(mapping.GetView(mapping.Add(FILE_MAP_WRITE, 4096, 0)).Memory());
    if (const vtx::unique_handle go(OpenEventW(SYNCHRONIZE, FALSE, argv[5])); go) WaitForSingleObject(go.get(), 30000);
    for (int i = 0; i < pairs; ++i) {
        optex.Enter();
        // Read and write apart, so a lost exclusion loses increments.
        std::uint32_t value = *counter;
        *counter = value + 1;
        optex.Leave();
    }
    return 0;
}

int RunHold(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    vtx::TVtxOptex optex(argv[2], vtx::TVtxOptex::DefaultSpinCount);
    optex.Enter();
    optex.Enter();
    if (const vtx::unique_handle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3])); ready) SetEvent(ready.get());
    const vtx::unique_handle release(argc > 4 ? OpenEventW(SYNCHRONIZE, FALSE, argv[4]) : nullptr);
    if (!release) {
        Sleep(INFINITE);  // ended by the test while it owns the lock
        return 0;
    }
    WaitForSingleObject(release.get(), 60000);
    optex.Leave();
    optex.Leave();
    return 0;
}

// Security attributes from an SDDL text.
class TSddlAttributes {
public:
    explicit TSddlAttributes(const wchar_t* sddl) {
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, FDescriptor.put(), nullptr)) {
            FAttributes.nLength = sizeof FAttributes;
            FAttributes.lpSecurityDescriptor = FDescriptor.get();
        }
    }
    SECURITY_ATTRIBUTES* Get() { return FDescriptor ? &FAttributes : nullptr; }

private:
    vtx::unique_hlocal FDescriptor;
    SECURITY_ATTRIBUTES FAttributes{};
};

int RunSquat(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    const std::wstring id = vtx::AppIdFromPath(argv[2]);
    const std::wstring what = argv[4];
    const std::wstring lock = vtx::OptexNameOf(id);
    // What an elevated copy's default access list amounts to for this user.
    TSddlAttributes readOnly(L"D:(A;;GA;;;SY)(A;;GRGX;;;WD)");
    TSddlAttributes useEvent(L"D:(A;;GA;;;SY)(A;;0x100002;;;WD)");  // SYNCHRONIZE | EVENT_MODIFY_STATE
    TSddlAttributes useBlock(L"D:(A;;GA;;;SY)(A;;0x6;;;WD)");       // FILE_MAP_READ | FILE_MAP_WRITE
    if (!readOnly.Get() || !useEvent.Get() || !useBlock.Get()) return 3;
    const bool use = what == L"use";
    std::vector<HANDLE> held;
    auto hold = [&held](HANDLE object) {
        if (!object || GetLastError() == ERROR_ALREADY_EXISTS) return false;
        held.push_back(object);
        return true;
    };
    if (what == L"lock" || use) {
        if (!hold(CreateEventW(use ? useEvent.Get() : readOnly.Get(), FALSE, FALSE, (L"Optex_Event_" + lock).c_str())))
            return 3;
    }
    if (what == L"lock" || what == L"block" || use) {
        if (!hold(CreateFileMappingW(INVALID_HANDLE_VALUE, use ? useBlock.Get() : readOnly.Get(), PAGE_READWRITE, 0,
                                     sizeof(vtx::TOptexSharedInfo), (L"Optex_MMF_" + lock).c_str())))
            return 3;
    }
    if (what == L"table") {
        if (!hold(CreateFileMappingW(INVALID_HANDLE_VALUE, readOnly.Get(), PAGE_READWRITE, 0,
                                     sizeof(vtx::TInstanceTable), vtx::AllTableNameOf(id).c_str())))
            return 3;
    }
    if (held.empty()) return 2;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
    if (ready) SetEvent(ready);
    Sleep(INFINITE);  // ended by the test
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring mode = argc > 1 ? argv[1] : L"";
    try {
        if (mode == L"app") return RunApp(argc, argv);
        if (mode == L"lock") return RunLock(argc, argv);
        if (mode == L"hold") return RunHold(argc, argv);
        if (mode == L"squat") return RunSquat(argc, argv);
    } catch (...) {
        return 4;
    }
    return 2;
}
