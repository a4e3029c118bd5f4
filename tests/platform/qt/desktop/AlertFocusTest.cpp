// An alert on a real X server, opened from a menu (as from the tray) while another window of the
// application is in front, as the Settings window may be.

#include "platform/qt/HostingWindow.h"
#include "platform/qt/desktop/QtAlertPresenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/Text.h"
#include "platform/window/Menu.h"
#include "tests/platform/qt/XvfbTestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

// After Qt and the test framework, whose names X11's macros (None, Bool) would clash with.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <functional>

namespace glimmo {
namespace {

bool eventually(const std::function<bool()>& condition) { return RunLoop::main().driveUntil(condition, 5); }

// The window the X server's WM_TRANSIENT_FOR of `window` names: the one a window manager keeps it
// above and lets it take the focus from.
unsigned long transientFor(const QWindow& window) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 0;
    ::Window parent = 0;
    XGetTransientForHint(display, static_cast<::Window>(window.winId()), &parent);
    XCloseDisplay(display);
    return parent;
}

TEST(AlertFocusTest, AnAlertOpenedFromAMenuTakesTheKeyboardFromTheWindowInFront) {
    if (!testing::xvfbSkipReason().empty()) GTEST_SKIP() << testing::xvfbSkipReason();
    HostingWindow front(AnyView(Text("Settings").frame(300, 200)));
    front.resize({300, 200});
    front.show();
    front.widget().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&front.widget(), 5000));

    bool focusedOnAlert = false;
    unsigned long alertTransientFor = 0;
    QTimer poller;
    QObject::connect(&poller, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poller.stop();
        focusedOnAlert = eventually([&] { return QGuiApplication::focusWindow() == box->windowHandle(); });
        alertTransientFor = transientFor(*box->windowHandle());
        QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Return);
        // Should Return have gone elsewhere, the alert is closed without a choice, so the test ends.
        QTimer::singleShot(2000, box, [box] { box->reject(); });
    });
    poller.start(20);

    QtAlertPresenter presenter;
    int chosen = -1;
    Menu tray;
    tray.addItem({.title = "Check for Updates...", .action = [&] {
                      chosen = presenter.runModal({AlertStyle::informational, "Check for Updates", "", {"OK", "Not Now"}});
                  }});
    tray.popUpAtPointer();
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu, 5000));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().front()).center());
    ASSERT_TRUE(eventually([&] { return chosen != -1; }));

    EXPECT_TRUE(focusedOnAlert) << "the alert has the keyboard once shown, so no key reaches the window behind it";
    EXPECT_EQ(alertTransientFor, front.widget().winId()) << "the alert belongs to the window in front";
    EXPECT_EQ(chosen, 0) << "Return chose the alert's default button";
}

} // namespace
} // namespace glimmo
