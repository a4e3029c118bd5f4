// What users feel of the core: loading a month of browser history, building a month's report,
// and saving and loading a large record file. Each figure is printed next to its baseline, the raw
// dependency doing the same work in the same run.
//
// Usage: app_bench [visits] [records] [history|report|records]
// (defaults 100000 visits and 20000 records, all three parts; the record file holds 100000 records)

#include "app/ActivityMonitor.h"
#include "app/ActivityRecordFile.h"
#include "app/ChromeHistoryReader.h"
#include "app/UnifiedActivityService.h"
#include "platform/desktop/fakes/FakeAccessibility.h"
#include "platform/desktop/fakes/FakeInputActivityTap.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/ManualRunLoop.h"
#include "tests/app/SyntheticHistory.h"
#include "tests/support/TemporaryDirectory.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace glimmo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double frameSeconds = 1.0 / 60.0;

double secondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of a few runs, so one slow run (a cold cache) does not decide the figure.
double bestOf(int runs, const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        best = std::min(best, secondsOf(work));
    }
    return best;
}

void report(const char* what, double seconds, const char* baselineName, double baseline) {
    std::printf("%-58s %9.2f ms   %-34s %9.2f ms   ratio %5.2f\n", what, seconds * 1000, baselineName, baseline * 1000,
                baseline > 0 ? seconds / baseline : 0.0);
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

const Date benchNow = Date::fromUnixTime(1796637600); // 2026-12-07 10:00 UTC

void makeHistory(const fs::path& path, int visits) {
    testing::SyntheticHistory history(path);
    history.execute("BEGIN");
    const char* hosts[] = {"https://www.example.com/", "https://docs.example.org/", "https://news.example.net/",
                           "https://www.google.com/search?q=", "https://mail.example.com/"};
    for (int i = 0; i < visits; ++i) {
        const Date when = benchNow.addingTimeInterval(-30.0 * 86400 * i / visits - 1);
        history.add(std::string(hosts[i % 5]) + "page" + std::to_string(i), "Title of page " + std::to_string(i),
                    1 + i % 7, when);
    }
    history.execute("COMMIT");
}

std::vector<ActivityRecordValue> makeRecords(int count, double span) {
    std::vector<ActivityRecordValue> records;
    records.reserve(count);
    const std::string text(300, 's');
    for (int i = 0; i < count; ++i) {
        records.push_back({UUID::random(), "Application " + std::to_string(i % 40),
                           benchNow.addingTimeInterval(-span * i / count - 1), 120.5, 60.25,
                           text + std::to_string(i)});
    }
    return records;
}

void benchHistory(const fs::path& folder, int visits) {
    const fs::path source = folder / "History";
    makeHistory(source, visits);
    ManualClock clock(benchNow);
    FakeWorkspace workspace;
    ChromeHistoryReader reader(clock, workspace, source, folder / "chromeHistory.db");

    std::size_t loaded = 0;
    std::size_t summaryBytes = 0;
    const double ours = bestOf(3, [&] {
        ChromeHistoryReader::resetLastLoadTimeForTesting();
        reader.copyAndLoadHistory();
        loaded = reader.historyItems->size();
        summaryBytes = reader.historySummary("MONTH").size();
    });

    const std::int64_t cutoff =
        static_cast<std::int64_t>((benchNow.unixTime() - ChromeHistoryReader::historyWindow) * 1000000.0) +
        ChromeHistoryReader::chromeEpochOffset;
    std::string query = ChromeHistoryReader::historyQuery;
    query.replace(query.find('?'), 1, std::to_string(cutoff));
    const std::string command =
        "sqlite3 -readonly " + shellQuoted(source.string()) + " " + shellQuoted(query) + " > /dev/null";
    const double cli = bestOf(3, [&] {
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "sqlite3 failed\n");
        }
    });
    const double loadOnly = bestOf(3, [&] {
        ChromeHistoryReader::resetLastLoadTimeForTesting();
        reader.copyAndLoadHistory();
    });
    const double summaryOnly = bestOf(3, [&] { summaryBytes = reader.historySummary("MONTH").size(); });
    std::printf("history: %zu visits loaded, month summary %zu bytes\n", loaded, summaryBytes);
    report("copy, load and month summary of the History copy", ours, "sqlite3 command, same query", cli);
    report("  of which copy and load", loadOnly, "sqlite3 command, same query", cli);
    report("  of which month summary", summaryOnly, "sqlite3 command, same query", cli);
}

