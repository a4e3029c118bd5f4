#include "platform/view/NodeSupport.h"
#include "platform/view/Shapes.h"

#include <algorithm>
#include <cmath>

namespace glimmo {
namespace {

CGFloat guideDefault(AlignmentKey key, CGSize size) { return key.id ? key.id->defaultValue(ViewDimensions(size)) : 0; }

// Where a child of `childSize` sits inside a container of `containerSize`, aligned by `alignment`.
// `explicitValue(key)` is the content's explicit alignment value for its size.
template <class ExplicitValue>
CGPoint alignedOffsetBy(ExplicitValue explicitValue, CGSize containerSize, CGSize childSize, const Alignment& a) {
    auto value = [&](AlignmentKey key) {
        if (auto v = explicitValue(key)) return *v;
        return guideDefault(key, childSize);
    };
    return {guideDefault(a.horizontal.key(), containerSize) - value(a.horizontal.key()),
            guideDefault(a.vertical.key(), containerSize) - value(a.vertical.key())};
}

CGPoint alignedOffset(SingleChildNode& node, CGSize containerSize, CGSize childSize, const Alignment& a) {
    return alignedOffsetBy([&](AlignmentKey key) { return node.contentAlignmentFor(key, childSize); }, containerSize, childSize, a);
}

CGPoint alignedOffset(const std::vector<ViewNode*>& content, CGSize containerSize, CGSize childSize, const Alignment& a) {
    return alignedOffsetBy([&](AlignmentKey key) { return contentAlignment(content, key, childSize); }, containerSize, childSize, a);
}

// Explicit alignment of a wrapper whose content sits at `offset` with `childSize`.
std::optional<CGFloat> shiftedAlignment(SingleChildNode& node, AlignmentKey key, CGSize childSize, CGPoint offset) {
    if (auto v = node.contentAlignmentFor(key, childSize)) return *v + (key.horizontal ? offset.x : offset.y);
    return std::nullopt;
}

// Padding.
class PaddingNode final : public ModifierNode<PaddingNode, EdgeInsets> {
public:
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey key, CGSize size) override {
        return shiftedAlignment(*this, key, inner(size), {params.leading, params.top});
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override {
        const CGSize s = contentSize(inner(p));
        return {s.width + params.leading + params.trailing, s.height + params.top + params.bottom};
    }
    void placeChildren() override {
        const CGSize s = inner(frame.size);
        placeContentIn(CGRect(frame.minX() + params.leading, frame.minY() + params.top, s.width, s.height), inner(placedProposal));
    }

private:
    CGSize inner(CGSize outer) const {
        return {std::max<CGFloat>(0, outer.width - params.leading - params.trailing), std::max<CGFloat>(0, outer.height - params.top - params.bottom)};
    }
    ProposedViewSize inner(const ProposedViewSize& outer) const {
        ProposedViewSize p;
        if (outer.width) p.width = std::max<CGFloat>(0, *outer.width - params.leading - params.trailing);
        if (outer.height) p.height = std::max<CGFloat>(0, *outer.height - params.top - params.bottom);
        return p;
    }
};

struct FixedFrame {
    std::optional<CGFloat> width, height;
    Alignment alignment;
    bool operator==(const FixedFrame&) const = default;
};

class FixedFrameNode final : public ModifierNode<FixedFrameNode, FixedFrame> {
public:
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey key, CGSize size) override {
        const CGSize child = contentSize(childProposal(ProposedViewSize::of(size)));
        return shiftedAlignment(*this, key, child, alignedOffset(*this, size, child, params.alignment));
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override {
        const CGSize child = contentSize(childProposal(p));
        return {params.width.value_or(child.width), params.height.value_or(child.height)};
    }
    void placeChildren() override {
        const ProposedViewSize proposal = childProposal(placedProposal);
        const CGSize child = contentSize(proposal);
        const CGPoint o = alignedOffset(*this, frame.size, child, params.alignment);
        placeContentIn(CGRect(frame.minX() + o.x, frame.minY() + o.y, child.width, child.height), proposal);
    }

private:
    ProposedViewSize childProposal(const ProposedViewSize& p) const {
        return {params.width ? params.width : p.width, params.height ? params.height : p.height};
    }
};

struct FlexFrame {
    std::optional<CGFloat> minWidth, idealWidth, maxWidth, minHeight, idealHeight, maxHeight;
    Alignment alignment;
    bool operator==(const FlexFrame&) const = default;
};

// One axis of a flexible frame: the proposal clamped into the bounds (the ideal size when none is
// given), then the child's size clamped the same way, a bound growing towards the proposal.
struct FlexAxis {
    std::optional<CGFloat> min, ideal, max;
    std::optional<CGFloat> proposal(std::optional<CGFloat> p) const {
        if (!p) return ideal;
        CGFloat v = *p;
        if (max) v = std::min(v, *max);
        if (min) v = std::max(v, *min);
        return v;
    }
    CGFloat result(std::optional<CGFloat> offered, std::optional<CGFloat> proposed, CGFloat child) const {
        if (!offered && ideal) return *ideal;
        CGFloat r = child;
        if (min) r = std::max(*min, proposed ? std::min(r, *proposed) : r);
        if (max) r = std::min(*max, proposed ? std::max(r, *proposed) : r);
        return r;
    }
};

class FlexFrameNode final : public ModifierNode<FlexFrameNode, FlexFrame> {
public:
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey key, CGSize size) override {
        const CGSize child = childSize(ProposedViewSize::of(size));
        return shiftedAlignment(*this, key, child, alignedOffset(*this, size, child, params.alignment));
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override {
        const ProposedViewSize inner = childProposal(p);
        const CGSize child = contentSize(inner);
        return {horizontal().result(p.width, inner.width, child.width), vertical().result(p.height, inner.height, child.height)};
    }
    void placeChildren() override {
        const ProposedViewSize proposal = childProposal(placedProposal);
        const CGSize child = contentSize(proposal);
        const CGPoint o = alignedOffset(*this, frame.size, child, params.alignment);
        placeContentIn(CGRect(frame.minX() + o.x, frame.minY() + o.y, child.width, child.height), proposal);
    }

private:
    FlexAxis horizontal() const { return {params.minWidth, params.idealWidth, params.maxWidth}; }
    FlexAxis vertical() const { return {params.minHeight, params.idealHeight, params.maxHeight}; }
    ProposedViewSize childProposal(const ProposedViewSize& p) const { return {horizontal().proposal(p.width), vertical().proposal(p.height)}; }
    CGSize childSize(const ProposedViewSize& p) { return contentSize(childProposal(p)); }
};

struct FixedSizeParams {
    bool horizontal;
    bool vertical;
    bool operator==(const FixedSizeParams&) const = default;
};

class FixedSizeNode final : public ModifierNode<FixedSizeNode, FixedSizeParams> {
protected:
    CGSize computeSize(const ProposedViewSize& p) override { return contentSize(fixed(p)); }
    void placeChildren() override {
        const ProposedViewSize proposal = fixed(placedProposal);
        const CGSize child = contentSize(proposal);
        placeContentIn(CGRect(frame.midX() - child.width / 2, frame.midY() - child.height / 2, child.width, child.height), proposal);
    }

private:
    ProposedViewSize fixed(const ProposedViewSize& p) const {
        return {params.horizontal ? std::nullopt : p.width, params.vertical ? std::nullopt : p.height};
    }
};

class PriorityNode final : public ModifierNode<PriorityNode, double> {
public:
    double layoutPriority() const override { return params; }
};

class OffsetNode final : public ModifierNode<OffsetNode, CGSize> {
protected:
    void placeChildren() override { placeContentIn(frame.offsetBy(params.width, params.height), placedProposal); }
};

struct GuideParams {
    AlignmentKey key;
    std::function<CGFloat(const ViewDimensions&)> value;
};

class AlignmentGuideNode final : public ModifierNode<AlignmentGuideNode, GuideParams> {
public:
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey key, CGSize size) override {
        if (key == params.key) {
            const auto elements = contentElements();
            return params.value(ViewDimensions(size, [elements, size](AlignmentKey k) { return contentAlignment(elements, k, size); }));
        }
        return SingleChildNode::computeExplicitAlignment(key, size);
    }
};

// A secondary view behind or in front of the primary one, offered the primary's size.
struct LayerParams {
    AnyView primary;
    AnyView secondary;
    Alignment alignment;
    bool overlay;
};

class LayerNode final : public PrimaryLayerNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        params_ = contentData<LayerNode, LayerParams>(c);
        reconcileChildren({ChildSpec{params_.primary, primaryKey()}, ChildSpec{params_.secondary, AnyHashable(1)}}, env);
    }
    double layoutPriority() const override {
        const auto p = primary();
        return p.size() == 1 ? p.front()->layoutPriority() : 0;
    }
    std::optional<HorizontalAlignment> gridColumnAlignment() const override {
        const auto p = primary();
        return p.size() == 1 ? p.front()->gridColumnAlignment() : std::nullopt;
    }
    void render(RenderContext& ctx) override {
        if (params_.overlay) {
            children[0]->draw(ctx);
            children[1]->draw(ctx);
        } else {
            children[1]->draw(ctx);
            children[0]->draw(ctx);
        }
    }
    ViewNode* hitTest(CGPoint p, HitPurpose purpose) override {
        ViewNode* front = params_.overlay ? children[1].get() : children[0].get();
        ViewNode* back = params_.overlay ? children[0].get() : children[1].get();
        if (ViewNode* hit = front->hitTest(p, purpose)) return hit;
        return back->hitTest(p, purpose);
    }

