#include "ActivityMonitorTestSupport.h"

#include "RecordHistory.h"
#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordFile.h"
#include "app/TimeFormatting.h"
#include "platform/foundation/Files.h"

#include <fstream>

#include <gmock/gmock.h>

namespace glimmo::testing {
namespace {

class ActivityCaptureTest : public ActivityMonitorFixture {
protected:
    ActivityCaptureTest() {
        workspace.setFrontmost(terminalApp);
        accessibility.setTrusted(true);
    }

    const ActivityRecord& record(std::size_t index) { return *monitor->activityRecords->at(index); }
    std::size_t recordCount() { return monitor->activityRecords->size(); }

    void activate(const RunningApplication& app) {
        workspace.activate(app);
        loop->runUntilIdle();
    }
    void input() {
        inputTap.send(InputEventKind::keyDown);
        loop->runUntilIdle();
    }
};

TEST_F(ActivityCaptureTest, LaunchRecordsTheFrontApplicationEvenWhenTheFileEndsWithIt) {
    std::filesystem::create_directories(recordFile.parent_path());
    {
        ActivityRecordFile file(recordFile);
        file.save({{UUID::random(), "Terminal", loop->now().addingTimeInterval(-3600), 30, 10,
                    "Context analysis pending..."}});
    }
    createMonitor();
    ASSERT_EQ(recordCount(), 2u);
    EXPECT_EQ(record(0).appName, "Terminal");
    EXPECT_EQ(record(0).timestamp.get(), loop->now());
    EXPECT_EQ(record(0).duration.get(), 0);
    EXPECT_EQ(record(1).windowText.get(), "Context not loaded (app restart)");
    EXPECT_EQ(record(1).duration.get(), 30);
    EXPECT_TRUE(loggedPrefix("🔄 App switched at "));
    EXPECT_TRUE(logged("📱 To: Terminal"));
    EXPECT_TRUE(logged("⭐️ Activity started at " + mediumTimeString(loop->now())));

    monitor->flushRecordFile();
    const auto saved = ActivityRecordFile(recordFile).load();
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->size(), 2u);
    EXPECT_EQ((*saved)[0].id, record(0).id);
}

TEST_F(ActivityCaptureTest, NothingInFrontCreditsNoTimeToTheRecordsOfTheLastRun) {
    std::filesystem::create_directories(recordFile.parent_path());
    ActivityRecordFile(recordFile).save({{UUID::random(), "Terminal", loop->now().addingTimeInterval(-86400), 120, 100,
                                          "yesterday"}});
    workspace.setFrontmost(std::nullopt);
    createMonitor();
    monitor->startMonitoring();
    loop->advance(3600);
    monitor->applicationWillTerminate();
    EXPECT_EQ(record(0).duration.get(), 120);
    EXPECT_EQ(ActivityRecordFile(recordFile).load()->at(0).duration, 120);

    activate(editorApp); // the first application this run sees in front
    loop->advance(10);
    EXPECT_EQ(record(0).duration.get(), 10);
    EXPECT_EQ(record(1).duration.get(), 120);
}

TEST_F(ActivityCaptureTest, QuittingCreditsTheCurrentStretchAndWritesIt) {
    createMonitor();
    monitor->startMonitoring();
    loop->advance(97);
    monitor->applicationWillTerminate(); // 95 s by the ticks, 2 s since the last one
    EXPECT_EQ(ActivityRecordFile(recordFile).load()->at(0).duration, 97);

    // Without monitoring no time is counted, at quit neither.
    accessibility.setTrusted(false);
    monitor = ActivityMonitor::create(services());
    monitor->startMonitoring();
    loop->advance(30);
    monitor->applicationWillTerminate();
    EXPECT_EQ(ActivityRecordFile(recordFile).load()->at(0).duration, 0);
}

TEST_F(ActivityCaptureTest, ALongStretchInOneApplicationReachesTheFileEveryMinute) {
    createMonitor();
    monitor->startMonitoring();
    ASSERT_TRUE(waitUntilNotPending(record(0))); // the analysis writes the file as well
    const auto savedDuration = [&] {
        monitor->flushRecordFile();
        return ActivityRecordFile(recordFile).load()->at(0).duration;
    };
    loop->advance(55);
    EXPECT_EQ(savedDuration(), 0) << "the 5 s ticks count in memory";
    loop->advance(6);
    EXPECT_EQ(savedDuration(), 60);
    loop->advance(60);
    EXPECT_EQ(savedDuration(), 120);
}

TEST_F(ActivityCaptureTest, ACorruptRecordFileIsKeptAsideAndTheMonitorStartsAfresh) {
    std::filesystem::create_directories(recordFile.parent_path());
    const std::string broken = "[{\"id\": \"6F9619FF-8B86-D011-B42D-00C04FC964FF\", \"appName\": \"Ter";
    std::ofstream(recordFile) << broken;
    createMonitor();
    ASSERT_EQ(recordCount(), 1u);
    monitor->flushRecordFile();
    int keptAside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(recordFile.parent_path())) {
        if (entry.path().filename().string().find(".unreadable-") != std::string::npos) {
            ++keptAside;
            EXPECT_EQ(readFile(entry.path()), broken);
        }
    }
    EXPECT_EQ(keptAside, 1);
    EXPECT_EQ(ActivityRecordFile(recordFile).load()->size(), 1u);
}

