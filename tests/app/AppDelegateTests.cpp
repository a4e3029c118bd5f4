#include "app/AppDelegate.h"

#include "platform/desktop/fakes/FakeAlertPresenter.h"
#include "platform/desktop/fakes/FakeUserNotificationCenter.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/desktop/linux/DesktopNotificationCenter.h"
#include "platform/desktop/linux/NotificationPoster.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/ManualRunLoop.h"

#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

const NotificationRequest expectedReminder{
    "dailyReminder", {"Trevant", "Time to check your Trevant", true}, {10, 0, true}};

const AlertSpec expectedAlert{AlertStyle::warning,
                              "Notifications Disabled",
                              "Please enable notifications in System Settings to receive productivity reminders.",
                              {"Open Settings", "Not Now"}};

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        RunLoop::setMain(loop);
        UserNotificationCenter::setShared(center);
        AlertPresenter::setShared(alerts);
        Workspace::setShared(workspace);
        setLogSinkForTesting([this](LogLevel level, std::string_view line) {
            if (level == LogLevel::standardOutput) printed.emplace_back(line);
        });
    }

    void TearDown() override {
        setLogSinkForTesting({});
        UserNotificationCenter::setShared(nullptr);
        AlertPresenter::setShared(nullptr);
        Workspace::setShared(nullptr);
        RunLoop::setMain(nullptr);
        setDefaultTimeZone("");
    }

    void launch() {
        delegate->applicationDidFinishLaunching();
        loop->runUntilIdle();
    }

    std::shared_ptr<ManualRunLoop> loop = std::make_shared<ManualRunLoop>();
    std::shared_ptr<FakeUserNotificationCenter> center = std::make_shared<FakeUserNotificationCenter>();
    std::shared_ptr<FakeAlertPresenter> alerts = std::make_shared<FakeAlertPresenter>();
    std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
    std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>();
    std::vector<std::string> printed;
};

TEST_F(AppDelegateTest, FirstLaunchAllowedSchedulesOneDailyReminderAtTen) {
    center->setAuthorizationAnswer(true);
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(center->authorizationRequestCount(), 0) << "the status arrives later, on the main queue";
    loop->runUntilIdle();
    EXPECT_EQ(center->authorizationRequestCount(), 1);
    EXPECT_EQ(center->lastRequestedOptions(), std::make_pair(true, true));
    EXPECT_EQ(center->pendingRequests(), std::vector<NotificationRequest>{expectedReminder});
    EXPECT_TRUE(alerts->shownAlerts().empty());
    EXPECT_TRUE(printed.empty());
}

TEST_F(AppDelegateTest, FirstLaunchRefusedShowsTheAlertAtOnce) {
    center->setAuthorizationAnswer(false);
    alerts->enqueueAnswer(1);
    launch();
    EXPECT_EQ(alerts->shownAlerts(), std::vector<AlertSpec>{expectedAlert});
    EXPECT_TRUE(center->pendingRequests().empty());
    EXPECT_TRUE(workspace->openedURLs().empty()) << "\"Not Now\" does nothing";
}

TEST_F(AppDelegateTest, PermissionRequestErrorIsPrintedWithoutAlertOrReminder) {
    center->setAuthorizationAnswer(false, "The notification service is not available");
    launch();
    EXPECT_EQ(printed, std::vector<std::string>{
                           "Error requesting notification permissions: The notification service is not available"});
    EXPECT_TRUE(alerts->shownAlerts().empty());
    EXPECT_TRUE(center->pendingRequests().empty());
}

TEST_F(AppDelegateTest, DeniedShowsTheAlertOnEveryLaunchAndOpenSettingsOpensTheNotificationSettings) {
    center->setAuthorizationStatus(AuthorizationStatus::denied);
    alerts->enqueueAnswer(0);
    launch();
    EXPECT_EQ(workspace->openedURLs(), std::vector<std::string>{workspace->notificationSettingsURL()});
    alerts->enqueueAnswer(1);
    launch();
    EXPECT_EQ(alerts->shownAlerts().size(), 2u);
    EXPECT_EQ(workspace->openedURLs().size(), 1u);
    EXPECT_EQ(center->authorizationRequestCount(), 0) << "the user is asked only while undecided";
}

