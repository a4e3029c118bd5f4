#include "platform/view/Charts/ChartGeometry.h"

#include "platform/foundation/Calendar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace glimmo {
namespace {

constexpr double barWidthRatio = 0.7;
constexpr int defaultTickCount = 5;

Date addUnits(const Calendar& calendar, Date d, CalendarComponent c, int n) {
    switch (c) {
    case CalendarComponent::second: return calendar.addingSeconds(d, n);
    case CalendarComponent::minute: return calendar.addingMinutes(d, n);
    case CalendarComponent::hour: return calendar.addingHours(d, n);
    case CalendarComponent::day: return calendar.addingDays(d, n);
    case CalendarComponent::weekOfYear: return calendar.addingWeeks(d, n);
    case CalendarComponent::month: return calendar.addingMonths(d, n);
    case CalendarComponent::year: return calendar.addingMonths(d, 12 * n);
    }
    return d;
}

Date startOfUnit(const Calendar& calendar, Date d, CalendarComponent c) {
    switch (c) {
    case CalendarComponent::second: return Date{std::floor(d.secondsSinceReferenceDate)};
    case CalendarComponent::minute: {
        const auto parts = calendar.components(d);
        return calendar.date(parts.year, parts.month, parts.day, parts.hour, parts.minute);
    }
    case CalendarComponent::hour: {
        const auto parts = calendar.components(d);
        return calendar.date(parts.year, parts.month, parts.day, parts.hour);
    }
    case CalendarComponent::day: return calendar.startOfDay(d);
    case CalendarComponent::weekOfYear: return calendar.startOfWeek(d);
    case CalendarComponent::month: return calendar.startOfMonth(d);
    case CalendarComponent::year: return calendar.date(calendar.year(d), 1, 1);
    }
    return d;
}

double niceStep(double span, int desired) {
    if (span <= 0 || desired <= 0) return 1;
    const double raw = span / desired;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (raw <= m * magnitude * 1.0000001) return m * magnitude;
    }
    return 10 * magnitude;
}

std::vector<double> numberTicks(ScaleDomain d, double step) {
    std::vector<double> ticks;
    if (step <= 0) return ticks;
    for (double t = std::ceil(d.lower / step - 1e-9) * step; t <= d.upper + step * 1e-9 && ticks.size() < 1000; t += step) {
        ticks.push_back(std::abs(t) < step * 1e-9 ? 0 : t);
    }
    return ticks;
}

std::vector<double> dateTicks(ScaleDomain d, CalendarComponent c, int count, const Calendar& calendar) {
    std::vector<double> ticks;
    count = std::max(count, 1);
    Date t = startOfUnit(calendar, Date{d.lower}, c);
    while (t.secondsSinceReferenceDate < d.lower - 1e-6) t = addUnits(calendar, t, c, 1);
    // Strides of hours and minutes count from the start of the day (00:00, 03:00, ...).
    if (c == CalendarComponent::hour || c == CalendarComponent::minute) {
        while (true) {
            const auto parts = calendar.components(t);
            const int v = c == CalendarComponent::hour ? parts.hour : parts.minute;
            if (v % count == 0) break;
            t = addUnits(calendar, t, c, 1);
        }
    }
    // The end of the domain takes no mark: its label would stand outside the chart.
    while (t.secondsSinceReferenceDate < d.upper - 1e-6 && ticks.size() < 1000) {
        ticks.push_back(t.secondsSinceReferenceDate);
        t = addUnits(calendar, t, c, count);
    }
    if (ticks.empty() && d.upper == d.lower) ticks.push_back(d.lower);
    return ticks;
}

struct StackedValue {
    double lower = 0;
    double upper = 0;
};

