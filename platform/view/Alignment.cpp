#include "platform/view/Alignment.h"

namespace glimmo {
namespace {

struct Fraction final : AlignmentID {
    explicit Fraction(double f, bool horizontal) : fraction(f), horizontal(horizontal) {}
    CGFloat defaultValue(const ViewDimensions& d) const override {
        return fraction * (horizontal ? d.width() : d.height());
    }
    double fraction;
    bool horizontal;
};

// Views without text put their baselines at the bottom edge.
struct Baseline final : AlignmentID {
    CGFloat defaultValue(const ViewDimensions& d) const override { return d.height(); }
};

const Fraction leadingID{0, true}, hCenterID{0.5, true}, trailingID{1, true};
const Fraction topID{0, false}, vCenterID{0.5, false}, bottomID{1, false};
const Baseline firstBaselineID, lastBaselineID;

} // namespace

HorizontalAlignment HorizontalAlignment::leading() { return {&leadingID}; }
HorizontalAlignment HorizontalAlignment::center() { return {&hCenterID}; }
HorizontalAlignment HorizontalAlignment::trailing() { return {&trailingID}; }
VerticalAlignment VerticalAlignment::top() { return {&topID}; }
VerticalAlignment VerticalAlignment::center() { return {&vCenterID}; }
VerticalAlignment VerticalAlignment::bottom() { return {&bottomID}; }
VerticalAlignment VerticalAlignment::firstTextBaseline() { return {&firstBaselineID}; }
VerticalAlignment VerticalAlignment::lastTextBaseline() { return {&lastBaselineID}; }

} // namespace glimmo
