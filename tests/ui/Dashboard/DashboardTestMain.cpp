// The dashboard tests render through the Qt painter, so the Qt application outlives every test.

#include "platform/qt/QtApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    glimmo::QtApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
