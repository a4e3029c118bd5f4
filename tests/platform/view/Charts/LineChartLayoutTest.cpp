#include "ChartTestSupport.h"

#include "platform/foundation/Calendar.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace glimmo {
namespace {

using testing::TestHost;

struct HourCount {
    int id;
    Date hour;
    int switches;
};

const RGBA pointColour{229 / 255.0, 87 / 255.0, 76 / 255.0, 1};

// Today's context switches: a smooth line and a point per hour over the whole day.
AnyView hourlyChart(const std::vector<HourCount>& data, Date today) {
    const Calendar calendar = Calendar::current();
    const Color colour(pointColour);
    return Chart(data, [colour](const HourCount& d) {
               return ChartContent{
                   LineMark(PlottableValue::value("Hour", d.hour, CalendarComponent::hour), PlottableValue::value("Switches", d.switches))
                       .foregroundStyle(standardGradient(colour))
                       .interpolationMethod(InterpolationMethod::catmullRom(0.5)),
                   PointMark(PlottableValue::value("Hour", d.hour, CalendarComponent::hour), PlottableValue::value("Switches", d.switches))
                       .foregroundStyle(colour),
               };
           })
        .chartXScale(today, calendar.addingDays(today, 1))
        .chartYAxis({AxisMarks(AxisMarkPosition::leading, AxisMarkValues::automatic(), [](const AxisValue& v) {
            return testing::labelOnly(Text(std::to_string(*v.as<int>())).accessibilityLabel("y" + std::to_string(*v.as<int>())));
        })})
        .chartXAxis({AxisMarks(AxisMarkValues::stride(CalendarComponent::hour, 3), [calendar](const AxisValue& v) {
            AxisMarkContent content;
            if (const auto date = v.as<Date>()) {
                char text[8];
                std::snprintf(text, sizeof text, "%02d:00", calendar.hour(*date));
                content.push_back(AxisValueLabel(Text(text).font(Font::system(10)).accessibilityLabel(text)));
            }
            return content;
        })})
        .frame(std::nullopt, 150);
}

std::vector<HourCount> day(Date today, const std::vector<int>& counts) {
    const Calendar calendar = Calendar::current();
    std::vector<HourCount> out;
    for (int h = 0; h < 24; ++h) out.push_back({h, calendar.addingHours(today, h), h < static_cast<int>(counts.size()) ? counts[h] : 0});
    return out;
}

TEST(LineChartLayoutTest, PointsSitInTheMiddleOfTheirHourAtTheirValue) {
    testing::UtcCalendar utc;
    const Date today = Calendar::current().date(2026, 12, 7);
    TestHost t(hourlyChart(day(today, {0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 2}), today), {400, 150});
    const auto points = testing::filledRects(t.host().displayList(), pointColour);
    ASSERT_EQ(points.size(), 24u);
    const CGFloat bottom = t.frame("y0").midY(), top = t.frame("y5").midY();
    EXPECT_FALSE(t.has("y6")) << "a highest value of 5 ends the scale at 5";
    const CGFloat left = t.frame("y0").maxX() + 4, width = 400 - left;
    for (int h = 0; h < 24; ++h) EXPECT_NEAR(points[h].midX(), left + (h + 0.5) / 24 * width, 1e-6) << h;
    EXPECT_NEAR(points[9].midY(), top, 1e-6);
    EXPECT_NEAR(points[10].midY(), bottom - 0.4 * (bottom - top), 1e-6);
    EXPECT_NEAR(points[0].midY(), bottom, 1e-6);
    // A 30-square-point symbol is a circle of about 6.2 points.
    EXPECT_NEAR(points[0].width(), 6.18, 0.01);
}

TEST(LineChartLayoutTest, TheLineIsOneSmoothGradientCurveThroughEveryPoint) {
    testing::UtcCalendar utc;
    const Date today = Calendar::current().date(2026, 12, 7);
    TestHost t(hourlyChart(day(today, {1, 4, 1, 4}), today), {400, 150});
    const auto& list = t.host().displayList();
    const auto points = testing::filledRects(list, pointColour);
    int lines = 0;
    for (const auto& item : list.items) {
        const auto* stroke = std::get_if<StrokeItem>(&item);
        if (!stroke || !std::holds_alternative<GradientPaint>(stroke->paint)) continue;
        ++lines;
        const auto& elements = stroke->path.elements();
        EXPECT_EQ(elements.size(), 24u) << "a move and 23 curve segments";
        const CGRect bounds = stroke->path.boundingRect();
        EXPECT_NEAR(bounds.minX(), points.front().midX(), 1e-6);
        EXPECT_NEAR(bounds.maxX(), points.back().midX(), 1e-6);
        const auto& gradient = std::get<GradientPaint>(stroke->paint);
        ASSERT_EQ(gradient.stops.size(), 2u);
        EXPECT_GT(gradient.stops[0].color.green, gradient.stops[1].color.green) << "lighter at the top";
        EXPECT_NEAR(gradient.stops[1].color.red, pointColour.red, 1e-9);
    }
    EXPECT_EQ(lines, 1);
}

TEST(LineChartLayoutTest, AnEmptyDayShowsPointsOnTheZeroLineAndALabelEveryThreeHours) {
    testing::UtcCalendar utc;
    const Date today = Calendar::current().date(2026, 12, 7);
    TestHost t(hourlyChart(day(today, {}), today), {400, 150});
    const auto points = testing::filledRects(t.host().displayList(), pointColour);
    ASSERT_EQ(points.size(), 24u);
    for (const auto& p : points) EXPECT_NEAR(p.midY(), t.frame("y0").midY(), 1e-6);
    const CGFloat left = t.frame("y0").maxX() + 4, width = 400 - left;
    int h = 0;
    for (const char* label : {"00:00", "03:00", "06:00", "09:00", "12:00", "15:00", "18:00", "21:00"}) {
        ASSERT_TRUE(t.has(label)) << label;
        EXPECT_NEAR(t.frame(label).minX(), left + h / 24.0 * width + 2, 1e-6) << label;
        h += 3;
    }
    EXPECT_FALSE(t.has("01:00"));
}

} // namespace
} // namespace glimmo
