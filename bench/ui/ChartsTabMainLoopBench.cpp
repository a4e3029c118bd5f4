// How long showing the dashboard's Charts tab holds the main loop on a heavy day: 50,000 browser
// visits since midnight, read from a History file as the application reads them, and the day's
// applications. The Modern layout (400 by 700, text measured with Qt offscreen) has settled on its
// first tab; a click on "Charts" then shows the weekly chart, the hourly switches and the media
// digest, which asks a Gemini server on 127.0.0.1 that answers at once. A turn of our own keeps coming
// back to the main loop until nothing changes any more: the longest gap between two of our turns is
// the longest time the loop spent on anything else, what a user would feel as a frozen window. The
// independent baseline is the same show on an ordinary day of 1,000 visits, in the same run. Prints
// each figure and
//   ratio charts_tab_hold_heavy_over_ordinary <longest hold of the heavy day / of the ordinary day>
//   ratio charts_tab_hold_longest_ms <the heavy day's longest hold, in milliseconds; the goal is at most 50>
//
// Usage: charts_tab_main_loop_bench [runs]   (default 5; medians of the runs)

#include "bench/BenchProgram.h"
#include "bench/MainLoopHold.h"
#include "bench/MainLoopTurns.h"
#include "bench/QtBenchSession.h"
#include "bench/StandardOutputToFile.h"
#include "bench/app/DayServices.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/view/ViewHost.h"
#include "ui/Dashboard/ModernContentView.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace glimmo {
namespace {

using bench::DayServices;

const char* const geminiAnswer = R"({"categories": [{"type": "Create", "apps": "Application 1"}], "activities": []})";

// The middle of the first text run that reads `text`, in window coordinates.
std::optional<CGPoint> placeOf(const DisplayList& list, const std::string& text) {
    std::vector<CGAffineTransform> transforms{CGAffineTransform::identity()};
    for (const DisplayItem& item : list.items) {
        if (const auto* push = std::get_if<PushTransform>(&item)) {
            transforms.push_back(push->transform.concatenating(transforms.back()));
        } else if (std::holds_alternative<PopTransform>(item) && transforms.size() > 1) {
            transforms.pop_back();
        } else if (const auto* shown = std::get_if<TextItem>(&item)) {
            for (const TextRunItem& run : shown->runs) {
                if (run.text == text) {
                    return transforms.back().apply(
                        {shown->origin.x + run.x + run.width / 2, shown->origin.y + shown->lineHeight / 2});
                }
            }
        }
    }
    return std::nullopt;
}

// Runs the main loop until the views have not changed for 20 turns and no task waits; each turn
// runs `eachTurn` first.
void turnUntilSettled(DayServices& day, ViewHost& host, const std::function<void()>& eachTurn) {
    int quietTurns = 0;
    std::size_t evaluations = host.bodyEvaluationCount();
    const auto turn = [&] {
        eachTurn();
        const std::size_t now = host.bodyEvaluationCount();
        quietTurns = now == evaluations && pendingContinuationCount() == 0 ? quietTurns + 1 : 0;
        evaluations = now;
    };
    bench::turnUntil(*day.loop, turn, [&] { return quietTurns >= 20; }, 120, "the views did not settle");
}

// The longest hold from the click on "Charts" until the tab has settled.
double showChartsTab(DayServices& day, const std::shared_ptr<const TextMeasurer>& measurer) {
    ViewHost host(AnyView(ModernContentView(day.reader, day.monitor, day.service)), measurer);
    host.setSize({400, 700});
    turnUntilSettled(day, host, [&] { host.update(); host.displayList(); });
    const std::optional<CGPoint> tab = placeOf(host.displayList(), "Charts");
    if (!tab) bench::fail("no \"Charts\" tab");
    bench::LongestHold hold;
    bool clicked = false;
    turnUntilSettled(day, host, [&] {
        hold.turn([&] {
            if (!clicked) {
                PointerEvent click;
                click.location = *tab;
                click.kind = PointerEvent::Kind::pressed;
                host.handlePointer(click);
                click.kind = PointerEvent::Kind::released;
                host.handlePointer(click);
                clicked = true;
            }
            host.update();
            host.displayList();
        });
    });
    if (!placeOf(host.displayList(), "TODAY'S CONTEXT SWITCHES")) bench::fail("the Charts tab was not shown");
    return hold.seconds();
}

double medianHold(int visits, int runs, const std::shared_ptr<const TextMeasurer>& measurer) {
    DayServices day(visits, geminiAnswer);
    day.loadHistory();
    const bench::StandardOutputToFile printed(day.folder.path() / "printed.txt");
    showChartsTab(day, measurer); // caches warm
    return bench::medianOf(runs, [&] { return showChartsTab(day, measurer); });
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    using namespace glimmo;
    const int runs = bench::runsFrom(argc, argv);
    const bench::OffscreenQt qt;
    setDefaultTimeZone("UTC");
    const double ordinary = medianHold(1000, runs, qt.measurer());
    const double heavy = medianHold(50000, runs, qt.measurer());
    std::printf("Charts tab: main loop held at most %7.1f ms with 50,000 visits today, %7.1f ms with 1,000\n",
                heavy * 1e3, ordinary * 1e3);
    bench::printRatio("charts_tab_hold_heavy_over_ordinary", heavy / ordinary);
    bench::printLongestMs("charts_tab_hold_longest_ms", heavy, 50);
    return 0;
}
