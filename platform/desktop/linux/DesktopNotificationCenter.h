#pragma once

#include "platform/desktop/UserNotifications.h"

#include <memory>

namespace glimmo {

class NotificationPoster;
class UserDefaults;

// Local notifications on a Linux desktop. The desktop shows them (through the poster); the user's
// answer to the permission request is kept in UserDefaults; a calendar trigger is a timer of the
// running application on the main run loop that fires at the next matching local time (and, when
// it repeats, every day after). The timer wakes at least every recheckInterval seconds so that a
// change of the time zone or of the system clock moves the next fire time with it.
class DesktopNotificationCenter : public UserNotificationCenter {
public:
    static constexpr double recheckInterval = 15 * 60;
    // Where the user's answer is kept: "authorized" or "denied".
    static constexpr const char* authorizationKey = "NotificationAuthorizationStatus";

    // defaults: the store for the user's answer (UserDefaults::standard() when null, read on use).
    explicit DesktopNotificationCenter(std::shared_ptr<NotificationPoster> poster,
                                       std::shared_ptr<UserDefaults> defaults = nullptr);
    ~DesktopNotificationCenter() override;

    void getAuthorizationStatus(std::function<void(AuthorizationStatus)> completion) override;
    // Granted when the desktop's notification service answers; the answer is remembered. A user
    // who has denied is not asked again (false, no error).
    void requestAuthorization(bool alert, bool sound,
                              std::function<void(bool granted, std::optional<std::string> error)> completion) override;
    void add(NotificationRequest request, std::function<void(std::optional<std::string> error)> completion) override;
    std::vector<NotificationRequest> pendingRequests() const override;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace glimmo