// Bars at the same x are stacked in declaration order: positive values upwards, negative downwards.
std::vector<StackedValue> stackBars(const ChartModel& model, const ChartScales* scales, const Calendar& calendar) {
    std::vector<StackedValue> out(model.marks.size());
    std::map<double, std::pair<double, double>> tops; // x -> (positive top, negative bottom)
    for (std::size_t i = 0; i < model.marks.size(); ++i) {
        const ChartMark& m = model.marks[i];
        const double y = m.y.number();
        if (m.kind != ChartMark::Kind::bar) {
            out[i] = {y, y};
            continue;
        }
        const double x = scales ? xScaleValue(m.x, *scales, calendar) : m.x.number();
        auto& [positive, negative] = tops[x];
        if (y >= 0) {
            out[i] = {positive, positive + y};
            positive += y;
        } else {
            out[i] = {negative + y, negative};
            negative += y;
        }
    }
    return out;
}

double unitLength(const PlottableValue& x, const Calendar& calendar) {
    if (!x.isDate() || !x.unit) return 0;
    const Date start = std::get<Date>(x.stored);
    return addUnits(calendar, start, *x.unit, 1).timeIntervalSince(start);
}

std::vector<ResolvedTick> ticksFor(const AxisMarks& marks, const ScaleDomain& domain, bool dates, int fallbackCount,
                                   const Calendar& calendar, const ChartScales& scales, bool isX) {
    std::vector<double> values;
    switch (marks.values.kind) {
    case AxisMarkValues::Kind::automatic:
        if (isX && scales.xIsCategorical) {
            for (std::size_t i = 0; i < scales.categories.size(); ++i) values.push_back(static_cast<double>(i));
        } else if (dates) {
            const double span = domain.upper - domain.lower;
            const CalendarComponent c = span <= 2 * 86400.0 ? CalendarComponent::hour : CalendarComponent::day;
            const double unit = c == CalendarComponent::hour ? 3600.0 : 86400.0;
            const int desired = marks.values.desiredCount.value_or(fallbackCount);
            values = dateTicks(domain, c, std::max(1, static_cast<int>(std::ceil(span / unit / desired))), calendar);
        } else {
            values = numberTicks(domain, niceStep(domain.upper - domain.lower, marks.values.desiredCount.value_or(fallbackCount)));
        }
        break;
    case AxisMarkValues::Kind::dateStride:
        values = dateTicks(domain, marks.values.component, marks.values.count, calendar);
        break;
    case AxisMarkValues::Kind::numberStride:
        values = numberTicks(domain, marks.values.step);
        break;
    case AxisMarkValues::Kind::given:
        for (double v : marks.values.values) {
            if (v >= domain.lower - 1e-9 && v <= domain.upper + 1e-9) values.push_back(v);
        }
        break;
    }
    std::vector<ResolvedTick> ticks;
    for (std::size_t i = 0; i < values.size(); ++i) {
        AxisValue v;
        v.number = values[i];
        if (dates) v.date = Date{values[i]};
        v.index = static_cast<int>(i);
        v.count = static_cast<int>(values.size());
        AxisMarkContent parts = marks.content ? marks.content(v) : AxisMarkContent{AxisGridLine{}, AxisTick{}, AxisValueLabel{}};
        ticks.push_back({v, std::move(parts)});
    }
    return ticks;
}

} // namespace

double PlottableValue::number() const {
    if (const auto* d = std::get_if<double>(&stored)) return *d;
    if (const auto* d = std::get_if<Date>(&stored)) return d->secondsSinceReferenceDate;
    return 0;
}

double xScaleValue(const PlottableValue& x, const ChartScales& scales, const Calendar& calendar) {
    if (const auto* name = std::get_if<std::string>(&x.stored)) {
        const auto it = std::find(scales.categories.begin(), scales.categories.end(), *name);
        return static_cast<double>(it - scales.categories.begin());
    }
    return x.number() + unitLength(x, calendar) / 2;
}

