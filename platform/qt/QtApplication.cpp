#include "platform/qt/QtApplication.h"

#include "platform/qt/KitFonts.h"
#include "platform/qt/QtRunLoop.h"

#include <QApplication>

namespace glimmo {

struct QtApplication::Impl {
    QApplication application;
    std::shared_ptr<QtRunLoop> loop;

    Impl(int& argc, char** argv) : application(argc, argv) {
        // Quitting is the application's decision (a menu-bar application runs without windows).
        QApplication::setQuitOnLastWindowClosed(false);
        loadKitFonts();
        loop = std::make_shared<QtRunLoop>();
        RunLoop::setMain(loop);
    }
    ~Impl() {
        if (RunLoop::hasMain() && &RunLoop::main() == loop.get()) RunLoop::setMain(nullptr);
    }
};

QtApplication::QtApplication(int& argc, char** argv) : impl_(std::make_unique<Impl>(argc, argv)) {}

QtApplication::~QtApplication() = default;

int QtApplication::run() { return QApplication::exec(); }

void QtApplication::quit(int exitCode) { QApplication::exit(exitCode); }

QtRunLoop& QtApplication::mainLoop() { return *impl_->loop; }

} // namespace glimmo
