#pragma once

#include "platform/desktop/UserNotifications.h"

#include <memory>
#include <optional>
#include <string>

namespace glimmo {

// Shows a notification on the desktop right now.
class NotificationPoster {
public:
    virtual ~NotificationPoster() = default;
    // nullopt when the desktop's notification service answers; else why not.
    virtual std::optional<std::string> checkAvailable() = 0;
    // nullopt when shown; else the error.
    virtual std::optional<std::string> post(const NotificationContent& content) = 0;
};

// The freedesktop notification service (org.freedesktop.Notifications) over D-Bus. Each call
// waits at most callTimeoutMilliseconds.
class FreedesktopNotificationPoster : public NotificationPoster {
public:
    static constexpr int callTimeoutMilliseconds = 2000;

    // busAddress empty: the session bus.
    explicit FreedesktopNotificationPoster(std::string applicationName, std::string busAddress = {});
    ~FreedesktopNotificationPoster() override;

    std::optional<std::string> checkAvailable() override;
    std::optional<std::string> post(const NotificationContent& content) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
