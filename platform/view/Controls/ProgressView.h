#pragma once

// A progress indicator: without a value a spinner (circular, the default), with a value in 0...1 a bar
// (linear, the default for a value). `progressViewStyle` picks the form. The spinner turns on a timer of
// the main run loop while it is on screen.

#include "platform/view/Controls/ControlStyles.h"
#include "platform/view/State.h"

#include <optional>

namespace glimmo {

class ProgressView : public View<ProgressView> {
public:
    ProgressView() = default;
    // ProgressView(value:total:)
    explicit ProgressView(double value, double total = 1.0) : fraction_(total > 0 ? value / total : 0) {}
    AnyView progressViewStyle(ProgressViewStyle style) const { return glimmo::progressViewStyle(*this, style); }
    AnyView body() const;

private:
    std::optional<double> fraction_;
    Environment<ProgressViewStyle> style_ = Environment<ProgressViewStyle>::key<ProgressViewStyleKey>();
};

} // namespace glimmo
