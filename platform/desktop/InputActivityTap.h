#pragma once

#include <functional>
#include <memory>
#include <string>

namespace glimmo {

enum class InputEventKind { mouseMoved, mouseDragged, keyDown };

// Watches the whole session's input without consuming or changing it.
class InputActivityTap {
public:
    virtual ~InputActivityTap() = default;

    static InputActivityTap& shared();
    static void setShared(std::shared_ptr<InputActivityTap> tap);

    // onEvent is called on the main run loop for each event. False when the tap cannot be
    // created; lastError() says why. Starting again replaces the previous callback.
    virtual bool start(std::function<void(InputEventKind)> onEvent) = 0;
    virtual void stop() = 0;
    virtual std::string lastError() const = 0;
};

} // namespace glimmo
