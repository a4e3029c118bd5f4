#pragma once

// Axis marks of a chart: where the marks go (automatic nice values, a stride of calendar units or of a
// number, or given values), on which side, and what each shows (grid line, tick, value label).
//
//     AxisMarks(AxisMarkPosition::leading, AxisMarkValues::automatic(6))           // grid, tick, label
//     AxisMarks(AxisMarkValues::stride(CalendarComponent::hour, 3), [](const AxisValue& v) {
//         AxisMarkContent c;
//         if (auto date = v.as<Date>()) c.push_back(AxisValueLabel(Text(hourText(*date)).font(Font::system(10))));
//         return c;
//     })

#include "platform/view/Charts/ChartMarks.h"
#include "platform/view/View.h"

#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace glimmo {

// One value an axis mark stands for.
struct AxisValue {
    double number = 0;
    std::optional<Date> date;
    int index = 0;
    int count = 0;
    template <class T>
    std::optional<T> as() const {
        if constexpr (std::same_as<T, Date>) {
            return date;
        } else {
            if (date) return std::nullopt;
            return static_cast<T>(number);
        }
    }
};

struct AxisGridLine {};
struct AxisTick {};
// The value's label: the given view, or the value formatted by the chart. A date's label starts
// at its mark, or with `centered` sits in the middle of the interval up to the next mark (under a
// bar of that unit, as a category's label sits under its bar).
struct AxisValueLabel {
    AxisValueLabel() = default;
    explicit AxisValueLabel(AnyView content, bool centered = false) : content(std::move(content)), centered(centered) {}
    std::optional<AnyView> content;
    bool centered = false;
};
using AxisMarkPart = std::variant<AxisGridLine, AxisTick, AxisValueLabel>;
using AxisMarkContent = std::vector<AxisMarkPart>;

enum class AxisMarkPosition : std::uint8_t { automatic, leading, trailing, top, bottom };

struct AxisMarkValues {
    enum class Kind : std::uint8_t { automatic, dateStride, numberStride, given };
    Kind kind = Kind::automatic;
    std::optional<int> desiredCount;
    CalendarComponent component = CalendarComponent::day;
    int count = 1;
    double step = 1;
    std::vector<double> values;
    static AxisMarkValues automatic(std::optional<int> desiredCount = std::nullopt) {
        AxisMarkValues v;
        v.desiredCount = desiredCount;
        return v;
    }
    static AxisMarkValues stride(CalendarComponent component, int count = 1) {
        AxisMarkValues v;
        v.kind = Kind::dateStride;
        v.component = component;
        v.count = count;
        return v;
    }
    static AxisMarkValues stride(double step) {
        AxisMarkValues v;
        v.kind = Kind::numberStride;
        v.step = step;
        return v;
    }
    static AxisMarkValues given(std::vector<double> values) {
        AxisMarkValues v;
        v.kind = Kind::given;
        v.values = std::move(values);
        return v;
    }
};

struct AxisMarks {
    AxisMarks() = default;
    explicit AxisMarks(AxisMarkValues values) : values(std::move(values)) {}
    AxisMarks(AxisMarkPosition position, AxisMarkValues values) : position(position), values(std::move(values)) {}
    AxisMarks(AxisMarkValues values, std::function<AxisMarkContent(const AxisValue&)> content)
        : values(std::move(values)), content(std::move(content)) {}
    AxisMarks(AxisMarkPosition position, AxisMarkValues values, std::function<AxisMarkContent(const AxisValue&)> content)
        : position(position), values(std::move(values)), content(std::move(content)) {}

    AxisMarkPosition position = AxisMarkPosition::automatic;
    AxisMarkValues values;
    // None: a grid line, a tick and a formatted label for every value.
    std::function<AxisMarkContent(const AxisValue&)> content;
};

} // namespace glimmo