TEST_F(AppDelegateTest, EveryAuthorisedLaunchReaddsTheSameSingleReminder) {
    center->setAuthorizationStatus(AuthorizationStatus::authorized);
    launch();
    launch();
    EXPECT_EQ(center->addCount(), 2);
    EXPECT_EQ(center->pendingRequests(), std::vector<NotificationRequest>{expectedReminder});
    EXPECT_EQ(center->authorizationRequestCount(), 0);
}

TEST_F(AppDelegateTest, ProvisionalPermissionDoesNothing) {
    center->setAuthorizationStatus(AuthorizationStatus::provisional);
    launch();
    EXPECT_TRUE(center->pendingRequests().empty());
    EXPECT_TRUE(alerts->shownAlerts().empty());
    EXPECT_EQ(center->authorizationRequestCount(), 0);
}

TEST_F(AppDelegateTest, FailedSchedulingIsPrinted) {
    center->setAuthorizationStatus(AuthorizationStatus::authorized);
    center->setAddError("quota exceeded");
    launch();
    EXPECT_EQ(printed, std::vector<std::string>{"Error scheduling notification: quota exceeded"});
    EXPECT_TRUE(alerts->shownAlerts().empty());
}

TEST_F(AppDelegateTest, AnswerArrivingAfterTheDelegateIsGoneIsIgnored) {
    center->setAuthorizationStatus(AuthorizationStatus::denied);
    delegate->applicationDidFinishLaunching();
    delegate.reset();
    loop->runUntilIdle();
    EXPECT_TRUE(alerts->shownAlerts().empty());
}

// The delegate with the desktop notification centre: the reminder really goes off at 10:00.
class RecordingPoster : public NotificationPoster {
public:
    std::optional<std::string> checkAvailable() override { return std::nullopt; }
    std::optional<std::string> post(const NotificationContent& content) override {
        shown.emplace_back(RunLoop::main().now(), content);
        return std::nullopt;
    }
    std::vector<std::pair<Date, NotificationContent>> shown;
};

TEST_F(AppDelegateTest, ReminderOfTheDesktopCentreGoesOffAtTenLocalTimeEveryDay) {
    setDefaultTimeZone("America/New_York");
    const Calendar newYork("America/New_York");
    // The evening before summer time begins (8 March 2026).
    loop->advanceTo(newYork.date(2026, 3, 7, 21, 0, 0));
    testing::TemporaryDirectory directory;
    auto poster = std::make_shared<RecordingPoster>();
    auto desktopCenter = std::make_shared<DesktopNotificationCenter>(
        poster, std::make_shared<UserDefaults>(directory.path() / "defaults.json"));
    UserNotificationCenter::setShared(desktopCenter);

    launch(); // first launch: asks, is granted, schedules
    ASSERT_EQ(desktopCenter->pendingRequests(), std::vector<NotificationRequest>{expectedReminder});
    launch(); // the next launch replaces it
    ASSERT_EQ(desktopCenter->pendingRequests().size(), 1u);

    loop->advanceTo(newYork.date(2026, 3, 9, 12, 0, 0));
    ASSERT_EQ(poster->shown.size(), 2u);
    EXPECT_EQ(poster->shown[0].first, newYork.date(2026, 3, 8, 10, 0, 0));
    EXPECT_EQ(poster->shown[1].first, newYork.date(2026, 3, 9, 10, 0, 0));
    EXPECT_EQ(poster->shown[0].second, expectedReminder.content);
    EXPECT_TRUE(alerts->shownAlerts().empty());
}

} // namespace
} // namespace glimmo
