// The main of the tests that need a real X server: a private Xvfb first, then the application on Qt's
// xcb platform connected to it, then the tests; at the end the application goes and the server is
// stopped. Without Xvfb the application runs offscreen and every such test skips, saying why.

#include "platform/qt/QtApplication.h"
#include "tests/platform/qt/XvfbTestEnvironment.h"
#include "tests/platform/qt/XvfbServer.h"

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
        glimmo::testing::xvfbSkipReason() = server.problem();
    }
    int status = 0;
    {
        glimmo::QtApplication application(argc, argv);
        status = RUN_ALL_TESTS();
    }
    return status;
}
