#include "platform/scenes/Application.h"

#include <utility>

namespace glimmo {

Application& Application::shared() {
    static Application application;
    return application;
}

void Application::setDidFinishLaunchingHandler(std::function<void()> handler) {
    didFinishLaunching_ = std::move(handler);
}

void Application::finishLaunching() {
    if (finished_) return;
    finished_ = true;
    if (didFinishLaunching_) {
        const auto handler = didFinishLaunching_;
        handler();
    }
}

void Application::resetForTesting() {
    didFinishLaunching_ = {};
    finished_ = false;
}

} // namespace glimmo
