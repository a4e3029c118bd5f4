#include "platform/view/NodeSupport.h"
#include "platform/view/ScrollView.h"
#include "platform/view/ViewGraph.h"

#include <algorithm>

namespace glimmo {

struct ScrollData {
    AxisSet axes;
    bool showsIndicators;
    AnyView content;
};

// Keeps the scroll offset (how far the content is moved up and left) for as long as it has its identity.
class ScrollNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        data_ = contentData<ScrollNode, ScrollData>(c);
        reconcileSingleChild(data_.content, env);
    }
    CGPoint offset() const { return offset_; }
    std::optional<CGRect> clipRect() const override { return frame; }
    // Scrolls so that `target` (window coordinates, as laid out now) shows as asked.
    void scrollToShow(const CGRect& target, std::optional<UnitPoint> anchor) {
        CGPoint next = offset_;
        const CGRect content = contentFrame();
        const CGFloat tx = target.minX() - content.minX(), ty = target.minY() - content.minY();
        if (anchor) {
            if (data_.axes.contains(Axis::horizontal)) next.x = tx + anchor->x * target.width() - anchor->x * frame.width();
            if (data_.axes.contains(Axis::vertical)) next.y = ty + anchor->y * target.height() - anchor->y * frame.height();
        } else {
            if (data_.axes.contains(Axis::vertical)) {
                if (ty < offset_.y) next.y = ty;
                else if (ty + target.height() > offset_.y + frame.height()) next.y = ty + target.height() - frame.height();
            }
            if (data_.axes.contains(Axis::horizontal)) {
                if (tx < offset_.x) next.x = tx;
                else if (tx + target.width() > offset_.x + frame.width()) next.x = tx + target.width() - frame.width();
            }
        }
        setOffset(next);
    }
    // Takes the wheel along the axes it scrolls, where its content is larger than it, even at the end
    // of its range (a scroll view that stops does not hand the wheel on to the one around it).
    bool handleWheel(WheelEvent& rest) override {
        const bool vertical = data_.axes.contains(Axis::vertical) && rest.deltaY != 0 && contentSize_.height > frame.height();
        const bool horizontal = data_.axes.contains(Axis::horizontal) && rest.deltaX != 0 && contentSize_.width > frame.width();
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
    ViewNode* hitTest(CGPoint p, HitPurpose purpose) override {
        if (!frame.contains(p)) return nullptr;
        if (ViewNode* hit = ViewNode::hitTest(p, purpose)) return hit;
        return this;
    }
    void render(RenderContext& ctx) override {
        ctx.list.items.push_back(PushClip{Path::rect(frame)});
        ViewNode::render(ctx);
        ctx.list.items.push_back(PopClip{});
        if (!data_.showsIndicators) return;
        const RGBA thumb = Color::labelColor().opacity(0.3).resolve(environment.colorScheme());
        if (data_.axes.contains(Axis::vertical) && contentSize_.height > frame.height()) {
            const CGFloat length = std::max<CGFloat>(20, frame.height() * frame.height() / contentSize_.height);
            const CGFloat travel = frame.height() - length;
            const CGFloat y = frame.minY() + travel * (offset_.y / (contentSize_.height - frame.height()));
            ctx.list.items.push_back(FillItem{Path::capsule(CGRect(frame.maxX() - 8, y + 2, 6, length - 4)), thumb});
        }
        if (data_.axes.contains(Axis::horizontal) && contentSize_.width > frame.width()) {
            const CGFloat length = std::max<CGFloat>(20, frame.width() * frame.width() / contentSize_.width);
            const CGFloat travel = frame.width() - length;
            const CGFloat x = frame.minX() + travel * (offset_.x / (contentSize_.width - frame.width()));
            ctx.list.items.push_back(FillItem{Path::capsule(CGRect(x + 2, frame.maxY() - 8, length - 4, 6)), thumb});
        }
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
        if (!(size == drawnContentSize_) || !(offset == offset_)) invalidateDisplay();
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
    // a fixed axis content narrower than the scroll view is centred.
    CGRect contentFrame() const {
        const bool horizontal = data_.axes.contains(Axis::horizontal);
        const bool vertical = data_.axes.contains(Axis::vertical);
        const CGFloat x = !horizontal && contentSize_.width < frame.width() ? frame.minX() + (frame.width() - contentSize_.width) / 2
                                                                           : frame.minX() - offset_.x;
        CGFloat y = frame.minY() - offset_.y;
        if (!vertical && contentSize_.height < frame.height()) {
            y = frame.minY() + (frame.height() - contentSize_.height) / 2;
            // Clear of the horizontal indicator where there is room for both.
            if (needsIndicatorTrack(contentSize_.width, frame.width())) {
                y = std::max(frame.minY(), std::min(y, frame.maxY() - indicatorTrack - contentSize_.height));
            }
        }
        return CGRect(x, y, contentSize_.width, contentSize_.height);
    }
    void clamp() {
        offset_.x = std::clamp<CGFloat>(offset_.x, 0, std::max<CGFloat>(0, contentSize_.width - frame.width()));
        offset_.y = std::clamp<CGFloat>(offset_.y, 0, std::max<CGFloat>(0, contentSize_.height - frame.height()));
    }
    void setOffset(CGPoint next) {
        const CGPoint before = offset_;
        offset_ = next;
        clamp();
        if (!(before == offset_)) {
            // Move the content at once so frames are current; the next update draws it there.
            placeContent(childElements(), contentFrame(), placedContentProposal_);
            invalidateDisplay();
            if (graph) graph->setNeedsUpdate();
        }
    }

    ScrollData data_;
    CGPoint offset_;
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
        // scrolling waits for it, so it measures the view where it will be.
        const ScrollViewProxy proxy([weak, self](const AnyHashable& id, std::optional<UnitPoint> anchor) {
            auto a = weak.lock();
            if (!a || !*a || !self->graph) return;
            self->graph->afterNextLayout([weak, self, id, anchor] {
                if (auto alive = weak.lock(); alive && *alive) self->scrollTo(id, anchor);
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
                scroll->scrollToShow(target->elementsFrame(), anchor);
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
