// Cost of the cross-process lock and of the registry's start-up work,
// median of repeated runs.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "instances/VtxAppInst.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

template <class F>
double Median(int runs, F body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double start = Now();
        body();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int wmain() {
    std::wstring tag = std::to_wstring(GetCurrentProcessId());
    vtx::TVtxOptex optex(L"VtBenchOptex_" + tag);
    const int pairs = 1000000;
    double lock = Median(9, [&] {
        for (int i = 0; i < pairs; ++i) {
            optex.Enter();
            optex.Leave();
        }
    });
    std::printf("bench_instances: uncontended Enter+Leave: %.1f ns\n", lock / pairs * 1e9);

    double registry = Median(9, [&] {
        vtx::TVtxAppInstances instances(L"C:\\VtBench\\" + tag + L"\\Vantrel.exe");
        instances.CheckSingleInstance();
    });
    std::printf("bench_instances: registry open + CheckSingleInstance + close: %.2f ms\n", registry * 1e3);
    return 0;
}
