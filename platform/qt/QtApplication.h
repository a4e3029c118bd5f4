#pragma once

// The Qt side of the application's start: the QApplication, the kit's fonts and the main run loop.
//
//     QtApplication app(argc, argv);   // QApplication, fonts, RunLoop::main() on Qt's loop
//     HostingWindow window(AnyView(ContentView{}));
//     window.show();
//     return app.run();

#include <functional>
#include <memory>
#include <string>

namespace glimmo {

class QtRunLoop;

class QtApplication {
public:
    // Told, instead of Qt's abort(), when Qt's window-system platform cannot start (its plugin cannot
    // connect to the display), with Qt's message; it must end the process.
    using PlatformFailure = std::function<void(const std::string& qtMessage)>;

    // Makes the QApplication (one per process; `argc` must outlive it, as Qt requires), loads the kit's
    // fonts (MissingFontError) and installs a QtRunLoop as RunLoop::main().
    QtApplication(int& argc, char** argv, PlatformFailure platformFailed = {});
    // Removes the main run loop it installed, releases the kit's cached fonts and images, then the
    // QApplication. An application still there when the process exits (one held by a static object) is
    // shut down the same way before any static object is destroyed.
    ~QtApplication();
    QtApplication(const QtApplication&) = delete;
    QtApplication& operator=(const QtApplication&) = delete;

    // Runs Qt's event loop until quit(); returns the exit code.
    int run();
    static void quit(int exitCode = 0);

    QtRunLoop& mainLoop();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
