// How long the day analysis holds the main loop on a heavy day: 50,000 browser visits since midnight
// (a prompt of megabytes) and the applications of the day. The model refreshes the day against a
// Gemini server on 127.0.0.1 that answers at once, while a turn of our own keeps coming back to the
// main loop: the longest gap between two of our turns is the longest time the loop spent on anything
// else, what a user would feel as a frozen window. The independent baseline is what the main loop
// used to do with the same report: write the prompt and print it, at once on this thread. The
// printed prompt goes to a file rather than to the benchmark's output. Prints each figure and
//   ratio day_analysis_hold_over_writing_the_prompt <longest hold / the baseline's time>
//   ratio day_analysis_hold_longest_ms <the longest hold, in milliseconds; the goal is at most 50>
//
// Usage: day_analysis_main_loop_bench [runs]   (default 5; medians of the runs)

#include "analysis/ContentViewModel.h"
#include "app/ActivityDataManager.h"
#include "app/PreferencesModel.h"
#include "bench/BenchProgram.h"
#include "bench/MainLoopHold.h"
#include "bench/MainLoopTurns.h"
#include "bench/StandardOutputToFile.h"
#include "bench/app/DayServices.h"
#include "bench/app/HistoryGenerator.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Log.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {
namespace {

using bench::DayServices;
using bench::historyNow;

constexpr int visitsOfTheDay = 50000;
const char* const answer = R"({"categories": [{"type": "Create", "apps": "Application 1, Application 2"},
    {"type": "Consume", "apps": "www.example.com, docs.example.org"}],
  "activities": [{"description": "Writing the report", "apps": ["Application 1"]}]})";

// One fresh analysis of the day, from cold (the history loaded, the day merged): the longest time the
// main loop went without coming back to our turn.
double longestHold(DayServices& day) {
    ChromeHistoryReader::resetLastLoadTimeForTesting();
    day.service->cachedActivities = {};
    ActivityDataManager::shared().clearAllData();
    const auto model = std::make_shared<ContentViewModel>(day.service);
    const double hold = bench::longestHoldUntilDone(*day.loop, model->refreshAnalysis(), 120, "the day was not analysed");
    if (model->activityBreakdown->empty()) bench::fail("the day was not analysed");
    day.loop->runUntil([] { return pendingContinuationCount() == 0; }, 20);
    day.loop->runUntilIdle();
    return hold;
}

// What the main loop did before: the prompt written and printed at once. The time and the prompt's size.
std::pair<double, std::size_t> writingThePrompt(DayServices& day) {
    const Date start = Calendar::current().startOfDay(historyNow);
    const UnifiedActivityReport report = runBlocking(*day.loop, day.service->generateReport(start, historyNow), 120);
    std::string prompt;
    const double seconds = bench::secondsOf([&] {
        prompt = PreferencesModel::shared()->categorizationPrompt() + "\n\nUnified Activity Report:\n" +
                 UnifiedActivityService::formatReport(report);
        printLine("combinedPrompt");
        printLine(prompt);
    });
    return {seconds, prompt.size()};
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    using namespace glimmo;
    const int runs = bench::runsFrom(argc, argv);
    std::vector<double> holds;
    std::vector<double> baselines;
    std::size_t promptBytes = 0;
    {
        DayServices day(visitsOfTheDay, answer);
        const bench::StandardOutputToFile printed(day.folder.path() / "printed.txt");
        longestHold(day); // caches and the server's connection warm
        for (int run = 0; run < runs; ++run) {
            holds.push_back(longestHold(day));
            const auto [baseline, bytes] = writingThePrompt(day);
            baselines.push_back(baseline);
            promptBytes = bytes;
        }
    }
    const double hold = bench::median(holds);
    const double baseline = bench::median(baselines);
    std::printf("day analysis, %d visits, prompt of about %zu KB: main loop held at most %7.1f ms; writing and "
                "printing the prompt at once %7.1f ms\n",
                visitsOfTheDay, promptBytes / 1000, hold * 1e3, baseline * 1e3);
    bench::printRatio("day_analysis_hold_over_writing_the_prompt", hold / baseline);
    bench::printLongestMs("day_analysis_hold_longest_ms", hold, 50);
    return 0;
}
