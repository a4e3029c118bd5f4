// The X11 window tests' main: a private Xvfb first, then the application on Qt's xcb platform connected
// to it. Without Xvfb every test skips, saying why.

#include "platform/qt/QtApplication.h"
#include "tests/platform/qt/XvfbServer.h"
#include "tests/platform/window/X11TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    glimmo::testing::XvfbServer server;
    if (server.isRunning()) {
        setenv("DISPLAY", server.display().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    } else {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        glimmo::testing::x11SkipReason() = server.problem();
    }
    int status = 0;
    {
        glimmo::QtApplication application(argc, argv);
        status = RUN_ALL_TESTS();
    }
    return status;
}
