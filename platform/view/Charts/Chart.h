#pragma once

// A chart of marks (the Charts framework's Chart): the marks are drawn in a plot area framed by the x
// axis below and the y axis at the trailing side (or where the axis marks put them); a legend of the
// series follows when marks are coloured by series. A chart takes the space it is offered.
//
//     Chart(switchData, [&](const AppSwitchData& d) {
//         return ChartContent{LineMark(...), PointMark(...)};
//     })
//         .chartXScale(today, tomorrow)
//         .chartYAxis({AxisMarks(AxisMarkPosition::leading, AxisMarkValues::automatic())})
//         .frame(std::nullopt, 150);
//
// Scales: y includes zero and ends on a nice value above the largest (stacked) value unless
// `chartYScale` fixes it; x spans the data (whole units for dates with a unit) unless `chartXScale`
// fixes it. Series colours come from `chartForegroundStyleScale`, else from the standard palette in
// order of appearance.

#include "platform/view/Charts/ChartAxes.h"
#include "platform/view/Charts/ChartMarks.h"
#include "platform/view/View.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {

struct ScaleDomain {
    double lower = 0;
    double upper = 1;
};

enum class Visibility : std::uint8_t { automatic, visible, hidden };

// Everything a chart is made of (the chart view keeps one and its modifiers change a copy).
struct ChartModel {
    ChartContent marks;
    std::optional<ScaleDomain> xDomain;
    std::optional<ScaleDomain> yDomain;
    std::optional<std::vector<AxisMarks>> xAxis;  // none: automatic marks at the bottom
    std::optional<std::vector<AxisMarks>> yAxis;  // none: automatic marks at the trailing side
    bool xAxisHidden = false;
    bool yAxisHidden = false;
    std::vector<std::pair<std::string, AnyShapeStyle>> seriesStyles;
    Visibility legend = Visibility::automatic;
};

class Chart : public View<Chart> {
public:
    explicit Chart(ChartContent marks) { model_->marks = std::move(marks); }
    // Chart(data) { item in marks }: the marks of every element in order (ForEach inside a chart).
    template <class Collection, class Build>
        requires std::invocable<Build, const typename Collection::value_type&>
    Chart(const Collection& data, Build build) {
        for (const auto& item : data) {
            auto made = build(item);
            if constexpr (std::same_as<decltype(made), ChartContent>) {
                model_->marks.insert(model_->marks.end(), made.begin(), made.end());
            } else {
                model_->marks.push_back(ChartMark(made));
            }
        }
    }

    Chart chartXScale(double lower, double upper) const { return with([&](ChartModel& m) { m.xDomain = ScaleDomain{lower, upper}; }); }
    Chart chartXScale(Date lower, Date upper) const {
        return chartXScale(lower.secondsSinceReferenceDate, upper.secondsSinceReferenceDate);
    }
    Chart chartYScale(double lower, double upper) const { return with([&](ChartModel& m) { m.yDomain = ScaleDomain{lower, upper}; }); }
    Chart chartXAxis(std::vector<AxisMarks> marks) const { return with([&](ChartModel& m) { m.xAxis = std::move(marks); }); }
    Chart chartYAxis(std::vector<AxisMarks> marks) const { return with([&](ChartModel& m) { m.yAxis = std::move(marks); }); }
    Chart chartXAxis(Visibility v) const { return with([&](ChartModel& m) { m.xAxisHidden = v == Visibility::hidden; }); }
    Chart chartYAxis(Visibility v) const { return with([&](ChartModel& m) { m.yAxisHidden = v == Visibility::hidden; }); }
    Chart chartForegroundStyleScale(std::vector<std::pair<std::string, AnyShapeStyle>> styles) const {
        return with([&](ChartModel& m) { m.seriesStyles = std::move(styles); });
    }
    Chart chartLegend(Visibility v) const { return with([&](ChartModel& m) { m.legend = v; }); }

    const ChartModel& model() const { return *model_; }
    AnyView body() const;

private:
    template <class F>
    Chart with(F&& change) const {
        Chart copy = *this;
        auto model = std::make_shared<ChartModel>(*model_);
        change(*model);
        copy.model_ = std::move(model);
        return copy;
    }
    std::shared_ptr<ChartModel> model_ = std::make_shared<ChartModel>();
};

// The platform's standard gradient of a colour (Color.gradient): the colour lightened a little at the
// top, the colour itself at the bottom.
AnyShapeStyle standardGradient(const Color& color);

} // namespace glimmo