protected:
    void collectPreferences(PreferenceValues& out) override {
        out.merge(children[params_.overlay ? 0 : 1]->preferences());
        out.merge(children[params_.overlay ? 1 : 0]->preferences());
    }
    bool mergesChildrenPreferences() const override { return false; } // in drawing order, not child order
    void placeChildren() override {
        placeContent(primary(), frame, placedProposal);
        std::vector<ViewNode*> secondary;
        children[1]->collectElements(secondary);
        const ProposedViewSize proposal = ProposedViewSize::of(frame.size);
        const CGSize s = sizeOfContent(secondary, proposal);
        const CGPoint o = alignedOffset(secondary, frame.size, s, params_.alignment);
        placeContent(secondary, CGRect(frame.minX() + o.x, frame.minY() + o.y, s.width, s.height), proposal);
    }

private:
    LayerParams params_;
};

class GridColumnAlignmentNode final : public ModifierNode<GridColumnAlignmentNode, HorizontalAlignment> {
public:
    std::optional<HorizontalAlignment> gridColumnAlignment() const override { return params; }
};

class CoordinateSpaceNode final : public ModifierNode<CoordinateSpaceNode, std::string> {
public:
    std::optional<std::string> coordinateSpaceName() const override { return params; }
};

} // namespace

namespace modifiers {

AnyView padding(AnyView v, EdgeSet edges, std::optional<CGFloat> length) {
    const CGFloat l = length.value_or(defaultPadding);
    return padding(std::move(v), EdgeInsets{edges.contains(Edge::top) ? l : 0, edges.contains(Edge::leading) ? l : 0,
                                            edges.contains(Edge::bottom) ? l : 0, edges.contains(Edge::trailing) ? l : 0});
}

AnyView padding(AnyView v, EdgeInsets insets) { return modify<PaddingNode>(std::move(v), insets); }

AnyView frame(AnyView v, std::optional<CGFloat> width, std::optional<CGFloat> height, Alignment alignment) {
    // A shape takes exactly the size of a frame that gives both (the alignment has nothing to move);
    // an infinite one is left to the frame, where centring in it yields no number.
    if (width && height && std::isfinite(*width) && std::isfinite(*height)) {
        if (auto framed = shapes::framedShape(*v.content(), {*width, *height})) return AnyView(std::move(framed));
    }
    return modify<FixedFrameNode>(std::move(v), FixedFrame{width, height, alignment});
}

AnyView flexibleFrame(AnyView v, std::optional<CGFloat> minW, std::optional<CGFloat> idealW, std::optional<CGFloat> maxW,
                      std::optional<CGFloat> minH, std::optional<CGFloat> idealH, std::optional<CGFloat> maxH, Alignment a) {
    return modify<FlexFrameNode>(std::move(v), FlexFrame{minW, idealW, maxW, minH, idealH, maxH, a});
}

AnyView fixedSize(AnyView v, bool horizontal, bool vertical) {
    return modify<FixedSizeNode>(std::move(v), FixedSizeParams{horizontal, vertical});
}

AnyView layoutPriority(AnyView v, double priority) { return modify<PriorityNode>(std::move(v), priority); }

AnyView offset(AnyView v, CGFloat x, CGFloat y) {
    if (auto moved = shapes::offsetShape(*v.content(), {x, y})) return AnyView(std::move(moved));
    return modify<OffsetNode>(std::move(v), CGSize{x, y});
}

AnyView alignmentGuide(AnyView v, const AlignmentID* id, bool horizontal, std::function<CGFloat(const ViewDimensions&)> value) {
    return modify<AlignmentGuideNode>(std::move(v), GuideParams{AlignmentKey{id, horizontal}, std::move(value)});
}

AnyView background(AnyView v, AnyView background, Alignment alignment) {
    return makeView<LayerNode, LayerParams>(LayerParams{std::move(v), std::move(background), alignment, false});
}

AnyView overlay(AnyView v, AnyView overlay, Alignment alignment) {
    return makeView<LayerNode, LayerParams>(LayerParams{std::move(v), std::move(overlay), alignment, true});
}

AnyView styleLayer(AnyView v, AnyShapeStyle style, const AnyShape* shape, bool overlay) {
    AnyView layer(shapes::shapeView(shape ? *shape : AnyShape(Rectangle()), style, std::nullopt, {}, false));
    return makeView<LayerNode, LayerParams>(LayerParams{std::move(v), std::move(layer), Alignment::center(), overlay});
}

AnyView gridColumnAlignment(AnyView v, HorizontalAlignment a) { return modify<GridColumnAlignmentNode>(std::move(v), a); }

AnyView coordinateSpace(AnyView v, std::string name) { return modify<CoordinateSpaceNode>(std::move(v), std::move(name)); }

} // namespace modifiers
} // namespace glimmo
