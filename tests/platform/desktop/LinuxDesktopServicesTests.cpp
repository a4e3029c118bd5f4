// gtest comes before Xlib, whose macros (None, Bool...) would break it.
#include <gtest/gtest.h>

#include "platform/desktop/Accessibility.h"
#include "platform/desktop/InputActivityTap.h"
#include "platform/desktop/Updater.h"
#include "platform/desktop/UserNotifications.h"
#include "platform/desktop/Workspace.h"
#include "platform/desktop/linux/AtspiAccessibility.h"
#include "platform/desktop/linux/DesktopNotificationCenter.h"
#include "platform/desktop/linux/LinuxDesktopServices.h"
#include "platform/desktop/linux/X11Workspace.h"
#include "platform/desktop/linux/XInputActivityTap.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/ManualRunLoop.h"

#include "DesktopSession.h"
#include "tests/support/ScopedEnvironment.h"

namespace glimmo {
namespace {

class LinuxDesktopServicesTest : public ::testing::Test {
protected:
    void SetUp() override { RunLoop::setMain(loop); }
    void TearDown() override {
        Workspace::setShared(nullptr);
        InputActivityTap::setShared(nullptr);
        Accessibility::setShared(nullptr);
        UserNotificationCenter::setShared(nullptr);
        Updater::setShared(nullptr);
        setLogSinkForTesting({});
        RunLoop::setMain(nullptr);
    }
    std::shared_ptr<ManualRunLoop> loop = std::make_shared<ManualRunLoop>();
};

TEST_F(LinuxDesktopServicesTest, InstallsTheLinuxImplementationsOnAnX11Desktop) {
    std::string why;
    const auto server = testing::XvfbServer::start(why);
    if (!server) GTEST_SKIP() << "needs an X server for the test: " << why;
    testing::ScopedEnvironment environment("DISPLAY", server->displayName());
    installLinuxDesktopServices("Trevant");
    EXPECT_NE(dynamic_cast<X11Workspace*>(&Workspace::shared()), nullptr);
    EXPECT_NE(dynamic_cast<XInputActivityTap*>(&InputActivityTap::shared()), nullptr);
    EXPECT_NE(dynamic_cast<AtspiAccessibility*>(&Accessibility::shared()), nullptr);
    EXPECT_NE(dynamic_cast<DesktopNotificationCenter*>(&UserNotificationCenter::shared()), nullptr);
    const auto* updater = dynamic_cast<StandardUpdaterController*>(&Updater::shared());
    ASSERT_NE(updater, nullptr);
    EXPECT_TRUE(updater->isStarted());
    Workspace::setShared(nullptr); // before the X server goes away
}

TEST_F(LinuxDesktopServicesTest, WithoutAnXDisplayTheWorkspaceStillAnswersAndSaysWhy) {
    std::vector<std::string> logged;
    setLogSinkForTesting([&](LogLevel, std::string_view line) { logged.emplace_back(line); });
    testing::ScopedEnvironment environment("DISPLAY", ":65000");
    installLinuxDesktopServices("Trevant");
    Workspace& workspace = Workspace::shared();
    EXPECT_EQ(workspace.frontmostApplication(), std::nullopt);
    EXPECT_TRUE(workspace.runningApplications().empty());
    EXPECT_FALSE(workspace.openURL("file:///etc/passwd"));
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_NE(logged[0].find("cannot open the X display"), std::string::npos) << logged[0];
    EXPECT_NE(logged[1].find("Link not opened"), std::string::npos) << logged[1];
    EXPECT_FALSE(InputActivityTap::shared().start([](InputEventKind) {}));
}

} // namespace
} // namespace glimmo
