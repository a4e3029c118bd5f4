#include "platform/view/NodeSupport.h"
#include "platform/view/Shapes.h"
#include "platform/view/ViewGraph.h"

#include <cmath>

namespace glimmo {
namespace {

using EnvironmentWrite = std::function<void(EnvironmentValues&)>;

class EnvironmentNode final : public ModifierNode<EnvironmentNode, EnvironmentWrite> {
protected:
    EnvironmentValues childEnvironment(const EnvironmentValues& env) override {
        EnvironmentValues e = env;
        params(e);
        return e;
    }
};

// Opacity changes made under an animation fade from the value shown to the new one.
class OpacityNode final : public ModifierNode<OpacityNode, double> {
public:
    void render(RenderContext& ctx) override {
        const double value = animation_ ? interpolate(animation_->from, animation_->to,
                                                      animationProgress(animation_->animation, animation_->start, animationClock()))
                                        : params;
        if (value >= 1) {
            SingleChildNode::render(ctx);
            return;
        }
        ctx.list.items.push_back(PushOpacity{value});
        SingleChildNode::render(ctx);
        ctx.list.items.push_back(PopOpacity{});
    }
    bool advanceAnimations(double now) override {
        if (animation_ && animation_->finished(now)) animation_.reset();
        return SingleChildNode::advanceAnimations(now) || animation_.has_value();
    }

protected:
    void willUpdateChild() override {
        if (shown_ && *shown_ != params && graph) {
            if (const auto animation = animationForChange(graph->currentTransaction)) {
                const double now = animationClock();
                const double from = animation_ ? interpolate(animation_->from, animation_->to,
                                                             animationProgress(animation_->animation, animation_->start, now))
                                               : *shown_;
                animation_ = Interpolation<double>{from, params, *animation, now};
                graph->animate(this);
            } else {
                animation_.reset();
            }
        }
        shown_ = params;
    }

private:
    std::optional<double> shown_;
    std::optional<Interpolation<double>> animation_;
};

class ClipNode final : public ModifierNode<ClipNode, AnyShape> {
public:
    std::optional<CGRect> clipRect() const override { return frame; }
    void render(RenderContext& ctx) override {
        ctx.list.items.push_back(PushClip{params.path(frame)});
        SingleChildNode::render(ctx);
        ctx.list.items.push_back(PopClip{});
    }
    ViewNode* hitTest(CGPoint p, HitPurpose purpose) override {
        if (!frame.contains(p) || !params.path(frame).contains(p)) return nullptr;
        return SingleChildNode::hitTest(p, purpose);
    }
};

struct TransformParams {
    CGSize scale;
    Angle rotation;
    UnitPoint anchor;
    bool operator==(const TransformParams&) const = default;
};

class TransformNode final : public ModifierNode<TransformNode, TransformParams> {
public:
    void render(RenderContext& ctx) override {
        ctx.list.items.push_back(PushTransform{transform()});
        SingleChildNode::render(ctx);
        ctx.list.items.push_back(PopTransform{});
    }
    ViewNode* hitTest(CGPoint p, HitPurpose purpose) override {
        const CGAffineTransform t = transform();
        const CGFloat det = t.a * t.d - t.b * t.c;
        if (std::abs(det) < 1e-12) return nullptr;
        const CGFloat x = p.x - t.tx, y = p.y - t.ty;
        return SingleChildNode::hitTest({(t.d * x - t.c * y) / det, (-t.b * x + t.a * y) / det}, purpose);
    }

private:
    CGAffineTransform transform() const {
        const CGPoint a = params.anchor.in(frame);
        return CGAffineTransform::translation(-a.x, -a.y)
            .concatenating(CGAffineTransform::scale(params.scale.width, params.scale.height))
            .concatenating(CGAffineTransform::rotation(params.rotation.radians))
            .concatenating(CGAffineTransform::translation(a.x, a.y));
    }
};

// Makes the whole shape count for hit testing, drawn or not.
class ContentShapeNode final : public ModifierNode<ContentShapeNode, AnyShape> {
public:
    ViewNode* hitTest(CGPoint p, HitPurpose purpose) override {
        if (ViewNode* hit = SingleChildNode::hitTest(p, purpose)) return hit;
        const CGRect f = elementsFrame();
        return purpose == HitPurpose::pointer && f.contains(p) && params.path(f).contains(p) ? this : nullptr;
    }
};

struct Nothing {};

class HiddenNode final : public ModifierNode<HiddenNode, Nothing> {
public:
    void render(RenderContext&) override {}
    ViewNode* hitTest(CGPoint, HitPurpose) override { return nullptr; }
};

struct ShadowParams {
    Color color = Color::black();
    CGFloat radius = 0;
    CGSize offset;
    bool operator==(const ShadowParams&) const = default;
};

class ShadowNode final : public ModifierNode<ShadowNode, ShadowParams> {
public:
    void render(RenderContext& ctx) override {
        const RGBA color = params.color.resolve(environment.colorScheme());
        if (color.alpha <= 0) {
            SingleChildNode::render(ctx);
            return;
        }
        ctx.list.items.push_back(PushShadow{color, std::max<CGFloat>(0, params.radius), params.offset});
        SingleChildNode::render(ctx);
        ctx.list.items.push_back(PopShadow{});
    }
};

class AccessibilityLabelNode final : public ModifierNode<AccessibilityLabelNode, std::string> {
public:
    std::optional<std::string> accessibilityLabel() const override { return params; }
};

} // namespace

namespace modifiers {

AnyView environment(AnyView v, std::function<void(EnvironmentValues&)> write) {
    return modify<EnvironmentNode>(std::move(v), std::move(write));
}

AnyView foregroundStyle(AnyView v, std::optional<AnyShapeStyle> style) {
    return environment(std::move(v), [style](EnvironmentValues& e) {
        if (!style) {
            e.setForegroundColor(std::nullopt);
            e.set<ForegroundStyleKey>(nullptr);
            return;
        }
        auto color = style->color(e.foregroundColor());
        e.setForegroundColor(color);
        e.set<ForegroundStyleKey>(std::make_shared<const AnyShapeStyle>(*style));
    });
}

AnyView opacity(AnyView v, double value) { return modify<OpacityNode>(std::move(v), value); }
AnyView clipShape(AnyView v, const AnyShape& shape) { return modify<ClipNode>(std::move(v), shape); }
AnyView clipped(AnyView v) { return clipShape(std::move(v), AnyShape(Rectangle())); }
AnyView cornerRadius(AnyView v, CGFloat radius) {
    return clipShape(std::move(v), AnyShape(RoundedRectangle(radius, Path::RoundedCornerStyle::circular)));
}
AnyView transformEffect(AnyView v, CGSize scale, Angle rotation, UnitPoint anchor) {
    return modify<TransformNode>(std::move(v), TransformParams{scale, rotation, anchor});
}
AnyView contentShape(AnyView v, const AnyShape& shape) { return modify<ContentShapeNode>(std::move(v), shape); }
AnyView hidden(AnyView v) { return modify<HiddenNode>(std::move(v), Nothing{}); }
AnyView accessibilityLabel(AnyView v, std::string label) { return modify<AccessibilityLabelNode>(std::move(v), std::move(label)); }
AnyView shadow(AnyView v, const Color& color, CGFloat radius, CGSize offset) {
    return modify<ShadowNode>(std::move(v), ShadowParams{color, radius, offset});
}

} // namespace modifiers

} // namespace glimmo
