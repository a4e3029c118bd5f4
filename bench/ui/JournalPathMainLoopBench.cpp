// How long the application's own journal path holds the main loop while it shows a cached day: the
// journal layout (400 by 700, text measured with Qt offscreen) over the services of a day of work,
// as the menu-bar window shows it, from its making until the day's journal is drawn and nothing changes
// any more. On the way the layout reloads the history and analyses the day (a Gemini server on
// 127.0.0.1 answers at once), the journal's model asks the cache, the layout keeps its copy of the text
// for "Copy Journal Summary" and the view shows the reply's excerpt. A turn of our own keeps coming back
// to the main loop: the longest gap between two of our turns is what a user would feel as a frozen
// window. The day holds a reply of 32 MiB (the AI client's reply limit); the independent baseline is
// the same path, in the same run, on a day holding an ordinary journal of 8 KB. Prints each figure and
//   ratio journal_path_hold_32mib_over_ordinary <longest hold showing the 32 MiB day / the ordinary day>
//   ratio journal_path_hold_longest_ms <the 32 MiB day's longest hold, in milliseconds; the goal is at most 100>
//
// Usage: journal_path_main_loop_bench [runs]   (default 5; medians of the runs)

#include "analysis/JournalPromptCache.h"
#include "bench/BenchProgram.h"
#include "bench/QtBenchSession.h"
#include "bench/SettledWindow.h"
#include "bench/StandardOutputToFile.h"
#include "bench/analysis/StoredJournals.h"
#include "bench/app/DayServices.h"
#include "platform/foundation/DateFormatting.h"
#include "ui/Panels/JournalContentView.h"

#include <cstdio>
#include <string>

namespace glimmo {
namespace {

const char* const geminiAnswer = R"({"categories": [{"type": "Create", "apps": "Application 1"}], "activities": []})";

struct Day {
    std::string name;
    std::size_t bytes;
};

// Words the journal of `day` starts with, drawn once it is shown.
std::string firstWords(const Day& day) { return "Journal of the " + day.name + " day:"; }

// The longest hold while the layout shows today, whose cached journal is of `day`'s size.
double showDay(bench::DayServices& services, const Day& day, const std::shared_ptr<const TextMeasurer>& measurer) {
    const auto makeView = [&] { return AnyView(JournalContentView(services.reader, services.monitor, services.service)); };
    // Settled once the day's analysis has ended too.
    return bench::SettledWindow(makeView, firstWords(day), measurer, {}, [] { return pendingContinuationCount() == 0; }).longestHold();
}

double medianHold(bench::DayServices& services, const Day& day, int runs, const std::shared_ptr<const TextMeasurer>& measurer) {
    std::string journal = firstWords(day) + "\n\n" + bench::journalOfDay(0, day.bytes);
    journal.resize(day.bytes);
    JournalPromptCache::shared().saveResponse(std::move(journal), services.loop->now());
    showDay(services, day, measurer); // caches warm
    return bench::medianOf(runs, [&] { return showDay(services, day, measurer); });
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    using namespace glimmo;
    const int runs = bench::runsFrom(argc, argv);
    const bench::OffscreenQt qt;
    setDefaultTimeZone("UTC");
    double ordinary = 0;
    double largest = 0;
    {
        bench::DayServices services(1000, geminiAnswer);
        services.loadHistory();
        const bench::StandardOutputToFile printed(services.folder.path() / "printed.txt");
        ordinary = medianHold(services, {"ordinary", bench::ordinaryJournalBytes}, runs, qt.measurer());
        largest = medianHold(services, {"32 MiB", bench::largestReply}, runs, qt.measurer());
    }
    std::printf("journal layout: main loop held at most %7.1f ms showing the 32 MiB day, %7.1f ms an ordinary day\n",
                largest * 1e3, ordinary * 1e3);
    bench::printRatio("journal_path_hold_32mib_over_ordinary", largest / ordinary);
    bench::printLongestMs("journal_path_hold_longest_ms", largest, 100);
    return 0;
}
