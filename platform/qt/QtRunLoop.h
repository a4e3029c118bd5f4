#pragma once

// The application's main run loop on Qt's event loop. Posted work and timers run on the thread that
// made the loop (the GUI thread), between Qt's own events. Needs a QCoreApplication (or QGuiApplication /
// QApplication) for its whole life.

#include "platform/runtime/RunLoop.h"

#include <functional>
#include <memory>

namespace glimmo {

class QtRunLoop final : public RunLoop {
public:
    // Call on the thread whose Qt event loop should run the work (the thread of the application object).
    QtRunLoop();
    ~QtRunLoop() override;
    QtRunLoop(const QtRunLoop&) = delete;
    QtRunLoop& operator=(const QtRunLoop&) = delete;

    // Thread-safe. Work posted from one thread runs in the order it was posted; work still queued when
    // the loop is destroyed is dropped.
    void post(std::function<void()> work) override;
    bool isCurrent() const override;
    // The wall clock.
    const Clock& clock() const override;

    // Processes Qt events on the calling thread (which must be the loop's) until `done()` holds or the
    // timeout passes. Nested event loops are Qt's ordinary way to wait for a result.
    bool driveUntil(const std::function<bool()>& done, double realTimeoutSeconds) override;

    // Number of timers scheduled and still valid (for tests).
    std::size_t scheduledTimerCount() const;

protected:
    std::shared_ptr<Timer> makeTimer(double interval, bool repeats, std::function<void()> fire) override;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace glimmo
