#include "platform/view/NodeSupport.h"
#include "platform/view/Shapes.h"
#include "platform/view/ViewGraph.h"

namespace glimmo {

namespace {

RGBA tint(const Color& c, ColorScheme s) { return c.resolve(s); }

Paint materialPaint(Material m, ColorScheme scheme) {
    const double alpha = m == Material::ultraThinMaterial ? 0.45 : m == Material::thinMaterial ? 0.6
                       : m == Material::regularMaterial   ? 0.72 : 0.85;
    RGBA base = Color::windowBackgroundColor().resolve(scheme);
    base.alpha = alpha;
    return base;
}

struct ShapeParams {
    AnyShape shape;
    std::optional<AnyShapeStyle> fill;
    std::optional<AnyShapeStyle> stroke;
    StrokeStyle style;
    bool strokeInside;
    // A fixed frame and an offset applied to the shape, in that order.
    std::optional<CGSize> frameSize = std::nullopt;
    std::optional<CGSize> offset = std::nullopt;
};

CGSize offsetOf(const ShapeParams& params) { return params.offset.value_or(CGSize{0, 0}); }

// `frame` is where the node is laid out; the shape is drawn there moved by its offset.
class ShapeNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        if (content_ && hasBeenPlaced && graph) followOffset(offsetOf(params()), offsetOf(contentData<ShapeNode, ShapeParams>(c)));
        content_ = c;
        environment = env;
    }
    bool isHitTestable() const override { return true; }
    ViewNode* hitTest(CGPoint p, HitPurpose purpose) override {
        const auto& params = this->params();
        const CGRect frame = drawnFrame();
        if (purpose != HitPurpose::pointer || !frame.contains(p)) return nullptr;
        if (params.stroke) return this;
        return params.shape.path(frame).contains(p) ? this : nullptr;
    }
    void render(RenderContext& ctx) override {
        const auto& params = this->params();
        const CGRect frame = drawnFrame();
        const ColorScheme scheme = environment.colorScheme();
        const auto foreground = environment.foregroundColor();
        if (params.stroke) {
            const CGRect r = params.strokeInside ? frame.insetBy(params.style.lineWidth / 2, params.style.lineWidth / 2) : frame;
            ctx.list.items.push_back(StrokeItem{params.shape.path(r), params.stroke->resolve(scheme, frame, foreground), params.style});
            return;
        }
        const Path path = params.shape.path(frame);
        if (params.fill) {
            if (params.fill->isMaterial()) {
                const auto paint = params.fill->resolve(scheme, frame, foreground);
                ctx.list.items.push_back(BlurItem{path, std::get<RGBA>(paint)});
            } else {
                ctx.list.items.push_back(FillItem{path, params.fill->resolve(scheme, frame, foreground)});
            }
            return;
        }
        if (const auto& style = environment.get<ForegroundStyleKey>()) {
            ctx.list.items.push_back(FillItem{path, style->resolve(scheme, frame, foreground)});
            return;
        }
        ctx.list.items.push_back(FillItem{path, tint(foreground.value_or(Color::primary()), scheme)});
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override {
        if (const auto& size = params().frameSize) return *size;
        return p.replacingUnspecifiedDimensions();
    }

private:
    const ShapeParams& params() const { return contentData<ShapeNode, ShapeParams>(content_); }
    CGRect drawnFrame() const {
        const CGSize o = offsetOf(params());
        return frame.offsetBy(o.width, o.height);
    }
    // A shape inside an offset node moves when the offset changes, under the change's animation; here
    // the laid-out frame stays, so the animation of it starts where the shape shows now, less the new
    // offset (drawing adds it back).
    void followOffset(CGSize before, CGSize after) {
        if (before == after) return;
        if (const auto animation = animationForChange(graph->currentTransaction)) {
            const double now = animationClock();
            const CGRect from = presentedFrame(now).offsetBy(before.width - after.width, before.height - after.height);
            setFrameAnimation(Interpolation<CGRect>{from, frame, *animation, now});
            graph->animate(this);
        } else {
            setFrameAnimation(std::nullopt);
        }
    }

    std::shared_ptr<const ViewContent> content_; // its shape and styles
};

const ShapeParams* shapeParams(const ViewContent& content) {
    if (content.kind() != typeid(ShapeNode)) return nullptr;
    return &static_cast<const SimpleContent<ShapeNode, ShapeParams>&>(content).data;
}

} // namespace

