#include "platform/view/NodeSupport.h"
#include "platform/view/ScrollView.h"
#include "platform/view/TextMeasurer.h"
#include "platform/view/ViewGraph.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

namespace glimmo {

struct ScrollData {
    AxisSet axes;
    bool showsIndicators;
    AnyView content;
};

// Keeps the scroll offset (how far the content is moved up and left) for as long as it has its identity.
// The content is laid out as if it were not scrolled; the offset moves it only where it is drawn (a
// translation in the display list) and hit tested. A scroll thus changes no frame inside and draws
// again only the translation and the indicators, whatever the content holds.
class ScrollNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        data_ = contentData<ScrollNode, ScrollData>(c);
        reconcileSingleChild(data_.content, env);
    }
    bool scrollsContent() const override { return true; }
    CGPoint contentOffset() const override { return offset_; }
    std::optional<CGRect> clipRect() const override { return frame; }
    // Scrolls so that `target` (in the coordinates of `node`, a view inside) shows as asked.
    void scrollToShow(const ViewNode& node, const CGRect& target, std::optional<UnitPoint> anchor) {
        // The target where it lies in the content, which the offset moves as a whole.
        const CGPoint into = offset_ + scrolledBy().value_or(CGPoint{});
        const CGRect shown = node.inWindow(target).offsetBy(into.x, into.y);
        CGPoint next = offset_;
        const CGRect content = contentFrame();
        const CGFloat tx = shown.minX() - content.minX(), ty = shown.minY() - content.minY();
        if (anchor) {
            if (data_.axes.contains(Axis::horizontal)) next.x = tx + anchor->x * shown.width() - anchor->x * frame.width();
            if (data_.axes.contains(Axis::vertical)) next.y = ty + anchor->y * shown.height() - anchor->y * frame.height();
        } else {
            if (data_.axes.contains(Axis::vertical)) {
                if (ty < offset_.y) next.y = ty;
                else if (ty + shown.height() > offset_.y + frame.height()) next.y = ty + shown.height() - frame.height();
            }
            if (data_.axes.contains(Axis::horizontal)) {
                if (tx < offset_.x) next.x = tx;
                else if (tx + shown.width() > offset_.x + frame.width()) next.x = tx + shown.width() - frame.width();
            }
        }
        setOffset(next);
    }
    // Takes the wheel along the axes it scrolls, where its content is larger than it, even at the end
    // of its range (a scroll view that stops does not hand the wheel on to the one around it).
    bool handleWheel(WheelEvent& rest) override {
        const bool vertical = rest.deltaY != 0 && scrolls(Axis::vertical);
        const bool horizontal = rest.deltaX != 0 && scrolls(Axis::horizontal);
        CGPoint next = offset_;
        if (vertical) {
            next.y -= rest.deltaY;
            rest.deltaY = 0;
        }
        if (horizontal) {
            next.x -= rest.deltaX;
            rest.deltaX = 0;
        }
        setOffset(next);
        return vertical || horizontal;
    }
    // Clicked, it takes the keys that move it (unless a focusable view around it takes them).
    bool takesFocusWhenClicked() const override { return true; }
    // Page Up and Page Down move by the visible height less a line, Home and End (with Ctrl too) to the
    // top and the end, the arrows by a line, along an axis where the content is larger than the view.
    // Other keys, and keys along an axis it cannot scroll, go on to the views around it.
    bool handleKey(const KeyEvent& e) override {
        const CGFloat line = bodyLineHeight(graph->measurer());
        if (e.key == "Up" || e.key == "Down") return scrollBy(Axis::vertical, e.key == "Down" ? line : -line);
        if (e.key == "Left" || e.key == "Right") return scrollBy(Axis::horizontal, e.key == "Right" ? line : -line);
        const CGFloat direction = e.key == "PageDown" || e.key == "End" ? 1 : -1;
        if (e.key == "PageUp" || e.key == "PageDown") return scrollBy(Axis::vertical, direction * page(Axis::vertical));
        // Further than the content is long: to either end.
        if (e.key == "Home" || e.key == "End") return scrollBy(Axis::vertical, direction * contentSize_.height);
        return false;
    }
    // A press on an indicator's thumb drags it, the content following in proportion; a press elsewhere
    // in its track moves by a page toward the press.
    bool handlePointer(const PointerEvent& e) override {
        switch (e.kind) {
        case PointerEvent::Kind::pressed: {
            const auto under = e.button == MouseButton::left ? indicatorUnder(e.location) : std::nullopt;
            if (!under) return false;
            const Indicator bar = indicator(*under, presentedOffset());
            const CGFloat at = along(*under, e.location);
            if (at >= bar.thumbStart && at <= bar.thumbStart + bar.thumbLength) {
                drag_ = Drag{*under, at - bar.thumbStart};
            } else {
                scrollBy(*under, (at < bar.thumbStart ? -1 : 1) * page(*under));
            }
            return true;
        }
        case PointerEvent::Kind::moved:
            if (drag_) {
                const Indicator bar = indicator(drag_->axis, offset_);
                // A thumb with no room to travel (as long as its track, or content that came to fit
                // while it was held) moves nothing.
                if (bar.travel > 0) {
                    const CGFloat thumbStart = along(drag_->axis, e.location) - drag_->grab;
                    CGPoint next = offset_;
                    (drag_->axis == Axis::vertical ? next.y : next.x) = (thumbStart - bar.trackStart) / bar.travel * bar.range;
                    setOffset(next);
                }
            }
            return drag_.has_value();
        case PointerEvent::Kind::released: {
            const bool dragged = drag_.has_value();
            drag_.reset();
            return dragged;
        }
        case PointerEvent::Kind::exited: return false;
        }
        return false;
    }
    ViewNode* hitTest(CGPoint p, HitPurpose purpose) override {
        if (!frame.contains(p)) return nullptr;
        // An indicator is drawn over the content and takes the pointer there.
        if (purpose == HitPurpose::pointer && indicatorUnder(p)) return this;
        const CGPoint inside = p + offset_;
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (ViewNode* hit = (*it)->hitTest(inside, purpose)) return hit;
        }
        return this;
    }
    void render(RenderContext& ctx) override {
        const CGPoint shown = presentedOffset();
        ctx.list.items.push_back(PushClip{Path::rect(frame)});
        ctx.list.items.push_back(PushTransform{CGAffineTransform::translation(-shown.x, -shown.y)});
        ViewNode::render(ctx);
        ctx.list.items.push_back(PopTransform{});
        ctx.list.items.push_back(PopClip{});
        const std::vector<DisplayItem> indicators = this->indicators(shown);
        ctx.list.items.insert(ctx.list.items.end(), indicators.begin(), indicators.end());
    }
    bool redrawOwnItems(std::span<DisplayItem> items) override {
        const CGPoint shown = presentedOffset();
        const std::vector<DisplayItem> indicators = this->indicators(shown);
        if (items.size() < 4 + indicators.size() || !std::holds_alternative<PushClip>(items[0]) ||
            !std::holds_alternative<PushTransform>(items[1]) ||
            !std::holds_alternative<PopClip>(items[items.size() - indicators.size() - 1])) {
            return false;
        }
        items[1] = PushTransform{CGAffineTransform::translation(-shown.x, -shown.y)};
        std::copy(indicators.begin(), indicators.end(), items.end() - static_cast<std::ptrdiff_t>(indicators.size()));
        return true;
    }
    bool advanceAnimations(double now) override {
        const bool moving = ViewNode::advanceAnimations(now);
        if (offsetAnimation_ && offsetAnimation_->finished(now)) offsetAnimation_.reset();
        return moving || offsetAnimation_;
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override {
        const CGSize c = sizeOfContent(childElements(), contentProposal(p));
        const CGFloat track = !p.height && p.width && needsIndicatorTrack(c.width, *p.width) ? indicatorTrack : 0;
        return {p.width.value_or(c.width), p.height.value_or(c.height + track)};
    }
    void placeChildren() override {
        placedContentProposal_ = contentProposal(ProposedViewSize::of(frame.size));
        const CGSize size = sizeOfContent(childElements(), placedContentProposal_);
        const CGPoint offset = offset_;
        contentSize_ = size;
        clamp();
        // The indicators follow the content's size and the offset.
        if (!(size == drawnContentSize_) || !(offset == offset_)) invalidateOwnItems();
        drawnContentSize_ = size;
        placeContent(childElements(), contentFrame(), placedContentProposal_);
    }

private:
    // A horizontal indicator is drawn in the lowest points of the scroll view.
    static constexpr CGFloat indicatorTrack = 10;

    // A scroll view as tall as its content (a code block's) keeps a track below it for the horizontal
    // indicator, which would otherwise be drawn over the content's last line.
    bool needsIndicatorTrack(CGFloat contentWidth, CGFloat width) const {
        return data_.showsIndicators && data_.axes.contains(Axis::horizontal) && !data_.axes.contains(Axis::vertical) &&
               contentWidth > width;
    }
    ProposedViewSize contentProposal(const ProposedViewSize& p) const {
        return {data_.axes.contains(Axis::horizontal) ? std::nullopt : p.width, data_.axes.contains(Axis::vertical) ? std::nullopt : p.height};
    }
    // Along a scrolling axis the content starts at the leading or top edge, however short it is; across
    // a fixed axis content narrower than the scroll view is centred. The offset is not in it.
    CGRect contentFrame() const {
        const bool horizontal = data_.axes.contains(Axis::horizontal);
        const bool vertical = data_.axes.contains(Axis::vertical);
        const CGFloat x = !horizontal && contentSize_.width < frame.width() ? frame.minX() + (frame.width() - contentSize_.width) / 2
                                                                           : frame.minX();
        CGFloat y = frame.minY();
        if (!vertical && contentSize_.height < frame.height()) {
            y = frame.minY() + (frame.height() - contentSize_.height) / 2;
            // Clear of the horizontal indicator where there is room for both.
            if (needsIndicatorTrack(contentSize_.width, frame.width())) {
                y = std::max(frame.minY(), std::min(y, frame.maxY() - indicatorTrack - contentSize_.height));
            }
        }
        return CGRect(x, y, contentSize_.width, contentSize_.height);
    }
    // Whether the content is larger than the view along `axis`, which it scrolls.
    bool scrolls(Axis axis) const {
        if (!data_.axes.contains(axis)) return false;
        return axis == Axis::vertical ? contentSize_.height > frame.height() : contentSize_.width > frame.width();
    }
    static CGFloat along(Axis axis, CGPoint p) { return axis == Axis::vertical ? p.y : p.x; }
    // A page along `axis` keeps a line of body text of the last one in view.
    CGFloat page(Axis axis) const {
        const CGFloat line = bodyLineHeight(graph->measurer());
        return std::max<CGFloat>((axis == Axis::vertical ? frame.height() : frame.width()) - line, line);
    }
    // Moves the content by `distance` along `axis`, when it scrolls along it; whether it does.
    bool scrollBy(Axis axis, CGFloat distance) {
        if (!scrolls(axis)) return false;
        CGPoint next = offset_;
        (axis == Axis::vertical ? next.y : next.x) += distance;
        setOffset(next);
        return true;
    }

    // An indicator along one axis: its thumb's start and length in a track along the view's edge, and
    // how far the thumb travels for how far the content scrolls.
    struct Indicator {
        CGFloat trackStart;
        CGFloat thumbStart;
        CGFloat thumbLength;
        CGFloat travel;
        CGFloat range;
        // The capsule drawn for the thumb keeps 2 points clear at each end; a thumb shorter than that
        // (in a view a few points long) is drawn as nothing at its middle.
        CGFloat drawnLength() const { return std::max<CGFloat>(0, thumbLength - 4); }
        CGFloat drawnStart() const { return thumbStart + (thumbLength - drawnLength()) / 2; }
    };
    Indicator indicator(Axis axis, CGPoint shown) const {
        const bool vertical = axis == Axis::vertical;
        const CGFloat visible = vertical ? frame.height() : frame.width();
        const CGFloat content = vertical ? contentSize_.height : contentSize_.width;
        // At least 20 points long, but never longer than its track: a view shorter than that has a thumb
        // as long as itself, with no room to travel.
        const CGFloat length = std::min<CGFloat>(visible, std::max<CGFloat>(20, visible * visible / content));
        const CGFloat trackStart = vertical ? frame.minY() : frame.minX();
        const CGFloat travel = visible - length;
        const CGFloat range = content - visible;
        return {trackStart, trackStart + travel * (along(axis, shown) / range), length, travel, range};
    }
    // The indicator whose track (the last points along the view's edge) holds `p`, if one is shown.
    std::optional<Axis> indicatorUnder(CGPoint p) const {
        if (!data_.showsIndicators || !frame.contains(p)) return std::nullopt;
        if (scrolls(Axis::vertical) && p.x >= frame.maxX() - indicatorTrack) return Axis::vertical;
        if (scrolls(Axis::horizontal) && p.y >= frame.maxY() - indicatorTrack) return Axis::horizontal;
        return std::nullopt;
    }
    std::vector<DisplayItem> indicators(CGPoint shown) const {
        std::vector<DisplayItem> out;
        if (!data_.showsIndicators) return out;
        const RGBA thumb = Color::labelColor().opacity(0.3).resolve(environment.colorScheme());
        if (scrolls(Axis::vertical)) {
            const Indicator bar = indicator(Axis::vertical, shown);
            out.push_back(FillItem{Path::capsule(CGRect(frame.maxX() - 8, bar.drawnStart(), 6, bar.drawnLength())), thumb});
        }
        if (scrolls(Axis::horizontal)) {
            const Indicator bar = indicator(Axis::horizontal, shown);
            out.push_back(FillItem{Path::capsule(CGRect(bar.drawnStart(), frame.maxY() - 8, bar.drawnLength(), 6)), thumb});
        }
        return out;
    }
    void clamp() {
        offset_.x = std::clamp<CGFloat>(offset_.x, 0, std::max<CGFloat>(0, contentSize_.width - frame.width()));
        offset_.y = std::clamp<CGFloat>(offset_.y, 0, std::max<CGFloat>(0, contentSize_.height - frame.height()));
    }
    // Where the content is drawn: the offset, or on its way there under an animation.
    CGPoint presentedOffset() const { return presentedOffsetFrom(offset_, animationClock()); }
    void setOffset(CGPoint next) {
        const CGPoint before = offset_;
        offset_ = next;
        clamp();
        if (before == offset_) return;
        const auto animation = graph ? animationForChange(graph->currentTransaction) : std::nullopt;
        if (animation) {
            const double now = animationClock();
            offsetAnimation_ = Interpolation<CGPoint>{presentedOffsetFrom(before, now), offset_, *animation, now};
            graph->animate(this);
        } else {
            offsetAnimation_.reset();
        }
        invalidateOwnItems();
        if (graph) graph->setNeedsUpdate();
    }
    // Where the content was drawn at `now`: on its way from an earlier offset, or at `before`.
    CGPoint presentedOffsetFrom(CGPoint before, double now) const {
        if (!offsetAnimation_) return before;
        const Interpolation<CGPoint>& moving = *offsetAnimation_;
        const double t = animationProgress(moving.animation, moving.start, now);
        return {interpolate(moving.from.x, moving.to.x, t), interpolate(moving.from.y, moving.to.y, t)};
    }

    // A thumb being dragged: along which axis, and where the pointer holds it, from the thumb's start.
    struct Drag {
        Axis axis;
        CGFloat grab;
    };

    ScrollData data_;
    CGPoint offset_;
    std::optional<Drag> drag_;
    std::optional<Interpolation<CGPoint>> offsetAnimation_;
    ProposedViewSize placedContentProposal_;
    CGSize contentSize_;
    CGSize drawnContentSize_;
};

