#include "ChartTestSupport.h"

#include "platform/foundation/Calendar.h"
#include "platform/view/Charts/ChartGeometry.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

using testing::TestHost;

TEST(ChartScalesTest, SeriesTakeTheirScaleColoursAndAppearInTheLegendInOrder) {
    const RGBA red{1, 0, 0, 1}, blue{0, 0, 1, 1};
    const auto chart = [&](Visibility legend) {
        return Chart(ChartContent{
                         BarMark(PlottableValue::value("Day", "Mon"), PlottableValue::value("Minutes", 10))
                             .foregroundStyle(PlottableValue::value("Category", "Create")),
                         BarMark(PlottableValue::value("Day", "Mon"), PlottableValue::value("Minutes", 5))
                             .foregroundStyle(PlottableValue::value("Category", "Consume")),
                         BarMark(PlottableValue::value("Day", "Tue"), PlottableValue::value("Minutes", 20))
                             .foregroundStyle(PlottableValue::value("Category", "Create")),
                     })
            .chartForegroundStyleScale({{"Consume", Color(red)}, {"Create", Color(blue)}})
            .chartLegend(legend);
    };
    TestHost shown(chart(Visibility::automatic), {300, 200});
    const auto& list = shown.host().displayList();
    const auto create = testing::filledRects(list, blue);
    const auto consume = testing::filledRects(list, red);
    // Two Create bars and one Consume bar, plus one legend swatch each.
    ASSERT_EQ(create.size(), 3u);
    ASSERT_EQ(consume.size(), 2u);
    EXPECT_NEAR(consume[0].maxY(), create[0].minY(), 1e-9) << "stacked on Monday's Create bar";
    EXPECT_EQ(create[2].size, (CGSize{8, 8})) << "the legend's swatch";
    EXPECT_GT(create[2].minY(), create[0].maxY()) << "the legend stands below the plot";
    EXPECT_LT(create[2].minX(), consume[1].minX()) << "in order of appearance: Create first";

    TestHost hidden(chart(Visibility::hidden), {300, 200});
    EXPECT_EQ(testing::filledRects(hidden.host().displayList(), blue).size(), 2u);
}

TEST(ChartScalesTest, NegativeBarsStackDownwardsAndTheScaleIncludesThem) {
    const ChartModel model = Chart(ChartContent{
                                       BarMark(PlottableValue::value("x", 1), PlottableValue::value("y", 30)),
                                       BarMark(PlottableValue::value("x", 1), PlottableValue::value("y", -10)),
                                       BarMark(PlottableValue::value("x", 1), PlottableValue::value("y", -15)),
                                       BarMark(PlottableValue::value("x", 2), PlottableValue::value("y", 12)),
                                   })
                                 .model();
    const Calendar calendar("UTC");
    const ChartScales scales = resolveScales(model, calendar);
    // -25...30 with about five marks: steps of 20, from -40 to 40.
    EXPECT_DOUBLE_EQ(scales.y.lower, -40);
    EXPECT_DOUBLE_EQ(scales.y.upper, 40);
    EXPECT_DOUBLE_EQ(scales.x.lower, 0.5) << "bars get half a step of room at each end";
    EXPECT_DOUBLE_EQ(scales.x.upper, 2.5);
    const ChartGeometry g = layoutChart(model, scales, CGRect(0, 0, 200, 120), calendar);
    EXPECT_NEAR(g.markRects[1].minY(), 60, 1e-9) << "the first negative bar hangs from zero";
    EXPECT_NEAR(g.markRects[2].minY(), g.markRects[1].maxY(), 1e-9);
    EXPECT_NEAR(g.markRects[2].maxY(), 60 + 25 * 1.5, 1e-9);
    EXPECT_NEAR(g.markRects[0].width(), 0.7 * 100, 1e-9);
}

TEST(ChartScalesTest, DefaultAxesAndLabels) {
    const Calendar calendar("UTC");
    const ChartModel model = Chart(ChartContent{PointMark(PlottableValue::value("x", 0), PlottableValue::value("y", 0.5)),
                                                PointMark(PlottableValue::value("x", 10), PlottableValue::value("y", 0.9))})
                                 .model();
    const ChartScales scales = resolveScales(model, calendar);
    ASSERT_EQ(scales.axes.size(), 2u);
    EXPECT_EQ(scales.axes[0].position, AxisMarkPosition::bottom);
    EXPECT_EQ(scales.axes[1].position, AxisMarkPosition::trailing);
    EXPECT_DOUBLE_EQ(scales.y.upper, 1);
    EXPECT_EQ(scales.axes[1].ticks.size(), 6u) << "0, 0.2, ... 1";
    EXPECT_EQ(defaultAxisLabel(scales.axes[1].ticks[1].value, calendar), "0.2");
    EXPECT_EQ(defaultAxisLabel(scales.axes[0].ticks.back().value, calendar), "10");
    AxisValue date;
    date.date = calendar.date(2026, 3, 5, 14, 30);
    EXPECT_EQ(defaultAxisLabel(date, calendar), "14:30");
    date.date = calendar.date(2026, 3, 5);
    EXPECT_EQ(defaultAxisLabel(date, calendar), "3/5");
}

} // namespace
} // namespace glimmo
