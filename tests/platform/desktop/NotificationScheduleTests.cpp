#include "platform/desktop/linux/CalendarSchedule.h"
#include "platform/desktop/linux/DesktopNotificationCenter.h"
#include "platform/desktop/linux/NotificationPoster.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/ManualRunLoop.h"

#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

constexpr CalendarTrigger tenOClockDaily{10, 0, true};

TEST(NextFireDateTest, SameDayBeforeTheTimeAndNextDayAtOrAfterIt) {
    const Calendar berlin("Europe/Berlin");
    EXPECT_EQ(nextFireDate(tenOClockDaily, berlin.date(2026, 6, 1, 9, 59, 59), berlin), berlin.date(2026, 6, 1, 10, 0, 0));
    EXPECT_EQ(nextFireDate(tenOClockDaily, berlin.date(2026, 6, 1, 10, 0, 0), berlin), berlin.date(2026, 6, 2, 10, 0, 0));
    EXPECT_EQ(nextFireDate(tenOClockDaily, berlin.date(2026, 6, 1, 23, 30, 0), berlin), berlin.date(2026, 6, 2, 10, 0, 0));
}

TEST(NextFireDateTest, CrossesMonthAndYearBoundaries) {
    const Calendar utc("UTC");
    EXPECT_EQ(nextFireDate(tenOClockDaily, utc.date(2026, 12, 31, 11, 0, 0), utc), utc.date(2027, 1, 1, 10, 0, 0));
    EXPECT_EQ(nextFireDate(tenOClockDaily, utc.date(2026, 2, 28, 10, 0, 1), utc), utc.date(2026, 3, 1, 10, 0, 0));
}

TEST(NextFireDateTest, KeepsTheWallClockTimeAcrossDaylightSavingChanges) {
    const Calendar berlin("Europe/Berlin");
    // Summer time begins on 29 March 2026: that day is 23 hours long.
    const Date saturday = nextFireDate(tenOClockDaily, berlin.date(2026, 3, 28, 9, 0, 0), berlin);
    const Date sunday = nextFireDate(tenOClockDaily, saturday, berlin);
    EXPECT_EQ(sunday.timeIntervalSince(saturday), 23 * 3600);
    EXPECT_EQ(berlin.hour(sunday), 10);
    // And ends on 25 October 2026: 25 hours.
    const Date october = nextFireDate(tenOClockDaily, berlin.date(2026, 10, 24, 10, 0, 0), berlin);
    EXPECT_EQ(october.timeIntervalSince(berlin.date(2026, 10, 24, 10, 0, 0)), 25 * 3600);
}

TEST(NextFireDateTest, SameInstantGivesDifferentTimesInDifferentZones) {
    const Calendar tokyo("Asia/Tokyo");
    const Calendar newYork("America/New_York");
    const Date now = Calendar("UTC").date(2026, 6, 1, 0, 30, 0); // 09:30 in Tokyo, 20:30 the day before in New York
    EXPECT_EQ(nextFireDate(tenOClockDaily, now, tokyo).timeIntervalSince(now), 30 * 60);
    EXPECT_EQ(nextFireDate(tenOClockDaily, now, newYork).timeIntervalSince(now), 13.5 * 3600);
}

class RecordingPoster : public NotificationPoster {
public:
    std::optional<std::string> checkAvailable() override { return unavailable; }
    std::optional<std::string> post(const NotificationContent& content) override {
        posted.emplace_back(RunLoop::main().now(), content);
        return std::nullopt;
    }
    std::optional<std::string> unavailable;
    std::vector<std::pair<Date, NotificationContent>> posted;
};

class DesktopNotificationCenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDefaultTimeZone("Europe/Berlin");
        loop = std::make_shared<ManualRunLoop>(Calendar("Europe/Berlin").date(2026, 6, 1, 8, 0, 0));
        RunLoop::setMain(loop);
        defaults = std::make_shared<UserDefaults>(directory.path() / "defaults.json");
        center = std::make_unique<DesktopNotificationCenter>(poster, defaults);
    }
    void TearDown() override {
        center.reset();
        RunLoop::setMain(nullptr);
        setDefaultTimeZone("");
    }

    AuthorizationStatus status() {
        std::optional<AuthorizationStatus> result;
        center->getAuthorizationStatus([&](AuthorizationStatus s) { result = s; });
        loop->runUntilIdle();
        return result.value();
    }

    std::pair<bool, std::optional<std::string>> requestAuthorization() {
        std::optional<std::pair<bool, std::optional<std::string>>> result;
        center->requestAuthorization(true, true, [&](bool granted, std::optional<std::string> error) {
            result = {granted, error};
        });
        loop->runUntilIdle();
        return result.value();
    }

    std::optional<std::string> add(NotificationRequest request) {
        std::optional<std::string> error = "not called";
        center->add(std::move(request), [&](std::optional<std::string> e) { error = e; });
        loop->runUntilIdle();
        return error;
    }

    static NotificationRequest reminder(CalendarTrigger trigger = tenOClockDaily) {
        return NotificationRequest{"dailyReminder", {"Title", "Body", true}, trigger};
    }

    testing::TemporaryDirectory directory;
    std::shared_ptr<ManualRunLoop> loop;
    std::shared_ptr<UserDefaults> defaults;
    std::shared_ptr<RecordingPoster> poster = std::make_shared<RecordingPoster>();
    std::unique_ptr<DesktopNotificationCenter> center;
};

