// The record store after one day, one year and two years of heavy use (288 records a day, each with a
// summary of 1.5 KB), each written as an older version left it: every record in one pretty JSON file
// (330 MB for two years). For each: the first start after the upgrade to the tray icon of the real
// application (ApplicationStart.h, offscreen: its first frame; the conversion runs behind it on the
// record file's writer thread), the one-time conversion itself (its time and the peak growth of resident
// memory of a start and its conversion), a switch with its analysis (bytes written and the writer's
// time), a past day's report, and the start on the converted store, against the same work with one day
// of records and against a start without records.
//
// Prints the figures and
//   ratio records_switch_two_years_over_one_day <writer time per switch>
//   ratio records_switch_bytes_two_years_over_one_day <bytes written per switch>
//   ratio records_switch_megabytes_two_years <MB written per switch; the goal is at most 4>
//   ratio records_past_day_report_two_years_over_one_day <report of a past day>
//   ratio records_start_two_years_over_empty <start on the converted store / empty start; the goal is at most 2>
//   ratio records_first_start_after_upgrade_two_years_over_empty <first start on the old file / empty start; the
//         goal is at most 2>
//   ratio records_conversion_peak_mib_two_years <peak resident growth of the conversion; the goal is at most 256>
//
// Usage: record_store_bench [runs]   (default 5; medians of the runs)

#include "app/ActivityMonitor.h"
#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordFile.h"
#include "app/ChromeHistoryReader.h"
#include "app/UnifiedActivityService.h"
#include "bench/BenchProgram.h"
#include "bench/app/ApplicationStart.h"
#include "bench/app/OlderRecordFile.h"
#include "platform/desktop/fakes/FakeAccessibility.h"
#include "platform/desktop/fakes/FakeInputActivityTap.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NumberText.h"
#include "platform/runtime/ManualRunLoop.h"
#include "tests/support/TemporaryDirectory.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

using namespace glimmo;
namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

Date realNow() {
    return Date::fromUnixTime(std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count());
}

double secondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// From /proc/self/status, in bytes.
std::size_t statusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stoull(line.substr(std::strlen(field))) * 1024;
    }
    return 0;
}

// Bytes this process has asked to write so far.
std::size_t writtenBytes() {
    std::ifstream io("/proc/self/io");
    std::string line;
    while (std::getline(io, line)) {
        if (line.rfind("wchar:", 0) == 0) return std::stoull(line.substr(6));
    }
    return 0;
}

constexpr const char* convertFlag = "--convert";

// In the process run with convertFlag: converts the file as a start does (its head read, then the
// conversion and the save of the live records on the writer thread) and prints the seconds until the file
// is replaced and the growth of its peak resident memory in MiB.
int runConversion(const fs::path& file, Date now) {
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    const std::size_t before = statusBytes("VmRSS:");
    const auto started = SteadyClock::now();
    ActivityRecordFile records(file);
    const auto live = records.loadLive(ActivityMonitor::liveWindowStart(now), [](ActivityRecordValue&) {});
    records.flush();
    if (!live || fs::file_size(file) > ActivityRecordFile::wholeReadLimit) return 1;
    std::printf("%f %f\n", secondsSince(started), static_cast<double>(statusBytes("VmHWM:") - before) / (1 << 20));
    return 0;
}

struct Figures {
    double conversionSeconds = 0;
    double conversionPeakMiB = 0;
    double switchSeconds = 0;
    double switchBytes = 0;
    double reportSeconds = 0;
    double startSeconds = 0;
    double firstStartSeconds = 0;
    double megabytes = 0;
};

