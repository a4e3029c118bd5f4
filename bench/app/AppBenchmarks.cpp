// What users feel of the core: loading the browser history, its month summary, a month's report,
// and saving and loading a large record file. Each figure is printed next to a baseline doing the
// same work in the same run: `cp` and the `sqlite3` command for the history, plain nlohmann for the
// record file and the guarded JSON parse. Figures are medians of runs taken in turn with their baseline.
//
// Usage: app_bench [history|summary|report|records [part of a history load's name]]   (all without an argument)

#include "HistoryGenerator.h"
#include "app/ActivityMonitor.h"
#include "app/ActivityRecordFile.h"
#include "app/ChromeHistoryReader.h"
#include "app/UnifiedActivityService.h"
#include "bench/BenchProgram.h"
#include "platform/desktop/fakes/FakeAccessibility.h"
#include "platform/desktop/fakes/FakeInputActivityTap.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/ManualRunLoop.h"
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
using bench::historyNow;
using bench::median;

constexpr double frameSeconds = 1.0 / 60.0;
constexpr int rounds = 7;

double secondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Medians of `ours` and `baseline`, run in turn so that a noisy moment hits both.
std::pair<double, double> medians(const std::function<void()>& ours, const std::function<void()>& baseline,
                                  int runs = rounds) {
    std::vector<double> a;
    std::vector<double> b;
    ours(); // warm the caches once
    baseline();
    for (int i = 0; i < runs; ++i) {
        a.push_back(secondsOf(ours));
        b.push_back(secondsOf(baseline));
    }
    return {median(a), median(b)};
}

