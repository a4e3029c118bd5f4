#pragma once

#include "platform/desktop/InputActivityTap.h"

#include <optional>

namespace glimmo {

// A scriptable input tap: send() delivers an event through RunLoop::main().post while started.
class FakeInputActivityTap : public InputActivityTap {
public:
    FakeInputActivityTap();
    ~FakeInputActivityTap() override;

    void send(InputEventKind kind);
    // start() fails with this reason from now on; nullopt lets it succeed again.
    void setFailsToStart(std::optional<std::string> reason);
    bool isRunning() const;
    int startCount() const { return starts_; }

    bool start(std::function<void(InputEventKind)> onEvent) override;
    void stop() override;
    std::string lastError() const override;

private:
    struct State;
    std::shared_ptr<State> state_;
    std::optional<std::string> failure_;
    std::string lastError_;
    int starts_ = 0;
};

} // namespace glimmo