TEST_F(ActivityCaptureTest, WithoutTrustNothingIsCounted) {
    accessibility.setTrusted(false);
    createMonitor();
    monitor->startMonitoring();
    EXPECT_TRUE(monitor->needsAccessibilityPermission.get());
    EXPECT_EQ(accessibility.promptCount(), 1);
    EXPECT_TRUE(logged("Accessibility permissions not granted. Monitoring not started."));
    loop->advance(120);
    activate(editorApp);
    EXPECT_EQ(recordCount(), 1u);
    EXPECT_EQ(record(0).duration.get(), 0);
    EXPECT_FALSE(inputTap.isRunning());
}

TEST_F(ActivityCaptureTest, SwitchCreditsTheOldRecordBeforeInsertingTheNewOne) {
    createMonitor();
    monitor->startMonitoring();
    EXPECT_TRUE(logged("Already have accessibility permissions, starting monitoring..."));
    loop->advance(5);
    EXPECT_EQ(record(0).duration.get(), 5);
    loop->advance(2);
    activate(editorApp);
    ASSERT_EQ(recordCount(), 2u);
    EXPECT_EQ(record(0).appName, "Editor");
    EXPECT_EQ(record(0).duration.get(), 0);
    EXPECT_EQ(record(1).appName, "Terminal");
    EXPECT_EQ(record(1).duration.get(), 7);
    EXPECT_EQ(monitor->currentApp(), "Editor");

    loop->advance(1);
    activate(editorApp); // the same application again only credits time
    EXPECT_EQ(recordCount(), 2u);
    EXPECT_EQ(record(0).duration.get(), 1);
    EXPECT_EQ(monitor->lastUpdateTime(), loop->now());
}

TEST_F(ActivityCaptureTest, AnApplicationWithoutANameIsUnknown) {
    createMonitor();
    monitor->startMonitoring();
    activate({"", 7, ""});
    EXPECT_EQ(record(0).appName, "Unknown");
}

TEST_F(ActivityCaptureTest, IdleAtExactlySixtySecondsAndActiveAtTheNextInput) {
    createMonitor();
    monitor->startMonitoring();
    EXPECT_FALSE(monitor->isCurrentlyActive());
    ASSERT_TRUE(waitUntilNotPending(record(0))); // the launch record's analysis announces a change too
    int changes = 0;
    const Subscription counting = monitor->objectWillChange.connect([&] { ++changes; });
    input();
    EXPECT_TRUE(monitor->isCurrentlyActive());
    EXPECT_EQ(changes, 1);
    loop->advance(59);
    EXPECT_TRUE(monitor->isCurrentlyActive());
    loop->advance(1);
    EXPECT_FALSE(monitor->isCurrentlyActive());
    EXPECT_GE(changes, 2);
    input();
    EXPECT_TRUE(monitor->isCurrentlyActive());
}

TEST_F(ActivityCaptureTest, EachIntervalIsCreditedWhollyByTheStateAtTheTick) {
    createMonitor();
    monitor->startMonitoring();
    loop->advance(4);
    input(); // active for the last second of the first interval
    loop->advance(1);
    EXPECT_EQ(record(0).duration.get(), 5);
    EXPECT_EQ(record(0).activeTime.get(), 5);

    loop->advance(55); // t = 60: still active (input at t = 4)
    EXPECT_EQ(record(0).activeTime.get(), 60);
    loop->advance(5); // t = 65: idle since t = 64, so this interval is idle time
    EXPECT_FALSE(monitor->isCurrentlyActive());
    EXPECT_EQ(record(0).duration.get(), 65);
    EXPECT_EQ(record(0).activeTime.get(), 60);
}

TEST_F(ActivityCaptureTest, WithoutAnInputTapNoTimeIsActive) {
    inputTap.setFailsToStart("no display");
    createMonitor();
    monitor->startMonitoring();
    loop->advance(10);
    EXPECT_EQ(record(0).duration.get(), 10);
    EXPECT_EQ(record(0).activeTime.get(), 0);
    EXPECT_EQ(loop->scheduledTimerCount(), 2u);
}

