// How long a save of the day analysis's answer holds the main loop once the per-day store is at its
// budget (4 MiB), for three files an older version may have left: a year of ordinary answers, days
// holding the times of 20,000 applications each, and a week of answers at their bound written with
// every other byte escaped. Each save adds today's answer, so the store passes its budget and is brought
// within it. The store has been read once before, as the dashboard reads it before it asks for an
// answer; that first read is printed too. Each runs as one piece of work on the main loop while a turn
// of our own keeps coming back to it. The independent baseline, in the same run and measured the same
// way, does the same work with plain nlohmann: with the file's data in memory, it puts today's answer in,
// dumps it and writes the file.
// Then the encoding alone of a day of 40,000 applications, which an older version's file may hold, against
// one of 20,000 and against nlohmann's dump of the same day.
// Prints each figure and
//   ratio daily_store_save_<file>_over_nlohmann <longest hold of a save / of the baseline>
//   ratio daily_store_encode_40000_over_20000_apps <2 when the encoding is linear in the store's size>
//   ratio daily_store_encode_40000_apps_over_nlohmann <the encoding / nlohmann's dump of the same day>
//   ratio daily_store_save_hold_longest_ms <the longest hold of all saves, in milliseconds; the goal is at most 50>
//
// Usage: daily_store_save_bench [runs]   (default 5; medians of the runs)

#include "app/ActivityDataManager.h"
#include "bench/BenchProgram.h"
#include "bench/MainLoopHold.h"
#include "bench/MainLoopTurns.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/ManualRunLoop.h"
#include "tests/support/TemporaryDirectory.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

// 2026-12-07 10:00:00 UTC
const Date today = Date::fromUnixTime(1796637600);

// A real answer's stored form: categories naming the day's applications and websites, and activities of
// a sentence each, some 10 KB pretty-printed.
std::string ordinaryAnswer(int day) {
    nlohmann::ordered_json categories = nlohmann::ordered_json::array();
    for (const char* type : {"Create", "Consume", "Communicate"}) {
        std::string apps;
        for (int app = 0; app < 60; ++app) apps += (app ? ", " : "") + std::string("site-") + std::to_string(day * 7 + app) + ".example.com";
        categories.push_back({{"type", type}, {"apps", apps}, {"percentage", 33}});
    }
    nlohmann::ordered_json activities = nlohmann::ordered_json::array();
    for (int activity = 0; activity < 5; ++activity) {
        activities.push_back({{"description", "💻 Working on the quarterly plan, part " + std::to_string(activity) +
                                                  ", with its notes, charts and the mail about it"},
                              {"apps", {"Code Editor", "Terminal", "Mail"}},
                              {"active_minutes", 42}});
    }
    return prettyJSON(nlohmann::ordered_json{{"total_minutes", 480}, {"categories", categories}, {"activities", activities}});
}

// An answer within its bound whose texts are backslashes: written as a string, every byte is two.
std::string escapedAnswer() {
    nlohmann::ordered_json activities = nlohmann::ordered_json::array();
    for (int activity = 0; activity < 30; ++activity) activities.push_back({{"description", std::string(4000, '\\')}});
    return prettyJSON(nlohmann::ordered_json{{"categories", {{{"type", "Create"}, {"percentage", 100}}}}, {"activities", activities}});
}

DailyActivityData dayOf(const std::string& key, std::string answer) {
    return DailyActivityData{key, {{key, {std::move(answer), today.addingTimeInterval(-3600)}}}, today.addingTimeInterval(-3600), {}, 0, {}};
}

std::string keyOfDayBack(int back) { return dayKey(Calendar::current().addingDays(today, -back)); }

// Days from yesterday back, each made by `dayBack`, until the file would pass its budget.
std::string storeAtBudget(const std::function<DailyActivityData(int back)>& dayBack) {
    DailyActivityStore store;
    std::size_t size = 1; // the braces, less the comma the first day goes without
    for (int back = 1;; ++back) {
        DailyActivityData day = dayBack(back);
        const std::string key = day.date;
        size += encodeDailyActivityStore({{key, day}}).size() - 1;
        if (size > ActivityDataManager::storedBytesBudget) break;
        store.emplace(key, std::move(day));
    }
    return encodeDailyActivityStore(store);
}

struct StoredFile {
    std::string name;
    std::string text;
};

std::vector<StoredFile> storedFiles() {
    std::vector<StoredFile> files;
    files.push_back({"year", storeAtBudget([](int back) { return dayOf(keyOfDayBack(back), ordinaryAnswer(back)); })});
    files.push_back({"apps", storeAtBudget([](int back) {
                         DailyActivityData day = dayOf(keyOfDayBack(back), ordinaryAnswer(back));
                         if (back <= 3) {
                             for (int app = 0; app < 20000; ++app) {
                                 day.appUsage["com.example.application-number-" + std::to_string(app) + ".desktop"] = app * 1.5;
                             }
                         }
                         return day;
                     })});
    files.push_back({"escaped", storeAtBudget([](int back) {
                         return dayOf(keyOfDayBack(back), back < ActivityDataManager::chartDays ? escapedAnswer() : ordinaryAnswer(back));
                     })});
    return files;
}

