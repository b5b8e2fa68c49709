// Start-up against a peer and the floor: Vantrel, Wine's Task Manager and the
// least program that shows a process list (startup_floor.exe), started in turn
// on the same prefix and display. For each start: the time from CreateProcess
// until its process list view holds rows, and the peak working set once it
// has painted and gone idle, just before it is ended. Prints medians, the
// ratios Vantrel / taskmgr and each one's cost above the floor.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include "helpers/Bench.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 10;
constexpr DWORD kGiveUpMs = 60000;

std::wstring ExeDirectory() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

LRESULT Ask(HWND window, UINT msg) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, msg, 0, 0, SMTO_ABORTIFHUNG, 2000, &result)) return -1;
    return static_cast<LRESULT>(result);
}

// The list views under the process's top-level windows.
std::vector<HWND> ListViewsOf(DWORD pid) {
    struct Ctx { DWORD pid; std::vector<HWND> found; } ctx{pid, {}};
    ::EnumWindows(
        [](HWND top, LPARAM lp) noexcept -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(top, &owner);
            if (owner != c->pid) return TRUE;
            ::EnumChildWindows(
                top,
                [](HWND child, LPARAM inner) noexcept -> BOOL {
                    if (ClassOf(child) == L"SysListView32") reinterpret_cast<Ctx*>(inner)->found.push_back(child);
                    return TRUE;
                },
                lp);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// Vantrel: its first list view is the process list.
bool VantrelPopulated(DWORD pid) {
    auto lists = ListViewsOf(pid);
    return !lists.empty() && Ask(lists.front(), LVM_GETITEMCOUNT) > 0;
}

// The floor program: its one list view.
bool FloorPopulated(DWORD pid) {
    auto lists = ListViewsOf(pid);
    return !lists.empty() && Ask(lists.front(), LVM_GETITEMCOUNT) > 0;
}

// taskmgr: the processes page is the list view with more than the two
// columns of the applications page.
bool TaskmgrPopulated(DWORD pid) {
    for (HWND list : ListViewsOf(pid)) {
        HWND header = reinterpret_cast<HWND>(Ask(list, LVM_GETHEADER));
        if (header && Ask(header, HDM_GETITEMCOUNT) >= 3 && Ask(list, LVM_GETITEMCOUNT) > 0) return true;
    }
    return false;
}

struct Sample {
    bool Ok = false;
    double Ms = 0;
    double PeakMiB = 0;
};

// Asks the process's top-level windows to close: taskmgr then takes its
// notification icon away, which a killed one leaves to slow the next start.
void CloseWindowsOf(DWORD pid) {
    ::EnumWindows(
        [](HWND top, LPARAM lp) noexcept -> BOOL {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(top, &owner);
            if (owner == static_cast<DWORD>(lp) && ::IsWindowVisible(top)) ::PostMessageW(top, WM_CLOSE, 0, 0);
            return TRUE;
        },
        static_cast<LPARAM>(pid));
}

Sample Measure(const std::wstring& exe, const std::function<bool(DWORD)>& populated, bool closeGently) {
    Sample sample;
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    auto start = std::chrono::steady_clock::now();
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return sample;
    ::CloseHandle(pi.hThread);
    for (;;) {
        if (populated(pi.dwProcessId)) {
            sample.Ok = true;
            break;
        }
        double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (elapsed > kGiveUpMs || ::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        ::Sleep(1);
    }
    sample.Ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // The peak of the whole start, the first paint included: a program that
    // answers before it paints would otherwise show the peak of half a start.
    ::WaitForInputIdle(pi.hProcess, 2000);
    ::Sleep(500);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters))
        sample.PeakMiB = static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    if (closeGently) CloseWindowsOf(pi.dwProcessId);
    if (!closeGently || ::WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 10000);
    ::CloseHandle(pi.hProcess);
    // Let the wineserver settle the ended process before the next start; what
    // taskmgr leaves to the desktop (its notification icon) holds up the next
    // start for about 1.7 s unless it has time to go.
    ::Sleep(closeGently ? 2500 : 300);
    return sample;
}

using vtest::Median;

} // namespace

// Optional argument "vantrel", "taskmgr" or "floor": start only that one (to
// tell apart what the others leave behind from the program's own start-up).
int wmain(int argc, wchar_t** argv) {
    const std::wstring only = argc > 1 ? argv[1] : L"";
    const std::wstring vantrel = ExeDirectory() + L"Vantrel.exe";
    const std::wstring floor = ExeDirectory() + L"startup_floor.exe";
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring taskmgr = std::wstring(system) + L"\\taskmgr.exe";
    auto runs = [&](const wchar_t* name) { return only.empty() || only == name; };

    std::vector<double> vTimes, vPeaks, tTimes, tPeaks, fTimes, fPeaks;
    std::printf("start-up to a populated process list, %d alternating starts each\n", kRuns);
    std::printf("%-4s %12s %12s %12s %12s %12s %12s\n", "run", "Vantrel ms", "Vantrel MiB", "taskmgr ms",
                "taskmgr MiB", "floor ms", "floor MiB");
    for (int run = 1; run <= kRuns; ++run) {
        Sample v = runs(L"vantrel") ? Measure(vantrel, VantrelPopulated, false) : Sample{};
        Sample f = runs(L"floor") ? Measure(floor, FloorPopulated, true) : Sample{};
        Sample t = runs(L"taskmgr") ? Measure(taskmgr, TaskmgrPopulated, true) : Sample{};
        if (v.Ok) { vTimes.push_back(v.Ms); vPeaks.push_back(v.PeakMiB); }
        if (t.Ok) { tTimes.push_back(t.Ms); tPeaks.push_back(t.PeakMiB); }
        if (f.Ok) { fTimes.push_back(f.Ms); fPeaks.push_back(f.PeakMiB); }
        std::printf("%-4d %12.1f %12.1f %12.1f %12.1f %12.1f %12.1f\n", run, v.Ms, v.PeakMiB, t.Ms, t.PeakMiB, f.Ms,
                    f.PeakMiB);
        std::fflush(stdout);
    }
    double vt = Median(vTimes), vp = Median(vPeaks), tt = Median(tTimes), tp = Median(tPeaks);
    double ft = Median(fTimes), fp = Median(fPeaks);
    std::printf("median   Vantrel %.1f ms, %.1f MiB peak working set\n", vt, vp);
    std::printf("median   taskmgr %.1f ms, %.1f MiB peak working set\n", tt, tp);
    std::printf("median   floor   %.1f ms, %.1f MiB peak working set\n", ft, fp);
    if (tt > 0 && tp > 0 && vt > 0)
        std::printf("ratio    Vantrel / taskmgr: time %.2f, memory %.2f\n", vt / tt, vp / tp);
    if (ft > 0 && tt > ft && vt > 0) {
        std::printf("above the floor: Vantrel %.1f ms, taskmgr %.1f ms; ratio %.2f (goal <= 0.33)\n", vt - ft, tt - ft,
                    (vt - ft) / (tt - ft));
        std::printf("peak working set above the floor: Vantrel %+.1f MiB (goal <= 2.0)\n", vp - fp);
    }
    return vTimes.empty() && tTimes.empty() && fTimes.empty() ? 1 : 0;
}
