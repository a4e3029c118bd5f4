#pragma once

#include "platform/desktop/UserNotifications.h"

namespace glimmo {

// A scriptable notification centre. Completion handlers run through RunLoop::main().post.
class FakeUserNotificationCenter : public UserNotificationCenter {
public:
    FakeUserNotificationCenter();
    ~FakeUserNotificationCenter() override;

    void setAuthorizationStatus(AuthorizationStatus status);
    AuthorizationStatus authorizationStatus() const;
    // How the user answers requestAuthorization(): granted makes the status authorized; a refusal
    // without an error makes it denied; with an error the status stays as it was.
    void setAuthorizationAnswer(bool granted, std::optional<std::string> error = std::nullopt);
    // add() fails with this error (and keeps nothing) while set.
    void setAddError(std::optional<std::string> error);

    int authorizationRequestCount() const;
    // The options of the last authorisation request: alert, sound.
    std::pair<bool, bool> lastRequestedOptions() const;
    int addCount() const;

    void getAuthorizationStatus(std::function<void(AuthorizationStatus)> completion) override;
    void requestAuthorization(bool alert, bool sound,
                              std::function<void(bool granted, std::optional<std::string> error)> completion) override;
    void add(NotificationRequest request, std::function<void(std::optional<std::string> error)> completion) override;
    std::vector<NotificationRequest> pendingRequests() const override;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace glimmo
