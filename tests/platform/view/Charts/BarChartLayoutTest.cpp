#include "ChartTestSupport.h"

#include "platform/foundation/Calendar.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace glimmo {
namespace {

using testing::TestHost;

struct DayShares {
    int id;
    Date date;
    int consume;
    int create;
    int communicate;
};

const RGBA consumeColour{229 / 255.0, 87 / 255.0, 76 / 255.0, 1};
const RGBA createColour{255 / 255.0, 217 / 255.0, 155 / 255.0, 1};
const RGBA communicateColour{252 / 255.0, 148 / 255.0, 121 / 255.0, 1};

// The weekly breakdown: three stacked bars a day, y fixed to 0...100, a label per day.
AnyView weeklyChart(const std::vector<DayShares>& days) {
    const Calendar calendar = Calendar::current();
    return Chart(days, [](const DayShares& d) {
               return ChartContent{
                   BarMark(PlottableValue::value("Date", d.date, CalendarComponent::day), PlottableValue::value("Consume", d.consume))
                       .foregroundStyle(Color(consumeColour))
                       .cornerRadius(4, Path::RoundedCornerStyle::continuous),
                   BarMark(PlottableValue::value("Date", d.date, CalendarComponent::day), PlottableValue::value("Create", d.create))
                       .foregroundStyle(Color(createColour))
                       .cornerRadius(4, Path::RoundedCornerStyle::continuous),
                   BarMark(PlottableValue::value("Date", d.date, CalendarComponent::day), PlottableValue::value("Communicate", d.communicate))
                       .foregroundStyle(Color(communicateColour))
                       .cornerRadius(4, Path::RoundedCornerStyle::continuous),
               };
           })
        .chartYScale(0, 100)
        .chartYAxis({AxisMarks(AxisMarkPosition::leading, AxisMarkValues::automatic(6),
                               [](const AxisValue& v) {
                                   const auto n = *v.as<int>();
                                   return AxisMarkContent{AxisGridLine{}, AxisTick{},
                                                          AxisValueLabel(Text(std::to_string(n)).accessibilityLabel("y" + std::to_string(n)))};
                               })})
        .chartXAxis({AxisMarks(AxisMarkValues::stride(CalendarComponent::day), [calendar](const AxisValue& v) {
            const Date date = *v.as<Date>();
            return testing::labelOnly(Text(abbreviatedWeekdayEnUS(date)).accessibilityLabel("x" + std::to_string(v.index)));
        })})
        .frame(std::nullopt, 150);
}

std::vector<DayShares> week() {
    const Calendar calendar = Calendar::current();
    const Date sunday = calendar.date(2026, 12, 6); // a Sunday
    std::vector<DayShares> days;
    for (int i = 0; i < 7; ++i) days.push_back({i, calendar.addingDays(sunday, i), 0, 0, 0});
    days[0] = {0, days[0].date, 30, 50, 20};
    days[3] = {3, days[3].date, 100, 0, 0};
    days[6] = {6, days[6].date, 25, 25, 25};
    return days;
}

TEST(BarChartLayoutTest, YAxisLabelsSitAtTheLeadingSideOnTheirValues) {
    testing::UtcCalendar utc;
    TestHost t(weeklyChart(week()), {360, 150});
    // 0...100 with six values wanted: a mark every 20.
    for (int v = 0; v <= 100; v += 20) ASSERT_TRUE(t.has("y" + std::to_string(v))) << v;
    EXPECT_FALSE(t.has("y10"));
    const CGFloat bottom = t.frame("y0").midY(), top = t.frame("y100").midY();
    EXPECT_GT(bottom - top, 100);
    EXPECT_NEAR(t.frame("y40").midY(), bottom - 0.4 * (bottom - top), 1e-9);
    EXPECT_GT(t.frame("y0").minX(), t.frame("y100").minX()) << "labels end on one line, so the shorter starts further right";
    EXPECT_DOUBLE_EQ(t.frame("y0").maxX(), t.frame("y100").maxX());
}

TEST(BarChartLayoutTest, BarsStackInDeclarationOrderWithHeightsFromTheirValues) {
    testing::UtcCalendar utc;
    TestHost t(weeklyChart(week()), {360, 150});
    const CGFloat bottom = t.frame("y0").midY(), top = t.frame("y100").midY();
    const CGFloat plotHeight = bottom - top;
    const auto& list = t.host().displayList();
    const auto consume = testing::filledRects(list, consumeColour);
    const auto create = testing::filledRects(list, createColour);
    const auto communicate = testing::filledRects(list, communicateColour);
    // Zero-height bars are not drawn: Sunday, Wednesday (consume only) and Saturday.
    ASSERT_EQ(consume.size(), 3u);
    ASSERT_EQ(create.size(), 2u);
    ASSERT_EQ(communicate.size(), 2u);
    // Sunday: consume from the baseline, create on it, communicate on top.
    EXPECT_NEAR(consume[0].maxY(), bottom, 1e-9);
    EXPECT_NEAR(consume[0].height(), 0.3 * plotHeight, 1e-9);
    EXPECT_NEAR(create[0].maxY(), consume[0].minY(), 1e-9);
    EXPECT_NEAR(create[0].height(), 0.5 * plotHeight, 1e-9);
    EXPECT_NEAR(communicate[0].maxY(), create[0].minY(), 1e-9);
    EXPECT_NEAR(communicate[0].minY(), top, 1e-9) << "30 + 50 + 20 reaches 100";
    EXPECT_DOUBLE_EQ(consume[0].midX(), communicate[0].midX());
    // Wednesday is one full bar; Saturday stops three quarters up.
    EXPECT_NEAR(consume[1].height(), plotHeight, 1e-9);
    EXPECT_NEAR(communicate[1].minY(), bottom - 0.75 * plotHeight, 1e-9);
}

TEST(BarChartLayoutTest, EachDayTakesASeventhOfThePlotAndItsLabelStartsAtTheDay) {
    testing::UtcCalendar utc;
    TestHost t(weeklyChart(week()), {360, 150});
    const auto& list = t.host().displayList();
    const auto consume = testing::filledRects(list, consumeColour);
    const CGFloat plotLeft = t.frame("y0").maxX() + 4;
    const CGFloat dayWidth = (360 - plotLeft) / 7;
    // Bars centred in their day, 70% of it wide: Sunday, Wednesday, Saturday.
    EXPECT_NEAR(consume[0].midX(), plotLeft + 0.5 * dayWidth, 1e-9);
    EXPECT_NEAR(consume[1].midX(), plotLeft + 3.5 * dayWidth, 1e-9);
    EXPECT_NEAR(consume[2].midX(), plotLeft + 6.5 * dayWidth, 1e-9);
    EXPECT_NEAR(consume[0].width(), 0.7 * dayWidth, 1e-9);
    for (int i = 0; i < 7; ++i) {
        const CGRect label = t.frame("x" + std::to_string(i));
        EXPECT_NEAR(label.minX(), plotLeft + i * dayWidth + 2, 1e-9) << i;
        EXPECT_NEAR(label.minY(), t.frame("y0").midY() + 4, 1e-9) << "below the plot";
    }
    EXPECT_FALSE(t.has("x7")) << "the end of the week takes no label";
}

TEST(BarChartLayoutTest, WithoutAFixedScaleTheYAxisEndsOnANiceValueAboveTheHighestStack) {
    testing::UtcCalendar utc;
    const Calendar calendar = Calendar::current();
    const Date day = calendar.date(2026, 12, 7);
    TestHost t(Chart(ChartContent{
                         BarMark(PlottableValue::value("Date", day, CalendarComponent::day), PlottableValue::value("A", 40)),
                         BarMark(PlottableValue::value("Date", day, CalendarComponent::day), PlottableValue::value("B", 47)),
                     })
                   .chartYAxis({AxisMarks(AxisMarkPosition::trailing, AxisMarkValues::automatic(), [](const AxisValue& v) {
                       return testing::labelOnly(Text("v").accessibilityLabel("y" + std::to_string(*v.as<int>())));
                   })}),
               {300, 200});
    // 87 stacked: marks every 20 up to 100.
    EXPECT_TRUE(t.has("y100"));
    EXPECT_FALSE(t.has("y120"));
    EXPECT_GT(t.frame("y0").minX(), 280) << "trailing labels stand right of the plot";
}

} // namespace
} // namespace glimmo
