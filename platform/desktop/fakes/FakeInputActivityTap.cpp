#include "platform/desktop/fakes/FakeInputActivityTap.h"

#include "platform/runtime/RunLoop.h"

namespace glimmo {

struct FakeInputActivityTap::State {
    std::function<void(InputEventKind)> onEvent;
};

FakeInputActivityTap::FakeInputActivityTap() : state_(std::make_shared<State>()) {}
FakeInputActivityTap::~FakeInputActivityTap() = default;

void FakeInputActivityTap::send(InputEventKind kind) {
    if (!state_->onEvent) return;
    RunLoop::main().post([weak = std::weak_ptr<State>(state_), kind] {
        const auto state = weak.lock();
        if (state && state->onEvent) state->onEvent(kind);
    });
}

void FakeInputActivityTap::setFailsToStart(std::optional<std::string> reason) { failure_ = std::move(reason); }

bool FakeInputActivityTap::isRunning() const { return static_cast<bool>(state_->onEvent); }

bool FakeInputActivityTap::start(std::function<void(InputEventKind)> onEvent) {
    ++starts_;
    if (failure_) {
        lastError_ = *failure_;
        state_->onEvent = nullptr;
        return false;
    }
    lastError_.clear();
    state_->onEvent = std::move(onEvent);
    return true;
}

void FakeInputActivityTap::stop() { state_->onEvent = nullptr; }

std::string FakeInputActivityTap::lastError() const { return lastError_; }

} // namespace glimmo
