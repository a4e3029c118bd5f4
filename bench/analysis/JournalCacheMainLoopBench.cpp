// How long the journal cache and the user defaults hold the main loop once a year of use is stored:
// 365 journals of 8 KB and one reply of 32 MiB (the reply limit), in the defaults file as the
// application writes it. Measured on the main loop: loading the defaults file, showing a cached
// ordinary day (the journal's model asks the cache, while a turn of our own keeps coming back to the
// loop: the longest gap is what a user would feel as a frozen window), looking a day up, saving a
// journal and writing one small setting. The independent baseline is the same work, in the same run,
// with an ordinary store: one journal and the same settings. Prints each figure and
//   ratio journal_cache_lookup_year_over_ordinary <a cached day's lookup / the same with the ordinary store>
//   ratio journal_cache_show_year_over_ordinary <longest hold showing a cached day / the same, ordinary>
//   ratio journal_cache_save_year_over_ordinary <a save / the same with the ordinary store>
//   ratio defaults_write_year_over_ordinary <a settings write / the same with the ordinary store>
//   ratio journal_cache_hold_longest_ms <the longest hold of all, in milliseconds; the goal is at most 50>
//
// Usage: journal_cache_main_loop_bench [runs]   (default 5; medians of the runs)

#include "analysis/JournalHighlightsModel.h"
#include "analysis/JournalPromptCache.h"
#include "app/UnifiedActivityService.h"
#include "bench/BenchProgram.h"
#include "bench/MainLoopHold.h"
#include "bench/MainLoopTurns.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/ManualRunLoop.h"
#include "tests/support/TemporaryDirectory.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace glimmo {
namespace {

using bench::fail;
using bench::median;
using bench::SteadyClock;
using bench::seconds;
using bench::secondsOf;

constexpr int daysOfJournals = 365;
constexpr std::size_t largestReply = std::size_t{32} << 20;

// Bullets as the journal prompt asks for them, to about `bytes`; `seed` makes each day its own.
std::string journal(int seed, std::size_t bytes) {
    static const char* const areas[] = {"Quarterly report", "Code review", "Sync service", "Hiring"};
    std::string text;
    for (int i = seed; text.size() < bytes; ++i) {
        text += "- **" + std::string(areas[i % 4]) + "** 📊: compared the figures in `forecast-" + std::to_string(i) +
                ".xlsx`, answered the thread on https://tracker.example.com/item/" + std::to_string(i) +
                " and noted what changed since Tuesday.\n\n";
    }
    return text;
}

// What the defaults file holds: a few settings and the journals of `days` days before `today`, the
// oldest of them `oldest` when given.
void writeStore(const std::filesystem::path& file, Date today, int days, const std::string* oldest) {
    const Calendar calendar = Calendar::current();
    JournalCacheDictionary cache;
    for (int day = 0; day < days; ++day) {
        const Date start = calendar.startOfDay(today.addingTimeInterval(-86400.0 * day));
        const std::string text = oldest && day == days - 1 ? *oldest : journal(day, 8 * 1024);
        cache[start] = encodeJournalPromptResponse({text, today.addingTimeInterval(-60)});
    }
    const std::string stored = encodeJournalCache(cache);
    nlohmann::ordered_json values = nlohmann::ordered_json::object();
    values["viewStyle"] = "Journal";
    values["hideDockIcon"] = true;
    values["journalPromptCache"] = {{"data", base64Encode(stored)}};
    writeFileAtomically(file, prettyJSON(values));
}

struct Figures {
    double load = 0;
    double firstShow = 0;
    double show = 0;
    double lookup = 0;
    double save = 0;
    double saveOnDisk = 0; // from the save until the file holds it (the writer's thread)
    double write = 0;
    double longest = 0;
};

class Bench {
public:
    Bench() {
        setDefaultTimeZone("UTC");
        RunLoop::setMain(loop_);
        service_ = std::make_shared<UnifiedActivityService>(nullptr, nullptr, nullptr);
    }
    ~Bench() {
        service_.reset();
        loop_->runUntilIdle();
        UserDefaults::setStandard(nullptr);
        RunLoop::setMain(nullptr);
    }

