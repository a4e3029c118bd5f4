#include "platform/desktop/fakes/FakeWorkspace.h"

#include "platform/desktop/URLPolicy.h"
#include "platform/runtime/RunLoop.h"

namespace glimmo {

struct FakeWorkspace::State {
    std::optional<RunningApplication> frontmost;
    std::vector<RunningApplication> running;
    std::vector<std::string> opened;
    bool openSucceeds = true;
    Signal<const RunningApplication&> didActivate;
};

FakeWorkspace::FakeWorkspace() : state_(std::make_shared<State>()) {}
FakeWorkspace::~FakeWorkspace() = default;

void FakeWorkspace::setFrontmost(std::optional<RunningApplication> app) { state_->frontmost = std::move(app); }

void FakeWorkspace::activate(const RunningApplication& app) {
    state_->frontmost = app;
    RunLoop::main().post([weak = std::weak_ptr<State>(state_), app] {
        if (const auto state = weak.lock()) state->didActivate.emit(app);
    });
}

void FakeWorkspace::setRunningApplications(std::vector<RunningApplication> apps) {
    state_->running = std::move(apps);
}

void FakeWorkspace::setOpenURLSucceeds(bool succeeds) { state_->openSucceeds = succeeds; }

const std::vector<std::string>& FakeWorkspace::openedURLs() const { return state_->opened; }

std::optional<RunningApplication> FakeWorkspace::frontmostApplication() const { return state_->frontmost; }

Subscription FakeWorkspace::observeDidActivateApplication(std::function<void(const RunningApplication&)> observer) {
    return state_->didActivate.connect(std::move(observer));
}

std::vector<RunningApplication> FakeWorkspace::runningApplications() const { return state_->running; }

bool FakeWorkspace::openURL(const std::string& url) {
    if (!isOpenableWebURL(url) && url != notificationSettingsLink) return false;
    state_->opened.push_back(url);
    return state_->openSucceeds;
}

std::string FakeWorkspace::notificationSettingsURL() const { return std::string(notificationSettingsLink); }

} // namespace glimmo
