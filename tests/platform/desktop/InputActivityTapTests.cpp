// gtest comes before Xlib, whose macros (None, Bool...) would break it.
#include <gtest/gtest.h>

#include "platform/desktop/linux/XInputActivityTap.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/RealTimeRunLoop.h"

#include "DesktopSession.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>


#include <algorithm>
#include <memory>

namespace glimmo {
namespace {

class InputActivityTapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = testing::XvfbServer::start(whyNoServer).release(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    void SetUp() override {
        if (!server) GTEST_SKIP() << "needs an X server for the test: " << whyNoServer;
        RunLoop::setMain(loop);
        input = XOpenDisplay(server->displayName().c_str());
        ASSERT_NE(input, nullptr);
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(input, &event, &error, &major, &minor)) GTEST_SKIP() << "the X server has no XTEST";
    }

    void TearDown() override {
        tap.reset();
        if (input) XCloseDisplay(input);
        RunLoop::setMain(nullptr);
    }

    bool waitFor(InputEventKind kind) {
        return loop->runUntil([&] { return std::find(events.begin(), events.end(), kind) != events.end(); }, 30);
    }

    void moveTo(int x, int y) {
        XTestFakeMotionEvent(input, 0, x, y, CurrentTime);
        XSync(input, False);
    }

    static inline testing::XvfbServer* server = nullptr;
    static inline std::string whyNoServer;

    std::shared_ptr<RealTimeRunLoop> loop = std::make_shared<RealTimeRunLoop>();
    Display* input = nullptr;
    std::unique_ptr<XInputActivityTap> tap;
    std::vector<InputEventKind> events;
};

TEST_F(InputActivityTapTest, ReportsMovesDragsAndKeyPresses) {
    tap = std::make_unique<XInputActivityTap>(server->displayName());
    bool onMainLoop = true;
    ASSERT_TRUE(tap->start([&](InputEventKind kind) {
        onMainLoop = onMainLoop && loop->isCurrent();
        events.push_back(kind);
    })) << tap->lastError();
    EXPECT_EQ(tap->lastError(), "");

    moveTo(10, 10);
    moveTo(20, 30);
    ASSERT_TRUE(waitFor(InputEventKind::mouseMoved));
    EXPECT_FALSE(std::count(events.begin(), events.end(), InputEventKind::mouseDragged));

    XTestFakeButtonEvent(input, 1, True, CurrentTime);
    moveTo(40, 50);
    XTestFakeButtonEvent(input, 1, False, CurrentTime);
    XSync(input, False);
    ASSERT_TRUE(waitFor(InputEventKind::mouseDragged));

    // After the release, motion is a plain move again.
    events.clear();
    moveTo(60, 70);
    ASSERT_TRUE(waitFor(InputEventKind::mouseMoved));
    EXPECT_EQ(std::count(events.begin(), events.end(), InputEventKind::mouseDragged), 0);

    const KeyCode a = XKeysymToKeycode(input, XStringToKeysym("a"));
    XTestFakeKeyEvent(input, a, True, CurrentTime);
    XTestFakeKeyEvent(input, a, False, CurrentTime);
    XSync(input, False);
    ASSERT_TRUE(waitFor(InputEventKind::keyDown));
    EXPECT_EQ(std::count(events.begin(), events.end(), InputEventKind::keyDown), 1) << "a release is no key press";
    EXPECT_TRUE(onMainLoop);
}

// While another client holds a grab (a menu open, a drag inside a window) the input still counts.
TEST_F(InputActivityTapTest, ReportsInputWhileAnotherClientHoldsAGrab) {
    tap = std::make_unique<XInputActivityTap>(server->displayName());
    ASSERT_TRUE(tap->start([&](InputEventKind kind) { events.push_back(kind); })) << tap->lastError();
    const std::unique_ptr<Display, int (*)(Display*)> grabbing(XOpenDisplay(server->displayName().c_str()),
                                                                &XCloseDisplay);
    ASSERT_NE(grabbing, nullptr);
    Display* grabber = grabbing.get();
    const Window window = XCreateSimpleWindow(grabber, DefaultRootWindow(grabber), 0, 0, 200, 200, 0, 0, 0);
    XMapWindow(grabber, window);
    XSync(grabber, False);
    const int pointer = XGrabPointer(grabber, window, False, PointerMotionMask, GrabModeAsync, GrabModeAsync, None,
                                     None, CurrentTime);
    const int keyboard = XGrabKeyboard(grabber, window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    XSync(grabber, False);
    EXPECT_EQ(pointer, GrabSuccess);
    EXPECT_EQ(keyboard, GrabSuccess);

    moveTo(30, 30);
    moveTo(31, 32);
    EXPECT_TRUE(waitFor(InputEventKind::mouseMoved));
    const KeyCode b = XKeysymToKeycode(input, XStringToKeysym("b"));
    XTestFakeKeyEvent(input, b, True, CurrentTime);
    XTestFakeKeyEvent(input, b, False, CurrentTime);
    XSync(input, False);
    EXPECT_TRUE(waitFor(InputEventKind::keyDown));
}

TEST_F(InputActivityTapTest, StopsReportingWhenStopped) {
    tap = std::make_unique<XInputActivityTap>(server->displayName());
    ASSERT_TRUE(tap->start([&](InputEventKind kind) { events.push_back(kind); }));
    moveTo(5, 5);
    moveTo(6, 6);
    ASSERT_TRUE(waitFor(InputEventKind::mouseMoved));
    tap->stop();
    loop->runUntil([] { return false; }, 0.2);
    events.clear();
    moveTo(100, 100);
    loop->runUntil([] { return false; }, 0.3);
    EXPECT_TRUE(events.empty());
}

TEST(InputActivityTapWithoutDisplayTest, SaysWhyItCannotStart) {
    std::vector<std::string> logged;
    setLogSinkForTesting([&](LogLevel, std::string_view line) { logged.emplace_back(line); });
    XInputActivityTap tap(":65000");
    EXPECT_FALSE(tap.start([](InputEventKind) {}));
    setLogSinkForTesting({});
    EXPECT_NE(tap.lastError().find("X display"), std::string::npos);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find(tap.lastError()), std::string::npos);
}

} // namespace
} // namespace glimmo