DailyActivityStore dayOfApps(int apps) {
    DailyActivityData day = dayOf(keyOfDayBack(1), ordinaryAnswer(1));
    for (int app = 0; app < apps; ++app) day.appUsage["com.example.application-number-" + std::to_string(app) + ".desktop"] = app * 1.5;
    return {{day.date, day}};
}

// The longest hold of `loop` while it runs `work` as one piece of work.
double longestHoldDuring(RunLoop& loop, const std::function<void()>& work) {
    bool done = false;
    bench::LongestHold hold;
    loop.post([&] {
        work();
        done = true;
    });
    bench::turnUntil(loop, [&] { hold.turn([] {}); }, [&] { return done; }, 60, "a save did not end within 60 s");
    return hold.seconds();
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    using namespace glimmo;
    bench::noteUnoptimisedBuild();
    const int runs = bench::runsFrom(argc, argv, 5);
    setDefaultTimeZone("UTC");
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    const auto loop = std::make_shared<ManualRunLoop>(today);
    RunLoop::setMain(loop);
    const testing::TemporaryDirectory folder;
    const fs::path file = folder.path() / ActivityDataManager::dataFileName;
    ActivityDataManager manager(loop->clock(), [&] { return std::optional<fs::path>(folder.path()); });
    const std::string answer = ordinaryAnswer(0);
    const std::string todayKey = dayKey(today);

    double longest = 0;
    for (const StoredFile& stored : storedFiles()) {
        std::vector<double> reads;
        std::vector<double> saves;
        std::vector<double> baselines;
        std::size_t savedSize = 0;
        for (int run = 0; run < runs; ++run) {
            writeFileAtomically(file, stored.text);
            reads.push_back(longestHoldDuring(*loop, [&] { manager.loadPromptResponse(todayKey); }));
            saves.push_back(longestHoldDuring(*loop, [&] { manager.savePromptResponse(answer, todayKey); }));
            savedSize = fs::file_size(file);
            if (savedSize > ActivityDataManager::storedBytesBudget) bench::fail("a save left the file past its budget");

            nlohmann::json data = nlohmann::json::parse(stored.text);
            baselines.push_back(longestHoldDuring(*loop, [&] {
                data[todayKey]["timeframes"][todayKey] = {{"promptResponse", answer}, {"lastUpdateTime", today.secondsSinceReferenceDate}};
                writeFileAtomically(file, data.dump());
            }));
        }
        const double save = bench::median(saves);
        const double baseline = bench::median(baselines);
        longest = std::max(longest, *std::max_element(saves.begin(), saves.end()));
        std::printf("%-8s %.2f MB, saved as %.2f MB: first read %7.2f ms, save %7.2f ms, nlohmann %7.2f ms\n",
                    stored.name.c_str(), static_cast<double>(stored.text.size()) / 1e6, static_cast<double>(savedSize) / 1e6,
                    bench::median(reads) * 1e3, save * 1e3, baseline * 1e3);
        bench::printRatio("daily_store_save_" + stored.name + "_over_nlohmann", save / baseline);
    }

    const DailyActivityStore twentyThousand = dayOfApps(20000);
    const DailyActivityStore fortyThousand = dayOfApps(40000);
    const nlohmann::json fortyThousandJSON = nlohmann::json::parse(encodeDailyActivityStore(fortyThousand));
    const double encodeTwenty = bench::medianOf(runs, [&] { return bench::secondsOf([&] { encodeDailyActivityStore(twentyThousand); }); });
    const double encodeForty = bench::medianOf(runs, [&] { return bench::secondsOf([&] { encodeDailyActivityStore(fortyThousand); }); });
    const double dumpForty = bench::medianOf(runs, [&] { return bench::secondsOf([&] { fortyThousandJSON.dump(); }); });
    std::printf("a day of 20,000 applications encoded in %.2f ms, of 40,000 in %.2f ms; nlohmann %.2f ms\n", encodeTwenty * 1e3,
                encodeForty * 1e3, dumpForty * 1e3);
    bench::printRatio("daily_store_encode_40000_over_20000_apps", encodeForty / encodeTwenty);
    bench::printRatio("daily_store_encode_40000_apps_over_nlohmann", encodeForty / dumpForty);
    bench::printLongestMs("daily_store_save_hold_longest_ms", longest, 50);
    loop->runUntilIdle();
    RunLoop::setMain(nullptr);
    setLogSinkForTesting({});
    return 0;
}
