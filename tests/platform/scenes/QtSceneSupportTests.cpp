#include "platform/qt/scenes/QtSceneSupport.h"

#include "platform/runtime/RunLoop.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <stdexcept>

namespace glimmo {
namespace {

class KeyCountingWidget : public QWidget {
public:
    int keys = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        ++keys;
        event->accept();
    }
};

bool sendKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    return QApplication::sendEvent(&widget, &event);
}

TEST(KeyPressHandler, SeesKeysBeforeTheWidgetsAndConsumesWhatItHandles) {
    KeyCountingWidget widget;
    std::vector<KeyPress> seen;
    {
        const auto handler = installKeyPressHandler([&seen](const KeyPress& press) {
            seen.push_back(press);
            return press.key == 'u' && press.control && press.shift;
        });
        sendKey(widget, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(widget.keys, 0) << "the shortcut was consumed";
        ASSERT_EQ(seen.size(), 1U);
        EXPECT_EQ(seen[0].key, 'u');
        EXPECT_TRUE(seen[0].control);
        EXPECT_TRUE(seen[0].shift);
        EXPECT_FALSE(seen[0].alt);

        sendKey(widget, Qt::Key_U, Qt::ControlModifier);
        EXPECT_EQ(widget.keys, 1) << "other keys reach the widget";
        sendKey(widget, Qt::Key_Return, Qt::NoModifier);
        EXPECT_EQ(widget.keys, 2);
        EXPECT_EQ(seen.size(), 2U) << "keys that are no letter or digit are not offered";
    }
    sendKey(widget, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(widget.keys, 3) << "removed with its handle";
}

TEST(TerminationSignalHandler, TurnsSIGTERMIntoWorkOnTheMainLoopAndRestoresTheOldHandling) {
    struct sigaction before {};
    ::sigaction(SIGTERM, nullptr, &before);
    std::optional<int> received;
    {
        const auto handler = installTerminationSignalHandler([&received](int signal) { received = signal; });
        EXPECT_THROW(installTerminationSignalHandler([](int) {}), std::logic_error);
        ::raise(SIGTERM);
        EXPECT_TRUE(RunLoop::main().driveUntil([&] { return received.has_value(); }, 10));
        EXPECT_EQ(received, SIGTERM);
        received.reset();
        ::raise(SIGHUP);
        EXPECT_TRUE(RunLoop::main().driveUntil([&] { return received.has_value(); }, 10));
        EXPECT_EQ(received, SIGHUP);
    }
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    // A second handler can be installed once the first is gone.
    EXPECT_NO_THROW(installTerminationSignalHandler([](int) {}));
}

} // namespace
} // namespace glimmo
