#include "ActivityMonitorTestSupport.h"

#include "HeldWrites.h"

#include "RecordHistory.h"
#include "SyntheticHistory.h"
#include "app/ActivityRecordArchive.h"
#include "app/ActivityRecordFile.h"
#include "app/ChromeHistoryReader.h"
#include "app/URLHost.h"
#include "app/UnifiedActivityService.h"

#include <gmock/gmock.h>

#include <fstream>

namespace glimmo::testing {
namespace {

using Type = UnifiedActivity::ActivityType;

class UnifiedActivityServiceTest : public ActivityMonitorFixture {
protected:
    UnifiedActivityServiceTest() {
        ChromeHistoryReader::resetLastLoadTimeForTesting();
        workspace.setFrontmost(std::nullopt);
        createMonitor();
        reader = std::make_shared<ChromeHistoryReader>(loop->clock(), workspace, historyPath,
                                                       directory.path() / "chromeHistory.db");
        service = std::make_shared<UnifiedActivityService>(monitor, reader, nullptr, loop->clock());
    }
    ~UnifiedActivityServiceTest() override { ChromeHistoryReader::resetLastLoadTimeForTesting(); }

    // 2026-12-07 at the given time of day, UTC.
    static Date at(int hour, int minute, int second = 0) {
        return Date::fromUnixTime(1796601600 + hour * 3600 + minute * 60 + second);
    }

    static HistoryItem visit(std::string url, Date when) {
        HistoryItem item;
        item.url = std::move(url);
        item.host = hostOfVisitedURL(item.url);
        item.lastVisit = when;
        return item;
    }

    void addRecord(std::string appName, Date start, double duration, std::string windowText) {
        auto record = std::make_shared<ActivityRecord>(UUID::random(), std::move(appName), start, std::move(windowText));
        record->duration = duration;
        monitor->activityRecords.modify([&](auto& records) { records.insert(records.begin(), record); });
    }

    std::vector<UnifiedActivity> activities(Date start, Date end) {
        return runBlocking(*loop, service->getUnifiedActivities(start, end), 10);
    }

    std::filesystem::path historyPath = directory.path() / "History";
    std::shared_ptr<ChromeHistoryReader> reader;
    std::shared_ptr<UnifiedActivityService> service;
};

TEST_F(UnifiedActivityServiceTest, VisitsLastUntilTheNextVisitAndMergeByHost) {
    addRecord("Google Chrome", at(9, 0), 2 * 3600, "the browser in front all along");
    reader->historyItems = {
        visit("https://www.example.com/c", at(10, 5)),
        visit("mailto:someone", at(10, 0, 40)), // no host: no entry, but it ends the visit before it
        visit("https://example.com/b", at(10, 0, 30)),
        visit("https://example.com/a", at(10, 0)),
    };
    const auto list = activities(at(0, 0), at(23, 59, 59));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "example.com");
    EXPECT_EQ(list[0].type, Type::website);
    EXPECT_EQ(list[0].duration, 30 + 10 + 60);
    EXPECT_EQ(list[0].timestamp, at(10, 0));
    EXPECT_EQ(list[0].context, "https://example.com/a\n---\nhttps://example.com/b\n---\nhttps://www.example.com/c");

    // Three visits to one host: 30 + 270 + 60 seconds.
    reader->historyItems = {
        visit("https://one.example/3", at(10, 5)),
        visit("https://one.example/2", at(10, 0, 30)),
        visit("https://one.example/1", at(10, 0)),
    };
    service->cachedActivities = {};
    const auto three = activities(at(0, 0), at(23, 59, 59));
    ASSERT_EQ(three.size(), 1u);
    EXPECT_EQ(three[0].duration, 360);
    EXPECT_EQ(three[0].timestamp, at(10, 0));
    EXPECT_EQ(three[0].context, "https://one.example/1\n---\nhttps://one.example/2\n---\nhttps://one.example/3");
}

TEST_F(UnifiedActivityServiceTest, BoundsAreInclusiveAndTheLastVisitLastsAMinuteUpToTheEnd) {
    addRecord("Google Chrome", at(8, 0), 5 * 3600, "");
    reader->historyItems = {visit("https://late.example/", at(12, 0)), visit("https://early.example/", at(9, 0))};
    const auto list = activities(at(9, 0), at(12, 0));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "late.example");
    EXPECT_EQ(list[0].duration, 0);
    EXPECT_EQ(list[1].name, "early.example");
    EXPECT_EQ(list[1].duration, 3 * 3600);
    EXPECT_EQ(mergeActivities(reader->historyItems.get(), snapshotOf(monitor->activityRecords.get()), at(9, 0), at(13, 0))[0]
                  .duration,
              60);
}

