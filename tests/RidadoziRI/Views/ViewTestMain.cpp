// The view tests' own main: the Qt application (fonts for the offscreen gallery, and the main run loop
// that tasks of views run on) must outlive every test.

#include "platform/qt/QtApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    glimmo::QtApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