void report(const std::string& name, const char* what, double seconds, const char* baselineName, double baseline) {
    std::printf("%-52s %9.2f ms   %-40s %9.2f ms\n", what, seconds * 1000, baselineName, baseline * 1000);
    std::printf("ratio %s %.2f\n", name.c_str(), baseline > 0 ? seconds / baseline : 0.0);
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

std::int64_t chromeTime(Date date) {
    return static_cast<std::int64_t>((date.unixTime()) * 1000000.0) + ChromeHistoryReader::chromeEpochOffset;
}

std::vector<ActivityRecordValue> makeRecords(int count, double span) {
    std::vector<ActivityRecordValue> records;
    records.reserve(count);
    const std::string text(300, 's');
    for (int i = 0; i < count; ++i) {
        records.push_back({UUID::random(), "Application " + std::to_string(i % 40),
                           historyNow.addingTimeInterval(-span * i / count - 1), 120.5, 60.25,
                           text + std::to_string(i)});
    }
    return records;
}

// The reader on a virtual-time main loop at the benchmark's "now": each load is waited for.
struct ReaderWorld {
    explicit ReaderWorld(const fs::path& folder)
        : reader(std::make_shared<ChromeHistoryReader>(loop->clock(), workspace, folder / "History",
                                                       folder / "chromeHistory.db")) {
        RunLoop::setMain(loop);
    }
    ~ReaderWorld() {
        reader.reset();
        RunLoop::setMain(nullptr);
    }
    void load() {
        ChromeHistoryReader::resetLastLoadTimeForTesting();
        runBlocking(*loop, reader->reloadHistory(), 120);
    }
    std::shared_ptr<ManualRunLoop> loop = std::make_shared<ManualRunLoop>(historyNow);
    FakeWorkspace workspace;
    std::shared_ptr<ChromeHistoryReader> reader;
};

// `cp` of the History file and the `sqlite3` command reading the copy with `query`.
std::string copyAndQueryCommand(const fs::path& folder, const std::string& query) {
    const std::string copy = shellQuoted((folder / "baseline.db").string());
    return "cp " + shellQuoted((folder / "History").string()) + " " + copy + " && sqlite3 -readonly " + copy + " " +
           shellQuoted(query) + " > /dev/null";
}

std::string historyLoadName(int visits, bench::RowOrder order) {
    return std::to_string(visits / 1000) + "k" + (order == bench::RowOrder::shuffled ? "_unordered" : "");
}

// The load of `visits` visits in the window against `cp` and the `sqlite3` command running the reader's
// query. Fewer runs of the largest, which take seconds each.
void benchHistoryLoad(const fs::path& folder, int visits, bench::RowOrder order) {
    std::string failure; // the last line a failed load logged
    setLogSinkForTesting([&failure](LogLevel, std::string_view line) {
        if (line.starts_with("❌")) failure = line;
    });
    bench::writeHistory(folder / "History", visits, historyNow, 32, order);
    ReaderWorld world(folder);
    std::string query = ChromeHistoryReader::historyQuery();
    query.replace(query.find('?'), 1,
                  std::to_string(chromeTime(historyNow.addingTimeInterval(-ChromeHistoryReader::historyWindow))));
    const std::string command = copyAndQueryCommand(folder, query);
    const auto [ours, baseline] = medians([&] { world.load(); }, [&] { run(command); }, visits > 400000 ? 3 : rounds);
    const std::size_t loaded = world.reader->historyItems->size();
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    std::printf("history: %zu of %d visits loaded\n", loaded, visits);
    const std::string size = historyLoadName(visits, order);
    if (loaded != std::min(static_cast<std::size_t>(visits), HistoryReadLimits{}.rows)) {
        // A refused History is left alone until it changes, so the runs after the first measured nothing.
        std::printf("THE LOAD FAILED: %s\nratio history_load_%s failed\n", failure.c_str(), size.c_str());
        return;
    }
    report("history_load_" + size, ("copy and load, " + size + " visits").c_str(), ours, "cp + sqlite3 -readonly, same query",
           baseline);
}

void benchHistorySummary(const fs::path& folder) {
    bench::writeHistory(folder / "History", 100000);
    ReaderWorld world(folder);
    // The same lines: time stamp, title and the address cut at 100 characters, newest first.
    const Date monthAgo = Calendar::current().addingMonths(historyNow, -1);
    const std::string query =
        "SELECT strftime('%Y-%m-%d %H:%M:%S', last_visit_time / 1000000 - 11644473600, 'unixepoch') || ': ' || "
        "coalesce(title, '') || ' (' || CASE WHEN length(url) > 100 THEN substr(url, 1, 100) || '...' ELSE url END || "
        "')' FROM urls WHERE last_visit_time >= " +
        std::to_string(chromeTime(monthAgo)) + " ORDER BY last_visit_time DESC;";
    const std::string command = copyAndQueryCommand(folder, query);
    std::size_t bytes = 0;
    const auto [ours, baseline] = medians(
        [&] {
            world.load();
            bytes = world.reader->historySummary("MONTH").size();
        },
        [&] { run(command); });
    std::printf("history summary: %zu bytes\n", bytes);
    report("history_summary", "copy, load and month summary, 100k visits", ours, "cp + sqlite3 printing the lines",
           baseline);
}

// A month's report from cold (history load, merge, report text) against the `sqlite3` command doing
// the website part of the same work: each visit's time until the next one, per host, with the
// addresses joined.
void benchReport(const fs::path& folder, int records) {
    bench::writeHistory(folder / "History", 100000);
    ReaderWorld world(folder);
    FakeAccessibility accessibility;
    FakeInputActivityTap tap;
    ActivityMonitor::Services services;
    services.runLoop = world.loop.get();
    services.workspace = &world.workspace;
    services.accessibility = &accessibility;
    services.inputTap = &tap;
    services.recordFilePath = folder / "records.json";
    services.geminiAPIKey = "unused";
    auto monitor = ActivityMonitor::create(services);
    std::vector<std::shared_ptr<ActivityRecord>> list;
    std::vector<ActivityRecordValue> values = makeRecords(records, 30 * 86400);
    for (std::size_t i = 0; i < values.size(); i += 3) {
        values[i] = {values[i].id, "Google Chrome", values[i].timestamp, 3600, 600, ""};
    }
    for (const ActivityRecordValue& value : values) {
        list.push_back(std::make_shared<ActivityRecord>(value));
    }
    monitor->activityRecords = std::move(list);
    UnifiedActivityService service(monitor, world.reader, nullptr, world.loop->clock());
    const Date start = historyNow.addingTimeInterval(-30 * 86400);

    const std::string query =
        "WITH v AS (SELECT url, last_visit_time AS t, lead(last_visit_time, 1, last_visit_time + 60000000) OVER "
        "(ORDER BY last_visit_time) AS n FROM urls WHERE last_visit_time BETWEEN " +
        std::to_string(chromeTime(start)) + " AND " + std::to_string(chromeTime(historyNow)) +
        "), h AS (SELECT substr(url, instr(url, '://') + 3) AS rest, url, t, n FROM v), "
        "g AS (SELECT CASE WHEN instr(rest, '/') > 0 THEN substr(rest, 1, instr(rest, '/') - 1) ELSE rest END AS host, "
        "url, t, n FROM h) SELECT host || ' (' || (sum(n - t) / 60000000) || 'm)' || char(10) || 'Context:' || "
        "char(10) || group_concat(url, char(10) || '---' || char(10)) FROM g GROUP BY host ORDER BY min(t) DESC;";
    const std::string command = copyAndQueryCommand(folder, query);
    std::size_t textBytes = 0;
    const auto [cold, baseline] = medians(
        [&] {
            ChromeHistoryReader::resetLastLoadTimeForTesting();
            service.cachedActivities = {};
            const UnifiedActivityReport built = runBlocking(*world.loop, service.generateReport(start, historyNow), 120);
            textBytes = UnifiedActivityService::formatReport(built).size();
        },
        [&] { run(command); });
    std::printf("report: %d records, %zu visits, report text %zu bytes\n", records, world.reader->historyItems->size(),
                textBytes);
    report("report_month", "month report from cold: load, merge, text", cold, "cp + sqlite3, the websites' lines",
           baseline);
    monitor.reset();
    world.loop->runUntilIdle();
}

void benchRecordFile(const fs::path& folder) {
    constexpr int count = 100000;
    const std::vector<ActivityRecordValue> values = makeRecords(count, 365 * 86400);
    const auto bestOf = [](int runs, const std::function<void()>& work) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) times.push_back(secondsOf(work));
        return median(times);
    };
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
    report("record_file_save", "save (encode + atomic write, background thread)", write, "nlohmann dump + atomic write",
           rawWrite);
    report("record_file_load", "load (read + decode)", load, "nlohmann parse", rawLoad);
    // The guarded parse alone: its checks of the text (NUL bytes, nesting, values) and the ordered build.
    const auto [parse, rawParse] = medians([&] { (void)parseJSON(bytes); }, [&] { (void)nlohmann::json::parse(bytes); });
    report("json_parse", "parseJSON of the record file", parse, "nlohmann parse", rawParse);
    const auto [ordered, rawOrdered] = medians([&] { (void)parseOrderedJSON(bytes); },
                                               [&] { (void)nlohmann::ordered_json::parse(bytes); });
    report("json_parse_ordered", "parseOrderedJSON of the record file", ordered, "nlohmann ordered parse", rawOrdered);
    (void)loadedCount;
    (void)total;
}

