#pragma once

// What every benchmark program does the same way: its number of runs from the command line, medians
// of the runs, its `ratio <name> <value>` lines, and giving up with a word on standard error.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace glimmo::bench {

// Says so when the figures come from a build without optimisation, which overstates every cost.
inline void noteUnoptimisedBuild() {
#ifndef NDEBUG
    std::printf("note: built without optimisation (not Release); the figures below overstate every cost\n");
#endif
}

// The first argument as a number of runs (at least one), else `fallback`.
inline int runsFrom(int argc, char** argv, int fallback = 5) { return argc > 1 ? std::max(1, std::atoi(argv[1])) : fallback; }

// Says why on standard error, after the program's name, and ends the program.
[[noreturn]] inline void fail(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, why.c_str());
    std::exit(1);
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median of what `measure()` answers over `runs` runs.
template <class Measure>
double medianOf(int runs, Measure&& measure) {
    std::vector<double> values;
    for (int run = 0; run < runs; ++run) values.push_back(measure());
    return median(std::move(values));
}

inline void printRatio(const std::string& name, double value, int decimals = 2) {
    std::printf("ratio %s %.*f\n", name.c_str(), decimals, value);
}

// `ratio <name> <milliseconds>` for the longest time a thing took, in seconds; past `goalMs`, also
// "<what> longer than <goalMs> ms" on standard error.
inline void printLongestMs(const std::string& name, double seconds, double goalMs,
                           const std::string& what = "the main loop was held") {
    printRatio(name, seconds * 1e3, 1);
    if (seconds * 1e3 > goalMs) {
        std::fprintf(stderr, "%s: %s longer than %.0f ms\n", program_invocation_short_name, what.c_str(), goalMs);
    }
}

} // namespace glimmo::bench