TEST_F(DesktopNotificationCenterTest, PermissionIsAskedOnceAndRemembered) {
    EXPECT_EQ(status(), AuthorizationStatus::notDetermined);
    EXPECT_EQ(requestAuthorization(), std::make_pair(true, std::optional<std::string>()));
    EXPECT_EQ(status(), AuthorizationStatus::authorized);
    // A new centre (the next launch) reads the stored answer, written as the last one quit.
    defaults->flush();
    center = std::make_unique<DesktopNotificationCenter>(poster, std::make_shared<UserDefaults>(directory.path() / "defaults.json"));
    EXPECT_EQ(status(), AuthorizationStatus::authorized);
}

TEST_F(DesktopNotificationCenterTest, UnreachableServiceIsAnErrorNotARefusal) {
    poster->unavailable = "no notification daemon";
    const auto [granted, error] = requestAuthorization();
    EXPECT_FALSE(granted);
    EXPECT_EQ(error, "no notification daemon");
    EXPECT_EQ(status(), AuthorizationStatus::notDetermined) << "asked again on the next launch";
}

TEST_F(DesktopNotificationCenterTest, DeniedUserIsNotAskedAgainAndCannotBeNotified) {
    defaults->set(DesktopNotificationCenter::authorizationKey, "denied");
    EXPECT_EQ(status(), AuthorizationStatus::denied);
    EXPECT_EQ(requestAuthorization(), std::make_pair(false, std::optional<std::string>()));
    EXPECT_TRUE(add(reminder()).has_value());
    EXPECT_TRUE(center->pendingRequests().empty());
}

TEST_F(DesktopNotificationCenterTest, RepeatingTriggerFiresAtTenEveryDay) {
    ASSERT_EQ(add(reminder()), std::nullopt);
    const Calendar berlin("Europe/Berlin");
    loop->advanceTo(berlin.date(2026, 6, 1, 9, 59, 59));
    EXPECT_TRUE(poster->posted.empty());
    loop->advanceTo(berlin.date(2026, 6, 3, 12, 0, 0));
    ASSERT_EQ(poster->posted.size(), 3u);
    EXPECT_EQ(poster->posted[0].first, berlin.date(2026, 6, 1, 10, 0, 0));
    EXPECT_EQ(poster->posted[1].first, berlin.date(2026, 6, 2, 10, 0, 0));
    EXPECT_EQ(poster->posted[2].first, berlin.date(2026, 6, 3, 10, 0, 0));
    EXPECT_EQ(poster->posted[0].second, (NotificationContent{"Title", "Body", true}));
    EXPECT_EQ(center->pendingRequests().size(), 1u);
}

TEST_F(DesktopNotificationCenterTest, AddingTheSameIdentifierReplacesThePendingRequest) {
    ASSERT_EQ(add(reminder()), std::nullopt);
    ASSERT_EQ(add(reminder()), std::nullopt);
    auto changed = reminder({11, 15, true});
    changed.content.body = "Later";
    ASSERT_EQ(add(changed), std::nullopt);
    EXPECT_EQ(center->pendingRequests(), std::vector<NotificationRequest>{changed});
    const Calendar berlin("Europe/Berlin");
    loop->advanceTo(berlin.date(2026, 6, 1, 12, 0, 0));
    ASSERT_EQ(poster->posted.size(), 1u) << "one reminder, not three";
    EXPECT_EQ(poster->posted[0].first, berlin.date(2026, 6, 1, 11, 15, 0));
    EXPECT_EQ(poster->posted[0].second.body, "Later");
}

TEST_F(DesktopNotificationCenterTest, OneShotTriggerFiresOnceAndIsNoLongerPending) {
    ASSERT_EQ(add(reminder({9, 30, false})), std::nullopt);
    loop->advance(3 * 86400);
    ASSERT_EQ(poster->posted.size(), 1u);
    EXPECT_EQ(poster->posted[0].first, Calendar("Europe/Berlin").date(2026, 6, 1, 9, 30, 0));
    EXPECT_TRUE(center->pendingRequests().empty());
}

TEST_F(DesktopNotificationCenterTest, FollowsAChangeOfTimeZoneWhileWaiting) {
    ASSERT_EQ(add(reminder()), std::nullopt); // 08:00 in Berlin: due at 10:00 Berlin, 08:00 UTC
    const Calendar utc("UTC");
    loop->advanceTo(utc.date(2026, 6, 1, 7, 0, 0));
    setDefaultTimeZone("Europe/London"); // the user travels: it is 08:00 local now
    loop->advanceTo(utc.date(2026, 6, 1, 8, 59, 59));
    EXPECT_TRUE(poster->posted.empty()) << "10:00 in Berlin is 09:00 in London";
    loop->advanceTo(utc.date(2026, 6, 2, 9, 0, 0));
    ASSERT_EQ(poster->posted.size(), 2u);
    EXPECT_EQ(poster->posted[0].first, utc.date(2026, 6, 1, 9, 0, 0));
    EXPECT_EQ(poster->posted[1].first, utc.date(2026, 6, 2, 9, 0, 0));
}

TEST_F(DesktopNotificationCenterTest, RejectsImpossibleTimes) {
    EXPECT_TRUE(add(reminder({24, 0, true})).has_value());
    EXPECT_TRUE(add(reminder({10, 60, true})).has_value());
    EXPECT_TRUE(add(reminder({-1, 0, true})).has_value());
    EXPECT_TRUE(center->pendingRequests().empty());
}

} // namespace
} // namespace glimmo