TEST_F(UnifiedActivityServiceTest, VisitsCountOnlyWhileTheBrowserIsInFront) {
    addRecord("Google Chrome", at(9, 0), 600, "");
    addRecord("Editor", at(9, 10), 28200, "");
    const std::vector<HistoryItem> visits = {visit("https://b.example/", at(17, 0)), visit("https://a.example/", at(9, 0))};
    const auto list = mergeActivities(visits, snapshotOf(monitor->activityRecords.get()), at(9, 0), at(17, 0));
    double total = 0;
    for (const UnifiedActivity& entry : list) total += entry.duration;
    EXPECT_EQ(total, 8 * 3600);
    EXPECT_EQ(list.at(2).name, "a.example");
    EXPECT_EQ(list.at(2).duration, 600);

    // Without the browser in front, visits are listed with no time.
    const auto noBrowser = mergeActivities(visits, {}, at(9, 0), at(17, 0));
    ASSERT_EQ(noBrowser.size(), 2u);
    EXPECT_EQ(noBrowser[0].duration + noBrowser[1].duration, 0);
}

TEST_F(UnifiedActivityServiceTest, ARecordAcrossMidnightCountsOnBothDaysWithinEachWindow) {
    const Date lateEvening = at(23, 0);
    addRecord("Editor", lateEvening, 2 * 3600, "night work");
    const ActivityRecordSnapshot records = snapshotOf(monitor->activityRecords.get());
    const auto today = mergeActivities({}, records, at(0, 0), at(23, 59, 59));
    ASSERT_EQ(today.size(), 1u);
    EXPECT_EQ(today[0].duration, 3599);
    const Date tomorrow = at(0, 0).addingTimeInterval(86400);
    const auto nextDay = mergeActivities({}, records, tomorrow, tomorrow.addingTimeInterval(86399));
    ASSERT_EQ(nextDay.size(), 1u);
    EXPECT_EQ(nextDay[0].duration, 3600);
    EXPECT_EQ(nextDay[0].timestamp, tomorrow);
    EXPECT_EQ(mergeActivities({}, records, at(22, 0), at(23, 30))[0].duration, 1800);
}

TEST_F(UnifiedActivityServiceTest, RecordsInsideTheWindowJoinTheVisitsAndTheBrowserIsLeftOut) {
    addRecord("Editor", at(8, 30), 600, "ended before the window");
    addRecord("Editor", at(9, 30), 300, "first");
    addRecord("Google Chrome", at(9, 40), 900, "the browser");
    addRecord("example.com", at(9, 50), 120, "an app named like the site");
    addRecord("Editor", at(10, 0), 200, "second");
    reader->historyItems = {visit("https://example.com/", at(9, 45))};

    const auto list = activities(at(9, 0), at(11, 0));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "example.com");
    EXPECT_EQ(list[0].type, Type::app);
    EXPECT_EQ(list[0].duration, 60 + 120);
    EXPECT_EQ(list[0].timestamp, at(9, 45));
    EXPECT_EQ(list[0].context, "https://example.com/\n---\nan app named like the site");
    EXPECT_EQ(list[1].name, "Editor");
    EXPECT_EQ(list[1].duration, 500);
    EXPECT_EQ(list[1].timestamp, at(9, 30));
    EXPECT_EQ(list[1].context, "second\n---\nfirst"); // records in list order, newest first

    EXPECT_EQ(runBlocking(*loop, service->totalDuration(at(9, 0), at(11, 0)), 10), 680);
    const auto durations = runBlocking(*loop, service->durationsByName(at(9, 0), at(11, 0)), 10);
    EXPECT_THAT(durations, ::testing::ElementsAre(std::pair<std::string, double>{"Editor", 500},
                                                  std::pair<std::string, double>{"example.com", 180}));
}