TEST_F(ActivityCaptureTest, ASleepLongerThanTheIdleThresholdCreditsNothing) {
    accessibility.setTrusted(false); // no timers: the test plays the ticks
    createMonitor();
    loop->advance(3600);
    monitor->accountElapsedTime();
    EXPECT_EQ(record(0).duration.get(), 0);
    loop->advance(5);
    monitor->accountElapsedTime();
    EXPECT_EQ(record(0).duration.get(), 5);
    loop->advance(61);
    monitor->recordAppSwitch(editorApp);
    EXPECT_EQ(record(1).duration.get(), 5);
    loop->advance(60);
    monitor->accountElapsedTime();
    EXPECT_EQ(record(0).duration.get(), 60);
}

TEST_F(ActivityCaptureTest, ClearingEmptiesTheListDeletesTheFileAndStartsAfreshAtTheNextActivation) {
    createMonitor();
    monitor->startMonitoring();
    ASSERT_TRUE(waitUntilNotPending(record(0)));
    loop->advance(5);
    monitor->flushRecordFile();
    ASSERT_TRUE(std::filesystem::exists(recordFile));

    monitor->clearAllRecords();
    monitor->flushRecordFile();
    EXPECT_EQ(recordCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(recordFile));
    loop->advance(120); // nothing is credited, so nothing is written
    monitor->flushRecordFile();
    EXPECT_EQ(recordCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(recordFile));

    activate(terminalApp);
    ASSERT_EQ(recordCount(), 1u);
    EXPECT_EQ(record(0).appName, "Terminal");
    EXPECT_EQ(record(0).duration.get(), 0);
}

TEST_F(ActivityCaptureTest, TheFileHoldsYesterdayAndTodayAndASwitchWritesOnlyThose) {
    const RecordHistory history = recordHistory(); // 30 days of 20 records, ending today
    std::filesystem::create_directories(recordFile.parent_path());
    std::ofstream(recordFile, std::ios::binary) << encodeActivityRecords(history.records);
    createMonitor();
    const auto savedSince = [&](Date liveStart) {
        monitor->flushRecordFile();
        const auto saved = ActivityRecordFile(recordFile).load().value();
        EXPECT_TRUE(std::none_of(saved.begin(), saved.end(), [&](const auto& r) { return r.timestamp < liveStart; }));
        return saved.size();
    };
    EXPECT_EQ(savedSince(history.now.addingTimeInterval(-34 * 3600)), 41u); // two days and the launch record
    EXPECT_EQ(recordCount(), 41u);

    // After midnight, the first switch moves the day before yesterday out of the file, into its day.
    loop->advance(15 * 3600);
    monitor->recordAppSwitch(editorApp);
    EXPECT_EQ(savedSince(history.now.addingTimeInterval(-10 * 3600)), 22u);
    EXPECT_EQ(ActivityRecordArchive(ActivityRecordArchive::folderBeside(recordFile)).daysOnDisk().size(), 29u);
}

// A stretch begun before yesterday is still the current record: credited at every tick, it stays in memory
// and in the file while it runs, and the switch that ends it moves it to its day with all its time, once.
TEST_F(ActivityCaptureTest, AStretchBegunBeforeYesterdayStaysWhileItIsCreditedAndLeavesWhole) {
    createMonitor();
    monitor->startMonitoring();
    ASSERT_TRUE(waitUntilNotPending(record(0)));
    const ActivityRecordValue began = record(0).value();
    loop->advance(3 * 86400);
    monitor->flushRecordFile();
    EXPECT_EQ(ActivityRecordFile(recordFile).load()->at(0).id, began.id);
    monitor->recordAppSwitch(editorApp);
    monitor->flushRecordFile();
    const auto saved = ActivityRecordFile(recordFile).load().value();
    EXPECT_TRUE(std::none_of(saved.begin(), saved.end(), [&](const auto& r) { return r.id == began.id; }));
    const auto archived = ActivityRecordArchive(ActivityRecordArchive::folderBeside(recordFile))
                              .recordsWithin(Date::distantPast(), Date::distantFuture());
    ASSERT_EQ(archived.size(), 1u);
    EXPECT_EQ(archived[0].id, began.id);
    EXPECT_EQ(archived[0].duration, 3 * 86400);
}