namespace {

ViewNode* findId(ViewNode* node, const AnyHashable& id) {
    if (const AnyHashable* own = node->explicitId(); own && *own == id) return node;
    for (auto& c : node->children) {
        if (ViewNode* hit = findId(c.get(), id)) return hit;
    }
    return nullptr;
}

using ReaderBuilder = std::function<AnyView(const ScrollViewProxy&)>;

class ScrollReaderNode final : public TransparentNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        std::weak_ptr<bool> weak = aliveFlag();
        ScrollReaderNode* self = this;
        // Content added together with the request (a new chat bubble) is only placed by the next layout:
        // scrolling waits for it, so it measures the view where it will be, under the animation it was
        // asked for with.
        const ScrollViewProxy proxy([weak, self](const AnyHashable& id, std::optional<UnitPoint> anchor) {
            auto a = weak.lock();
            if (!a || !*a || !self->graph) return;
            self->graph->afterNextLayout([weak, self, id, anchor, transaction = currentTransaction()] {
                if (auto alive = weak.lock(); alive && *alive) {
                    withTransaction(transaction, [&] { self->scrollTo(id, anchor); });
                }
            });
        });
        reconcileSingleChild(contentData<ScrollReaderNode, ReaderBuilder>(c)(proxy), env);
    }

private:
    void scrollTo(const AnyHashable& id, std::optional<UnitPoint> anchor) {
        ViewNode* target = findId(this, id);
        if (!target) return;
        for (ViewNode* n = target->parent; n; n = n->parent) {
            if (auto* scroll = dynamic_cast<ScrollNode*>(n)) {
                scroll->scrollToShow(*target, target->elementsFrame(), anchor);
                return;
            }
            if (n == this) return;
        }
    }
};

} // namespace

std::shared_ptr<const ViewContent> ScrollView::toContent() const {
    return makeView<ScrollNode, ScrollData>(ScrollData{axes_, showsIndicators_, content_}).content();
}

std::shared_ptr<const ViewContent> ScrollViewReader::toContent() const {
    return makeView<ScrollReaderNode, ReaderBuilder>(content_).content();
}

} // namespace glimmo