// How the ordered parse's time grows with one object's members, against nlohmann's parse of the same
// members as an array of [key, value] pairs, which builds as much and looks up no key: the ratio of
// the two growths from 50,000 to 800,000 members is 1 when a member costs the same at any size (a
// sorted index of the keys made it 1.7, nlohmann's own ordered parse is quadratic).
void benchOrderedParseGrowth() {
    const auto members = [](int count, bool asObject) {
        std::string text = asObject ? "{" : "[";
        for (int i = 0; i < count; ++i) {
            const std::string key = "\"key " + std::to_string(i * 7919 % count) + "\"";
            text += (i > 0 ? "," : "") + (asObject ? key + ":" : "[" + key + ",") + std::to_string(i) + (asObject ? "" : "]");
        }
        return text + (asObject ? "}" : "]");
    };
    constexpr int fewer = 50'000;
    constexpr int more = 16 * fewer;
    const std::string fewerMembers = members(fewer, true);
    const std::string moreMembers = members(more, true);
    const std::string fewerPairs = members(fewer, false);
    const std::string morePairs = members(more, false);
    const auto [fewerParse, fewerBaseline] = medians([&] { (void)parseOrderedJSON(fewerMembers); },
                                                     [&] { (void)nlohmann::ordered_json::parse(fewerPairs); });
    const auto [moreParse, moreBaseline] = medians([&] { (void)parseOrderedJSON(moreMembers); },
                                                   [&] { (void)nlohmann::ordered_json::parse(morePairs); }, 5);
    std::printf("parseOrderedJSON of one object of %d members %9.2f ms, of %d %9.2f ms; the pairs in an array %9.2f ms, %9.2f ms\n",
                fewer, fewerParse * 1000, more, moreParse * 1000, fewerBaseline * 1000, moreBaseline * 1000);
    std::printf("ratio json_parse_ordered_members_growth %.2f\n", (moreParse / fewerParse) / (moreBaseline / fewerBaseline));
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    glimmo::bench::noteUnoptimisedBuild();
    glimmo::setLogSinkForTesting([](glimmo::LogLevel, std::string_view) {});
    glimmo::setDefaultTimeZone("UTC");
    glimmo::testing::TemporaryDirectory folder;
    const std::string only = argc > 1 ? argv[1] : "";
    if (only.empty() || only == "history") {
        using glimmo::bench::RowOrder;
        for (const auto& [visits, order] : {std::pair{50000, RowOrder::newestFirst}, {50000, RowOrder::shuffled}, {100000, RowOrder::newestFirst},
                                            {400000, RowOrder::newestFirst}, {500000, RowOrder::newestFirst},
                                            {500000, RowOrder::shuffled}, {1500000, RowOrder::shuffled}}) {
            if (argc < 3 || glimmo::historyLoadName(visits, order).find(argv[2]) != std::string::npos) {
                glimmo::benchHistoryLoad(folder.path(), visits, order);
            }
        }
    }
    if (only.empty() || only == "summary") {
        glimmo::benchHistorySummary(folder.path());
    }
    if (only.empty() || only == "report") {
        glimmo::benchReport(folder.path(), 20000);
    }
    if (only.empty() || only == "records") {
        glimmo::benchRecordFile(folder.path());
        glimmo::benchOrderedParseGrowth();
    }
    glimmo::setLogSinkForTesting({});
    return 0;
}
