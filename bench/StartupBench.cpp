// Start-up against a peer and the floor: Vantrel, Wine's Task Manager and the
// least program that shows a process list (startup_floor.exe), started in turn
// on the same prefix and display. For each start: the time from CreateProcess
// until its process list view holds every row and the program has painted
// and waits for input, and the peak working set once it has gone idle, just
// before it is ended. Prints medians, the ratios Vantrel / taskmgr and each
// one's cost above the floor. Two cases: the processes that run anyway (about
// nine), and a desktop's size: 300 more processes of 150 files that none of
// the programs has seen.
//   bench_startup [vantrel|taskmgr|floor] [--before PATH] [--case small|desktop]
// --before PATH also starts an earlier Vantrel.exe in the same rounds.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include "helpers/Bench.h"
#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "base/Handle.h"
#include "helpers/TestSupport.h"

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

// How many rows "every row" is: the processes running before the start, and
// the program itself; a program may leave out one or two of its own choice.
LRESULT gExpectedRows = 1;

LRESULT RunningProcessCount() {
    using QueryFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> buffer(4 << 20);
    ULONG returned = 0;
    if (!query || query(5, buffer.data(), static_cast<ULONG>(buffer.size()), &returned) != 0) return 1;
    LRESULT count = 0;
    for (size_t offset = 0;; ++count) {
        ULONG next = 0;
        std::memcpy(&next, buffer.data() + offset, sizeof next);
        if (next == 0) return count + 1;
        offset += next;
    }
}

bool AllRows(HWND list) { return Ask(list, LVM_GETITEMCOUNT) >= gExpectedRows - 2; }

// Vantrel: its first list view is the process list.
bool VantrelPopulated(DWORD pid) {
    auto lists = ListViewsOf(pid);
    return !lists.empty() && AllRows(lists.front());
}

// The floor program: its one list view.
bool FloorPopulated(DWORD pid) {
    auto lists = ListViewsOf(pid);
    return !lists.empty() && AllRows(lists.front());
}

// taskmgr: the processes page is the list view with more than the two
// columns of the applications page.
bool TaskmgrPopulated(DWORD pid) {
    for (HWND list : ListViewsOf(pid)) {
        HWND header = reinterpret_cast<HWND>(Ask(list, LVM_GETHEADER));
        if (header && Ask(header, HDM_GETITEMCOUNT) >= 3 && AllRows(list)) return true;
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
    gExpectedRows = RunningProcessCount() + 1;
    auto start = std::chrono::steady_clock::now();
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return sample;
    const vtx::unique_handle thread(pi.hThread), process(pi.hProcess);
    for (;;) {
        if (populated(pi.dwProcessId)) {
            sample.Ok = true;
            break;
        }
        double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (elapsed > kGiveUpMs || ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) break;
        ::Sleep(1);
    }
    // Every row is there; the clock stops once the program has painted them
    // and waits for input.
    ::WaitForInputIdle(process.get(), 10000);
    sample.Ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ::Sleep(500);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(process.get(), &counters, sizeof counters))
        sample.PeakMiB = static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    if (closeGently) CloseWindowsOf(pi.dwProcessId);
    if (!closeGently || ::WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), 10000);
    // Let the wineserver settle the ended process before the next start; what
    // taskmgr leaves to the desktop (its notification icon) holds up the next
    // start for about 1.7 s unless it has time to go.
    ::Sleep(closeGently ? 2500 : 300);
    return sample;
}

using vtest::Median;

struct TProgram {
    const char* Name;
    std::wstring Exe;
    std::function<bool(DWORD)> Populated;
    bool CloseGently;
    std::vector<double> Times, Peaks;
};