ChartScales resolveScales(const ChartModel& model, const Calendar& calendar) {
    ChartScales s;
    bool xDates = false;
    double xMin = infinity, xMax = -infinity;
    for (const ChartMark& m : model.marks) {
        if (m.series && std::find(s.series.begin(), s.series.end(), *m.series) == s.series.end()) s.series.push_back(*m.series);
        if (const auto* name = std::get_if<std::string>(&m.x.stored)) {
            s.xIsCategorical = true;
            if (std::find(s.categories.begin(), s.categories.end(), *name) == s.categories.end()) s.categories.push_back(*name);
            continue;
        }
        xDates = xDates || m.x.isDate();
        xMin = std::min(xMin, m.x.number());
        xMax = std::max(xMax, m.x.number() + unitLength(m.x, calendar));
    }
    // x: fixed, the categories' bands, or the data's extent (bars get half a step of room at each end).
    if (model.xDomain) {
        s.x = *model.xDomain;
    } else if (s.xIsCategorical) {
        s.x = {-0.5, static_cast<double>(s.categories.size()) - 0.5};
    } else if (xMin > xMax) {
        s.x = {0, 1};
    } else {
        s.x = {xMin, xMax};
        const bool unitless = std::none_of(model.marks.begin(), model.marks.end(), [](const ChartMark& m) { return m.x.unit.has_value(); });
        const bool hasBars = std::any_of(model.marks.begin(), model.marks.end(), [](const ChartMark& m) { return m.kind == ChartMark::Kind::bar; });
        if (unitless && hasBars) {
            std::vector<double> xs;
            for (const ChartMark& m : model.marks) xs.push_back(m.x.number());
            std::sort(xs.begin(), xs.end());
            double step = 0;
            for (std::size_t i = 1; i < xs.size(); ++i) {
                if (xs[i] > xs[i - 1]) step = step == 0 ? xs[i] - xs[i - 1] : std::min(step, xs[i] - xs[i - 1]);
            }
            if (step == 0) step = 1;
            s.x = {xMin - step / 2, xMax + step / 2};
        }
        if (s.x.upper <= s.x.lower) s.x = {s.x.lower - 1, s.x.upper + 1};
    }
    // y: fixed, or from zero (or the lowest value) to a nice value at or above the highest stack.
    const auto stacked = stackBars(model, &s, calendar);
    double yMin = 0, yMax = 0;
    for (const auto& v : stacked) {
        yMin = std::min(yMin, v.lower);
        yMax = std::max(yMax, v.upper);
    }
    int desired = defaultTickCount;
    if (model.yAxis) {
        for (const AxisMarks& a : *model.yAxis) {
            if (a.values.kind == AxisMarkValues::Kind::automatic && a.values.desiredCount) desired = *a.values.desiredCount;
        }
    }
    if (model.yDomain) {
        s.y = *model.yDomain;
    } else {
        if (yMax <= yMin) yMax = yMin + 1;
        const double step = niceStep(yMax - yMin, desired);
        s.y = {std::floor(yMin / step + 1e-9) * step, std::ceil(yMax / step - 1e-9) * step};
        if (s.y.lower == -0.0) s.y.lower = 0;
    }

    // Axes: the configured marks, else automatic marks at the bottom and the trailing side.
    const auto addAxes = [&](const std::optional<std::vector<AxisMarks>>& configured, bool isX, bool hidden) {
        if (hidden) return;
        const std::vector<AxisMarks> marks = configured.value_or(std::vector<AxisMarks>{AxisMarks()});
        for (const AxisMarks& m : marks) {
            ResolvedAxis axis;
            axis.isX = isX;
            axis.position = m.position;
            if (axis.position == AxisMarkPosition::automatic) axis.position = isX ? AxisMarkPosition::bottom : AxisMarkPosition::trailing;
            axis.ticks = ticksFor(m, isX ? s.x : s.y, isX && xDates, defaultTickCount, calendar, s, isX);
            s.axes.push_back(std::move(axis));
        }
    };
    addAxes(model.xAxis, true, model.xAxisHidden);
    addAxes(model.yAxis, false, model.yAxisHidden);
    return s;
}

