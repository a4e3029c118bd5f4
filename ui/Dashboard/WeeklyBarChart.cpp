#include "ui/Dashboard/WeeklyBarChart.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Task.h"
#include "platform/view/Charts/Chart.h"

namespace glimmo {

namespace {

Date now() { return RunLoop::main().now(); }

// Runs on the main loop without waiting; the arguments are copies, so nothing dangles while it is
// queued.
Task<void> computeOnAppearance(std::vector<std::optional<DailyActivityData>> weekData, Date weekStart,
                               State<std::vector<DayData>> cachedChartData, State<bool> hasInitialized) {
    cachedChartData.set(glimmo::computeChartData(weekData, weekStart, Calendar::current()));
    hasInitialized.set(true);
    co_return;
}

} // namespace

Color consumeColor() { return Color(229 / 255.0, 87 / 255.0, 76 / 255.0); }
Color createColor() { return Color(255 / 255.0, 217 / 255.0, 155 / 255.0); }
Color communicateColor() { return Color(252 / 255.0, 148 / 255.0, 121 / 255.0); }

WeeklyBarChart::WeeklyBarChart(std::vector<std::optional<DailyActivityData>> weekData)
    : weekData(std::move(weekData)), dateRange(currentWeekRange(Calendar::current(), now())) {}

std::string WeeklyBarChart::weeklyMessage() const {
    const Calendar calendar = Calendar::current();
    return glimmo::weeklyMessage(calendar.weekday(now()), calendar.firstWeekday(), weekData, *cachedChartData);
}

void WeeklyBarChart::computeChartData() const {
    cachedChartData.set(glimmo::computeChartData(weekData, dateRange.start, Calendar::current()));
}

AnyView WeeklyBarChart::messageBox() const {
    return HStack(VerticalAlignment::top(), 8,
                  {
                      Text("Tip:").foregroundColor(Color::red()).fontWeight(Font::Weight::medium()),
                      Text::verbatim(weeklyMessage())
                          .fixedSize(false, true)
                          .multilineTextAlignment(TextAlignment::leading),
                      Spacer(0),
                  })
        .padding(EdgeSet::horizontal())
        .padding(EdgeSet::vertical(), 12)
        .background(Color::red().opacity(0.1))
        .clipShape(RoundedRectangle(8, Path::RoundedCornerStyle::continuous))
        .padding(EdgeSet::horizontal());
}

AnyView WeeklyBarChart::chart() const {
    auto bar = [](const DayData& day, const char* label, int value, const Color& color) {
        return BarMark(PlottableValue::value("Date", day.date, CalendarComponent::day), PlottableValue::value(label, value))
            .foregroundStyle(color)
            .cornerRadius(4, Path::RoundedCornerStyle::continuous);
    };
    return Chart(*cachedChartData,
                 [&bar](const DayData& day) {
                     return ChartContent{bar(day, "Consume", day.consume, consumeColor()),
                                         bar(day, "Create", day.create, createColor()),
                                         bar(day, "Communicate", day.communicate, communicateColor())};
                 })
        .chartYScale(0, 100)
        .chartYAxis({AxisMarks(AxisMarkPosition::leading, AxisMarkValues::automatic(6))})
        .chartXAxis({AxisMarks(AxisMarkValues::stride(CalendarComponent::day),
                               [](const AxisValue& value) {
                                   AxisMarkContent content;
                                   if (const auto date = value.as<Date>()) {
                                       content.emplace_back(AxisValueLabel(Text::verbatim(abbreviatedWeekdayEnUS(*date)), true));
                                   }
                                   return content;
                               })})
        .frame(std::nullopt, 150)
        .frame(FlexibleFrame{.maxWidth = infinity});
}

AnyView WeeklyBarChart::body() const {
    const bool showChart = *hasInitialized && !cachedChartData->empty();
    auto section = VStack(HorizontalAlignment::leading(), 4,
                          {
                              Text("WEEKLY FOCUS BREAKDOWN").foregroundColor(Color::gray()).font(Font::system(10)).padding(
                                  EdgeSet::bottom(), 10),
                              IfElse(
                                  showChart, [this] { return chart(); },
                                  [] {
                                      return Text("Loading data...")
                                          .foregroundColor(Color::gray())
                                          .frame(FlexibleFrame{.maxWidth = infinity, .maxHeight = 150});
                                  }),
                          })
                       .padding(EdgeSet::horizontal())
                       .padding(EdgeSet::bottom(), 10);

    const auto data = weekData;
    const Date weekStart = dateRange.start;
    const auto cache = cachedChartData;
    const auto initialized = hasInitialized;
    return VStack(HorizontalAlignment::leading(), 20, {messageBox(), std::move(section)})
        .task([data, weekStart, cache, initialized] { return computeOnAppearance(data, weekStart, cache, initialized); })
        .onChange(weekData, [weekStart, cache](const auto&, const auto& newData) {
            cache.set(glimmo::computeChartData(newData, weekStart, Calendar::current()));
        })
        .id(static_cast<std::int64_t>(cachedChartData->size()));
}

} // namespace glimmo
