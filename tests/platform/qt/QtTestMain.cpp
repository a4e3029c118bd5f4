// The Qt tests' own main: the QApplication must outlive every test and go away before the process's
// static objects do (Qt's font caches crash when torn down after them).

#include "platform/qt/KitFonts.h"

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    glimmo::loadKitFonts();
    return RUN_ALL_TESTS();
}
