#include "ui/Dashboard/ModernContentView.h"

#include "platform/desktop/Pasteboard.h"
#include "platform/view/Controls/Controls.h"
#include "ui/Dashboard/ActivitiesListView.h"
#include "ui/Dashboard/AppFocusView.h"
#include "ui/Dashboard/DashboardLayoutParts.h"
#include "ui/Dashboard/EquatableWeeklyBarChart.h"
#include "ui/Dashboard/TimeBreakdownView.h"
#include "ui/Panels/ChatView.h"
#include "ui/Panels/MediaDigestView.h"

namespace glimmo {

ModernContentView::ModernContentView(std::shared_ptr<ChromeHistoryReader> chromeReader,
                                     std::shared_ptr<ActivityMonitor> activityMonitor,
                                     std::shared_ptr<UnifiedActivityService> unifiedActivityService)
    : preferences([] { return PreferencesModel::shared(); }), chromeReader(std::move(chromeReader)),
      activityMonitor(std::move(activityMonitor)), unifiedActivityService(unifiedActivityService),
      viewModel([unifiedActivityService] { return std::make_shared<ContentViewModel>(unifiedActivityService); }) {}

AnyView ModernContentView::copyButton() const {
    const auto model = viewModel.get();
    const auto hovered = copyHoveredModern;
    return Button(
               [model] {
                   const std::string summary = model->generateReportSummary();
                   Pasteboard& pasteboard = Pasteboard::shared();
                   pasteboard.clearContents();
                   pasteboard.setString(summary);
               },
               Image::systemName("doc.on.doc")
                   .foregroundColor(*copyHoveredModern ? Color::orange() : Color::orange().opacity(0.7))
                   .font(Font::system(16)))
        .buttonStyle(AnyButtonStyle::plain())
        .onHover([hovered](bool inside) { hovered.set(inside); })
        .help("Copy Report Summary");
}

AnyView ModernContentView::tabContent() const {
    const ContentViewModel& model = *viewModel;
    switch (*selectedTab) {
    case 0:
        return Branch(0, VStack({
                             dashboard::scores(model),
                             TimeBreakdownView{.activityBreakdown = model.activityBreakdown.get(),
                                               .isLoading = model.isLoading.get()},
                             ActivitiesListView{.activities = model.activities.get(),
                                                .isLoading = model.isLoading.get(),
                                                .lastUpdateTime = model.lastUpdateTime.get(),
                                                .formatQueryTime = [](Date d) { return ContentViewModel::formatQueryTime(d); }},
                         }));
    case 1:
        return Branch(1, VStack(HorizontalAlignment::center(), 20,
                                {
                                    Text("Weekly Activity").font(Font::headline()).padding(EdgeSet::top()),
                                    EquatableWeeklyBarChart{.weekData = model.weekData.get()},
                                    Divider(),
                                    Text("App Focus").font(Font::headline()),
                                    AppFocusView(chromeReader.get(), activityMonitor.get()),
                                    Divider(),
                                    Text("Media Digest").font(Font::headline()),
                                    MediaDigestView(chromeReader.get(), activityMonitor.get()),
                                })
                             .padding(EdgeSet::horizontal()));
    case 2: {
        // A new day gives a new chat view, and with it an empty conversation.
        const Date day = model.displayDate.get();
        return Branch(2, AnyView(ChatView(unifiedActivityService.get(), dashboard::chatTimeframe(day)))
                             .id(day.secondsSinceReferenceDate));
    }
    default:
        return Branch(3, EmptyView());
    }
}

AnyView ModernContentView::body() const {
    auto picker = Picker<int>("", selectedTab.binding(),
                              {{Text("Lumadex"), 0}, {Text("Charts"), 1}, {Text("Chat"), 2}})
                      .pickerStyle(PickerStyle::segmented)
                      .padding(EdgeSet::horizontal());
    auto content = VStack(HorizontalAlignment::center(), 20,
                          {
                              Text("Modern View - Header removed temporarily").padding(),
                              HStack({Spacer(), copyButton()})
                                  .padding(EdgeSet::horizontal())
                                  .padding(EdgeSet::bottom(), -10),
                              std::move(picker),
                              Group({tabContent()}),
                          })
                       .padding(10);
    return dashboard::refreshingScrollView(std::move(content), chromeReader.get(), viewModel.get());
}

} // namespace glimmo
