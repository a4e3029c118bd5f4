// A status item on a real X server that has a system tray: the item goes into the tray once it has
// an image, and Qt never has to warn about a tray icon shown without one.

#include "platform/view/Image.h"
#include "platform/window/StatusBar.h"
#include "tests/platform/qt/XvfbTestEnvironment.h"

#include <gtest/gtest.h>

#include <QString>
#include <QtGlobal>

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace glimmo {
namespace {

std::vector<std::string> warnings;

void recordWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg) warnings.push_back(message.toStdString());
}

// Owns the tray selection of screen 0 for as long as it lives, which is all Qt asks of a tray.
class TrayOwner {
public:
    TrayOwner() : display_(XOpenDisplay(nullptr)) {
        if (!display_) return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display_, XInternAtom(display_, "_NET_SYSTEM_TRAY_S0", False), window_, CurrentTime);
        XSync(display_, False);
    }
    ~TrayOwner() {
        if (!display_) return;
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
    TrayOwner(const TrayOwner&) = delete;
    TrayOwner& operator=(const TrayOwner&) = delete;
    bool isOwning() const { return display_ != nullptr; }

private:
    Display* display_;
    ::Window window_ = 0;
};

TEST(StatusItemX11Test, GoesIntoTheTrayWithItsImageAndNeverWithoutOne) {
    if (!testing::xvfbSkipReason().empty()) GTEST_SKIP() << testing::xvfbSkipReason();
    TrayOwner tray;
    ASSERT_TRUE(tray.isOwning());
    ASSERT_TRUE(StatusBar::system().isAvailable());
    const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
    {
        auto item = StatusBar::system().statusItem(StatusItem::variableLength);
        EXPECT_FALSE(item->isVisibleInTray()) << "no image yet";
        item->button()->setImageIsTemplate(true);
        item->button()->setImage(Image::systemName("clock"));
        EXPECT_TRUE(item->isVisibleInTray());
    }
    qInstallMessageHandler(previous);
    for (const auto& warning : warnings) {
        EXPECT_EQ(warning.find("No Icon set"), std::string::npos) << warning;
    }
}

} // namespace
} // namespace glimmo
