// How long the application takes to draw its first window with a large browser history, against
// the same start without one. Each start is a process of its own (ApplicationStart.h), in a fresh home
// folder that holds the History file or not.
//
// Prints `ratio first_window_100k_history <with / without>` from medians.

#include "HistoryGenerator.h"
#include "bench/BenchProgram.h"
#include "bench/app/ApplicationStart.h"
#include "tests/support/TemporaryDirectory.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    using glimmo::bench::median;
    if (glimmo::bench::isApplicationStartChild(argc, argv)) return glimmo::bench::runApplicationStartChild(argc, argv);
    glimmo::bench::noteUnoptimisedBuild();
    glimmo::testing::TemporaryDirectory withHistory;
    glimmo::testing::TemporaryDirectory withoutHistory;
    const fs::path history = withHistory.path() / ".config" / "google-chrome" / "Default" / "History";
    fs::create_directories(history.parent_path());
    const double unixNow = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    glimmo::bench::writeHistory(history, 100000, glimmo::Date::fromUnixTime(unixNow));
    std::vector<double> with;
    std::vector<double> without;
    for (int round = 0; round < 15; ++round) {
        const auto a = glimmo::bench::timeOneStart(withHistory.path());
        const auto b = glimmo::bench::timeOneStart(withoutHistory.path());
        if (!a || !b) {
            std::fprintf(stderr, "first_window_bench: a start drew no frame within 60 s\n");
            return 1;
        }
        with.push_back(*a);
        without.push_back(*b);
    }
    const double ours = median(with);
    const double baseline = median(without);
    std::printf("%-52s %9.2f ms   %-40s %9.2f ms\n", "first window, 100k-visit history", ours * 1000,
                "same start without a history", baseline * 1000);
    std::printf("ratio first_window_100k_history %.2f\n", ours / baseline);
    return 0;
}
