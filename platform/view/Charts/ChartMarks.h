#pragma once

// The marks of a chart: lines, points and bars over plottable values.
//
//     LineMark(PlottableValue::value("Hour", hour, CalendarComponent::hour), PlottableValue::value("Switches", n))
//         .foregroundStyle(standardGradient(colour))
//         .interpolationMethod(InterpolationMethod::catmullRom(0.5))
//
// A date value with a unit stands for the whole interval (an hour, a day) that starts at the date: marks
// sit in its middle and bars span most of it. Bars at the same x are stacked in the order they are
// declared, each on top of the previous one.

#include "platform/runtime/Date.h"
#include "platform/view/Path.h"
#include "platform/view/ShapeStyle.h"

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace glimmo {

enum class CalendarComponent : std::uint8_t { second, minute, hour, day, weekOfYear, month, year };

// A value with its label (the axis title it would take): a number, a date or a category name.
struct PlottableValue {
    std::string label;
    std::variant<double, Date, std::string> stored;
    std::optional<CalendarComponent> unit;

    template <class N>
        requires std::is_arithmetic_v<N>
    static PlottableValue value(std::string label, N number) {
        return {std::move(label), static_cast<double>(number), std::nullopt};
    }
    static PlottableValue value(std::string label, Date date, std::optional<CalendarComponent> unit = std::nullopt) {
        return {std::move(label), date, unit};
    }
    static PlottableValue value(std::string label, std::string category) {
        return {std::move(label), std::move(category), std::nullopt};
    }
    static PlottableValue value(std::string label, const char* category) { return value(std::move(label), std::string(category)); }

    bool isDate() const { return std::holds_alternative<Date>(stored); }
    bool isCategory() const { return std::holds_alternative<std::string>(stored); }
    // The value on a numeric scale (seconds for dates; 0 for categories).
    double number() const;
};

// How a line joins its points.
struct InterpolationMethod {
    enum class Kind : std::uint8_t { linear, catmullRom, cardinal };
    Kind kind = Kind::linear;
    double parameter = 0;   // alpha of Catmull-Rom, tension of cardinal
    static InterpolationMethod linear() { return {}; }
    static InterpolationMethod catmullRom(double alpha = 0.5) { return {Kind::catmullRom, alpha}; }
    static InterpolationMethod cardinal(double tension = 0) { return {Kind::cardinal, tension}; }
};

struct ChartMark {
    enum class Kind : std::uint8_t { line, point, bar };
    Kind kind = Kind::point;
    PlottableValue x;
    PlottableValue y;
    std::optional<AnyShapeStyle> style;          // foregroundStyle(_:)
    std::optional<std::string> series;           // foregroundStyle(by:): the series name
    InterpolationMethod interpolation;
    CGFloat cornerRadius = 0;
    Path::RoundedCornerStyle cornerStyle = Path::RoundedCornerStyle::circular;
    CGFloat lineWidth = 2;
    CGFloat symbolSize = 30;                     // area of a point's symbol, square points
};

// The modifiers shared by every mark type; each returns the mark changed.
template <class Self>
class MarkBuilder {
public:
    Self foregroundStyle(const AnyShapeStyle& style) const { return with([&](ChartMark& m) { m.style = style; }); }
    // foregroundStyle(by:): the colour comes from the chart's colour scale for this series value.
    Self foregroundStyle(const PlottableValue& series) const {
        return with([&](ChartMark& m) {
            if (const auto* name = std::get_if<std::string>(&series.stored)) m.series = *name;
        });
    }
    operator ChartMark() const { return mark_; } // NOLINT: marks go into chart content as they are
    const ChartMark& mark() const { return mark_; }

protected:
    MarkBuilder(ChartMark::Kind kind, PlottableValue x, PlottableValue y) {
        mark_.kind = kind;
        mark_.x = std::move(x);
        mark_.y = std::move(y);
    }
    template <class F>
    Self with(F&& change) const {
        Self copy = static_cast<const Self&>(*this);
        change(copy.mark_);
        return copy;
    }
    ChartMark mark_;
};

class LineMark : public MarkBuilder<LineMark> {
public:
    LineMark(PlottableValue x, PlottableValue y) : MarkBuilder(ChartMark::Kind::line, std::move(x), std::move(y)) {}
    LineMark interpolationMethod(InterpolationMethod m) const { return with([&](ChartMark& k) { k.interpolation = m; }); }
    LineMark lineWidth(CGFloat w) const { return with([&](ChartMark& k) { k.lineWidth = w; }); }
};

class PointMark : public MarkBuilder<PointMark> {
public:
    PointMark(PlottableValue x, PlottableValue y) : MarkBuilder(ChartMark::Kind::point, std::move(x), std::move(y)) {}
    PointMark symbolSize(CGFloat area) const { return with([&](ChartMark& k) { k.symbolSize = area; }); }
};

class BarMark : public MarkBuilder<BarMark> {
public:
    BarMark(PlottableValue x, PlottableValue y) : MarkBuilder(ChartMark::Kind::bar, std::move(x), std::move(y)) {}
    BarMark cornerRadius(CGFloat radius, Path::RoundedCornerStyle style = Path::RoundedCornerStyle::circular) const {
        return with([&](ChartMark& k) {
            k.cornerRadius = radius;
            k.cornerStyle = style;
        });
    }
};

using ChartContent = std::vector<ChartMark>;

} // namespace glimmo