CGFloat ChartGeometry::xPosition(double value) const {
    const double span = xDomain.upper - xDomain.lower;
    return plot.minX() + static_cast<CGFloat>((value - xDomain.lower) / (span == 0 ? 1 : span)) * plot.width();
}

CGFloat ChartGeometry::yPosition(double value) const {
    const double span = yDomain.upper - yDomain.lower;
    return plot.maxY() - static_cast<CGFloat>((value - yDomain.lower) / (span == 0 ? 1 : span)) * plot.height();
}

namespace {

CGPoint sub(CGPoint a, CGPoint b) { return {a.x - b.x, a.y - b.y}; }
CGFloat length(CGPoint v) { return std::hypot(v.x, v.y); }

// Catmull-Rom through the points with the given alpha (0.5: centripetal), as cubic Bézier segments.
void addCatmullRom(Path& path, const std::vector<CGPoint>& p, double alpha) {
    for (std::size_t i = 0; i + 1 < p.size(); ++i) {
        const CGPoint p0 = i == 0 ? p[i] : p[i - 1];
        const CGPoint p1 = p[i], p2 = p[i + 1];
        const CGPoint p3 = i + 2 < p.size() ? p[i + 2] : p[i + 1];
        const double l01 = std::pow(length(sub(p1, p0)), alpha), l12 = std::pow(length(sub(p2, p1)), alpha),
                     l23 = std::pow(length(sub(p3, p2)), alpha);
        CGPoint c1 = p1, c2 = p2;
        if (l01 > 1e-6) {
            const double a = 2 * l01 * l01 + 3 * l01 * l12 + l12 * l12, n = 3 * l01 * (l01 + l12);
            c1 = {(p1.x * a - p0.x * l12 * l12 + p2.x * l01 * l01) / n, (p1.y * a - p0.y * l12 * l12 + p2.y * l01 * l01) / n};
        }
        if (l23 > 1e-6) {
            const double b = 2 * l23 * l23 + 3 * l23 * l12 + l12 * l12, m = 3 * l23 * (l23 + l12);
            c2 = {(p2.x * b + p1.x * l23 * l23 - p3.x * l12 * l12) / m, (p2.y * b + p1.y * l23 * l23 - p3.y * l12 * l12) / m};
        }
        path.addCurve(p2, c1, c2);
    }
}

void addCardinal(Path& path, const std::vector<CGPoint>& p, double tension) {
    const double k = (1 - tension) / 6;
    for (std::size_t i = 0; i + 1 < p.size(); ++i) {
        const CGPoint p0 = i == 0 ? p[i] : p[i - 1];
        const CGPoint p1 = p[i], p2 = p[i + 1];
        const CGPoint p3 = i + 2 < p.size() ? p[i + 2] : p[i + 1];
        path.addCurve(p2, {p1.x + k * (p2.x - p0.x), p1.y + k * (p2.y - p0.y)}, {p2.x - k * (p3.x - p1.x), p2.y - k * (p3.y - p1.y)});
    }
}

} // namespace

