#include "ui/Dashboard/AppFocusView.h"

#include "platform/runtime/RunLoop.h"
#include "platform/view/Charts/Chart.h"
#include "ui/Dashboard/WeeklyBarChart.h"

#include <cstdio>

namespace glimmo {

std::vector<AppSwitchData> computeSwitchData(const Calendar& calendar, Date now, const ActivityMonitor& activityMonitor,
                                             const ChromeHistoryReader& chromeReader) {
    const Date today = calendar.startOfDay(now);
    std::vector<Date> bounds; // hour h runs from bounds[h] to bounds[h + 1]
    bounds.reserve(25);
    for (int h = 0; h <= 24; ++h) bounds.push_back(calendar.addingHours(today, h));
    const std::vector<int> appSwitches = activityMonitor.appSwitchCounts(bounds);
    const std::vector<int> siteSwitches = chromeReader.siteSwitchCounts(bounds);
    std::vector<AppSwitchData> data;
    data.reserve(24);
    for (std::size_t h = 0; h < 24; ++h) {
        const int switches = appSwitches[h] + siteSwitches[h];
        data.push_back(AppSwitchData{UUID::random(), bounds[h], switches});
    }
    return data;
}

AppFocusView::AppFocusView(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ActivityMonitor> activityMonitor)
    : chromeReader(std::move(chromeReader)), activityMonitor(std::move(activityMonitor)),
      colors{consumeColor(), createColor(), communicateColor()} {}

void AppFocusView::computeSwitchData() const {
    switchData.set(glimmo::computeSwitchData(Calendar::current(), RunLoop::main().now(), *activityMonitor, *chromeReader));
}

AnyView AppFocusView::body() const {
    const Calendar calendar = Calendar::current();
    const Date today = calendar.startOfDay(RunLoop::main().now());
    const Date tomorrow = calendar.startOfNextDay(today);
    const Color lineColor = colors.front();

    auto hourLabel = [calendar](const AxisValue& value) {
        AxisMarkContent content;
        if (const auto date = value.as<Date>()) {
            char text[16];
            std::snprintf(text, sizeof text, "%02d:00", calendar.hour(*date));
            content.emplace_back(AxisValueLabel(Text::verbatim(text).font(Font::system(10))));
        }
        return content;
    };
    auto chart = Chart(*switchData,
                       [&lineColor](const AppSwitchData& d) {
                           const auto x = PlottableValue::value("Hour", d.hour, CalendarComponent::hour);
                           const auto y = PlottableValue::value("Switches", d.switches);
                           return ChartContent{LineMark(x, y)
                                                   .foregroundStyle(standardGradient(lineColor))
                                                   .interpolationMethod(InterpolationMethod::catmullRom(0.5)),
                                               PointMark(x, y).foregroundStyle(lineColor)};
                       })
                     .chartXScale(today, tomorrow)
                     .chartYAxis({AxisMarks(AxisMarkPosition::leading, AxisMarkValues::automatic())})
                     .chartXAxis({AxisMarks(AxisMarkValues::stride(CalendarComponent::hour, 3), hourLabel)});

    const auto data = switchData;
    const auto monitor = activityMonitor.get();
    const auto reader = chromeReader.get();
    return VStack(HorizontalAlignment::leading(), 4,
                  {
                      Text("TODAY'S CONTEXT SWITCHES").foregroundColor(Color::gray()).font(Font::system(10)).padding(
                          EdgeSet::bottom(), 10),
                      chart.frame(std::nullopt, 150),
                  })
        .padding(EdgeSet::horizontal())
        .onAppear([data, monitor, reader] {
            data.set(glimmo::computeSwitchData(Calendar::current(), RunLoop::main().now(), *monitor, *reader));
        });
}

} // namespace glimmo
