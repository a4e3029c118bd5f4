#pragma once

// Scroll views: the content is offered unlimited space along the scrolling axes and the scroll view
// takes the space it is offered. The wheel scrolls it; so do, once it is clicked, Page Up and Page Down,
// Home and End and the arrows, and its indicators: a thumb drags, a click in its track pages.
// ScrollViewReader gives a proxy whose scrollTo brings the view with an id (`.id(...)` or a ForEach
// element) into view.

#include "platform/view/View.h"

#include <functional>
#include <memory>
#include <optional>

namespace glimmo {

class ScrollView : public View<ScrollView> {
public:
    explicit ScrollView(AnyView content) : content_(std::move(content)) {}
    ScrollView(AxisSet axes, bool showsIndicators, AnyView content)
        : axes_(axes), showsIndicators_(showsIndicators), content_(std::move(content)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    AxisSet axes_ = AxisSet::vertical();
    bool showsIndicators_ = true;
    AnyView content_;
};

class ScrollViewProxy {
public:
    explicit ScrollViewProxy(std::function<void(const AnyHashable&, std::optional<UnitPoint>)> scroll) : scroll_(std::move(scroll)) {}
    // Scrolls the enclosing scroll view of the view with `id` so that its `anchor` point lines up with
    // the same point of the visible area; without an anchor, scrolls as little as makes it visible. The
    // scroll happens right after the next layout pass, so a view added by the same change is found
    // where it is laid out.
    void scrollTo(const AnyHashable& id, std::optional<UnitPoint> anchor = std::nullopt) const { scroll_(id, anchor); }

private:
    std::function<void(const AnyHashable&, std::optional<UnitPoint>)> scroll_;
};

class ScrollViewReader : public View<ScrollViewReader> {
public:
    explicit ScrollViewReader(std::function<AnyView(const ScrollViewProxy&)> content) : content_(std::move(content)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    std::function<AnyView(const ScrollViewProxy&)> content_;
};

} // namespace glimmo