void benchReport(const fs::path& folder, int records) {
    auto loop = std::make_shared<ManualRunLoop>(benchNow);
    RunLoop::setMain(loop);
    FakeWorkspace workspace;
    FakeAccessibility accessibility;
    FakeInputActivityTap tap;
    ActivityMonitor::Services services;
    services.runLoop = loop.get();
    services.workspace = &workspace;
    services.accessibility = &accessibility;
    services.inputTap = &tap;
    services.recordFilePath = folder / "records.json";
    services.geminiAPIKey = "unused";
    auto monitor = ActivityMonitor::create(services);
    std::vector<std::shared_ptr<ActivityRecord>> list;
    for (const ActivityRecordValue& value : makeRecords(records, 30 * 86400)) {
        list.push_back(std::make_shared<ActivityRecord>(value));
    }
    monitor->activityRecords = std::move(list);
    auto reader = std::make_shared<ChromeHistoryReader>(loop->clock(), workspace, folder / "History",
                                                        folder / "chromeHistory.db");
    UnifiedActivityService service(monitor, reader, nullptr, loop->clock());
    const Date start = benchNow.addingTimeInterval(-30 * 86400);

    std::size_t entries = 0;
    std::size_t textBytes = 0;
    const double cold = bestOf(3, [&] {
        ChromeHistoryReader::resetLastLoadTimeForTesting();
        service.cachedActivities = {};
        entries = runBlocking(*loop, service.getUnifiedActivities(start, benchNow)).size();
        const UnifiedActivityReport built = runBlocking(*loop, service.generateReport(start, benchNow));
        textBytes = UnifiedActivityService::formatReport(built).size();
    });
    const double historyOnly = bestOf(3, [&] {
        ChromeHistoryReader::resetLastLoadTimeForTesting();
        reader->copyAndLoadHistory();
    });
    const double cached = bestOf(3, [&] { runBlocking(*loop, service.generateReport(start, benchNow)); });
    std::printf("report: %d records, %zu visits, %zu merged entries, report text %zu bytes\n", records,
                reader->historyItems->size(), entries, textBytes);
    report("getUnifiedActivities + generateReport + formatReport", cold, "history load alone", historyOnly);
    report("generateReport answered from the cache", cached, "history load alone", historyOnly);
    monitor.reset();
    loop->runUntilIdle();
    RunLoop::setMain(nullptr);
}

void benchRecordFile(const fs::path& folder) {
    constexpr int count = 100000;
    const std::vector<ActivityRecordValue> values = makeRecords(count, 365 * 86400);
    // Built as a load builds them, each adopting its value as the copy that saves share.
    std::vector<std::shared_ptr<ActivityRecord>> records;
    for (const ActivityRecordValue& value : values) {
        records.push_back(std::make_shared<ActivityRecord>(std::make_shared<const ActivityRecordValue>(value)));
    }
    const fs::path path = folder / ActivityRecordFile::fileName;
    ActivityRecordFile file(path);

    // What the main thread pays per save: the snapshot of the records and the hand-over.
    double worstBlock = 0;
    double total = 0;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        // One record changed since the last save, as after a switch or an analysis.
        records[static_cast<std::size_t>(i)]->duration = records[static_cast<std::size_t>(i)]->duration.get() + 5;
        ActivityRecordSnapshot snapshot;
        snapshot.reserve(records.size());
        for (const auto& record : records) {
            snapshot.push_back(record->sharedValue());
        }
        file.save(std::move(snapshot));
        worstBlock = std::max(worstBlock, std::chrono::duration<double>(Clock::now() - start).count());
        total += secondsOf([&] { file.flush(); });
    }
    const double write = bestOf(3, [&] {
        file.save(values);
        file.flush();
    });
    const auto bytes = readFile(path).value_or("");
    const double rawWrite = bestOf(3, [&] {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (const ActivityRecordValue& record : values) {
            nlohmann::ordered_json object;
            object["id"] = record.id.uuidString();
            object["appName"] = record.appName;
            object["timestamp"] = record.timestamp.secondsSinceReferenceDate;
            object["duration"] = record.duration;
            object["activeTime"] = record.activeTime;
            object["windowText"] = record.windowText;
            array.push_back(std::move(object));
        }
        writeFileAtomically(folder / "raw.json", array.dump(2));
    });
    std::size_t loadedCount = 0;
    const double load = bestOf(3, [&] { loadedCount = file.load().value_or(std::vector<ActivityRecordValue>{}).size(); });
    const double rawLoad = bestOf(3, [&] { (void)nlohmann::json::parse(bytes).size(); });

    std::printf("record file: %d records, %.1f MB; main thread blocked at most %.2f ms per save (a frame is %.2f ms): %s\n",
                count, bytes.size() / 1e6, worstBlock * 1000, frameSeconds * 1000,
                worstBlock < frameSeconds ? "within a frame" : "LONGER THAN A FRAME");
    report("save (encode + atomic write, background thread)", write, "nlohmann dump + atomic write", rawWrite);
    report("load (read + decode)", load, "nlohmann parse", rawLoad);
    (void)loadedCount;
    (void)total;
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    const int visits = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int records = argc > 2 ? std::atoi(argv[2]) : 20000;
#ifndef NDEBUG
    std::printf("note: built without optimisation (not Release); the figures below overstate every cost\n");
#endif
    glimmo::setLogSinkForTesting([](glimmo::LogLevel, std::string_view) {});
    glimmo::testing::TemporaryDirectory folder;
    const std::string only = argc > 3 ? argv[3] : "";
    if (only.empty() || only == "history" || only == "report") {
        glimmo::benchHistory(folder.path(), visits);
    }
    if (only.empty() || only == "report") {
        glimmo::benchReport(folder.path(), records);
    }
    if (only.empty() || only == "records") {
        glimmo::benchRecordFile(folder.path());
    }
    glimmo::setLogSinkForTesting({});
    return 0;
}
