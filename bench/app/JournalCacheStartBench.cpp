// How long the application takes to start with the journal cache at its budget, against an empty
// start. Each start is a process of its own (ApplicationStart.h) in a fresh home folder: one without a
// settings file, one whose settings hold a setting and the journal cache as the cache's own writer
// leaves it after ordinary journals of 8 KB were saved for more days than its budget holds, and one
// holding a year of journals and a reply of 32 MiB as an older version wrote them, past any budget.
// That last file is also upgraded: the application is started on it once and left running until it has
// written the file within the budget, and then the second start, and every one after it, is timed. The
// settings file is read at the start, before the tray icon (offscreen: the first window) shows.
//
// Prints the figures and
//   ratio journal_cache_start_at_budget_over_empty <start with the cache at its budget / empty start; the goal is at most 2>
//   ratio journal_cache_second_start_after_upgrade_over_empty <a start after the first on an older file / empty start; the goal is at most 2>
//
// Usage: journal_cache_start_bench [runs]   (default 9; medians of the runs)

#include "analysis/JournalPromptCache.h"
#include "bench/BenchProgram.h"
#include "bench/analysis/StoredJournals.h"
#include "bench/app/ApplicationStart.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/ManualRunLoop.h"
#include "tests/support/TemporaryDirectory.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

using namespace glimmo;
namespace fs = std::filesystem;

constexpr int daysSaved = 600;

Date today() {
    return Date::fromUnixTime(std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count());
}

// The settings file of `home` as the cache's writer leaves it after `daysSaved` ordinary journals.
void fillToTheBudget(const fs::path& home) {
    const auto loop = std::make_shared<ManualRunLoop>(today());
    RunLoop::setMain(loop);
    {
        UserDefaults defaults(bench::settingsFolderIn(home) / "defaults.json");
        defaults.set("hideDockIcon", true);
        JournalPromptCache cache(defaults);
        for (int day = daysSaved - 1; day >= 0; --day) {
            cache.saveResponse(bench::journalOfDay(day), loop->now().addingTimeInterval(-86400.0 * day));
        }
        defaults.flush();
    }
    RunLoop::setMain(nullptr);
}

double megabytes(const fs::path& file) { return static_cast<double>(fs::file_size(file)) / 1e6; }

// The upgraded file holds the setting, and the newest days within the budget.
void checkUpgraded(const fs::path& file) {
    const auto loop = std::make_shared<ManualRunLoop>(today());
    RunLoop::setMain(loop);
    {
        UserDefaults defaults(file);
        if (defaults.boolean("hideDockIcon") != true) bench::fail("the older file's setting was lost");
        const JournalPromptCache cache(defaults);
        if (!cache.getResponse(today()).first || !cache.getResponse(today().addingTimeInterval(-86400.0 * 100)).first) {
            bench::fail("the newest days were not kept");
        }
    }
    RunLoop::setMain(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    if (bench::isApplicationStartChild(argc, argv)) return bench::runApplicationStartChild(argc, argv);
    glimmo::bench::noteUnoptimisedBuild();
    const int runs = bench::runsFrom(argc, argv, 9);
    const testing::TemporaryDirectory empty;
    const testing::TemporaryDirectory atBudget;
    const testing::TemporaryDirectory older;
    fillToTheBudget(atBudget.path());
    {
        const std::string largest = bench::journalOfDay(5000, bench::largestReply).substr(0, bench::largestReply);
        bench::writeOlderDefaults(bench::settingsFolderIn(older.path()) / "defaults.json", today(), 366,
                                  bench::ordinaryJournalBytes, &largest);
    }
    // The first start on the older file writes it within the budget, off the main loop, as it runs.
    const testing::TemporaryDirectory upgraded;
    const fs::path upgradedFile = bench::settingsFolderIn(upgraded.path()) / "defaults.json";
    fs::create_directories(upgradedFile.parent_path());
    fs::copy_file(bench::settingsFolderIn(older.path()) / "defaults.json", upgradedFile);
    const double beforeUpgrade = megabytes(upgradedFile);
    const auto withinBudget = [&] { return fs::file_size(upgradedFile) <= JournalPromptCache::storedBytesBudget + 64 * 1024; };
    if (!bench::runUntil(upgraded.path(), withinBudget, 120)) bench::fail("the first start did not write the older file within the budget");
    checkUpgraded(upgradedFile);

    std::vector<double> emptyStarts, budgetStarts, olderStarts, upgradedStarts;
    for (int run = 0; run < runs; ++run) {
        for (const auto& [home, starts] : {std::pair{&empty, &emptyStarts}, {&atBudget, &budgetStarts}, {&older, &olderStarts},
                                          {&upgraded, &upgradedStarts}}) {
            const std::optional<double> start = bench::timeOneStart(home->path());
            if (!start) bench::fail("a start drew no frame within 60 s");
            starts->push_back(*start);
        }
    }
    checkUpgraded(upgradedFile);
    const double baseline = bench::median(emptyStarts);
    const double withCache = bench::median(budgetStarts);
    std::printf("start without settings %8.1f ms; with the journal cache at its budget (settings file %.1f MB) %8.1f ms; "
                "with an older file (%.1f MB) %8.1f ms\n",
                baseline * 1e3, megabytes(bench::settingsFolderIn(atBudget.path()) / "defaults.json"), withCache * 1e3,
                megabytes(bench::settingsFolderIn(older.path()) / "defaults.json"), bench::median(olderStarts) * 1e3);
    const double afterUpgrade = bench::median(upgradedStarts);
    std::printf("second start after an older file (%.1f MB, written as %.1f MB at the first start) %8.1f ms\n", beforeUpgrade,
                megabytes(upgradedFile), afterUpgrade * 1e3);
    bench::printRatio("journal_cache_start_at_budget_over_empty", withCache / baseline);
    bench::printRatio("journal_cache_second_start_after_upgrade_over_empty", afterUpgrade / baseline);
    if (withCache > 2 * baseline) std::fprintf(stderr, "journal_cache_start_bench: the start took more than twice an empty one\n");
    if (afterUpgrade > 2 * baseline) {
        std::fprintf(stderr, "journal_cache_start_bench: the second start after an older file took more than twice an empty one\n");
    }
    return 0;
}
