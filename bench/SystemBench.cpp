// Cost of one full process listing and of the per-row lookup, with a few
// helper children running. Median of repeated runs.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "helpers/Bench.h"
#include "helpers/TestSupport.h"
#include "system/VtxSysInfo.h"
#include "base/ScopedOverride.h"

namespace {

using vtest::MedianMs;

} // namespace

int wmain() {
    std::vector<vtest::ChildProcess> children;
    for (int i = 0; i < 4; ++i) children.emplace_back(vtest::HelperPath(), L"sleep 60000", false);
    ::Sleep(300);
    vtx::TStringList probe;
    vtx::ListRunningProcesses(probe, true);
    const int runs = 21;
    double full = MedianMs(runs, [] { vtx::TStringList l; vtx::ListRunningProcesses(l, true); });
    double bare = MedianMs(runs, [] { vtx::TStringList l; vtx::ListRunningProcesses(l, false); });
    double lookup = MedianMs(runs, [] { vtx::ProcessIdFromFileName(vtest::HelperPath()); });
    double modules = MedianMs(runs, [&] { vtx::TStringList l; vtx::ListLoadedModules(l, children[0].Id(), false); });
    // The module snapshot of the Windows 95 family method, for comparison.
    vtx::TSystemFacts win95 = vtx::SystemFacts();
    win95.PlatformId = 1;
    double snapshotModules = 0;
    {
        vtx::TScopedOverride facts(vtx::SystemFacts(), vtx::SetSystemFacts, win95);
        snapshotModules =
            MedianMs(runs, [&] { vtx::TStringList l; vtx::ListLoadedModules(l, children[0].Id(), false); });
    }
    double limited = MedianMs(runs, [&] {
        for (const auto& e : probe) vtx::LimitedProcessImageName(static_cast<std::uint32_t>(e.Value), true);
    });
    std::printf("bench_system: %d processes listed\n", probe.Count());
    vtest::PrintFigures("bench_system", "ms (median)",
                        {{"ListRunningProcesses(full path)", full},
                         {"ListRunningProcesses(bare name)", bare},
                         {"ProcessIdFromFileName", lookup},
                         {"ListLoadedModules(child)", modules},
                         {"ListLoadedModules(child, snapshot)", snapshotModules},
                         {"LimitedProcessImageName(all)", limited}});
    return 0;
}
