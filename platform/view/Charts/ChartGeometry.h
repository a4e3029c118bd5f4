#pragma once

// Where a chart's parts go (internal to the charts, public for tests): the scales and axis values that
// follow from the marks alone, then the positions of marks and axis values in a plot rectangle.

#include "platform/view/Charts/Chart.h"
#include "platform/view/Geometry.h"

#include <optional>
#include <string>
#include <vector>

namespace glimmo {

class Calendar;

// One axis value with what the axis marks show for it.
struct ResolvedTick {
    AxisValue value;
    AxisMarkContent parts;
};

struct ResolvedAxis {
    AxisMarkPosition position = AxisMarkPosition::bottom; // never automatic
    bool isX = true;
    std::vector<ResolvedTick> ticks;
};

struct ChartScales {
    ScaleDomain x;
    ScaleDomain y;
    bool xIsCategorical = false;
    std::vector<std::string> categories;   // x categories in order of appearance
    std::vector<ResolvedAxis> axes;
    std::vector<std::string> series;       // series names in order of appearance
};

ChartScales resolveScales(const ChartModel& model, const Calendar& calendar);

struct ChartGeometry {
    CGRect plot;
    // Per mark, in the order of the chart's marks: a bar's rectangle, or a line or point mark's point.
    std::vector<CGRect> markRects;
    std::vector<CGPoint> markPoints;
    // One polyline or curve per line series, with the index of a mark of that series (for its style).
    struct Line {
        Path path;
        std::size_t firstMark = 0;
    };
    std::vector<Line> lines;
    CGFloat xPosition(double value) const;
    CGFloat yPosition(double value) const;
    ScaleDomain xDomain;
    ScaleDomain yDomain;
};

ChartGeometry layoutChart(const ChartModel& model, const ChartScales& scales, const CGRect& plot, const Calendar& calendar);

// The number where a mark's x value sits on the scale: the middle of its unit for dates with a unit,
// the category's index for categories.
double xScaleValue(const PlottableValue& x, const ChartScales& scales, const Calendar& calendar);
// The default text of an axis value: whole numbers without decimals, dates as "HH:mm" or "M/d".
std::string defaultAxisLabel(const AxisValue& value, const Calendar& calendar);
// The colour style of a series: the chart's scale, else the standard palette by order of appearance.
AnyShapeStyle seriesStyle(const ChartModel& model, const ChartScales& scales, const std::string& series);
AnyShapeStyle markStyle(const ChartModel& model, const ChartScales& scales, const ChartMark& mark);

} // namespace glimmo
