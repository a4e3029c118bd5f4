#include "platform/qt/QtApplication.h"

#include "platform/qt/KitFonts.h"
#include "platform/qt/QtCaches.h"
#include "platform/qt/QtRunLoop.h"

#include <QApplication>

namespace glimmo {
namespace {

// Qt ends the process with abort() when its platform cannot start, in a fatal message sent while the
// application object is made; only then is the message the caller's.
QtApplication::PlatformFailure* platformFailure = nullptr;
QtMessageHandler handlerBeforeStart = nullptr;

void passFatalStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg && platformFailure && *platformFailure) (*platformFailure)(message.toStdString());
    handlerBeforeStart(type, context, message);
}

class PlatformStartWatch {
public:
    explicit PlatformStartWatch(QtApplication::PlatformFailure failed) : failed_(std::move(failed)) {
        platformFailure = &failed_;
        handlerBeforeStart = qInstallMessageHandler(passFatalStartMessage);
    }
    ~PlatformStartWatch() { end(); }
    PlatformStartWatch(const PlatformStartWatch&) = delete;
    PlatformStartWatch& operator=(const PlatformStartWatch&) = delete;

    void end() {
        if (platformFailure != &failed_) return;
        qInstallMessageHandler(handlerBeforeStart);
        platformFailure = nullptr;
    }

private:
    QtApplication::PlatformFailure failed_;
};

} // namespace

struct QtApplication::Impl {
    // Made before the application and ended once it exists.
    PlatformStartWatch startWatch;
    QApplication application;
    std::shared_ptr<QtRunLoop> loop;

    Impl(int& argc, char** argv, PlatformFailure platformFailed)
        : startWatch(std::move(platformFailed)), application(argc, argv) {
        startWatch.end();
        // Quitting is the application's decision (a menu-bar application runs without windows).
        QApplication::setQuitOnLastWindowClosed(false);
        loadKitFonts();
        loop = std::make_shared<QtRunLoop>();
        RunLoop::setMain(loop);
    }
    ~Impl() {
        if (RunLoop::hasMain() && &RunLoop::main() == loop.get()) RunLoop::setMain(nullptr);
        // Fonts and images kept by the kit go while Qt's font and image machinery still exists.
        releaseQtCaches();
    }
};

namespace {

// Shuts down an application that is still there when its thread ends: on the main thread, when the
// process exits. The thread's thread-local objects are destroyed before any static object, so Qt goes
// while everything it relies on still exists, even when the application is held by a static object.
struct ShutdownAtThreadExit {
    std::unique_ptr<QtApplication::Impl>* application = nullptr;
    ~ShutdownAtThreadExit() {
        if (application) application->reset();
    }
};
thread_local ShutdownAtThreadExit shutdownAtThreadExit;

} // namespace

QtApplication::QtApplication(int& argc, char** argv, PlatformFailure platformFailed)
    : impl_(std::make_unique<Impl>(argc, argv, std::move(platformFailed))) {
    // Touched last, so it is destroyed before the thread-local objects Qt made while starting.
    shutdownAtThreadExit.application = &impl_;
}

QtApplication::~QtApplication() {
    // Already shut down at the thread's exit: the thread-local guard is gone and must not be touched.
    if (!impl_) return;
    if (shutdownAtThreadExit.application == &impl_) shutdownAtThreadExit.application = nullptr;
    impl_.reset();
}

int QtApplication::run() { return QApplication::exec(); }

void QtApplication::quit(int exitCode) { QApplication::exit(exitCode); }

QtRunLoop& QtApplication::mainLoop() { return *impl_->loop; }

} // namespace glimmo