TEST_F(ActivityCaptureTest, ClearingRemovesTheArchiveAndASummaryAnsweredAfterTheClearWritesNothing) {
    std::filesystem::create_directories(recordFile.parent_path());
    const Date longAgo = loop->now().addingTimeInterval(-3 * 86400);
    ActivityRecordFile(recordFile).save({{UUID::random(), "Terminal", longAgo, 60, 60, ""}});
    FakeElement window;
    window.role = "AXWindow";
    window.title = "Notes";
    accessibility.setWindows(terminalApp.processIdentifier, {window});
    std::unique_lock holdTheReply(replyMutex); // the server answers once the test lets go
    createMonitor();
    ASSERT_TRUE(waitFor([&] { return gemini.requestCount() == 1; }));
    monitor->flushRecordFile();
    ASSERT_TRUE(std::filesystem::exists(ActivityRecordArchive::folderBeside(recordFile)));

    monitor->clearAllRecords();
    holdTheReply.unlock();
    ASSERT_TRUE(waitFor([&] { return monitor->runningAnalyses() == 0; }));
    monitor->flushRecordFile();
    EXPECT_FALSE(std::filesystem::exists(recordFile));
    EXPECT_FALSE(std::filesystem::exists(ActivityRecordArchive::folderBeside(recordFile)));
}

TEST_F(ActivityCaptureTest, UsageSummaryListsRecentRecordsOldestFirstFromMemory) {
    workspace.setFrontmost(std::nullopt);
    createMonitor();
    const Date start = loop->now();
    monitor->recordAppSwitch(terminalApp);
    loop->runUntilIdle();
    loop->advance(600);
    monitor->recordAppSwitch(editorApp);
    loop->advance(600);
    monitor->recordAppSwitch(browserApp);
    loop->runUntilIdle();
    monitor->activityRecords->at(2)->windowText = "line one\nline two";
    monitor->activityRecords->at(1)->windowText = std::string(151, 'x');
    monitor->activityRecords->at(0)->windowText = "Context analysis pending...";
    monitor->activityRecords->at(1)->duration = 42;

    // Whatever the file says, the summary reads the records in memory.
    monitor->flushRecordFile();
    ActivityRecordFile(recordFile).save(std::vector<ActivityRecordValue>{});

    const std::string summary = monitor->usageSummary(900);
    const Date since = loop->now().addingTimeInterval(-900);
    EXPECT_EQ(summary, "Computer Usage Activity (since " + shortDateTimeString(since) + "):\n" +
                           shortTimeString(start.addingTimeInterval(600)) + ": Editor\n  Context: " +
                           std::string(150, 'x') + "...\n" + shortTimeString(loop->now()) + ": Browser\n");
    EXPECT_EQ(monitor->activityRecords->at(1)->duration.get(), 42);
    EXPECT_THAT(monitor->usageSummary(3600), ::testing::HasSubstr(": Terminal\n  Context: line one | line two\n"));
    EXPECT_EQ(monitor->usageSummary(1).find("Editor"), std::string::npos);

    monitor->activityRecords->at(1)->windowText = std::string(150, 'y');
    EXPECT_THAT(monitor->usageSummary(900), ::testing::HasSubstr(": Editor\n  Context: " + std::string(150, 'y') + "\n"));

    // Texts that say the window was never read are no context.
    for (const char* unread : {"Context not available (app not frontmost)", "No UI content accessible",
                               "Context not loaded (app restart)"}) {
        monitor->activityRecords->at(1)->windowText = unread;
        EXPECT_THAT(monitor->usageSummary(900), ::testing::HasSubstr(": Editor\n" + shortTimeString(loop->now())));
    }
}

TEST_F(ActivityCaptureTest, AppSwitchCountIsHalfOpenAndIgnoresTheFirstRecord) {
    workspace.setFrontmost(std::nullopt);
    createMonitor();
    const Date start = loop->now();
    std::vector<std::shared_ptr<ActivityRecord>> records;
    const char* names[] = {"A", "A", "B", "A"};
    for (int i = 0; i < 4; ++i) {
        records.insert(records.begin(),
                       std::make_shared<ActivityRecord>(UUID::random(), names[i], start.addingTimeInterval(i * 10), ""));
    }
    monitor->activityRecords = records;
    EXPECT_EQ(monitor->appSwitchCount(start, start.addingTimeInterval(31)), 2);
    EXPECT_EQ(monitor->appSwitchCount(start, start.addingTimeInterval(30)), 1);
    EXPECT_EQ(monitor->appSwitchCount(start.addingTimeInterval(10), start.addingTimeInterval(31)), 2);
    EXPECT_EQ(monitor->appSwitchCount(start.addingTimeInterval(40), start.addingTimeInterval(50)), 0);
}

} // namespace
} // namespace glimmo::testing
