// The Qt tests' own main: the application (QApplication, the kit's fonts, the main run loop on Qt's
// event loop) must outlive every test and go away before the process's static objects do (Qt's font
// caches crash when torn down after them).

#include "platform/qt/QtApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // ctest sets the platform; run by hand, the tests still need no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    glimmo::QtApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
