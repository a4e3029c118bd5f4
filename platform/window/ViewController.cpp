#include "platform/window/ViewController.h"

#include <cassert>

namespace glimmo {

namespace {
AnimationGroupSettings& groupSettings() {
    static AnimationGroupSettings settings;
    return settings;
}
} // namespace

const AnimationGroupSettings& currentAnimationGroup() { return groupSettings(); }

void runAnimationGroup(double duration, TimingFunction timing, const std::function<void()>& group) {
    const AnimationGroupSettings saved = groupSettings();
    groupSettings() = {duration, timing};
    group();
    groupSettings() = saved;
}

ViewController::~ViewController() = default;

NativeView& ViewController::view() { return *viewPointer(); }

std::shared_ptr<NativeView> ViewController::viewPointer() {
    if (!view_) view_ = loadView();
    return view_;
}

std::shared_ptr<NativeView> ViewController::loadView() { return NativeView::make(); }

void ViewController::setChildren(std::vector<std::shared_ptr<ViewController>> children) {
    children_ = std::move(children);
}

void ViewController::transition(ViewController& from, ViewController& to, TransitionOptions options,
                                std::function<void()> completion) {
    platformTransition(from, to, options, std::move(completion));
}

void ViewController::platformTransition(ViewController& from, ViewController& to, TransitionOptions options,
                                        std::function<void()> completion) {
    auto fromView = from.viewPointer();
    auto toView = to.viewPointer();
    NativeView* container = fromView->superview();
    assert(container != nullptr && "the view being replaced must be shown");
    // The new view takes the old one's place (and frame) at once; a cross-fade then runs over it.
    toView->setFrame(fromView->frame());
    container->addSubview(toView);
    const double duration = currentAnimationGroup().duration;
    if (!options.crossfade || duration <= 0) {
        fromView->removeFromSuperview();
        if (completion) completion();
        return;
    }
    toView->setAlphaValue(0);
    animate(
        duration, currentAnimationGroup().timing,
        [fromView, toView](double progress) {
            fromView->setAlphaValue(1 - progress);
            toView->setAlphaValue(progress);
        },
        [fromView, toView, completion = std::move(completion)] {
            fromView->removeFromSuperview();
            fromView->setAlphaValue(1);
            toView->setAlphaValue(1);
            if (completion) completion();
        });
}

} // namespace glimmo
