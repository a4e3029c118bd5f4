#include "platform/view/Controls/ProgressView.h"

#include "platform/runtime/RunLoop.h"
#include "platform/view/Controls/ControlParts.h"
#include "platform/view/NodeSupport.h"
#include "platform/view/ViewGraph.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace glimmo {
namespace {

constexpr int spokeCount = 8;
constexpr CGFloat spinnerSize = 32;

// Spoke `index` of the spinner, a capsule from 40% to 95% of the radius, clockwise from the top.
Path spoke(const CGRect& r, int index) {
    const CGFloat radius = std::min(r.width(), r.height()) / 2;
    const CGFloat angle = 2 * std::numbers::pi * index / spokeCount;
    const CGPoint centre{r.midX(), r.midY()};
    const CGFloat thickness = radius * 0.2;
    Path p = Path::capsule(CGRect(-thickness / 2, -radius * 0.95, thickness, radius * 0.55));
    const CGAffineTransform rotate{std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), centre.x, centre.y};
    return p.applying(rotate);
}

// The spinner turns one spoke further on every tick of a timer on the main run loop, which runs while
// the spinner is on screen and stops when it goes.
class SpinnerNode final : public ViewNode {
public:
    static constexpr double tickInterval = 1.0 / spokeCount;

    void update(const std::shared_ptr<const ViewContent>&, const EnvironmentValues& env) override {
        environment = env;
        if (timer_ || !RunLoop::hasMain()) return;
        std::weak_ptr<bool> weak = aliveFlag();
        timer_ = RunLoop::main().scheduleTimer(tickInterval, true, [this, weak] {
            if (auto a = weak.lock(); !a || !*a) return;
            phase_ = (phase_ + 1) % spokeCount;
            invalidateDisplay();
            if (graph) graph->setNeedsUpdate();
        });
    }
    bool isHitTestable() const override { return true; }
    void willUnmount() override { stop(); }
    ~SpinnerNode() override { stop(); }
    void render(RenderContext& ctx) override {
        // The brightest spoke leads, the others fade behind it.
        for (int i = 0; i < spokeCount; ++i) {
            const int age = (phase_ - i + 2 * spokeCount) % spokeCount;
            const double opacity = 0.85 - 0.6 * age / (spokeCount - 1);
            ctx.list.items.push_back(FillItem{spoke(frame, i), Color::gray().opacity(opacity).resolve(environment.colorScheme())});
        }
    }

protected:
    CGSize computeSize(const ProposedViewSize&) override { return {spinnerSize, spinnerSize}; }

private:
    void stop() {
        if (timer_) timer_->invalidate();
        timer_.reset();
    }
    std::shared_ptr<Timer> timer_;
    // Starts with the last spoke brightest, the picture of a spinner at rest.
    int phase_ = spokeCount - 1;
};

AnyView spinner() { return makeView<SpinnerNode, bool>(true); }

AnyView bar(double fraction) {
    const double f = std::clamp(fraction, 0.0, 1.0);
    FlexibleFrame fill;
    fill.maxWidth = infinity;
    fill.minHeight = 6;
    fill.maxHeight = 6;
    return ZStack(Alignment::leading(), {
        Capsule().fill(controls::trackColor()),
        CustomShape([f](const CGRect& r) { return Path::capsule(CGRect(r.minX(), r.minY(), r.width() * f, r.height())); })
            .fill(Color::accentColor()),
    }).frame(fill);
}

} // namespace

AnyView ProgressView::body() const {
    const ProgressViewStyle style = *style_;
    const bool circular = style == ProgressViewStyle::circular || (style == ProgressViewStyle::automatic && !fraction_);
    if (circular) return spinner();
    return bar(fraction_.value_or(0));
}

} // namespace glimmo
