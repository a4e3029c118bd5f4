// The first start after the upgrade converts two years of records that an older version kept in one file
// (OlderRecordFile.h) for seconds, behind the start. What the user does meanwhile must not wait for it:
//   - the quit: the real application started on the old file (ApplicationStart.h), sent the Quit at random
//     moments of its conversion, from its first frame to the conversion's end as measured in a first run;
//     the time from the command to the process's end;
//   - "Clear All Data": the record file of the old file cleared at random moments of its conversion; the
//     time until nothing cleared can be read back (the writer has removed the file, its days and their
//     index, and a report would find nothing).
// The independent baseline is the same application's quit with nothing under way.
//
// Prints the figures and
//   ratio records_quit_during_conversion_worst_over_idle_quit <slowest of the moments / idle quit's median>
//   ratio records_quit_during_conversion_worst_ms <the slowest, in milliseconds; the goal is at most 2000>
//   ratio records_clear_during_conversion_worst_over_idle_quit <slowest of the moments / idle quit's median>
//   ratio records_clear_during_conversion_worst_ms <the slowest, in milliseconds; the goal is at most 1000>
//
// Usage: conversion_interruption_bench [moments]   (default 20)

#include "app/ActivityMonitor.h"
#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordFile.h"
#include "bench/BenchProgram.h"
#include "bench/app/ApplicationStart.h"
#include "bench/app/OlderRecordFile.h"
#include "platform/foundation/Log.h"
#include "tests/support/TemporaryDirectory.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

namespace {

using namespace glimmo;
namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

constexpr int twoYears = 730;

double secondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

Date realNow() {
    return Date::fromUnixTime(std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count());
}

// A fresh copy of the old file where the application keeps its records in `home`.
fs::path placeOldFile(const fs::path& old, const fs::path& home) {
    const fs::path file = home / "Documents" / ActivityRecordFile::fileName;
    fs::remove(file);
    fs::remove_all(ActivityRecordArchive::folderBeside(file));
    fs::create_directories(file.parent_path());
    fs::copy_file(old, file);
    return file;
}

double quitAfter(const fs::path& home, double moment) {
    bench::QuittingChild child(bench::QuittingChild::Program::application, home);
    if (!child.waitForFirstFrame()) bench::fail("no first frame within 60 s");
    std::this_thread::sleep_for(std::chrono::duration<double>(moment));
    const std::optional<double> seconds = child.quitAndTimeTheExit();
    if (!seconds) bench::fail("the application did not end within 60 s of the Quit command");
    return *seconds;
}

// The conversion of the file as a start begins it: the seconds until it is done.
double conversionSeconds(const fs::path& file, Date now) {
    const auto started = SteadyClock::now();
    ActivityRecordFile records(file);
    if (!records.loadLive(ActivityMonitor::liveWindowStart(now), [](ActivityRecordValue&) {})) {
        bench::fail("the old file was not read");
    }
    records.flush();
    return secondsSince(started);
}

// "Clear All Data" at `moment` of the conversion: the seconds until nothing of the store is left to read.
double clearAfter(const fs::path& file, Date now, double moment) {
    ActivityRecordFile records(file);
    (void)records.loadLive(ActivityMonitor::liveWindowStart(now), [](ActivityRecordValue&) {});
    std::this_thread::sleep_for(std::chrono::duration<double>(moment));
    const auto started = SteadyClock::now();
    records.remove();
    records.flush();
    const double seconds = secondsSince(started);
    if (fs::exists(file) || fs::exists(ActivityRecordArchive::folderBeside(file)) ||
        !records.archive()->recordsWithin(Date::distantPast(), Date::distantFuture()).empty()) {
        bench::fail("cleared records are left");
    }
    return seconds;
}

double worst(const std::vector<double>& values) { return *std::max_element(values.begin(), values.end()); }

} // namespace

int main(int argc, char** argv) {
    if (bench::isApplicationStartChild(argc, argv)) return bench::runApplicationStartChild(argc, argv);
    glimmo::bench::noteUnoptimisedBuild();
    const int moments = bench::runsFrom(argc, argv, 20);
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    const testing::TemporaryDirectory work;
    const Date now = realNow();
    const fs::path old = work.path() / "old.json";
    const double megabytes = static_cast<double>(bench::writeOlderRecordFile(old, twoYears, now)) / 1e6;

    std::vector<double> idle;
    for (int run = 0; run < 5; ++run) {
        const testing::TemporaryDirectory empty;
        idle.push_back(quitAfter(empty.path(), 1.0));
    }
    const double idleQuit = bench::median(idle);

    const testing::TemporaryDirectory home;
    const double conversion = conversionSeconds(placeOldFile(old, home.path()), now);
    std::printf("two years of records (%.1f MB): conversion %.2f s; quit with nothing under way %.1f ms\n", megabytes,
                conversion, idleQuit * 1e3);

    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> during(0, conversion);
    std::vector<double> quits;
    std::vector<double> clears;
    for (int moment = 0; moment < moments; ++moment) {
        const double quitMoment = during(random);
        placeOldFile(old, home.path());
        quits.push_back(quitAfter(home.path(), quitMoment));
        const double clearMoment = during(random);
        clears.push_back(clearAfter(placeOldFile(old, home.path()), now, clearMoment));
        std::printf("  quit at %5.2f s: %7.1f ms;  clear at %5.2f s: %7.1f ms\n", quitMoment, quits.back() * 1e3,
                    clearMoment, clears.back() * 1e3);
    }
    setLogSinkForTesting({});
    std::printf("during the conversion: quit %.1f ms at worst (median %.1f ms), clear %.1f ms at worst (median %.1f ms)\n",
                worst(quits) * 1e3, bench::median(quits) * 1e3, worst(clears) * 1e3, bench::median(clears) * 1e3);

    bench::printRatio("records_quit_during_conversion_worst_over_idle_quit", worst(quits) / idleQuit);
    bench::printLongestMs("records_quit_during_conversion_worst_ms", worst(quits), 2000, "a quit during the conversion took");
    bench::printRatio("records_clear_during_conversion_worst_over_idle_quit", worst(clears) / idleQuit);
    bench::printLongestMs("records_clear_during_conversion_worst_ms", worst(clears), 1000, "a clear during the conversion took");
    return 0;
}
