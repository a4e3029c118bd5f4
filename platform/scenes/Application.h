#pragma once

#include <functional>

namespace glimmo {

// The running application as the toolkit sees it: it tells the application delegate when launching has
// finished. Main thread only.
class Application {
public:
    static Application& shared();

    // What runs once launching has finished (the delegate's applicationDidFinishLaunching).
    void setDidFinishLaunchingHandler(std::function<void()> handler);
    // Called by the application runner once the scenes are up; runs the handler at most once.
    void finishLaunching();
    bool hasFinishedLaunching() const { return finished_; }

    // For tests: forget the handler and the launch.
    void resetForTesting();

private:
    std::function<void()> didFinishLaunching_;
    bool finished_ = false;
};

} // namespace glimmo
