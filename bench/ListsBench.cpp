// Time of a process-list refresh and of a module-list fill with N helper
// processes running, with one reading of the process table per fill and with
// a full enumeration per row. Prints medians and the ratio.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "app/ControllerMain.h"
#include "app/ListLogic.h"
#include "helpers/Bench.h"
#include "helpers/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

using vtest::MedianMs;

int wmain() {
    using namespace vtx;
    const std::wstring title = L"VantrelBench" + std::to_wstring(::GetCurrentProcessId());
    Application().Initialize();
    Application().SetTitle(title);
    MessageBoxSeam() = [](const TMessageBoxRequest&) { return static_cast<int>(mrOk); };
    std::printf("%-5s %-8s %14s %14s %8s %14s %14s %8s\n", "N", "rows", "refresh 1x ms", "refresh/row ms", "ratio",
                "modules 1x ms", "modules/row ms", "ratio");
    std::vector<vtest::ChildProcess> children;
    for (int n : {50, 100, 200}) {
        while (static_cast<int>(children.size()) < n)
            children.emplace_back(vtest::HelperPath(), L"sleep 600000", false);
        ::Sleep(1000);
        TCMain main;
        auto& list = *main.frmMain->lsvProcesses;
        int row = -1;
        for (int i = 0; i < list.ItemCount() && row < 0; ++i)
            if (list.Item(i).SubItems[0] == L"VtHelper") row = i;
        auto refresh = [&] { main.RefreshProcessList(nullptr); };
        auto modules = [&] {
            list.SelectItem(row);
            main.ShowProcessModules(nullptr);
        };
        main.IdLookup = TCMain::TIdLookup::OneSnapshot;
        double fastRefresh = MedianMs(5, refresh);
        row = std::min(row, list.ItemCount() - 1);
        double fastModules = MedianMs(5, modules);
        main.IdLookup = TCMain::TIdLookup::PerRow;
        double slowRefresh = MedianMs(3, refresh);
        double slowModules = MedianMs(3, modules);
        std::printf("%-5d %-8d %14.1f %14.1f %7.1fx %14.1f %14.1f %7.1fx\n", n, list.ItemCount(), fastRefresh,
                    slowRefresh, slowRefresh / fastRefresh, fastModules, slowModules, slowModules / fastModules);
        std::fflush(stdout);
    }
    children.clear();
    Application().DestroyForms();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Quelmar\\" + title).c_str());
    return 0;
}
