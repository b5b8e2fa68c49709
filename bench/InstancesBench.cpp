// Cost of the cross-process lock and of the registry's start-up work,
// median of repeated runs.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "helpers/Bench.h"
#include "instances/VtxAppInst.h"

using vtest::MedianMs;

int wmain() {
    std::wstring tag = std::to_wstring(GetCurrentProcessId());
    vtx::TVtxOptex optex(L"VtBenchOptex_" + tag);
    const int pairs = 1000000;
    double lockMs = MedianMs(9, [&] {
        for (int i = 0; i < pairs; ++i) {
            optex.Enter();
            optex.Leave();
        }
    });
    std::printf("bench_instances: uncontended Enter+Leave: %.1f ns\n", lockMs / pairs * 1e6);

    double registryMs = MedianMs(9, [&] {
        vtx::TVtxAppInstances instances(L"C:\\VtBench\\" + tag + L"\\Vantrel.exe");
        instances.CheckSingleInstance();
    });
    std::printf("bench_instances: registry open + CheckSingleInstance + close: %.2f ms\n", registryMs);
    return 0;
}
