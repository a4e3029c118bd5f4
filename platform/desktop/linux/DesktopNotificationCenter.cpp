#include "platform/desktop/linux/DesktopNotificationCenter.h"

#include "platform/desktop/linux/CalendarSchedule.h"
#include "platform/desktop/linux/NotificationPoster.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/RunLoop.h"

#include <algorithm>

namespace glimmo {

struct DesktopNotificationCenter::State : std::enable_shared_from_this<State> {
    struct Scheduled {
        NotificationRequest request;
        Date lastCheck;                // fire times up to here have been dealt with
        std::shared_ptr<Timer> timer;
    };

    std::shared_ptr<NotificationPoster> poster;
    std::shared_ptr<UserDefaults> defaults;
    std::vector<Scheduled> scheduled;

    UserDefaults& store() const { return defaults ? *defaults : UserDefaults::standard(); }

    AuthorizationStatus status() const {
        const auto stored = store().string(authorizationKey);
        if (stored == "authorized") return AuthorizationStatus::authorized;
        if (stored == "denied") return AuthorizationStatus::denied;
        return AuthorizationStatus::notDetermined;
    }

    Scheduled* find(const std::string& identifier) {
        const auto found = std::find_if(scheduled.begin(), scheduled.end(),
                                        [&](const Scheduled& s) { return s.request.identifier == identifier; });
        return found == scheduled.end() ? nullptr : &*found;
    }

    void remove(const std::string& identifier) {
        std::erase_if(scheduled, [&](Scheduled& s) {
            if (s.request.identifier != identifier) return false;
            if (s.timer) s.timer->invalidate();
            return true;
        });
    }

    void arm(Scheduled& entry) {
        RunLoop& loop = RunLoop::main();
        const Date next = nextFireDate(entry.request.trigger, loop.now(), Calendar::current());
        const double wait = std::clamp(next.timeIntervalSince(loop.now()), 0.0, recheckInterval);
        if (entry.timer) entry.timer->invalidate();
        entry.timer = loop.scheduleTimer(wait, false, weak_from_this(),
                                         [identifier = entry.request.identifier](State& state) { state.wake(identifier); });
    }

    // Fires when the trigger's time came since the last check, in the calendar as it is now.
    void wake(const std::string& identifier) {
        Scheduled* entry = find(identifier);
        if (!entry) return;
        const Date now = RunLoop::main().now();
        const Date due = nextFireDate(entry->request.trigger, entry->lastCheck, Calendar::current());
        entry->lastCheck = now;
        if (due <= now) {
            const NotificationContent content = entry->request.content;
            const bool repeats = entry->request.trigger.repeats;
            if (!repeats) remove(identifier);
            if (const auto error = poster->post(content)) systemLog("Could not show notification: " + *error);
            if (!repeats) return;
            entry = find(identifier);
            if (!entry) return;
        }
        arm(*entry);
    }
};

DesktopNotificationCenter::DesktopNotificationCenter(std::shared_ptr<NotificationPoster> poster,
                                                     std::shared_ptr<UserDefaults> defaults)
    : state_(std::make_shared<State>()) {
    state_->poster = std::move(poster);
    state_->defaults = std::move(defaults);
}

DesktopNotificationCenter::~DesktopNotificationCenter() {
    for (auto& entry : state_->scheduled) {
        if (entry.timer) entry.timer->invalidate();
    }
}

void DesktopNotificationCenter::getAuthorizationStatus(std::function<void(AuthorizationStatus)> completion) {
    RunLoop::main().post([status = state_->status(), completion = std::move(completion)] { completion(status); });
}

void DesktopNotificationCenter::requestAuthorization(
    bool alert, bool sound, std::function<void(bool granted, std::optional<std::string> error)> completion) {
    (void)sound; // the desktop decides about sounds; we only ask for alerts
    bool granted = false;
    std::optional<std::string> error;
    switch (state_->status()) {
    case AuthorizationStatus::authorized:
    case AuthorizationStatus::provisional:
        granted = true;
        break;
    case AuthorizationStatus::denied:
        break;
    case AuthorizationStatus::notDetermined:
        if (!alert) {
            granted = true;
        } else if (auto unavailable = state_->poster->checkAvailable()) {
            // Not an answer of the user: ask again next time.
            error = std::move(unavailable);
        } else {
            state_->store().set(authorizationKey, "authorized");
            granted = true;
        }
        break;
    }
    RunLoop::main().post([granted, error = std::move(error), completion = std::move(completion)] {
        completion(granted, error);
    });
}

void DesktopNotificationCenter::add(NotificationRequest request,
                                    std::function<void(std::optional<std::string> error)> completion) {
    std::optional<std::string> error;
    const auto& trigger = request.trigger;
    if (trigger.hour < 0 || trigger.hour > 23 || trigger.minute < 0 || trigger.minute > 59) {
        error = "invalid calendar trigger " + std::to_string(trigger.hour) + ":" + std::to_string(trigger.minute);
    } else if (state_->status() == AuthorizationStatus::denied) {
        error = "notifications are not allowed";
    } else {
        state_->remove(request.identifier);
        state_->scheduled.push_back(State::Scheduled{std::move(request), RunLoop::main().now(), nullptr});
        state_->arm(state_->scheduled.back());
    }
    RunLoop::main().post([error = std::move(error), completion = std::move(completion)] {
        if (completion) completion(error);
    });
}

std::vector<NotificationRequest> DesktopNotificationCenter::pendingRequests() const {
    std::vector<NotificationRequest> requests;
    for (const auto& entry : state_->scheduled) requests.push_back(entry.request);
    return requests;
}

} // namespace glimmo
