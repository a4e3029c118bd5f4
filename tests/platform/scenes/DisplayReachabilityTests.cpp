// The start's check for an X display, against servers of the test's own.

#include "platform/scenes/ApplicationRunner.h"
#include "platform/scenes/DisplayReachability.h"
#include "tests/support/ScopedEnvironment.h"

#include "DesktopSession.h"

#include <gtest/gtest.h>

// After the test framework, whose names X11's macros would clash with.
#include <X11/Xlib.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace glimmo::testing {
namespace {

// A server that resets whenever its last client leaves, while another client comes and goes: each start's
// check arrives now and then as the server resets, and must still find the display.
TEST(DisplayReachability, AServerResettingAsItsLastClientLeavesIsFoundAtEveryStart) {
    std::string why;
    const auto xvfb = XvfbServer::start(why, XvfbServer::Reset::whenTheLastClientLeaves);
    if (!xvfb) GTEST_SKIP() << why;
    const ScopedEnvironment display("DISPLAY", xvfb->displayName());

    std::atomic<bool> stopping{false};
    std::thread comingAndGoing([&] {
        while (!stopping) {
            if (Display* other = XOpenDisplay(xvfb->displayName().c_str())) XCloseDisplay(other);
        }
    });
    int refused = 0;
    for (int start = 0; start < 150; ++start) {
        refused += isDisplayReachable() ? 0 : 1;
        releaseDisplayHeldForStart();
    }
    stopping = true;
    comingAndGoing.join();
    EXPECT_EQ(refused, 0) << "starts of 150 told there was no display";
}

// A display with no server is reported once the check has asked for a while.
TEST(DisplayReachability, ADisplayWithNoServerIsNotReachable) {
    // Far above the numbers servers choose for themselves, which count up from 0.
    int number = 5000;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    const ScopedEnvironment display("DISPLAY", ":" + std::to_string(number));
    EXPECT_FALSE(isDisplayReachable());
}

} // namespace
} // namespace glimmo::testing