void RunCase(const char* title, std::vector<TProgram>& programs) {
    std::printf("\n%s: start-up to every row painted and idle, %d alternating starts each\n", title, kRuns);
    std::printf("%-4s", "run");
    for (const TProgram& p : programs) std::printf(" %14s ms %8s MiB", p.Name, "");
    std::printf("\n");
    for (int run = 1; run <= kRuns; ++run) {
        std::printf("%-4d", run);
        for (TProgram& p : programs) {
            Sample sample = Measure(p.Exe, p.Populated, p.CloseGently);
            if (sample.Ok) {
                p.Times.push_back(sample.Ms);
                p.Peaks.push_back(sample.PeakMiB);
            }
            std::printf(" %17.1f %12.1f", sample.Ms, sample.PeakMiB);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    double floorMs = 0, floorMiB = 0, taskmgrMs = 0, taskmgrMiB = 0;
    for (const TProgram& p : programs) {
        const double ms = Median(p.Times), mib = Median(p.Peaks);
        std::printf("median   %-16s %8.1f ms, %5.1f MiB peak working set\n", p.Name, ms, mib);
        if (std::string(p.Name) == "floor") { floorMs = ms; floorMiB = mib; }
        if (std::string(p.Name) == "taskmgr") { taskmgrMs = ms; taskmgrMiB = mib; }
    }
    if (floorMs <= 0 || taskmgrMs <= floorMs) return;
    for (const TProgram& p : programs) {
        const std::string name = p.Name;
        if (name == "floor" || name == "taskmgr" || p.Times.empty()) continue;
        const double ms = Median(p.Times), mib = Median(p.Peaks);
        std::printf("above the floor: %s %.1f ms, taskmgr %.1f ms; ratio %.2f (goal <= 0.33); peak working set %+.1f MiB "
                    "(taskmgr %+.1f)\n",
                    p.Name, ms - floorMs, taskmgrMs - floorMs, (ms - floorMs) / (taskmgrMs - floorMs), mib - floorMiB,
                    taskmgrMiB - floorMiB);
    }
}

// 300 processes of 150 files, copies of the helper under names of their own.
class TDesktop {
public:
    TDesktop() {
        FDirectory = vtest::ScratchDirectory(L"desktop");
        for (int file = 0; file < 150; ++file) {
            const std::wstring exe =
                vtest::CopyFileTo(vtest::HelperPath(), FDirectory, L"desk" + std::to_wstring(file) + L".exe");
            for (int copy = 0; copy < 2; ++copy) FChildren.emplace_back(exe, L"sleep 3600000", false);
        }
        ::Sleep(3000);  // let them all settle
    }
    ~TDesktop() {
        FChildren.clear();
        ::Sleep(1000);
    }

private:
    std::wstring FDirectory;
    std::vector<vtest::ChildProcess> FChildren;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring only, before, which;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--before" && i + 1 < argc) before = argv[++i];
        else if (arg == L"--case" && i + 1 < argc) which = argv[++i];
        else only = arg;
    }
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    auto wanted = [&](const wchar_t* name) { return only.empty() || only == name; };
    auto programs = [&] {
        std::vector<TProgram> list;
        if (wanted(L"vantrel")) list.push_back({"Vantrel", ExeDirectory() + L"Vantrel.exe", VantrelPopulated, false, {}, {}});
        if (wanted(L"vantrel") && !before.empty()) list.push_back({"Vantrel (before)", before, VantrelPopulated, false, {}, {}});
        if (wanted(L"floor")) list.push_back({"floor", ExeDirectory() + L"startup_floor.exe", FloorPopulated, true, {}, {}});
        if (wanted(L"taskmgr"))
            list.push_back({"taskmgr", std::wstring(system) + L"\\taskmgr.exe", TaskmgrPopulated, true, {}, {}});
        return list;
    };
    bool any = false;
    if (which.empty() || which == L"small") {
        auto list = programs();
        RunCase("the processes that run anyway", list);
        for (const TProgram& p : list) any |= !p.Times.empty();
    }
    if (which.empty() || which == L"desktop") {
        TDesktop desktop;
        auto list = programs();
        RunCase("a desktop's size (300 more processes of 150 files)", list);
        for (const TProgram& p : list) any |= !p.Times.empty();
    }
    return any ? 0 : 1;
}
