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

#include "app/ActivityDataManager.h"
#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "app/PreferencesModel.h"
#include "app/UnifiedActivityService.h"
#include "bench/MainLoopHold.h"
#include "bench/StandardOutputToFile.h"
#include "bench/app/HistoryGenerator.h"
#include "platform/desktop/fakes/FakeAccessibility.h"
#include "platform/desktop/fakes/FakeInputActivityTap.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/runtime/ManualRunLoop.h"
#include "platform/view/ViewHost.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TemporaryDirectory.h"
#include "ui/Dashboard/ModernContentView.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace glimmo {
namespace {

using bench::historyNow;
using bench::LongestHold;
using bench::median;

const char* const geminiAnswer =
    R"({"candidates": [{"content": {"role": "model", "parts": [{"text": )"
    R"("{\"categories\": [{\"type\": \"Create\", \"apps\": \"Application 1\"}], \"activities\": []}"}]}, )"
    R"("finishReason": "STOP"}]})";

// The services of a day with `visits` browser visits since midnight, the history loaded.
struct Day {
    Day(const testing::TemporaryDirectory& folder, int visits) {
        RunLoop::setMain(loop);
        gemini.on("POST", R"(/v1beta/models/gemini-2\.0-flash:generateContent)",
                  [](const testing::RecordedRequest&, testing::ServerReply& reply) {
                      reply.headers = {{"Content-Type", "application/json"}};
                      reply.body = geminiAnswer;
                  });
        environment.set("GEMINI_BASE_URL", gemini.baseURL());
        environment.set("GEMINI_API_KEY", "bench-key");
        UserDefaults::setStandard(std::make_shared<UserDefaults>(folder.path() / "defaults.json"));
        PreferencesModel::setShared(std::make_shared<PreferencesModel>(UserDefaults::standard(), notifications));
        const auto support = folder.path() / "support";
        ActivityDataManager::setShared(std::make_shared<ActivityDataManager>(
            loop->clock(), [support]() -> std::optional<std::filesystem::path> { return support; }));
        Workspace::setShared(workspace);

        bench::writeHistory(folder.path() / "History", visits, historyNow, 10.0 / 24);
        ActivityMonitor::Services services;
        services.runLoop = loop.get();
        services.workspace = workspace.get();
        services.accessibility = &accessibility;
        services.inputTap = &tap;
        services.recordFilePath = folder.path() / "records.json";
        services.geminiAPIKey = "bench-key";
        services.geminiBaseURL = gemini.baseURL();
        monitor = ActivityMonitor::create(services);
        std::vector<std::shared_ptr<ActivityRecord>> records;
        for (int i = 0; i < 300; ++i) {
            const Date start = historyNow.addingTimeInterval(-120.0 * (i + 1));
            auto record = std::make_shared<ActivityRecord>(UUID::random(), "Application " + std::to_string(i % 40),
                                                           start, "a document");
            record->duration = 110;
            records.push_back(std::move(record));
        }
        monitor->activityRecords = std::move(records);
        reader = std::make_shared<ChromeHistoryReader>(loop->clock(), *workspace, folder.path() / "History",
                                                       folder.path() / "chromeHistory.db");
        service = std::make_shared<UnifiedActivityService>(monitor, reader, PreferencesModel::shared(), loop->clock());
        ChromeHistoryReader::resetLastLoadTimeForTesting();
        reader->copyAndLoadHistory();
        if (!loop->runUntil([this] { return !reader->isLoading(); }, 120) || reader->historyItems->empty()) {
            std::fprintf(stderr, "charts_tab_main_loop_bench: the history was not loaded\n");
            std::exit(1);
        }
    }
    ~Day() {
        service.reset();
        reader.reset();
        monitor.reset();
        loop->runUntilIdle();
        Workspace::setShared(nullptr);
        ActivityDataManager::setShared(nullptr);
        PreferencesModel::setShared(nullptr);
        UserDefaults::setStandard(nullptr);
        RunLoop::setMain(nullptr);
    }

    std::shared_ptr<ManualRunLoop> loop = std::make_shared<ManualRunLoop>(historyNow);
    testing::LoopbackServer gemini;
    testing::ScopedEnvironment environment;
    NotificationCenter notifications;
    std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
    FakeAccessibility accessibility;
    FakeInputActivityTap tap;
    std::shared_ptr<ActivityMonitor> monitor;
    std::shared_ptr<ChromeHistoryReader> reader;
    std::shared_ptr<UnifiedActivityService> service;
};

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
void turnUntilSettled(Day& day, ViewHost& host, const std::function<void()>& eachTurn) {
    bool settled = false;
    int quietTurns = 0;
    std::size_t evaluations = host.bodyEvaluationCount();
    std::function<void()> turn = [&] {
        eachTurn();
        const std::size_t now = host.bodyEvaluationCount();
        quietTurns = now == evaluations && pendingContinuationCount() == 0 ? quietTurns + 1 : 0;
        evaluations = now;
        settled = quietTurns >= 20;
        if (!settled) day.loop->post(turn);
    };
    day.loop->post(turn);
    if (!day.loop->runUntil([&] { return settled; }, 120)) {
        std::fprintf(stderr, "charts_tab_main_loop_bench: the views did not settle\n");
        std::exit(1);
    }
}

// The longest hold from the click on "Charts" until the tab has settled.
double showChartsTab(Day& day, const std::shared_ptr<const TextMeasurer>& measurer) {
    ViewHost host(AnyView(ModernContentView(day.reader, day.monitor, day.service)), measurer);
    host.setSize({400, 700});
    turnUntilSettled(day, host, [&] { host.update(); host.displayList(); });
    const std::optional<CGPoint> tab = placeOf(host.displayList(), "Charts");
    if (!tab) {
        std::fprintf(stderr, "charts_tab_main_loop_bench: no \"Charts\" tab\n");
        std::exit(1);
    }
    LongestHold hold;
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
    if (!placeOf(host.displayList(), "TODAY'S CONTEXT SWITCHES")) {
        std::fprintf(stderr, "charts_tab_main_loop_bench: the Charts tab was not shown\n");
        std::exit(1);
    }
    return hold.seconds();
}

double medianHold(int visits, int runs, const std::shared_ptr<const TextMeasurer>& measurer) {
    const testing::TemporaryDirectory folder;
    Day day(folder, visits);
    const bench::StandardOutputToFile printed(folder.path() / "printed.txt");
    showChartsTab(day, measurer); // caches warm
    std::vector<double> holds;
    for (int run = 0; run < runs; ++run) holds.push_back(showChartsTab(day, measurer));
    return median(holds);
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    using namespace glimmo;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    int qtArgc = 1;
    char name[] = "charts_tab_main_loop_bench";
    char* qtArgv[] = {name, nullptr};
    const QtApplication application(qtArgc, qtArgv);
    setDefaultTimeZone("UTC");
    const auto measurer = std::make_shared<QtTextMeasurer>();
    const double ordinary = medianHold(1000, runs, measurer);
    const double heavy = medianHold(50000, runs, measurer);
    std::printf("Charts tab: main loop held at most %7.1f ms with 50,000 visits today, %7.1f ms with 1,000\n",
                heavy * 1e3, ordinary * 1e3);
    std::printf("ratio charts_tab_hold_heavy_over_ordinary %.2f\n", heavy / ordinary);
    std::printf("ratio charts_tab_hold_longest_ms %.1f\n", heavy * 1e3);
    if (heavy > 0.05) std::fprintf(stderr, "charts_tab_main_loop_bench: the main loop was held longer than 50 ms\n");
    return 0;
}
