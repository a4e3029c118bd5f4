#include "platform/desktop/fakes/FakeUserNotificationCenter.h"

#include "platform/runtime/RunLoop.h"

#include <algorithm>

namespace glimmo {

struct FakeUserNotificationCenter::State {
    AuthorizationStatus status = AuthorizationStatus::notDetermined;
    bool answerGranted = false;
    std::optional<std::string> answerError;
    std::optional<std::string> addError;
    int requests = 0;
    std::pair<bool, bool> lastOptions{false, false};
    int adds = 0;
    std::vector<NotificationRequest> pending;
};

FakeUserNotificationCenter::FakeUserNotificationCenter() : state_(std::make_shared<State>()) {}
FakeUserNotificationCenter::~FakeUserNotificationCenter() = default;

void FakeUserNotificationCenter::setAuthorizationStatus(AuthorizationStatus status) { state_->status = status; }
AuthorizationStatus FakeUserNotificationCenter::authorizationStatus() const { return state_->status; }

void FakeUserNotificationCenter::setAuthorizationAnswer(bool granted, std::optional<std::string> error) {
    state_->answerGranted = granted;
    state_->answerError = std::move(error);
}

void FakeUserNotificationCenter::setAddError(std::optional<std::string> error) { state_->addError = std::move(error); }

int FakeUserNotificationCenter::authorizationRequestCount() const { return state_->requests; }
std::pair<bool, bool> FakeUserNotificationCenter::lastRequestedOptions() const { return state_->lastOptions; }
int FakeUserNotificationCenter::addCount() const { return state_->adds; }

void FakeUserNotificationCenter::getAuthorizationStatus(std::function<void(AuthorizationStatus)> completion) {
    RunLoop::main().post([status = state_->status, completion = std::move(completion)] { completion(status); });
}

void FakeUserNotificationCenter::requestAuthorization(
    bool alert, bool sound, std::function<void(bool granted, std::optional<std::string> error)> completion) {
    ++state_->requests;
    state_->lastOptions = {alert, sound};
    const bool granted = state_->answerGranted && !state_->answerError;
    if (granted) {
        state_->status = AuthorizationStatus::authorized;
    } else if (!state_->answerError) {
        state_->status = AuthorizationStatus::denied;
    }
    RunLoop::main().post([granted, error = state_->answerError, completion = std::move(completion)] {
        completion(granted, error);
    });
}

void FakeUserNotificationCenter::add(NotificationRequest request,
                                     std::function<void(std::optional<std::string> error)> completion) {
    ++state_->adds;
    const auto error = state_->addError;
    if (!error) {
        auto& pending = state_->pending;
        std::erase_if(pending, [&](const NotificationRequest& r) { return r.identifier == request.identifier; });
        pending.push_back(std::move(request));
    }
    RunLoop::main().post([error, completion = std::move(completion)] {
        if (completion) completion(error);
    });
}

std::vector<NotificationRequest> FakeUserNotificationCenter::pendingRequests() const { return state_->pending; }

} // namespace glimmo
