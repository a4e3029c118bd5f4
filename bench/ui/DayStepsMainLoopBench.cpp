// The journal layout's day arrow clicked 365 times, 25 ms apart, on the first start after an upgrade: the
// record file of two years of heavy use as an older version left it (OlderRecordFile.h) is converted
// behind the start, and every report waits for that conversion. The layout (400 by 700, text measured
// with Qt offscreen) shows today over the services of a day of work (DayServices.h, a Gemini server on
// 127.0.0.1 that answers at once, and an OpenAI server there for the journal); then a turn of our own
// keeps coming back to the main loop, clicks "previous day" every 25 ms until it has stepped a year back,
// and goes on until the day it landed on is analysed and nothing waits any more. Counted: the requests
// sent to the AI services (day analyses and journals), and the longest gap between two of our turns, what
// a user would feel as a frozen window. The independent baselines, in the same run: the requests of
// showing one day, and an idle main loop's longest hold over as many turns of ours for as long. Prints
// each figure and
//   ratio day_steps_requests_over_one_day <requests sent while stepping / those of showing a day>
//   ratio day_steps_hold_over_idle <longest hold while stepping / the idle loop's>
//   ratio day_steps_hold_longest_ms <the longest hold while stepping, in milliseconds; the goal is at most 50>
//
// Usage: day_steps_main_loop_bench [runs]   (default 3; medians of the runs)