TEST_F(UnifiedActivityServiceTest, PastDaysWeeksAndMonthsGiveWhatTheWholeHistoryInMemoryGave) {
    // Thirty days as an older version left them in the record file: the start moves all but two into days.
    const RecordHistory history = recordHistory(true);
    std::filesystem::create_directories(recordFile.parent_path());
    std::ofstream(recordFile, std::ios::binary) << encodeActivityRecords(history.records);
    monitor = ActivityMonitor::create(services());
    service = std::make_shared<UnifiedActivityService>(monitor, reader, nullptr, loop->clock());
    ASSERT_EQ(monitor->activityRecords->size(), 40u);
    std::vector<HistoryItem> visits;
    for (int day = 0; day < 30; day += 3) {
        const Date chromeFront = history.firstDay.addingTimeInterval(86400.0 * day + 8 * 3600);
        visits.push_back(visit("https://docs.example/" + std::to_string(day), chromeFront.addingTimeInterval(60)));
        visits.push_back(visit("https://www.news.example/", chromeFront.addingTimeInterval(900)));
    }
    reader->historyItems = visits;

    ActivityRecordSnapshot all; // as when every record was in memory
    for (const ActivityRecordValue& record : history.records) {
        all.push_back(std::make_shared<const ActivityRecordValue>(record));
    }
    const auto day = [&](int index) { return history.firstDay.addingTimeInterval(86400.0 * index); };
    const std::pair<Date, Date> windows[] = {
        {day(20), day(21).addingTimeInterval(-1)}, // a past day, and the record that ran into it
        {day(10), day(17).addingTimeInterval(-1)}, // a week
        {day(1), day(29).addingTimeInterval(-1)},  // a month, into the live days
    };
    for (const auto& [start, end] : windows) {
        const std::vector<UnifiedActivity> reference = mergeActivities(visits, all, start, end);
        EXPECT_EQ(activities(start, end), reference);
        service->cachedActivities = {};
        EXPECT_EQ(service->unifiedActivities(start, end), reference) << "merged on the calling thread";
        service->cachedActivities = {};
    }
}

TEST_F(UnifiedActivityServiceTest, ListsAreCachedPerPairOfDaysFor600Seconds) {
    EXPECT_EQ(UnifiedActivityService::cacheKey(at(0, 0), at(13, 0)), "1796601600.0-1796601600.0");
    addRecord("Editor", at(9, 0), 100, "a");
    const auto first = activities(at(0, 0), at(23, 59));
    addRecord("Terminal", at(9, 10), 100, "b");
    loop->advance(599);
    EXPECT_EQ(activities(at(8, 0), at(23, 59)), first); // same days, fresh entry
    loop->advance(1);
    EXPECT_EQ(activities(at(8, 0), at(23, 59)).size(), 2u);

    // An entry built "in the future" (the clock was set back) still counts as fresh.
    service->cachedActivities[UnifiedActivityService::cacheKey(at(0, 0), at(1, 0))] = {{}, loop->now().addingTimeInterval(599)};
    EXPECT_TRUE(activities(at(0, 0), at(1, 0)).empty());
    service->cachedActivities = {};
    EXPECT_EQ(activities(at(0, 0), at(1, 0)).size(), 0u);
    // The key names only the days, so a wider window of the same day gets the entry just built.
    EXPECT_TRUE(activities(at(0, 0), at(23, 0)).empty());
}

Task<void> requestInto(UnifiedActivityService& service, Date start, Date end,
                       std::shared_ptr<std::optional<std::vector<UnifiedActivity>>> delivered) {
    auto request = service.getUnifiedActivities(start, end);
    *delivered = co_await std::move(request);
}

TEST_F(UnifiedActivityServiceTest, AServiceFreedWhileTheHistoryLoadsDeliversNothing) {
    // The load's end reaches the main loop only when the test lets it.
    const auto held = std::make_shared<ManualRunLoop>(loop->now());
    RunLoop::setMain(held);
    auto delivered = std::make_shared<std::optional<std::vector<UnifiedActivity>>>();
    const TaskHandle request = startTask(*loop, requestInto(*service, at(0, 0), at(23, 59), delivered));
    loop->runUntilIdle();
    ASSERT_TRUE(reader->isLoading());
    service.reset();
    EXPECT_TRUE(held->runUntil([&] { return !reader->isLoading(); }, 10));
    RunLoop::setMain(loop);
    EXPECT_TRUE(loop->runUntil([&] { return request.isFinished(); }, 10));
    EXPECT_FALSE(delivered->has_value());
}

