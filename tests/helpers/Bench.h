// Medians of repeated runs for the benchmark executables.
#pragma once
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <utility>
#include <vector>

namespace vtest {

// The middle sample (the mean of the middle two for an even count); 0 for none.
inline double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

// Median time of one call of work over runs calls, in milliseconds.
template <class Fn>
double MedianMs(int runs, Fn&& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return Median(std::move(times));
}

// Median time of one call in microseconds, over perRun calls a run; work
// gets the call's number within the run.
template <class Fn>
double MedianPerCallUs(int runs, int perRun, Fn&& work) {
    return MedianMs(runs, [&] {
               for (int i = 0; i < perRun; ++i) work(i);
           }) * 1000.0 / perRun;
}

// A measured figure and what it measures, printed one a line.
struct TFigure {
    const char* What;
    double Value;
};

inline void PrintFigures(const char* bench, const char* unit, std::initializer_list<TFigure> figures) {
    for (const TFigure& figure : figures) std::printf("%s: %-48s %10.3f %s\n", bench, figure.What, figure.Value, unit);
    std::fflush(stdout);
}

} // namespace vtest