Figures measure(int days, int runs) {
    Figures figures;
    const Date now = realNow();
    const testing::TemporaryDirectory home;
    const testing::TemporaryDirectory work;
    const fs::path appFile = home.path() / "Documents" / ActivityRecordFile::fileName;
    const fs::path file = work.path() / ActivityRecordFile::fileName;
    figures.megabytes = static_cast<double>(bench::writeOlderRecordFile(file, days, now)) / 1e6;
    fs::create_directories(appFile.parent_path());

    // The application's first start on the old file, each time on a fresh copy of it: the start ends at
    // its first frame, while its conversion still runs (and is killed with it).
    figures.firstStartSeconds = bench::medianOf(runs, [&] {
        fs::remove(appFile);
        fs::remove_all(ActivityRecordArchive::folderBeside(appFile));
        fs::copy_file(file, appFile);
        const std::optional<double> first = bench::timeOneStart(home.path());
        if (!first) bench::fail("a first start drew no frame within 60 s");
        return *first;
    });

    // The conversion of the application's copy to its end, in a process of its own, so that its memory is
    // its own. The work copy is converted by the monitor below.
    {
        const std::string command = fs::read_symlink("/proc/self/exe").string() + " " + convertFlag + " '" + appFile.string() +
                                    "' " + numberText(now.secondsSinceReferenceDate);
        FILE* child = ::popen(command.c_str(), "r");
        if (!child || std::fscanf(child, "%lf %lf", &figures.conversionSeconds, &figures.conversionPeakMiB) != 2) {
            bench::fail("the conversion process reported nothing");
        }
        ::pclose(child);
    }

    // Switches, each with its analysis (no key: it ends at once with its error text and saves).
    const auto loop = std::make_shared<ManualRunLoop>(now);
    RunLoop::setMain(loop);
    FakeWorkspace workspace;
    FakeAccessibility accessibility;
    FakeInputActivityTap tap;
    ActivityMonitor::Services services;
    services.runLoop = loop.get();
    services.workspace = &workspace;
    services.accessibility = &accessibility;
    services.inputTap = &tap;
    services.recordFilePath = file;
    services.geminiAPIKey = "";
    {
        auto monitor = ActivityMonitor::create(services);
        monitor->flushRecordFile(); // the conversion
        const RunningApplication apps[] = {{"Editor", 11, "editor"}, {"Terminal", 12, "terminal"}};
        std::vector<double> times;
        std::vector<double> bytes;
        for (int i = 0; i < 2 * runs; ++i) {
            workspace.setFrontmost(apps[i % 2]);
            const std::size_t writtenBefore = writtenBytes();
            const auto started = SteadyClock::now();
            monitor->recordAppSwitch(apps[i % 2]);
            loop->runUntil([&] { return monitor->runningAnalyses() == 0; }, 30);
            monitor->flushRecordFile();
            times.push_back(secondsSince(started));
            bytes.push_back(static_cast<double>(writtenBytes() - writtenBefore));
            loop->advance(1);
        }
        figures.switchSeconds = bench::median(times);
        figures.switchBytes = bench::median(bytes);

        // A past day's report: ten days back, or yesterday when there is no more.
        const auto reader = std::make_shared<ChromeHistoryReader>(loop->clock(), workspace, work.path() / "History",
                                                                  work.path() / "chromeHistory.db");
        UnifiedActivityService service(monitor, reader, nullptr, loop->clock());
        const Calendar calendar = Calendar::current();
        const Date dayStart = calendar.addingDays(calendar.startOfDay(now), days > 10 ? -10 : -1);
        const Date dayEnd = calendar.startOfNextDay(dayStart).addingTimeInterval(-1);
        std::vector<double> reports;
        std::size_t minutes = 0;
        for (int i = 0; i < runs; ++i) {
            service.cachedActivities = {};
            const auto started = SteadyClock::now();
            minutes = static_cast<std::size_t>(runBlocking(*loop, service.generateReport(dayStart, dayEnd), 120).totalMinutes);
            reports.push_back(secondsSince(started));
        }
        figures.reportSeconds = bench::median(reports);
        std::printf("  past day's report: %zu minutes\n", minutes);
    }
    loop->runUntilIdle();
    RunLoop::setMain(nullptr);

    figures.startSeconds = bench::medianOf(runs, [&] {
        const std::optional<double> start = bench::timeOneStart(home.path());
        if (!start) bench::fail("a start drew no frame within 60 s");
        return *start;
    });
    std::printf("%4d days (%7.1f MB, %6zu day files): conversion %7.2f s, peak growth %6.1f MiB; first start %7.1f ms; "
                "switch %6.2f ms, %8.0f bytes written; past day's report %7.2f ms; start %7.1f ms\n",
                days, figures.megabytes, ActivityRecordArchive(ActivityRecordArchive::folderBeside(file)).daysOnDisk().size(),
                figures.conversionSeconds, figures.conversionPeakMiB, figures.firstStartSeconds * 1e3,
                figures.switchSeconds * 1e3, figures.switchBytes, figures.reportSeconds * 1e3, figures.startSeconds * 1e3);
    std::fflush(stdout);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    if (bench::isApplicationStartChild(argc, argv)) return bench::runApplicationStartChild(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], convertFlag) == 0) return runConversion(argv[2], Date{parseNumber(argv[3]).value_or(0)});
    glimmo::bench::noteUnoptimisedBuild();
    const int runs = bench::runsFrom(argc, argv, 5);
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    const testing::TemporaryDirectory empty;
    const double emptyStart = bench::medianOf(runs, [&] {
        const std::optional<double> start = bench::timeOneStart(empty.path());
        if (!start) bench::fail("a start drew no frame within 60 s");
        return *start;
    });
    std::printf("start without records %7.1f ms\n", emptyStart * 1e3);
    const Figures day = measure(1, runs);
    const Figures year = measure(365, runs);
    const Figures twoYears = measure(730, runs);
    setLogSinkForTesting({});

    bench::printRatio("records_switch_one_year_over_one_day", year.switchSeconds / day.switchSeconds);
    bench::printRatio("records_switch_two_years_over_one_day", twoYears.switchSeconds / day.switchSeconds);
    bench::printRatio("records_switch_bytes_two_years_over_one_day", twoYears.switchBytes / day.switchBytes);
    bench::printRatio("records_switch_megabytes_two_years", twoYears.switchBytes / 1e6);
    bench::printRatio("records_past_day_report_two_years_over_one_day", twoYears.reportSeconds / day.reportSeconds);
    bench::printRatio("records_start_one_day_over_empty", day.startSeconds / emptyStart);
    bench::printRatio("records_start_two_years_over_empty", twoYears.startSeconds / emptyStart);
    bench::printRatio("records_first_start_after_upgrade_two_years_over_empty", twoYears.firstStartSeconds / emptyStart);
    bench::printRatio("records_conversion_peak_mib_two_years", twoYears.conversionPeakMiB, 1);
    if (twoYears.startSeconds > 2 * emptyStart) std::fprintf(stderr, "record_store_bench: a start took more than twice an empty one\n");
    if (twoYears.firstStartSeconds > 2 * emptyStart) {
        std::fprintf(stderr, "record_store_bench: the first start after the upgrade took more than twice an empty one\n");
    }
    if (twoYears.switchBytes > 4e6) std::fprintf(stderr, "record_store_bench: a switch wrote more than 4 MB\n");
    if (twoYears.conversionPeakMiB > 256) std::fprintf(stderr, "record_store_bench: the conversion grew by more than 256 MiB\n");
    return 0;
}
