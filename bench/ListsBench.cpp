// Time of a process-list refresh and of a module-list fill with N helper
// processes running, with one reading of the process table per fill and with
// a full enumeration per row; the module fill of a process with many modules;
// and the first fill of files no fill has seen yet. Prints medians.
//   bench_lists            everything
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
        auto& list = *main.frmMain->lsvProcesses;
        auto& moduleList = *main.frmMain->lsvModules;
        int row = RowOfProduct(main.Processes, L"VtHelper");
        auto refresh = [&] { main.RefreshProcessList(nullptr); };
        auto modules = [&] {
            list.SelectItem(row);
            main.ShowProcessModules(nullptr);
        };
        double fastRefresh = MedianMs(5, refresh);
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
    std::vector<vtest::ChildProcess> children;
    for (const auto& copy : copies) children.emplace_back(copy, L"sleep 600000", false);
    ::Sleep(1500);
    auto start = std::chrono::steady_clock::now();
    main.RefreshProcessList(nullptr);
    double first = ElapsedMs(start);
    double known = MedianMs(3, [&] { main.RefreshProcessList(nullptr); });
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
    MessageBoxSeam() = [](const TMessageBoxRequest&) { return static_cast<int>(mrOk); };
    int rc = 0;
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
            HANDLE file = ::CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
            STARTUPINFOW si{};
            si.cb = sizeof si;
            si.dwFlags = STARTF_USESTDHANDLES;
            si.hStdOutput = file;
            si.hStdError = file;
            PROCESS_INFORMATION pi{};
            std::wstring cmd = L"\"" + std::wstring(self) + L"\" firstfill";
            if (::CreateProcessW(self, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
                ::WaitForSingleObject(pi.hProcess, 300000);
                ::CloseHandle(pi.hThread);
                ::CloseHandle(pi.hProcess);
            }
            ::CloseHandle(file);
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
