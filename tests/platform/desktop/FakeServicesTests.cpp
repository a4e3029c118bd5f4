#include "platform/desktop/fakes/FakeAccessibility.h"
#include "platform/desktop/fakes/FakeAlertPresenter.h"
#include "platform/desktop/fakes/FakeInputActivityTap.h"
#include "platform/desktop/fakes/FakeUserNotificationCenter.h"
#include "platform/desktop/fakes/FakeWorkspace.h"
#include "platform/desktop/fakes/FakeUpdater.h"
#include "platform/desktop/Updater.h"
#include "platform/runtime/ManualRunLoop.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

class FakeServicesTest : public ::testing::Test {
protected:
    void SetUp() override { RunLoop::setMain(loop); }
    void TearDown() override {
        AlertPresenter::setShared(nullptr);
        RunLoop::setMain(nullptr);
    }
    std::shared_ptr<ManualRunLoop> loop = std::make_shared<ManualRunLoop>();
};

TEST_F(FakeServicesTest, SharedInstanceMustBeInstalledAndCanBeReplaced) {
    Workspace::setShared(nullptr);
    EXPECT_THROW(Workspace::shared(), std::logic_error);
    auto first = std::make_shared<FakeWorkspace>();
    Workspace::setShared(first);
    EXPECT_EQ(&Workspace::shared(), first.get());
    auto second = std::make_shared<FakeWorkspace>();
    Workspace::setShared(second);
    EXPECT_EQ(&Workspace::shared(), second.get());
    Workspace::setShared(nullptr);
}

TEST_F(FakeServicesTest, WorkspaceActivationReachesObserversOnTheMainLoopOnly) {
    FakeWorkspace workspace;
    std::vector<std::string> activated;
    auto subscription = workspace.observeDidActivateApplication(
        [&](const RunningApplication& app) { activated.push_back(app.localizedName); });
    const RunningApplication editor{"Editor", 42, "org.example.Editor"};
    workspace.activate(editor);
    EXPECT_EQ(workspace.frontmostApplication(), editor);
    EXPECT_TRUE(activated.empty()) << "observers are called from the run loop, not from activate()";
    loop->runUntilIdle();
    EXPECT_EQ(activated, std::vector<std::string>{"Editor"});

    subscription.cancel();
    workspace.activate(RunningApplication{"Browser", 43, "browser"});
    loop->runUntilIdle();
    EXPECT_EQ(activated.size(), 1u);
}

TEST_F(FakeServicesTest, WorkspaceOpensOnlyWebLinksAndTheSettingsLink) {
    FakeWorkspace workspace;
    EXPECT_TRUE(workspace.openURL("https://example.com/search?q=a"));
    EXPECT_TRUE(workspace.openURL(workspace.notificationSettingsURL()));
    EXPECT_FALSE(workspace.openURL("file:///etc/passwd"));
    EXPECT_FALSE(workspace.openURL("javascript:alert(1)"));
    EXPECT_EQ(workspace.openedURLs(),
              (std::vector<std::string>{"https://example.com/search?q=a", workspace.notificationSettingsURL()}));
}

TEST_F(FakeServicesTest, AccessibilityTreeAndTrustPrompts) {
    FakeAccessibility accessibility;
    EXPECT_FALSE(accessibility.isProcessTrusted(false));
    EXPECT_EQ(accessibility.promptCount(), 0);
    EXPECT_FALSE(accessibility.isProcessTrusted(true));
    EXPECT_EQ(accessibility.promptCount(), 1);
    accessibility.setGrantsTrustOnPrompt(true);
    EXPECT_TRUE(accessibility.isProcessTrusted(true));
    EXPECT_EQ(accessibility.trustCheckCount(), 3);

    FakeElement label{"AXStaticText", std::nullopt, "Hello", std::nullopt, std::nullopt, {}};
    FakeElement window{"AXWindow", "Inbox", std::nullopt, std::nullopt, std::nullopt, {label, label, label}};
    accessibility.setWindows(7, {window, FakeElement{"AXWindow", "Second", {}, {}, {}, {}}});
    auto first = accessibility.firstWindowOfApplication(7);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->title(), "Inbox");
    EXPECT_EQ(first->children(2).size(), 2u);
    const auto children = first->children();
    ASSERT_EQ(children.size(), 3u);
    first.reset(); // children keep the tree alive
    EXPECT_EQ(children[0]->value(), "Hello");
    EXPECT_EQ(children[0]->role(), "AXStaticText");
    EXPECT_EQ(accessibility.applicationElement(7)->children().size(), 2u);
    EXPECT_EQ(accessibility.firstWindowOfApplication(8), nullptr);
    accessibility.setWindows(9, {});
    EXPECT_EQ(accessibility.firstWindowOfApplication(9), nullptr);
}

