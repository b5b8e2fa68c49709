// Time of a process-list refresh and of a module-list fill with N helper
// processes running, the window shown and the rows on screen painted; the
// refresh as the user gets it from outside ("&Refresh screen", the WM_COMMAND
// round trip to a running Vantrel.exe); the module fill of a process with
// many modules; and the first fill of files no fill has seen yet. Prints medians.
//   bench_lists            everything
//   bench_lists --before PATH   everything, and the refresh from outside also
//                          sent to an earlier Vantrel.exe
//   bench_lists firstfill  one first-fill measurement (run in a fresh process)
#include <windows.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>
#include "app/ControllerMain.h"
#include "app/ListLogic.h"
#include "system/VtxSysInfo.h"
#include "base/ScopedOverride.h"
#include "helpers/Bench.h"
#include "helpers/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

using vtest::MedianMs;

namespace {

constexpr int kNewFiles = 100;

double ElapsedMs(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int RowOfProduct(vtx::TListModel& rows, const std::wstring& product) {
    for (int i = 0; i < rows.Count(); ++i)
        if (rows.Text(i, vtx::TProcessColumn::Product) == product) return i;
    return -1;
}

int RowOfId(const vtx::TListModel& rows, DWORD pid) {
    for (int i = 0; i < rows.Count(); ++i)
        if (rows.Row(i).ProcessId == pid) return i;
    return -1;
}

std::wstring ExeDirectory() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

// "&Refresh screen" sent to a running Vantrel.exe as its popup menu sends it:
// the median round trip of the WM_COMMAND, window shown. Menus cannot be read
// from another process here; the command is that of the entry in a window of
// this process, counted from the first entry the program makes (the first
// command number, 100).
// An earlier Vantrel.exe to send the same command to (--before PATH).
std::wstring gBefore;

double OutsideRefreshMs(WORD refreshCommand, const std::wstring& exe) {
    vtest::ChildProcess vantrel(exe, L"", true);
    HWND form = nullptr;
    for (int i = 0; i < 500 && !form; ++i) {
        for (HWND wnd : vtest::WindowsOfProcess(vantrel.Id())) {
            wchar_t name[32] = {};
            ::GetClassNameW(wnd, name, 32);
            if (std::wstring(name) == L"TfrmMain" && ::IsWindowVisible(wnd)) form = wnd;
        }
        if (!form) ::Sleep(20);
    }
    if (!form) return 0;
    const WPARAM refresh = MAKEWPARAM(refreshCommand, 0);
    ::Sleep(500);
    const double ms = MedianMs(7, [&] {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(form, WM_COMMAND, refresh, 0, SMTO_NORMAL, 10000, &result);
    });
    ::PostMessageW(form, WM_CLOSE, 0, 0);
    vantrel.Wait(5000);
    return ms;
}

void RefreshesAndModuleFills() {
    using namespace vtx;
    std::printf("%-5s %-6s %11s %9s %11s %9s\n", "N", "rows", "refresh ms", "ms/row", "modules ms", "ms/row");
    std::vector<vtest::ChildProcess> children;
    double at100 = 0;
    for (int n : {50, 100, 200, 400}) {
        while (static_cast<int>(children.size()) < n)
            children.emplace_back(vtest::HelperPath(), L"sleep 600000", false);
        ::Sleep(1000);
        TCMain main;
        main.frmMain->Show();
        auto& list = *main.frmMain->lsvProcesses;
        auto& moduleList = *main.frmMain->lsvModules;
        int row = RowOfProduct(main.Processes, L"VtHelper");
        // As the user gets it: the rows on screen painted too.
        auto refresh = [&] {
            main.RefreshProcessList(nullptr);
            ::UpdateWindow(list.Handle());
        };
        auto modules = [&] {
            list.SelectItem(row);
            main.ShowProcessModules(nullptr);
            ::UpdateWindow(moduleList.Handle());
        };
        double fastRefresh = MedianMs(5, refresh);
        const double refreshOnly = MedianMs(5, [&] { main.RefreshProcessList(nullptr); });
        const double paintOnly = MedianMs(5, [&] {
            ::InvalidateRect(list.Handle(), nullptr, FALSE);
            ::UpdateWindow(list.Handle());
        });
        std::printf("      of which the refresh alone %.1f ms, a paint of the rows on screen %.1f ms\n", refreshOnly,
                    paintOnly);
        row = std::min(row, list.ItemCount() - 1);
        double fastModules = MedianMs(5, modules);
        int moduleRows = std::max(1, moduleList.ItemCount());
        int rows = std::max(1, list.ItemCount());
        if (n == 100) at100 = fastRefresh;
        double enumeration = MedianMs(5, [] {
            TStringList processes;
            ListRunningProcesses(processes, true);
        });
        std::printf("      of which the process table with full paths: %.1f ms (%.3f ms per row)\n", enumeration,
                    enumeration / rows);
        std::printf("%-5d %-6d %11.1f %9.3f %11.1f %9.3f\n", n, rows, fastRefresh, fastRefresh / rows, fastModules,
                    fastModules / moduleRows);
        if (n == 100 || n == 400) {
            const WORD command =
                static_cast<WORD>(100 + main.frmMain->mniRefresh->Command() - main.frmMain->mniFile->Command());
            const double outside = OutsideRefreshMs(command, ExeDirectory() + L"Vantrel.exe");
            std::printf("      the refresh from outside (WM_COMMAND round trip): %.1f ms, %.2f times the in-process "
                        "figure (goal <= 1.5 at 400)\n",
                        outside, outside / fastRefresh);
            if (!gBefore.empty())
                std::printf("      the same, sent to the earlier Vantrel.exe: %.1f ms\n", OutsideRefreshMs(command, gBefore));
        }
        if (n == 400 && at100 > 0)
            std::printf("refresh at 400: %.3f ms per row (goal <= 0.25); T(400)/T(100) %.2f (goal <= 4.4)\n",
                        fastRefresh / rows, fastRefresh / at100);
        std::fflush(stdout);
    }
    children.clear();

    // A process with well over a hundred modules.
    vtest::ChildProcess many(vtest::HelperPath(), L"modules 150 600000", false);
    ::Sleep(2000);
    TCMain main;
    auto& list = *main.frmMain->lsvProcesses;
    int row = RowOfId(main.Processes, many.Id());
    if (row < 0) {
        std::printf("module fill of a process with many modules: helper not listed\n");
        return;
    }
    auto modules = [&] {
        list.SelectItem(row);
        main.ShowProcessModules(nullptr);
    };
    modules();  // its files enter the cache
    double fill = MedianMs(5, modules);
    int moduleRows = std::max(1, main.frmMain->lsvModules->ItemCount());
    std::printf("module fill of a process with %d modules: %.1f ms, %.3f ms per row\n", moduleRows, fill,
                fill / moduleRows);
}

// In a fresh process: a refresh that meets kNewFiles files for the first time,
// against the same refresh once they are known.
int FirstFill() {
    using namespace vtx;
    std::wstring dir = vtest::ScratchDirectory(L"bench-firstfill");
    std::vector<std::wstring> copies;
    for (int i = 0; i < kNewFiles; ++i)
        copies.push_back(vtest::CopyFileTo(vtest::HelperPath(), dir, L"vtcopy" + std::to_wstring(i) + L".exe"));
    TCMain main;
    main.frmMain->Show();
    std::vector<vtest::ChildProcess> children;
    for (const auto& copy : copies) children.emplace_back(copy, L"sleep 600000", false);
    ::Sleep(1500);
    // What the user waits for: the refresh and the rows on screen painted.
    auto refresh = [&] {
        main.RefreshProcessList(nullptr);
        ::UpdateWindow(main.frmMain->lsvProcesses->Handle());
    };
    auto start = std::chrono::steady_clock::now();
    refresh();
    double first = ElapsedMs(start);
    double known = MedianMs(3, refresh);
    std::printf("%.3f %.3f\n", first, known);
    std::fflush(stdout);
    children.clear();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace vtx;
    const std::wstring title = L"VantrelBench" + std::to_wstring(::GetCurrentProcessId());
    Application().Initialize();
    Application().SetTitle(title);
    const TScopedOverride boxes(MessageBoxSeam(), [](const TMessageBoxRequest&) { return static_cast<int>(mrOk); });
    int rc = 0;
    if (argc > 2 && std::wstring(argv[1]) == L"--before") gBefore = argv[2];
    if (argc > 1 && std::wstring(argv[1]) == L"firstfill") {
        rc = FirstFill();
    } else {
        RefreshesAndModuleFills();
        // Each first fill in a process of its own, so no file is in the cache.
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::vector<double> perFile, firsts;
        for (int run = 0; run < 3; ++run) {
            std::wstring out = vtest::ScratchDirectory(L"bench-firstfill") + L"\\out.txt";
            SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
            {
                const unique_file_handle file(
                    ::CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr));
                STARTUPINFOW si{};
                si.cb = sizeof si;
                si.dwFlags = STARTF_USESTDHANDLES;
                si.hStdOutput = file.get();
                si.hStdError = file.get();
                PROCESS_INFORMATION pi{};
                std::wstring cmd = L"\"" + std::wstring(self) + L"\" firstfill";
                if (::CreateProcessW(self, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
                    const unique_handle thread(pi.hThread), process(pi.hProcess);
                    ::WaitForSingleObject(process.get(), 300000);
                }
            }
            double first = 0, known = 0;
            if (FILE* in = _wfopen(out.c_str(), L"r")) {
                if (std::fscanf(in, "%lf %lf", &first, &known) == 2) {
                    firsts.push_back(first);
                    perFile.push_back((first - known) / kNewFiles);
                }
                std::fclose(in);
            }
        }
        std::printf("first fill with %d new files: %.1f ms, %.3f ms per new file\n", kNewFiles,
                    vtest::Median(firsts), vtest::Median(perFile));
    }
    Application().DestroyForms();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Quelmar\\" + title).c_str());
    return rc;
}
