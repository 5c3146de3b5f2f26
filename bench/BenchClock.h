#pragma once
// Timing and the result line shared by the benchmarks.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace Tessar {
namespace Bench {

// Milliseconds of the performance counter.
inline double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

// p from 0 (fastest) to 1 (slowest); 0.5 is the median.
inline double Percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    size_t at = static_cast<size_t>(p * (values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

// "WHAT: ours X UNIT, REFERENCE Y UNIT, ratio R"
inline void PrintRatioLine(const char* what, double ours, const char* reference, double theirs,
                           const char* unit = "ms") {
    printf("%s: ours %.3f %s, %s %.3f %s, ratio %.3f\n", what, ours, unit, reference, theirs, unit,
           theirs > 0 ? ours / theirs : 0.0);
}

}  // namespace Bench
}  // namespace Tessar