// A day's visits are copied for the merge a piece at a time, each in a turn of the loop of its own. Runs
// `action` once, in a turn between two pieces of the copy a request for the day makes, and gives what the
// request delivered.
std::optional<std::vector<UnifiedActivity>> deliveredWhenBetweenPieces(ManualRunLoop& loop,
                                                                     std::shared_ptr<UnifiedActivityService>& service,
                                                                     ChromeHistoryReader& reader, Date start, Date end,
                                                                     const std::function<void()>& action) {
    auto delivered = std::make_shared<std::optional<std::vector<UnifiedActivity>>>();
    const TaskHandle request = startTask(loop, requestInto(*service, start, end, delivered));
    // The copy watches the list for a replacement while it runs.
    const std::size_t watchers = reader.historyItems.didChange.connectionCount();
    bool acted = false;
    std::function<void()> look = [&] {
        if (reader.historyItems.didChange.connectionCount() > watchers) {
            action();
            acted = true;
        } else if (!request.isFinished()) {
            loop.post(look);
        }
    };
    loop.post(look);
    EXPECT_TRUE(loop.runUntil([&] { return request.isFinished(); }, 10));
    EXPECT_TRUE(acted);
    return *delivered;
}

TEST_F(UnifiedActivityServiceTest, AHistoryReplacedWhileTheDaysVisitsAreCopiedIsCopiedAgainWhole) {
    addRecord("Google Chrome", at(0, 0), 86399, "");
    const std::size_t count = 2 * UnifiedActivityService::visitsCopiedPerTurn;
    reader->historyItems = std::vector<HistoryItem>(count, visit("https://old.example/", at(10, 0)));
    const auto delivered = deliveredWhenBetweenPieces(*loop, service, *reader, at(0, 0), at(23, 59), [&] {
        reader->historyItems = std::vector<HistoryItem>(count, visit("https://new.example/", at(11, 0)));
    });
    ASSERT_TRUE(delivered.has_value());
    ASSERT_EQ(delivered->size(), 1u);
    EXPECT_EQ((*delivered)[0].name, "new.example");
}

TEST_F(UnifiedActivityServiceTest, AServiceFreedWhileTheDaysVisitsAreCopiedDeliversNothing) {
    reader->historyItems = std::vector<HistoryItem>(2 * UnifiedActivityService::visitsCopiedPerTurn,
                                                    visit("https://example.com/", at(10, 0)));
    EXPECT_FALSE(deliveredWhenBetweenPieces(*loop, service, *reader, at(0, 0), at(23, 59), [&] { service.reset(); }));
}

// A record both in memory and in its day (an archiving whose save of the file did not follow), and one
// in two day files (as two time zones filed it): each counts once.
TEST_F(UnifiedActivityServiceTest, ARecordInMemoryAndInItsDayOrInTwoDaysCountsOnce) {
    addRecord("Editor", at(9, 0), 600, "in memory and in its day");
    const ActivityRecordValue twice{UUID::random(), "Terminal", at(-2, 0), 300, 0, "in two days"};
    const std::filesystem::path days = ActivityRecordArchive::folderBeside(recordFile);
    std::filesystem::create_directories(days);
    std::ofstream(days / "2026-12-06.json", std::ios::binary) << encodeActivityRecords(std::vector{twice});
    std::ofstream(days / "2026-12-07.json", std::ios::binary)
        << encodeActivityRecords(std::vector{monitor->activityRecords->front()->value(), twice});
    const auto list = activities(at(-24, 0), at(23, 59));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "Editor");
    EXPECT_EQ(list[0].duration, 600);
    EXPECT_EQ(list[1].name, "Terminal");
    EXPECT_EQ(list[1].duration, 300);
}

