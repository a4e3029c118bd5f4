#include "platform/view/NodeSupport.h"
#include "platform/view/Stacks.h"

#include <algorithm>

namespace glimmo {
namespace {

struct StackData {
    StackLayout layout;
    std::vector<AnyView> children;
};

class StackNode final : public StackedNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& data = contentData<StackNode, StackData>(c);
        const bool turned = !isBeingMade() && data.layout.axis != layout_.axis;
        layout_ = data.layout;
        std::vector<ChildSpec> specs;
        specs.reserve(data.children.size());
        for (std::size_t i = 0; i < data.children.size(); ++i) specs.push_back({data.children[i], AnyHashable(i)});
        reconcileChildren(std::move(specs), env);
        if (turned) inheritedLayoutChanged();
    }
};

struct ZStackData {
    Alignment alignment;
    std::vector<AnyView> children;
};

class ZStackNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& data = contentData<ZStackNode, ZStackData>(c);
        alignment_ = data.alignment;
        std::vector<ChildSpec> specs;
        for (std::size_t i = 0; i < data.children.size(); ++i) specs.push_back({data.children[i], AnyHashable(i)});
        reconcileChildren(std::move(specs), env);
    }
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey id, CGSize size) override {
        for (auto* e : childElements()) {
            const CGSize s = e->sizeThatFits(ProposedViewSize::of(size));
            if (auto v = e->explicitAlignment(id, s)) return v;
        }
        return std::nullopt;
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override {
        const auto elements = childElements();
        if (elements.empty()) return {0, 0};
        CGFloat left = 0, right = 0, above = 0, below = 0;
        bool first = true;
        for (auto* e : elements) {
            const CGSize s = e->sizeThatFits(p);
            const CGFloat h = alignmentValue(e, alignment_.horizontal.key(), s);
            const CGFloat v = alignmentValue(e, alignment_.vertical.key(), s);
            left = first ? h : std::max(left, h);
            right = first ? s.width - h : std::max(right, s.width - h);
            above = first ? v : std::max(above, v);
            below = first ? s.height - v : std::max(below, s.height - v);
            first = false;
        }
        return {left + right, above + below};
    }
    void placeChildren() override {
        const auto elements = childElements();
        const ProposedViewSize p = ProposedViewSize::of(frame.size);
        const CGFloat gx = alignmentValueForBounds(alignment_.horizontal.key(), true);
        const CGFloat gy = alignmentValueForBounds(alignment_.vertical.key(), false);
        for (auto* e : elements) {
            const CGSize s = e->sizeThatFits(p);
            const CGFloat h = alignmentValue(e, alignment_.horizontal.key(), s);
            const CGFloat v = alignmentValue(e, alignment_.vertical.key(), s);
            e->place(CGRect(frame.minX() + gx - h, frame.minY() + gy - v, s.width, s.height), p);
        }
    }

private:
    // The guide's position in the stack: where the aligned children's guides meet.
    CGFloat alignmentValueForBounds(AlignmentKey id, bool horizontal) {
        CGFloat best = 0;
        bool first = true;
        const ProposedViewSize p = ProposedViewSize::of(frame.size);
        for (auto* e : childElements()) {
            const CGSize s = e->sizeThatFits(p);
            const CGFloat value = alignmentValue(e, id, s);
            best = first ? value : std::max(best, value);
            first = false;
        }
        // Centre the aligned content inside a frame larger than it.
        const CGSize natural = computeSize(p);
        const CGFloat extra = horizontal ? frame.width() - natural.width : frame.height() - natural.height;
        const CGFloat fraction = id.id ? id.id->defaultValue(ViewDimensions({1, 1})) : 0;
        return best + std::max<CGFloat>(0, extra) * std::clamp<CGFloat>(fraction, 0, 1);
    }
    Alignment alignment_;
};

struct SpacerData {
    std::optional<CGFloat> minLength;
};

class SpacerNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        minLength_ = contentData<SpacerNode, SpacerData>(c).minLength.value_or(defaultSpacing);
    }
    std::optional<CGFloat> spacerMinLength() const override { return minLength_; }

protected:
    bool readsInheritedLayout() const override { return true; }
    CGSize computeSize(const ProposedViewSize& p) override {
        const std::optional<Axis> containerAxis = inheritedLayout().stackAxis;
        if (containerAxis == Axis::horizontal) return {std::max(minLength_, p.width.value_or(minLength_)), 0};
        if (containerAxis == Axis::vertical) return {0, std::max(minLength_, p.height.value_or(minLength_))};
        return {p.width.value_or(0), p.height.value_or(0)};
    }

private:
    CGFloat minLength_ = defaultSpacing;
};

struct DividerData {};

class DividerNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>&, const EnvironmentValues& env) override {
        environment = env;
    }
    void render(RenderContext& ctx) override {
        ctx.list.items.push_back(FillItem{Path::rect(frame), Color::separatorColor().resolve(environment.colorScheme())});
    }

protected:
    bool readsInheritedLayout() const override { return true; }
    CGSize computeSize(const ProposedViewSize& p) override {
        if (inheritedLayout().stackAxis == Axis::horizontal) return {1, p.height.value_or(0)};
        return {p.width.value_or(0), 1};
    }
};

class ColorNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        content_ = c;
        environment = env;
    }
    void render(RenderContext& ctx) override {
        const Color& c = color();
        if (c.isClear()) return;
        ctx.list.items.push_back(FillItem{Path::rect(frame), c.resolve(environment.colorScheme())});
    }
    bool isHitTestable() const override { return !color().isClear(); }

protected:
    CGSize computeSize(const ProposedViewSize& p) override { return p.replacingUnspecifiedDimensions(); }

private:
    const Color& color() const { return contentData<ColorNode, Color>(content_); }
    std::shared_ptr<const ViewContent> content_;
};

} // namespace

std::shared_ptr<const ViewContent> HStack::toContent() const {
    return makeView<StackNode, StackData>(StackData{{Axis::horizontal, spacing_, Alignment{HorizontalAlignment::center(), alignment_}}, children_}).content();
}

std::shared_ptr<const ViewContent> VStack::toContent() const {
    return makeView<StackNode, StackData>(StackData{{Axis::vertical, spacing_, Alignment{alignment_, VerticalAlignment::center()}}, children_}).content();
}

std::shared_ptr<const ViewContent> ZStack::toContent() const {
    return makeView<ZStackNode, ZStackData>(ZStackData{alignment_, children_}).content();
}

std::shared_ptr<const ViewContent> Spacer::toContent() const {
    return makeView<SpacerNode, SpacerData>(SpacerData{minLength_}).content();
}

std::shared_ptr<const ViewContent> Divider::toContent() const {
    return makeView<DividerNode, DividerData>(DividerData{}).content();
}

std::shared_ptr<const ViewContent> makeColorViewContent(const Color& color) {
    return makeView<ColorNode, Color>(color).content();
}

} // namespace glimmo
