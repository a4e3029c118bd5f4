#pragma once

// A length that follows the user's text size relative to a text style (SwiftUI's ScaledMetric). The
// text size factor comes from the environment (1 unless a host sets another), the same for every text
// style.

#include "platform/view/Font.h"
#include "platform/view/State.h"

namespace glimmo {

struct TextSizeFactorKey {
    using Value = double;
    static Value defaultValue() { return 1.0; }
};

class ScaledMetric : public detail::DynamicProperty {
public:
    explicit ScaledMetric(double baseValue, Font::TextStyle relativeTo = Font::TextStyle::body)
        : base_(baseValue), style_(relativeTo) {}
    ScaledMetric(const ScaledMetric& o) : DynamicProperty(o), base_(o.base_), style_(o.style_), factor_(o.factor_) {}
    ScaledMetric& operator=(const ScaledMetric&) = delete;

    double get() const { return base_ * factor_; }
    double operator*() const { return get(); }
    Font::TextStyle textStyle() const { return style_; }

    void install(detail::PropertyHost& host, std::size_t key) override { refresh(host, key); }
    void refresh(detail::PropertyHost& host, std::size_t) override { factor_ = host.environmentValues().get<TextSizeFactorKey>(); }

private:
    double base_;
    Font::TextStyle style_;
    double factor_ = 1.0;
};

} // namespace glimmo