    Figures run(const std::filesystem::path& file, int runs) {
        Figures figures;
        UserDefaults::setStandard(nullptr);
        figures.load = secondsOf([&] { UserDefaults::setStandard(std::make_shared<UserDefaults>(file)); });
        figures.firstShow = showHold();
        std::vector<double> shows, lookups, saves, onDisk, writes;
        for (int run = 0; run < runs; ++run) {
            shows.push_back(showHold());
            lookups.push_back(secondsOf([&] {
                if (!JournalPromptCache::shared().getResponse(today_).first) fail("the day is not cached");
            }));
            const Date newDay = today_.addingTimeInterval(86400.0 * (run + 1));
            const std::string text = journal(1000 + run, 8 * 1024);
            const auto saving = SteadyClock::now();
            saves.push_back(secondsOf([&] { JournalPromptCache::shared().saveResponse(text, newDay); }));
            settle();
            onDisk.push_back(seconds(SteadyClock::now() - saving));
            writes.push_back(secondsOf([&] { UserDefaults::standard().set("hideDockIcon", run % 2 == 0); }));
            settle();
        }
        figures.show = median(shows);
        figures.lookup = median(lookups);
        figures.save = median(saves);
        figures.saveOnDisk = median(onDisk);
        figures.write = median(writes);
        // The file is loaded at start, before the loop runs: printed, not counted as a hold.
        figures.longest = std::max({figures.firstShow, *std::max_element(shows.begin(), shows.end()),
                                    *std::max_element(lookups.begin(), lookups.end()),
                                    *std::max_element(saves.begin(), saves.end()),
                                    *std::max_element(writes.begin(), writes.end())});
        return figures;
    }

    Date today() const { return today_; }

private:
    // Lets what a change started off the loop end, so that it is not counted against the next step.
    void settle() {
        UserDefaults::standard().flush();
        loop_->runUntilIdle();
    }

    // The journal's model shows the cached day; the longest time the loop went without our turn.
    double showHold() {
        const auto model = std::make_shared<JournalHighlightsModel>(service_);
        const double hold = bench::longestHoldUntilDone(*loop_, model->generateJournal(today_), 300, "the day was not shown");
        if (model->journalText->empty()) fail("the day was not shown");
        loop_->runUntilIdle();
        return hold;
    }

    const Date today_ = Date::fromUnixTime(1796601600.0 + 15 * 3600);
    std::shared_ptr<ManualRunLoop> loop_ = std::make_shared<ManualRunLoop>(today_);
    std::shared_ptr<UnifiedActivityService> service_;
};

void print(const char* store, const Figures& figures) {
    std::printf("%-8s load %8.1f ms, first show held %8.1f ms, show held %8.3f ms, lookup %8.3f ms, save %8.3f ms "
                "(on disk after %7.1f ms), settings write %8.3f ms\n",
                store, figures.load * 1e3, figures.firstShow * 1e3, figures.show * 1e3, figures.lookup * 1e3,
                figures.save * 1e3, figures.saveOnDisk * 1e3, figures.write * 1e3);
    std::fflush(stdout);
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    using namespace glimmo;
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    const int runs = bench::runsFrom(argc, argv);
    const testing::TemporaryDirectory folder;
    Bench bench;
    const auto ordinaryFile = folder.path() / "ordinary" / "defaults.json";
    const auto yearFile = folder.path() / "year" / "defaults.json";
    std::filesystem::create_directories(ordinaryFile.parent_path());
    std::filesystem::create_directories(yearFile.parent_path());
    const std::string largest = journal(5000, largestReply).substr(0, largestReply);
    writeStore(ordinaryFile, bench.today(), 1, nullptr);
    writeStore(yearFile, bench.today(), daysOfJournals + 1, &largest);

    bench.run(ordinaryFile, 1); // caches warm
    const Figures ordinary = bench.run(ordinaryFile, runs);
    print("ordinary", ordinary);
    const Figures year = bench.run(yearFile, runs);
    print("year", year);
    bench::printRatio("journal_cache_lookup_year_over_ordinary", year.lookup / ordinary.lookup);
    bench::printRatio("journal_cache_show_year_over_ordinary", year.show / ordinary.show);
    bench::printRatio("journal_cache_save_year_over_ordinary", year.save / ordinary.save);
    bench::printRatio("defaults_write_year_over_ordinary", year.write / ordinary.write);
    bench::printLongestMs("journal_cache_hold_longest_ms", std::max(ordinary.longest, year.longest), 50);
    return 0;
}
