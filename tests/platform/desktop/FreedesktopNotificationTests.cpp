#include "platform/desktop/linux/NotificationPoster.h"

#include "DesktopSession.h"
#include "tests/support/ScopedEnvironment.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace glimmo {
namespace {

class FreedesktopNotificationTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("/usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null") != 0) {
            GTEST_SKIP() << "needs GLib for Python (Debian package python3-gi)";
        }
        std::string why;
        bus = testing::SessionBus::start("", why);
        if (!bus) GTEST_SKIP() << why;
    }

    std::unique_ptr<testing::ChildProcess> startServer() {
        testing::ChildProcess::Options options;
        options.captureStandardOutput = true;
        options.environment = {{"DBUS_SESSION_BUS_ADDRESS", bus->address()}};
        auto server = std::make_unique<testing::ChildProcess>(
            std::vector<std::string>{"/usr/bin/python3",
                                     std::string(GLIMMO_DESKTOP_TEST_SCRIPTS) + "/notification_server.py"},
            options);
        EXPECT_EQ(server->readLine(60), "ready");
        return server;
    }

    std::unique_ptr<testing::SessionBus> bus;
};

TEST_F(FreedesktopNotificationTest, ShowsTitleBodyAndSoundThroughTheNotificationService) {
    auto server = startServer();
    FreedesktopNotificationPoster poster("Trevant", bus->address());
    EXPECT_EQ(poster.checkAvailable(), std::nullopt);

    EXPECT_EQ(poster.post({"Trevant", "Time to check your Trevant", true}), std::nullopt);
    const auto first = server->readLine(30);
    ASSERT_TRUE(first);
    EXPECT_NE(first->find(R"("app": "Trevant")"), std::string::npos) << *first;
    EXPECT_NE(first->find(R"("summary": "Trevant")"), std::string::npos) << *first;
    EXPECT_NE(first->find(R"("body": "Time to check your Trevant")"), std::string::npos) << *first;
    EXPECT_NE(first->find(R"("sound-name": "message-new-instant")"), std::string::npos) << *first;

    EXPECT_EQ(poster.post({"Quiet", "No sound \"quoted\" & <b>", false}), std::nullopt);
    const auto second = server->readLine(30);
    ASSERT_TRUE(second);
    EXPECT_NE(second->find(R"("suppress-sound": true)"), std::string::npos) << *second;
    EXPECT_NE(second->find(R"(No sound \"quoted\" & <b>)"), std::string::npos) << *second;
}

TEST_F(FreedesktopNotificationTest, ReportsAMissingServiceInsteadOfSucceeding) {
    FreedesktopNotificationPoster poster("Trevant", bus->address());
    const auto unavailable = poster.checkAvailable();
    ASSERT_TRUE(unavailable);
    EXPECT_NE(unavailable->find("notification service"), std::string::npos) << *unavailable;
    EXPECT_TRUE(poster.post({"t", "b", true}).has_value());

    // The service comes up later: the same poster reaches it.
    auto server = startServer();
    EXPECT_EQ(poster.checkAvailable(), std::nullopt);
}

// The session bus going away (the session ends, the daemon crashes) is an error of the next
// notification, not the end of the application: GLib would otherwise raise SIGTERM on the process
// once its main context sees the closed connection.
TEST_F(FreedesktopNotificationTest, LosingTheSessionBusDoesNotEndTheProcess) {
    testing::ScopedEnvironment environment("DBUS_SESSION_BUS_ADDRESS", bus->address());
    {
        auto server = startServer();
        FreedesktopNotificationPoster poster("Trevant");
        ASSERT_EQ(poster.checkAvailable(), std::nullopt);
        server.reset();
        bus.reset();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < deadline) g_main_context_iteration(nullptr, FALSE);
        EXPECT_TRUE(poster.post({"t", "b", true}).has_value());
    }
}

TEST(FreedesktopNotificationWithoutBusTest, ReportsAnUnreachableBus) {
    FreedesktopNotificationPoster poster("Trevant", "unix:path=/nonexistent/glimmo-test-bus");
    const auto error = poster.checkAvailable();
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("session bus"), std::string::npos) << *error;
}

} // namespace
} // namespace glimmo