// "Clear All Data" comes while a merge has taken the records in memory and waits to read the days: what it
// read is gone, so the list is made again, and neither delivered nor cached with the cleared records.
TEST_F(UnifiedActivityServiceTest, AMergeOvertakenByAClearIsMadeAgainWithoutTheClearedRecords) {
    addRecord("Mail", loop->now().addingTimeInterval(-3 * 86400), 60, "before yesterday");
    addRecord("Editor", at(9, 0), 600, "today");
    reader->historyItems = std::vector<HistoryItem>(2 * UnifiedActivityService::visitsCopiedPerTurn,
                                                    visit("https://example.com/", at(10, 0)));
    HeldWrites held;
    monitor->recordAppSwitch(terminalApp); // the record before yesterday leaves for its day, which waits
    ASSERT_TRUE(held.waitUntilOneIsHeld());
    const std::size_t watchers = reader->historyItems.didChange.connectionCount();
    auto delivered = std::make_shared<std::optional<std::vector<UnifiedActivity>>>();
    const TaskHandle request = startTask(*loop, requestInto(*service, at(0, 0), at(23, 59), delivered));
    bool copying = false;
    bool cleared = false;
    std::function<void()> look = [&] {
        copying = copying || reader->historyItems.didChange.connectionCount() > watchers;
        if (copying && reader->historyItems.didChange.connectionCount() == watchers) {
            monitor->clearAllRecords(); // the merge has begun
            held.release();
            cleared = true;
        } else if (!request.isFinished()) {
            loop->post(look);
        }
    };
    loop->post(look);
    ASSERT_TRUE(loop->runUntil([&] { return request.isFinished(); }, 10));
    ASSERT_TRUE(cleared);
    ASSERT_TRUE(delivered->has_value());
    for (const auto& entries : {**delivered, service->cachedActivities.begin()->second.first}) {
        ASSERT_FALSE(entries.empty()); // the visits stay
        for (const UnifiedActivity& entry : entries) EXPECT_EQ(entry.type, Type::website) << entry.name;
    }
}

TEST_F(UnifiedActivityServiceTest, EmptyWindowGivesNothing) {
    EXPECT_TRUE(activities(at(1, 0), at(2, 0)).empty());
    EXPECT_EQ(runBlocking(*loop, service->totalDuration(at(1, 0), at(2, 0)), 10), 0);
    EXPECT_TRUE(runBlocking(*loop, service->durationsByName(at(1, 0), at(2, 0)), 10).empty());
    const UnifiedActivityReport report = runBlocking(*loop, service->generateReport(at(1, 0), at(2, 0)), 10);
    EXPECT_EQ(report.categories, (std::vector<ActivityReportCategory>{{"Untracked", "No activity data available", 100}}));
}

TEST_F(UnifiedActivityServiceTest, ReportOfRecordsAndVisitsReadFromTheHistoryDatabase) {
    loop->advanceTo(at(11, 0));
    {
        SyntheticHistory history(historyPath);
        history.add("https://docs.example/page", "Docs", 2, at(10, 0));
        history.add("https://docs.example/other", "Docs", 1, at(10, 10));
    }
    addRecord("Google Chrome", at(10, 0), 1200, "");
    addRecord("Editor", at(10, 20), 1800, "Writing \"notes\"");
    const UnifiedActivityReport report = runBlocking(*loop, service->generateReport(at(0, 0), at(23, 59)), 10);
    ASSERT_EQ(report.categories.size(), 2u);
    EXPECT_EQ(report.categories[0], (ActivityReportCategory{"Apps", "Editor (30m)", 73}));
    EXPECT_EQ(report.categories[1], (ActivityReportCategory{"Websites", "docs.example (11m)", 26}));
    EXPECT_EQ(report.totalMinutes, 41);
    EXPECT_EQ(report.activeMinutes, 41);
    EXPECT_EQ(UnifiedActivityService::formatReport(report),
              "{\n  \"categories\": [\n    {\n      \"type\": \"Apps\",\n      \"apps\": \"Editor (30m)\"\n    },\n"
              "    {\n      \"type\": \"Websites\",\n      \"apps\": \"docs.example (11m)\"\n    }\n  ],\n"
              "  \"activities\": [\"Editor (30m)\nContext:\nWriting \"notes\"\",\n"
              "    \"docs.example (11m)\nContext:\nhttps://docs.example/page\n---\nhttps://docs.example/other\"\n  ]\n}");
}

} // namespace
} // namespace glimmo::testing
