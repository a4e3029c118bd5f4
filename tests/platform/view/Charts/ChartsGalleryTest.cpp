// The two chart kinds of the dashboard as the Qt backend draws them: the weekly stacked bars and the
// hourly smooth line with points, plus bars coloured by series with their legend.

#include "../Controls/KitGallery.h"
#include "ChartTestSupport.h"

#include "platform/foundation/Calendar.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

#include <cstdio>

namespace glimmo {
namespace {

using testing::KitSheet;

const Color consume(229 / 255.0, 87 / 255.0, 76 / 255.0);
const Color create(255 / 255.0, 217 / 255.0, 155 / 255.0);
const Color communicate(252 / 255.0, 148 / 255.0, 121 / 255.0);

AnyView header(std::string text) { return Text(std::move(text)).font(Font::system(10)).foregroundColor(Color::gray()).padding(EdgeSet::bottom(), 10); }

AnyView panel(std::string title, AnyView chart) {
    return VStack(HorizontalAlignment::leading(), 4, {header(std::move(title)), std::move(chart)}).padding(EdgeSet::horizontal(), std::nullopt);
}

AnyView weekly(const Calendar& calendar) {
    const Date sunday = calendar.date(2026, 12, 6);
    const int shares[7][3] = {{20, 60, 20}, {33, 34, 33}, {10, 75, 15}, {50, 25, 25}, {0, 0, 0}, {45, 40, 15}, {0, 0, 0}};
    ChartContent marks;
    for (int i = 0; i < 7; ++i) {
        const Date day = calendar.addingDays(sunday, i);
        const auto x = PlottableValue::value("Date", day, CalendarComponent::day);
        marks.push_back(BarMark(x, PlottableValue::value("Consume", shares[i][0])).foregroundStyle(consume).cornerRadius(4, Path::RoundedCornerStyle::continuous));
        marks.push_back(BarMark(x, PlottableValue::value("Create", shares[i][1])).foregroundStyle(create).cornerRadius(4, Path::RoundedCornerStyle::continuous));
        marks.push_back(BarMark(x, PlottableValue::value("Communicate", shares[i][2])).foregroundStyle(communicate).cornerRadius(4, Path::RoundedCornerStyle::continuous));
    }
    FlexibleFrame fill;
    fill.maxWidth = infinity;
    return Chart(std::move(marks))
        .chartYScale(0, 100)
        .chartYAxis({AxisMarks(AxisMarkPosition::leading, AxisMarkValues::automatic(6))})
        .chartXAxis({AxisMarks(AxisMarkValues::stride(CalendarComponent::day),
                               [](const AxisValue& v) { return testing::labelOnly(Text(abbreviatedWeekdayEnUS(*v.as<Date>())).font(Font::caption2())); })})
        .frame(std::nullopt, 150)
        .frame(fill);
}

AnyView hourly(const Calendar& calendar) {
    const Date today = calendar.date(2026, 12, 7);
    const int counts[24] = {0, 0, 0, 0, 0, 0, 0, 0, 3, 7, 12, 9, 4, 6, 11, 8, 5, 2, 0, 0, 0, 0, 0, 0};
    ChartContent marks;
    for (int h = 0; h < 24; ++h) {
        const auto x = PlottableValue::value("Hour", calendar.addingHours(today, h), CalendarComponent::hour);
        const auto y = PlottableValue::value("Switches", counts[h]);
        marks.push_back(LineMark(x, y).foregroundStyle(standardGradient(consume)).interpolationMethod(InterpolationMethod::catmullRom(0.5)));
        marks.push_back(PointMark(x, y).foregroundStyle(consume));
    }
    return Chart(std::move(marks))
        .chartXScale(today, calendar.addingDays(today, 1))
        .chartYAxis({AxisMarks(AxisMarkPosition::leading, AxisMarkValues::automatic())})
        .chartXAxis({AxisMarks(AxisMarkValues::stride(CalendarComponent::hour, 3), [calendar](const AxisValue& v) {
            AxisMarkContent content;
            if (const auto date = v.as<Date>()) {
                char text[8];
                std::snprintf(text, sizeof text, "%02d:00", calendar.hour(*date));
                content.push_back(AxisValueLabel(Text(text).font(Font::system(10))));
            }
            return content;
        })})
        .frame(std::nullopt, 150);
}

AnyView bySeries() {
    ChartContent marks;
    const char* days[] = {"Mon", "Tue", "Wed"};
    const int minutes[3][2] = {{40, 25}, {55, 10}, {30, 35}};
    for (int d = 0; d < 3; ++d) {
        marks.push_back(BarMark(PlottableValue::value("Day", days[d]), PlottableValue::value("Minutes", minutes[d][0]))
                            .foregroundStyle(PlottableValue::value("Category", "Create")));
        marks.push_back(BarMark(PlottableValue::value("Day", days[d]), PlottableValue::value("Minutes", minutes[d][1]))
                            .foregroundStyle(PlottableValue::value("Category", "Consume")));
    }
    return Chart(std::move(marks)).frame(std::nullopt, 160);
}

AnyView chartsSheet() {
    const Calendar calendar = Calendar::current();
    FlexibleFrame fill;
    fill.maxWidth = infinity;
    fill.alignment = Alignment::topLeading();
    return VStack(HorizontalAlignment::leading(), 24, {
        panel("WEEKLY FOCUS BREAKDOWN", weekly(calendar)),
        panel("TODAY'S CONTEXT SWITCHES", hourly(calendar)),
        panel("BY SERIES, AUTOMATIC AXES AND LEGEND", bySeries()),
    })
        .padding(EdgeSet::vertical(), 16)
        .frame(fill)
        .background(Color::windowBackgroundColor());
}

TEST(ChartsGalleryTest, LightSheetMatchesItsReference) {
    testing::UtcCalendar utc;
    testing::expectMatchesReference(KitSheet{"charts-light", chartsSheet(), 400, ColorScheme::light, {}});
}

TEST(ChartsGalleryTest, DarkSheetMatchesItsReference) {
    testing::UtcCalendar utc;
    testing::expectMatchesReference(KitSheet{"charts-dark", chartsSheet(), 400, ColorScheme::dark, {}});
}

} // namespace
} // namespace glimmo
