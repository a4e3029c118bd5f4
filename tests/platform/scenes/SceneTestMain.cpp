// The scene tests run against Qt's offscreen platform with the application's main run loop on Qt.

#include "platform/qt/QtApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    glimmo::QtApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
