#include "ui/Dashboard/ActivitiesListView.h"

#include "ui/Dashboard/ActivityRow.h"
#include "ui/Dashboard/DashboardStyle.h"

namespace glimmo {

namespace {

AnyView historyRow(const HistoricalActivity& item) {
    return HStack({
        VStack(HorizontalAlignment::leading(), std::nullopt,
               {
                   Text::verbatim(item.description).help(item.description),
                   Text::verbatim(item.timeframe).font(Font::caption()).foregroundColor(Color::gray()),
               }),
        Spacer(),
        Text::verbatim(item.formattedDuration).foregroundColor(Color::gray()),
    });
}

} // namespace

AnyView ActivitiesListView::body() const {
    const bool loading = isLoading;
    std::vector<AnyView> rows;
    rows.push_back(ForEach(activities, [](const Activity& a) { return a.id; },
                           [loading](const Activity& a) { return ActivityRow{.activity = a, .isLoading = loading}; }));
    const auto& history = preferences->historicalActivities.get();
    if (!history.empty()) {
        rows.push_back(Divider().padding(EdgeSet::vertical()));
        rows.push_back(dashboard::sectionHeader("PREVIOUS ACTIVITIES").padding(EdgeSet::bottom(), 5));
        rows.push_back(ForEach(history, [](const HistoricalActivity& h) { return h.id; }, historyRow));
    }
    return VStack(HorizontalAlignment::leading(), 4,
                  {
                      HStack({
                          dashboard::sectionHeader("WHAT YOU WERE DOING").padding(EdgeSet::bottom(), 5),
                          Spacer(),
                          dashboard::sectionHeader(formatQueryTime(lastUpdateTime)),
                      }),
                      VStack(HorizontalAlignment::leading(), 8, std::move(rows)),
                  })
        .padding(EdgeSet::horizontal());
}

} // namespace glimmo
