#include "platform/view/Controls/ProgressView.h"

#include "platform/view/Controls/ControlParts.h"
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

AnyView spinner() {
    std::vector<AnyView> spokes;
    for (int i = 0; i < spokeCount; ++i) {
        const double opacity = 0.25 + 0.6 * i / (spokeCount - 1);
        spokes.push_back(CustomShape([i](const CGRect& r) { return spoke(r, i); }).fill(Color::gray().opacity(opacity)));
    }
    return ZStack(Alignment::center(), std::move(spokes)).frame(spinnerSize, spinnerSize);
}

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
