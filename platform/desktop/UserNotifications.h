#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

enum class AuthorizationStatus { notDetermined, denied, authorized, provisional };

struct NotificationContent {
    std::string title;
    std::string body;
    bool defaultSound = true;

    bool operator==(const NotificationContent&) const = default;
};

// Fires at hour:minute local time (the current calendar and time zone); daily when repeats.
struct CalendarTrigger {
    int hour = 0;
    int minute = 0;
    bool repeats = false;

    bool operator==(const CalendarTrigger&) const = default;
};

struct NotificationRequest {
    std::string identifier;
    NotificationContent content;
    CalendarTrigger trigger;

    bool operator==(const NotificationRequest&) const = default;
};

// Local notifications. Every completion handler is called on the main run loop.
class UserNotificationCenter {
public:
    virtual ~UserNotificationCenter() = default;

    static UserNotificationCenter& shared();
    static void setShared(std::shared_ptr<UserNotificationCenter> center);

    virtual void getAuthorizationStatus(std::function<void(AuthorizationStatus)> completion) = 0;
    virtual void requestAuthorization(
        bool alert, bool sound,
        std::function<void(bool granted, std::optional<std::string> error)> completion) = 0;
    // Replaces a pending request with the same identifier.
    virtual void add(NotificationRequest request,
                     std::function<void(std::optional<std::string> error)> completion) = 0;
    virtual std::vector<NotificationRequest> pendingRequests() const = 0;
};

} // namespace glimmo
