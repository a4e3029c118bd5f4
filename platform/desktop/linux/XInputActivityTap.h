#pragma once

#include "platform/desktop/InputActivityTap.h"

#include <memory>
#include <string>

namespace glimmo {

// The session's keyboard and mouse activity through XInput 2 raw events on the root window of a
// connection of its own. Only listens: input reaches its windows unchanged. Motion while a mouse
// button is held counts as a drag.
class XInputActivityTap : public InputActivityTap {
public:
    explicit XInputActivityTap(std::string displayName = {});
    ~XInputActivityTap() override;

    bool start(std::function<void(InputEventKind)> onEvent) override;
    void stop() override;
    std::string lastError() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
