#pragma once
// Timing and the result lines shared by the benchmarks.

#include <windows.h>

#include <algorithm>
#include <cmath>
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

// What a figure of the project's table has to reach. A figure with a goal
// prints its usual line with the goal and whether it was met, and one
// "summary|" line that scripts/bench gathers into the closing table.
struct VQGoal {
    enum Kind {
        kAtMost,          // ours <= limit (unit of the figure)
        kRatioAtMost,     // ours / reference <= limit
        kRatioAtLeast,    // ours / reference >= limit (speeds)
        kRatioWithin,     // |ours / reference - 1| <= limit
        kRatioAndAtMost,  // ours / reference <= limit and ours <= second
        kReferencePlus,   // ours <= reference + limit
    };
    Kind kind;
    double limit;
    double second = 0.0;
};

inline VQGoal AtMost(double limit) { return {VQGoal::kAtMost, limit}; }
inline VQGoal RatioAtMost(double limit) { return {VQGoal::kRatioAtMost, limit}; }
inline VQGoal RatioAtLeast(double limit) { return {VQGoal::kRatioAtLeast, limit}; }
inline VQGoal RatioWithin(double limit) { return {VQGoal::kRatioWithin, limit}; }
inline VQGoal RatioAndAtMost(double ratio, double limit) { return {VQGoal::kRatioAndAtMost, ratio, limit}; }
inline VQGoal ReferencePlus(double limit) { return {VQGoal::kReferencePlus, limit}; }

inline bool GoalMet(const VQGoal& goal, double ours, double theirs) {
    const double ratio = theirs > 0 ? ours / theirs : 0.0;
    switch (goal.kind) {
    case VQGoal::kAtMost: return ours <= goal.limit;
    case VQGoal::kRatioAtMost: return theirs > 0 && ratio <= goal.limit;
    case VQGoal::kRatioAtLeast: return theirs > 0 && ratio >= goal.limit;
    case VQGoal::kRatioWithin: return theirs > 0 && std::fabs(ratio - 1.0) <= goal.limit;
    case VQGoal::kRatioAndAtMost: return theirs > 0 && ratio <= goal.limit && ours <= goal.second;
    case VQGoal::kReferencePlus: return ours <= theirs + goal.limit;
    }
    return false;
}

inline void FormatGoal(const VQGoal& goal, const char* unit, char* out, size_t size) {
    switch (goal.kind) {
    case VQGoal::kAtMost: snprintf(out, size, "at most %.4g %s", goal.limit, unit); break;
    case VQGoal::kRatioAtMost: snprintf(out, size, "ratio at most %.4g", goal.limit); break;
    case VQGoal::kRatioAtLeast: snprintf(out, size, "ratio at least %.4g", goal.limit); break;
    case VQGoal::kRatioWithin: snprintf(out, size, "ratio within %.4g of 1", goal.limit); break;
    case VQGoal::kRatioAndAtMost:
        snprintf(out, size, "ratio at most %.4g and at most %.4g %s", goal.limit, goal.second, unit);
        break;
    case VQGoal::kReferencePlus: snprintf(out, size, "at most the reference + %.4g %s", goal.limit, unit); break;
    }
}

// "WHAT: ours X UNIT, REFERENCE Y UNIT, ratio R; goal G: met" and the
// summary line "summary|WHAT|X UNIT|REFERENCE Y UNIT|R|G|met".
inline bool PrintGoalLine(const char* what, double ours, const char* reference, double theirs, const char* unit,
                          const VQGoal& goal) {
    char goalText[120];
    FormatGoal(goal, unit, goalText, sizeof goalText);
    const bool met = GoalMet(goal, ours, theirs);
    const double ratio = theirs > 0 ? ours / theirs : 0.0;
    printf("%s: ours %.3f %s, %s %.3f %s, ratio %.3f; goal %s: %s\n", what, ours, unit, reference, theirs, unit,
           ratio, goalText, met ? "met" : "NOT MET");
    printf("summary|%s|%.3f %s|%s %.3f %s|%.3f|%s|%s\n", what, ours, unit, reference, theirs, unit, ratio, goalText,
           met ? "met" : "NOT MET");
    fflush(stdout);
    return met;
}

}  // namespace Bench
}  // namespace Tessar
