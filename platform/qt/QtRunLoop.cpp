#include "platform/qt/QtRunLoop.h"

#include "platform/runtime/Clock.h"
#include "platform/runtime/TimerQueue.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>

namespace glimmo {
namespace {

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

// All timers share one precise single-shot QTimer armed for the earliest due time; the queue keeps the
// timers' order and invalidation rules identical to the other run loops.
struct QtRunLoop::Impl {
    QObject context;
    QTimer wakeUp;
    std::shared_ptr<detail::TimerQueue> timers = detail::TimerQueue::make();

    Impl() {
        if (!QCoreApplication::instance()) {
            throw std::logic_error("QtRunLoop needs a QCoreApplication; create the application object first");
        }
        wakeUp.setSingleShot(true);
        wakeUp.setTimerType(Qt::PreciseTimer);
        QObject::connect(&wakeUp, &QTimer::timeout, &context, [this] { fireDueTimers(); });
    }

    void fireDueTimers() {
        // Only the timers due now: a repeating timer rescheduled during this pass waits for the next one.
        // The wake-up is armed before each callback, so a callback that waits in a nested event loop
        // (runBlocking) still sees the later timers fire.
        const double now = steadySeconds();
        arm();
        while (timers->fireNext(now)) arm();
    }

    void arm() {
        const auto due = timers->nextDueTime();
        if (!due) {
            wakeUp.stop();
            return;
        }
        const double delayMs = std::max(0.0, (*due - steadySeconds()) * 1000.0);
        wakeUp.start(static_cast<int>(std::min(std::ceil(delayMs), 2.0e9)));
    }
};

QtRunLoop::QtRunLoop() : impl_(std::make_shared<Impl>()) {}

QtRunLoop::~QtRunLoop() { closeHandles(); }

void QtRunLoop::post(std::function<void()> work) {
    QMetaObject::invokeMethod(&impl_->context, [work = std::move(work)] { work(); }, Qt::QueuedConnection);
}

bool QtRunLoop::isCurrent() const { return QThread::currentThread() == impl_->context.thread(); }

const Clock& QtRunLoop::clock() const { return SystemClock::shared(); }

bool QtRunLoop::driveUntil(const std::function<bool()>& done, double realTimeoutSeconds) {
    if (!isCurrent()) throw std::logic_error("QtRunLoop::driveUntil must be called on the loop's thread");
    const QDeadlineTimer deadline(static_cast<qint64>(std::max(0.0, realTimeoutSeconds) * 1000.0));
    // A ticking timer bounds each wait, so the deadline and `done()` are looked at even when nothing
    // else happens.
    QTimer tick;
    tick.start(20);
    QEventLoop events;
    while (!done()) {
        if (deadline.hasExpired()) return false;
        events.processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    }
    return true;
}

std::size_t QtRunLoop::scheduledTimerCount() const { return impl_->timers->count(); }

std::shared_ptr<Timer> QtRunLoop::makeTimer(double interval, bool repeats, std::function<void()> fire) {
    auto timer = impl_->timers->schedule(steadySeconds(), interval, repeats, std::move(fire));
    if (isCurrent()) {
        impl_->arm();
    } else {
        std::weak_ptr<Impl> weak = impl_;
        post([weak] {
            if (auto impl = weak.lock()) impl->arm();
        });
    }
    return timer;
}

} // namespace glimmo