TEST_F(FakeServicesTest, InputTapDeliversOnlyWhileStarted) {
    FakeInputActivityTap tap;
    std::vector<InputEventKind> events;
    tap.send(InputEventKind::keyDown); // not started: dropped
    ASSERT_TRUE(tap.start([&](InputEventKind kind) { events.push_back(kind); }));
    tap.send(InputEventKind::mouseMoved);
    tap.send(InputEventKind::mouseDragged);
    loop->runUntilIdle();
    EXPECT_EQ(events, (std::vector<InputEventKind>{InputEventKind::mouseMoved, InputEventKind::mouseDragged}));
    tap.send(InputEventKind::keyDown);
    tap.stop(); // an event still queued is not delivered after stop
    loop->runUntilIdle();
    EXPECT_EQ(events.size(), 2u);

    tap.setFailsToStart("no X display");
    EXPECT_FALSE(tap.start([&](InputEventKind kind) { events.push_back(kind); }));
    EXPECT_EQ(tap.lastError(), "no X display");
    EXPECT_FALSE(tap.isRunning());
}

TEST_F(FakeServicesTest, NotificationCenterAnswersAndReplacesByIdentifier) {
    FakeUserNotificationCenter center;
    std::optional<AuthorizationStatus> status;
    center.getAuthorizationStatus([&](AuthorizationStatus s) { status = s; });
    loop->runUntilIdle();
    EXPECT_EQ(status, AuthorizationStatus::notDetermined);

    center.setAuthorizationAnswer(false, "service unavailable");
    std::optional<std::pair<bool, std::optional<std::string>>> answer;
    center.requestAuthorization(true, false, [&](bool granted, std::optional<std::string> error) { answer = {granted, error}; });
    loop->runUntilIdle();
    ASSERT_TRUE(answer);
    EXPECT_FALSE(answer->first);
    EXPECT_EQ(answer->second, "service unavailable");
    EXPECT_EQ(center.authorizationStatus(), AuthorizationStatus::notDetermined);
    EXPECT_EQ(center.lastRequestedOptions(), std::make_pair(true, false));

    const NotificationRequest first{"daily", {"A", "a", true}, {10, 0, true}};
    const NotificationRequest second{"daily", {"B", "b", false}, {11, 30, true}};
    center.add(first, {});
    center.add(second, {});
    EXPECT_EQ(center.pendingRequests(), std::vector<NotificationRequest>{second});

    center.setAddError("quota");
    std::optional<std::string> addError;
    center.add(NotificationRequest{"other", {}, {}}, [&](std::optional<std::string> error) { addError = error; });
    loop->runUntilIdle();
    EXPECT_EQ(addError, "quota");
    EXPECT_EQ(center.pendingRequests().size(), 1u);
}

TEST_F(FakeServicesTest, AlertScriptAnswersInOrderThenDefault) {
    FakeAlertPresenter alerts;
    alerts.enqueueAnswer(1);
    alerts.setDefaultAnswer(2);
    const AlertSpec spec{AlertStyle::critical, "m", "i", {"a", "b", "c"}};
    EXPECT_EQ(alerts.runModal(spec), 1);
    EXPECT_EQ(alerts.runModal(spec), 2);
    EXPECT_EQ(alerts.shownAlerts().size(), 2u);
}

TEST_F(FakeServicesTest, UpdaterStartsWhenCreatedAndCheckOnlyInforms) {
    auto alerts = std::make_shared<FakeAlertPresenter>();
    AlertPresenter::setShared(alerts);
    StandardUpdaterController started(true);
    EXPECT_TRUE(started.isStarted());
    StandardUpdaterController notStarted(false);
    EXPECT_FALSE(notStarted.isStarted());
    started.checkForUpdates();
    ASSERT_EQ(alerts->shownAlerts().size(), 1u);
    EXPECT_NE(alerts->shownAlerts()[0].informativeText.find("package manager"), std::string::npos);
    EXPECT_EQ(alerts->shownAlerts()[0].buttons, std::vector<std::string>{"OK"});
}

} // namespace
} // namespace glimmo
