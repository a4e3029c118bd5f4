#pragma once

// View controllers: an object that makes and owns a view, holds child controllers and switches their
// views with optional cross-fades. Plain C++ over NativeView and the animation context.

#include "platform/window/AnimationContext.h"
#include "platform/window/NativeView.h"
#include "platform/window/Responder.h"

#include <functional>
#include <memory>
#include <vector>

namespace glimmo {

struct TransitionOptions {
    bool crossfade = false;
    bool slideUp = false, slideDown = false, slideLeft = false, slideRight = false;
    bool slideForward = false, slideBackward = false;
    bool allowUserInteraction = false;
    bool isEmpty() const { return !(crossfade || slideUp || slideDown || slideLeft || slideRight || slideForward ||
                                     slideBackward || allowUserInteraction); }
    // Only the animated kinds (cross-fade and slides).
    bool onlyAnimations() const { return !allowUserInteraction; }
};

class ViewController : public Responder, public std::enable_shared_from_this<ViewController> {
public:
    ViewController() = default;
    ~ViewController() override;
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // Loads the view on first use.
    NativeView& view();
    std::shared_ptr<NativeView> viewPointer();
    bool isViewLoaded() const { return view_ != nullptr; }

    const std::vector<std::shared_ptr<ViewController>>& children() const { return children_; }
    void setChildren(std::vector<std::shared_ptr<ViewController>> children);

    // Replaces from's view by to's view in from's superview, both children of this controller, then
    // calls `completion`; with a cross-fade the views fade over the current animation duration.
    virtual void transition(ViewController& from, ViewController& to, TransitionOptions options,
                            std::function<void()> completion);

protected:
    // Makes the view; the default is an empty view.
    virtual std::shared_ptr<NativeView> loadView();
    // The transition the platform gives every controller.
    void platformTransition(ViewController& from, ViewController& to, TransitionOptions options,
                            std::function<void()> completion);

private:
    std::shared_ptr<NativeView> view_;
    std::vector<std::shared_ptr<ViewController>> children_;
};

// The duration and curve of the animation group being run: duration 0 outside a group.
struct AnimationGroupSettings {
    double duration = 0;
    TimingFunction timing = TimingFunction::easeInEaseOut();
};
const AnimationGroupSettings& currentAnimationGroup();

// Animated transitions and window frames set inside `group` use the group's duration and curve.
void runAnimationGroup(double duration, TimingFunction timing, const std::function<void()>& group);

} // namespace glimmo
