// Medians of repeated runs for the benchmark executables.
#pragma once
#include <algorithm>
#include <chrono>
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

} // namespace vtest
