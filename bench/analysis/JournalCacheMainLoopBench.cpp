// How long the journal cache and the user defaults hold the main loop once a year of use is stored:
// 365 journals of 8 KB and one reply of 32 MiB (the reply limit), in the defaults file as an older
// version of the application wrote it (past the budget the cache now keeps). Measured on the main
// loop: loading the defaults file, showing a cached ordinary day (the journal's model asks the cache,
// while a turn of our own keeps coming back to the loop: the longest gap is what a user would feel as a
// frozen window), looking a day up, saving a journal and writing one small setting. Then the two
// extremes: a save made while 100,000 stored days are still being decoded off the loop, and the lookup
// (and the save) of a reply of 200 MiB. The independent baseline is the same work, in the same run, with
// an ordinary store: one journal and the same setting. Prints each figure and
//   ratio journal_cache_lookup_year_over_ordinary <a cached day's lookup / the same with the ordinary store>
//   ratio journal_cache_show_year_over_ordinary <longest hold showing a cached day / the same, ordinary>
//   ratio journal_cache_save_year_over_ordinary <a save / the same with the ordinary store>
//   ratio defaults_write_year_over_ordinary <a settings write / the same with the ordinary store>
//   ratio journal_cache_save_during_prepare_over_ordinary <a save while 100,000 days decode / an ordinary save>
//   ratio journal_cache_lookup_200mib_over_ordinary <the lookup of a 200 MiB reply / an ordinary lookup>
//   ratio journal_cache_hold_longest_ms <the longest hold of all, in milliseconds; the goal is at most 50>
//
// Usage: journal_cache_main_loop_bench [runs]   (default 5; medians of the runs)

#include "analysis/JournalHighlightsModel.h"
#include "analysis/JournalPromptCache.h"
#include "app/UnifiedActivityService.h"
#include "bench/BenchProgram.h"
#include "bench/analysis/StoredJournals.h"
#include "bench/MainLoopHold.h"
#include "bench/MainLoopTurns.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/ManualRunLoop.h"
#include "tests/support/TemporaryDirectory.h"

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

using bench::journalOfDay;

constexpr int daysOfJournals = 365;
constexpr int manyDays = 100000;
constexpr std::size_t hugeReply = std::size_t{200} << 20;

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
            const SharedText text = journalOfDay(1000 + run);
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

    // A save while the days of `file` are decoded on the cache's queue, and the first lookup after it.
    std::pair<double, double> saveDuringPrepare(const std::filesystem::path& file) {
        UserDefaults::setStandard(nullptr);
        UserDefaults::setStandard(std::make_shared<UserDefaults>(file));
        JournalPromptCache& cache = JournalPromptCache::shared();
        BackgroundQueue decoder;
        bool prepared = false;
        const auto prepare = [](JournalPromptCache& cache, BackgroundQueue& decoder, bool& prepared) -> Task<void> {
            auto preparing = cache.prepare(decoder);
            co_await std::move(preparing);
            prepared = true;
        };
        startTask(*loop_, prepare(cache, decoder, prepared));
        loop_->runUntilIdle();
        const Date tomorrow = today_.addingTimeInterval(86400);
        const SharedText text = journalOfDay(7);
        const double save = secondsOf([&] { cache.saveResponse(text, tomorrow); });
        if (prepared) fail("the days were decoded before the save");
        if (!loop_->runUntil([&] { return prepared; }, 300)) fail("the days were not decoded");
        double lookup = 0;
        bool found = false;
        lookup = secondsOf([&] { found = cache.getResponse(today_).first.has_value(); });
        if (!found || cache.getResponse(tomorrow).first != text) fail("a day was lost in a save during the decoding");
        settle();
        return {save, lookup};
    }

    // The save of a reply of `bytes` and a lookup of it.
    std::pair<double, double> hugeReplyTimes(std::size_t bytes) {
        const SharedText text = std::string(bytes, 'j');
        const Date tomorrow = today_.addingTimeInterval(86400);
        const double save = secondsOf([&] { JournalPromptCache::shared().saveResponse(text, tomorrow); });
        std::size_t found = 0;
        const double lookup = secondsOf([&] {
            const auto cached = JournalPromptCache::shared().getResponse(tomorrow).first;
            found = cached ? (*cached)->size() : 0;
        });
        if (found != bytes) fail("the huge reply was not cached");
        settle();
        return {save, lookup};
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
        if (model->journalText.get()->empty()) fail("the day was not shown");
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
    const auto manyFile = folder.path() / "many" / "defaults.json";
    {
        const std::string largest = journalOfDay(5000, bench::largestReply).substr(0, bench::largestReply);
        bench::writeOlderDefaults(ordinaryFile, bench.today(), 1);
        bench::writeOlderDefaults(yearFile, bench.today(), daysOfJournals + 1, bench::ordinaryJournalBytes, &largest);
        bench::writeOlderDefaults(manyFile, bench.today(), manyDays, 100);
    }

    bench.run(ordinaryFile, 1); // caches warm
    const Figures ordinary = bench.run(ordinaryFile, runs);
    print("ordinary", ordinary);
    const Figures year = bench.run(yearFile, runs);
    print("year", year);
    std::vector<double> savesDuringPrepare, lookupsAfterPrepare, hugeSaves, hugeLookups;
    for (int run = 0; run < runs; ++run) {
        const auto [save, lookup] = bench.saveDuringPrepare(manyFile);
        savesDuringPrepare.push_back(save);
        lookupsAfterPrepare.push_back(lookup);
        const auto [hugeSave, hugeLookup] = bench.hugeReplyTimes(hugeReply);
        hugeSaves.push_back(hugeSave);
        hugeLookups.push_back(hugeLookup);
    }
    const auto longestOf = [](const std::vector<double>& values) { return *std::max_element(values.begin(), values.end()); };
    std::printf("%d days: save while they are decoded %8.3f ms (longest %8.3f), first lookup after %8.3f ms (longest %8.3f)\n",
                manyDays, bench::median(savesDuringPrepare) * 1e3, longestOf(savesDuringPrepare) * 1e3,
                bench::median(lookupsAfterPrepare) * 1e3, longestOf(lookupsAfterPrepare) * 1e3);
    std::printf("200 MiB reply: save %8.3f ms (longest %8.3f), lookup %8.3f ms (longest %8.3f)\n", bench::median(hugeSaves) * 1e3,
                longestOf(hugeSaves) * 1e3, bench::median(hugeLookups) * 1e3, longestOf(hugeLookups) * 1e3);
    std::printf("longest hold: ordinary %8.3f ms, year %8.3f ms\n", ordinary.longest * 1e3, year.longest * 1e3);
    bench::printRatio("journal_cache_lookup_year_over_ordinary", year.lookup / ordinary.lookup);
    bench::printRatio("journal_cache_show_year_over_ordinary", year.show / ordinary.show);
    bench::printRatio("journal_cache_save_year_over_ordinary", year.save / ordinary.save);
    bench::printRatio("defaults_write_year_over_ordinary", year.write / ordinary.write);
    bench::printRatio("journal_cache_save_during_prepare_over_ordinary", bench::median(savesDuringPrepare) / ordinary.save);
    bench::printRatio("journal_cache_lookup_200mib_over_ordinary", bench::median(hugeLookups) / ordinary.lookup);
    bench::printLongestMs("journal_cache_hold_longest_ms",
                          std::max({ordinary.longest, year.longest, longestOf(savesDuringPrepare), longestOf(lookupsAfterPrepare),
                                    longestOf(hugeSaves), longestOf(hugeLookups)}),
                          50);
    return 0;
}