namespace shapes {
std::shared_ptr<const ViewContent> shapeView(AnyShape shape, std::optional<AnyShapeStyle> fill,
                                             std::optional<AnyShapeStyle> stroke, StrokeStyle style, bool strokeInside) {
    return makeView<ShapeNode, ShapeParams>(ShapeParams{std::move(shape), std::move(fill), std::move(stroke), std::move(style), strokeInside}).content();
}

std::shared_ptr<const ViewContent> framedShape(const ViewContent& content, CGSize size) {
    const ShapeParams* params = shapeParams(content);
    if (!params || params->frameSize || params->offset) return nullptr;
    ShapeParams framed = *params;
    framed.frameSize = size;
    return makeView<ShapeNode, ShapeParams>(std::move(framed)).content();
}

std::shared_ptr<const ViewContent> offsetShape(const ViewContent& content, CGSize offset) {
    const ShapeParams* params = shapeParams(content);
    if (!params || params->offset) return nullptr;
    ShapeParams moved = *params;
    moved.offset = offset;
    return makeView<ShapeNode, ShapeParams>(std::move(moved)).content();
}
} // namespace shapes

Paint AnyShapeStyle::resolve(ColorScheme scheme, const CGRect& rect, const std::optional<Color>& foreground) const {
    if (const auto* c = std::get_if<Color>(&style_)) return c->resolve(scheme);
    if (const auto* g = std::get_if<LinearGradient>(&style_)) {
        GradientPaint paint;
        for (const auto& stop : g->gradient.stops) paint.stops.push_back({stop.color.resolve(scheme), stop.location});
        paint.start = g->startPoint.in(rect);
        paint.end = g->endPoint.in(rect);
        return paint;
    }
    if (const auto* m = std::get_if<Material>(&style_)) return materialPaint(*m, scheme);
    const auto h = std::get<HierarchicalShapeStyle>(style_);
    const Color base = foreground.value_or(Color::primary());
    switch (h) {
    case HierarchicalShapeStyle::primary: return base.resolve(scheme);
    case HierarchicalShapeStyle::secondary: return foreground ? base.opacity(0.5).resolve(scheme) : Color::secondary().resolve(scheme);
    case HierarchicalShapeStyle::tertiary: return foreground ? base.opacity(0.3).resolve(scheme) : Color::tertiaryLabelColor().resolve(scheme);
    case HierarchicalShapeStyle::quaternary: return base.opacity(0.18).resolve(scheme);
    }
    return base.resolve(scheme);
}

std::optional<Color> AnyShapeStyle::color(const std::optional<Color>& foreground) const {
    if (const auto* c = std::get_if<Color>(&style_)) return *c;
    if (const auto* h = std::get_if<HierarchicalShapeStyle>(&style_)) {
        const Color base = foreground.value_or(Color::primary());
        switch (*h) {
        case HierarchicalShapeStyle::primary: return base;
        case HierarchicalShapeStyle::secondary: return foreground ? base.opacity(0.5) : Color::secondary();
        case HierarchicalShapeStyle::tertiary: return foreground ? base.opacity(0.3) : Color::tertiaryLabelColor();
        case HierarchicalShapeStyle::quaternary: return base.opacity(0.18);
        }
    }
    if (const auto* g = std::get_if<LinearGradient>(&style_)) {
        if (!g->gradient.stops.empty()) return g->gradient.stops.front().color;
    }
    return std::nullopt;
}

} // namespace glimmo
