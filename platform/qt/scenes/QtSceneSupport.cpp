#include "platform/qt/scenes/QtSceneSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QObject>
#include <QPalette>
#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace glimmo {
namespace {

class KeyPressFilter final : public QObject, public InstalledHandler {
public:
    explicit KeyPressFilter(std::function<bool(const KeyPress&)> handler) : handler_(std::move(handler)) {
        QApplication::instance()->installEventFilter(this);
    }
    ~KeyPressFilter() override {
        if (QApplication::instance()) QApplication::instance()->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A key press reaches the focus widget first, so a shortcut is consumed before any text field
        // sees it; a key left unhandled may pass here again on its way to the parents, which is harmless.
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        const auto* keyEvent = static_cast<const QKeyEvent*>(event);
        const int key = keyEvent->key();
        KeyPress press;
        if (key >= Qt::Key_A && key <= Qt::Key_Z) press.key = static_cast<char>('a' + (key - Qt::Key_A));
        else if (key >= Qt::Key_0 && key <= Qt::Key_9) press.key = static_cast<char>('0' + (key - Qt::Key_0));
        else if (key == Qt::Key_Comma) press.key = ',';
        else return false;
        const Qt::KeyboardModifiers modifiers = keyEvent->modifiers();
        press.control = modifiers.testFlag(Qt::ControlModifier);
        press.shift = modifiers.testFlag(Qt::ShiftModifier);
        press.alt = modifiers.testFlag(Qt::AltModifier);
        return handler_(press);
    }

private:
    std::function<bool(const KeyPress&)> handler_;
};

// The classic self-pipe: the signal handler only writes the signal number; Qt's loop reads it.
int signalPipe[2] = {-1, -1};

extern "C" void writeSignalToPipe(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    const int savedErrno = errno;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

class TerminationSignalHandler final : public InstalledHandler {
public:
    explicit TerminationSignalHandler(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
        if (signalPipe[0] != -1) throw std::logic_error("termination signals are handled already");
        if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            throw std::runtime_error(std::string("cannot make the signal pipe: ") + std::strerror(errno));
        }
        notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
            unsigned char byte = 0;
            while (::read(signalPipe[0], &byte, 1) == 1) onSignal_(byte);
        });
        struct sigaction action {};
        action.sa_handler = writeSignalToPipe;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < signals_.size(); ++i) ::sigaction(signals_[i], &action, &previous_[i]);
    }

    ~TerminationSignalHandler() override {
        for (std::size_t i = 0; i < signals_.size(); ++i) ::sigaction(signals_[i], &previous_[i], nullptr);
        notifier_.reset();
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe[0] = signalPipe[1] = -1;
    }

private:
    static constexpr std::array<int, 3> signals_{SIGINT, SIGTERM, SIGHUP};
    std::array<struct sigaction, 3> previous_{};
    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace

std::unique_ptr<InstalledHandler> installKeyPressHandler(std::function<bool(const KeyPress&)> handler) {
    return std::make_unique<KeyPressFilter>(std::move(handler));
}

std::unique_ptr<InstalledHandler> installTerminationSignalHandler(std::function<void(int)> onSignal) {
    return std::make_unique<TerminationSignalHandler>(std::move(onSignal));
}

TextColor desktopTextColor() {
    const QColor color = QApplication::palette().color(QPalette::WindowText);
    return {static_cast<unsigned char>(color.red()), static_cast<unsigned char>(color.green()),
            static_cast<unsigned char>(color.blue())};
}

void setQuitOnLastWindowClosed(bool quit) { QApplication::setQuitOnLastWindowClosed(quit); }

} // namespace glimmo