#include "bench/BenchProgram.h"
#include "bench/MainLoopHold.h"
#include "bench/MainLoopTurns.h"
#include "bench/QtBenchSession.h"
#include "bench/SettledWindow.h"
#include "bench/StandardOutputToFile.h"
#include "bench/app/DayServices.h"
#include "bench/app/HistoryGenerator.h"
#include "bench/app/OlderRecordFile.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Log.h"
#include "platform/view/InputEvents.h"
#include "platform/view/ViewHost.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TemporaryDirectory.h"
#include "ui/Panels/JournalContentView.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace glimmo {
namespace {

using bench::SteadyClock;

constexpr int steps = 365;
constexpr auto stepInterval = std::chrono::milliseconds(25);
constexpr int yearsOfRecords = 2;
const char* const geminiAnswer = R"({"categories": [{"type": "Create", "apps": "Editor, Terminal, Application 1, Application 2"}], "activities": []})";

struct Figures {
    double analyses = 0;
    double journals = 0;
    double hold = 0;
    double idleHold = 0;
};

// The OpenAI server the journal asks, answering every request at once with a short journal.
struct JournalServer {
    JournalServer() {
        server.on("POST", "/v1/responses", [](const testing::RecordedRequest&, testing::ServerReply& reply) {
            reply.headers = {{"Content-Type", "application/json"}};
            reply.body = R"({"id": "resp_1", "output": [{"type": "message", "content": [{"type": "output_text", )"
                         R"("text": "- **Planning** \ud83d\udcdd: the quarterly plan"}]}]})";
        });
        environment.set("OPENAI_BASE_URL", server.baseURL());
        environment.set("OPENAI_API_KEY", "bench-key");
    }
    testing::LoopbackServer server;
    testing::ScopedEnvironment environment;
};

void click(ViewHost& host, const std::string& label) {
    for (const LabelledViewElement& element : host.accessibilityElements()) {
        if (element.label != label) continue;
        const CGPoint center{element.frame.midX(), element.frame.midY()};
        host.handlePointer({.kind = PointerEvent::Kind::pressed, .location = center});
        host.handlePointer({.kind = PointerEvent::Kind::released, .location = center});
        return;
    }
    bench::fail("no \"" + label + "\" to click");
}

// Turns of ours until `done()`, each bringing the window up to date after `turn()`: the longest hold.
double longestHold(bench::SettledWindow& window, const std::function<void()>& turn, const std::function<bool()>& done,
                   const std::string& failure) {
    bench::LongestHold hold;
    bench::turnUntil(
        RunLoop::main(),
        [&] {
            hold.turn([&] {
                turn();
                window.host().update();
                window.host().displayList();
            });
        },
        done, 600, failure);
    return hold.seconds();
}

Figures measure(const std::filesystem::path& olderRecordFile, const std::shared_ptr<const TextMeasurer>& measurer) {
    Figures figures;
    bench::DayServices services(1000, geminiAnswer, olderRecordFile);
    const JournalServer journals;
    const bench::StandardOutputToFile printed(services.folder.path() / "printed.txt");
    const auto makeView = [&] { return AnyView(JournalContentView(services.reader, services.monitor, services.service)); };
    bench::SettledWindow window(makeView, "What You Did", measurer);

    int stepped = 0;
    auto lastStep = SteadyClock::now();
    int settledTurns = 0;
    const auto started = SteadyClock::now();
    const Date startedAt = services.loop->now();
    figures.hold = longestHold(
        window,
        [&] {
            if (stepped < steps && SteadyClock::now() - lastStep >= stepInterval) {
                click(window.host(), "previous day");
                ++stepped;
                lastStep = SteadyClock::now();
            }
        },
        [&] {
            // Between two turns the loop's clock follows the real one, so a day's wait to settle ends as it
            // would.
            services.loop->advanceTo(startedAt.addingTimeInterval(bench::seconds(SteadyClock::now() - started)));
            const bool settled = stepped == steps && pendingContinuationCount() == 0 &&
                                 bench::draws(window.host().displayList(), "% Create");
            settledTurns = settled ? settledTurns + 1 : 0;
            return settledTurns >= 20;
        },
        "the day stepped to was not analysed within 600 s");
    const auto stepping = SteadyClock::now() - started;
    figures.analyses = static_cast<double>(services.gemini.requestCount());
    figures.journals = static_cast<double>(journals.server.requestCount());

    // The same window left alone for as long.
    const auto idleStart = SteadyClock::now();
    figures.idleHold = longestHold(
        window, [] {}, [&] { return SteadyClock::now() - idleStart >= stepping; }, "the idle loop did not end");
    return figures;
}

// The requests of the layout showing today once, its report waiting for nothing.
double requestsOfOneDay(const std::shared_ptr<const TextMeasurer>& measurer) {
    bench::DayServices services(1000, geminiAnswer);
    const JournalServer journals;
    const bench::StandardOutputToFile printed(services.folder.path() / "printed.txt");
    const auto makeView = [&] { return AnyView(JournalContentView(services.reader, services.monitor, services.service)); };
    const bench::SettledWindow window(makeView, "quarterly plan", measurer, {}, [] { return pendingContinuationCount() == 0; });
    return static_cast<double>(services.gemini.requestCount() + journals.server.requestCount());
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    using namespace glimmo;
    bench::noteUnoptimisedBuild();
    const int runs = bench::runsFrom(argc, argv, 3);
    const bench::OffscreenQt qt;
    setDefaultTimeZone("UTC");
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    const testing::TemporaryDirectory folder;
    const auto olderRecordFile = folder.path() / "records.json";
    const double megabytes =
        static_cast<double>(bench::writeOlderRecordFile(olderRecordFile, 365 * yearsOfRecords, bench::historyNow)) / 1e6;

    const double oneDay = requestsOfOneDay(qt.measurer());
    std::vector<double> analyses, journals, holds, idleHolds;
    for (int run = 0; run < runs; ++run) {
        const Figures figures = measure(olderRecordFile, qt.measurer());
        analyses.push_back(figures.analyses);
        journals.push_back(figures.journals);
        holds.push_back(figures.hold);
        idleHolds.push_back(figures.idleHold);
        std::printf("  run %d: %4.0f day analyses and %4.0f journals asked for, main loop held at most %7.1f ms stepping, "
                    "%7.1f ms idle\n",
                    run + 1, figures.analyses, figures.journals, figures.hold * 1e3, figures.idleHold * 1e3);
        std::fflush(stdout);
    }
    setLogSinkForTesting({});
    const double sent = bench::median(analyses) + bench::median(journals);
    const double hold = bench::median(holds);
    const double idle = bench::median(idleHolds);
    std::printf("%d steps back, 25 ms apart, during the conversion of %d years of records (%.0f MB): %.0f day analyses "
                "and %.0f journals asked for (%.0f requests for one day shown); main loop held at most %7.1f ms, %7.1f ms "
                "idle\n",
                steps, yearsOfRecords, megabytes, bench::median(analyses), bench::median(journals), oneDay, hold * 1e3,
                idle * 1e3);
    bench::printRatio("day_steps_requests_over_one_day", sent / oneDay);
    bench::printRatio("day_steps_hold_over_idle", hold / idle);
    bench::printLongestMs("day_steps_hold_longest_ms", hold, 50);
    return 0;
}