ChartGeometry layoutChart(const ChartModel& model, const ChartScales& scales, const CGRect& plot, const Calendar& calendar) {
    ChartGeometry g;
    g.plot = plot;
    g.xDomain = scales.x;
    g.yDomain = scales.y;
    const auto stacked = stackBars(model, &scales, calendar);
    g.markRects.resize(model.marks.size(), CGRect());
    g.markPoints.resize(model.marks.size(), CGPoint());

    // The band a bar takes: its unit's span, else the smallest distance between bars (or a category).
    double band = 0;
    {
        std::vector<double> xs;
        for (const ChartMark& m : model.marks) {
            if (m.kind == ChartMark::Kind::bar) xs.push_back(xScaleValue(m.x, scales, calendar));
        }
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        for (std::size_t i = 1; i < xs.size(); ++i) band = band == 0 ? xs[i] - xs[i - 1] : std::min(band, xs[i] - xs[i - 1]);
        if (band == 0) band = scales.x.upper - scales.x.lower;
    }
    const double xSpan = scales.x.upper - scales.x.lower;
    const auto bandWidth = [&](const ChartMark& m) {
        const double units = unitLength(m.x, calendar);
        const double b = units > 0 ? units : scales.xIsCategorical ? 1.0 : band;
        return static_cast<CGFloat>(b / (xSpan == 0 ? 1 : xSpan)) * plot.width() * barWidthRatio;
    };

    for (std::size_t i = 0; i < model.marks.size(); ++i) {
        const ChartMark& m = model.marks[i];
        const CGFloat x = g.xPosition(xScaleValue(m.x, scales, calendar));
        if (m.kind == ChartMark::Kind::bar) {
            const CGFloat w = bandWidth(m);
            const CGFloat top = g.yPosition(stacked[i].upper), bottom = g.yPosition(stacked[i].lower);
            g.markRects[i] = CGRect(x - w / 2, top, w, bottom - top);
            g.markPoints[i] = {x, top};
        } else {
            g.markPoints[i] = {x, g.yPosition(m.y.number())};
        }
    }

    // One line per series, through its points in the order of the marks.
    std::vector<std::optional<std::string>> seen;
    for (std::size_t i = 0; i < model.marks.size(); ++i) {
        const ChartMark& m = model.marks[i];
        if (m.kind != ChartMark::Kind::line || std::find(seen.begin(), seen.end(), m.series) != seen.end()) continue;
        seen.push_back(m.series);
        std::vector<CGPoint> points;
        for (std::size_t j = i; j < model.marks.size(); ++j) {
            if (model.marks[j].kind == ChartMark::Kind::line && model.marks[j].series == m.series) points.push_back(g.markPoints[j]);
        }
        ChartGeometry::Line line;
        line.firstMark = i;
        line.path.move(points.front());
        if (m.interpolation.kind == InterpolationMethod::Kind::catmullRom && points.size() > 2) {
            addCatmullRom(line.path, points, m.interpolation.parameter);
        } else if (m.interpolation.kind == InterpolationMethod::Kind::cardinal && points.size() > 2) {
            addCardinal(line.path, points, m.interpolation.parameter);
        } else {
            for (std::size_t k = 1; k < points.size(); ++k) line.path.addLine(points[k]);
        }
        g.lines.push_back(std::move(line));
    }
    return g;
}

std::string defaultAxisLabel(const AxisValue& value, const Calendar& calendar) {
    char text[64];
    if (value.date) {
        const auto parts = calendar.components(*value.date);
        if (parts.hour == 0 && parts.minute == 0) {
            std::snprintf(text, sizeof text, "%d/%d", parts.month, parts.day);
        } else {
            std::snprintf(text, sizeof text, "%02d:%02d", parts.hour, parts.minute);
        }
        return text;
    }
    if (std::abs(value.number - std::round(value.number)) < 1e-9) {
        std::snprintf(text, sizeof text, "%.0f", value.number);
    } else {
        std::snprintf(text, sizeof text, "%.2f", value.number);
        std::string s = text;
        while (!s.empty() && s.back() == '0') s.pop_back();
        return s;
    }
    return text;
}

AnyShapeStyle seriesStyle(const ChartModel& model, const ChartScales& scales, const std::string& series) {
    for (const auto& [name, style] : model.seriesStyles) {
        if (name == series) return style;
    }
    static const std::vector<Color> palette{Color::blue(), Color::green(), Color::orange(), Color::purple(),
                                            Color::red(), Color(0.35, 0.78, 0.98), Color::yellow()};
    const auto it = std::find(scales.series.begin(), scales.series.end(), series);
    const auto index = static_cast<std::size_t>(it - scales.series.begin());
    return palette[index % palette.size()];
}

AnyShapeStyle markStyle(const ChartModel& model, const ChartScales& scales, const ChartMark& mark) {
    if (mark.style) return *mark.style;
    if (mark.series) return seriesStyle(model, scales, *mark.series);
    return Color::accentColor();
}

} // namespace glimmo
