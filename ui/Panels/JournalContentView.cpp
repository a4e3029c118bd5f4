#include "ui/Panels/JournalContentView.h"

#include "app/ActivityDataManager.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/Controls/Controls.h"
#include "ui/Dashboard/AppFocusView.h"
#include "ui/Dashboard/EquatableWeeklyBarChart.h"
#include "ui/Panels/ChatView.h"
#include "ui/Panels/JournalDayHeader.h"
#include "ui/Panels/JournalDayStepping.h"
#include "ui/Panels/JournalHighlightsView.h"
#include "ui/Panels/MediaDigestView.h"
#include "ui/Panels/TimeBreakdownRow.h"

#include <utility>

namespace glimmo {

namespace {

Date currentMoment() {
    return RunLoop::main().clock().now();
}

} // namespace

Task<void> refreshJournalLayout(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ContentViewModel> viewModel,
                                Date currentDate) {
    chromeReader->copyAndLoadHistory();
    auto refresh = viewModel->refreshAnalysis(currentDate);
    co_await std::move(refresh);
    viewModel->weekData = ActivityDataManager::shared().loadPastDaysData(7);
}

Task<void> refreshJournalDay(std::shared_ptr<ContentViewModel> viewModel, Date newDate) {
    viewModel->activityBreakdown = std::vector<TimeBreakdownEntry>{};
    viewModel->isLoading = true;
    auto refresh = viewModel->refreshAnalysis(newDate);
    co_await std::move(refresh);
    viewModel->isLoading = false;
}

JournalContentView::JournalContentView(std::shared_ptr<ChromeHistoryReader> reader, std::shared_ptr<ActivityMonitor> monitor,
                                       std::shared_ptr<UnifiedActivityService> service)
    : preferences([] { return PreferencesModel::shared(); }), chromeReader(std::move(reader)), activityMonitor(std::move(monitor)),
      unifiedActivityService(service), viewModel([service] { return std::make_shared<ContentViewModel>(service); }),
      currentDate(currentMoment()) {}

AnyView JournalContentView::body() const {
    AnyView tabs = Picker<int>("", selectedTab.binding(),
                               {{Label("Lumadex", "clock.arrow.circlepath"), 0},
                                {Label("Charts", "chart.bar"), 1},
                                {Label("Chat", "bubble.left"), 2}})
                       .pickerStyle(PickerStyle::segmented)
                       .padding(EdgeSet::horizontal())
                       .padding(EdgeSet::top(), 20)
                       .padding(EdgeSet::bottom(), 20)
                       .accessibilityLabel("tabs");
    AnyView page;
    switch (*selectedTab) {
    case 0: page = Branch(0, dayPage()); break;
    case 1: page = Branch(1, chartsPage()); break;
    case 2: page = Branch(2, chatPage()); break;
    default: page = Branch(3, EmptyView()); break;
    }

    const auto reader = chromeReader.get();
    const auto model = viewModel.get();
    const Date shown = *currentDate;
    return ScrollView(AxisSet::vertical(), true, VStack(HorizontalAlignment::center(), 0, {tabs, Group({page})}))
        .frame(width, height)
        .background(Color::windowBackgroundColor())
        .ignoresSafeArea()
        .task([reader, model, shown] { return refreshJournalLayout(reader, model, shown); })
        .onChange(shown, [model](const Date&, const Date& newDate) { startTask(RunLoop::main(), refreshJournalDay(model, newDate)); });
}

AnyView JournalContentView::dayPage() const {
    const auto model = viewModel.get();
    const State<Date> date = currentDate;
    const Calendar calendar = Calendar::current();
    const bool forwardDisabled = isForwardDisabled(calendar, *currentDate, currentMoment());
    const auto step = [date](int days) { date.set(steppedDate(Calendar::current(), *date, days, currentMoment())); };
    const AnyView header = journalDayHeader(*currentDate, forwardDisabled, step, textColor);

    const State<bool> hovered = copyHovered;
    const State<SharedText> journal = journalHighlightsText;
    std::vector<AnyView> sectionHeader{Text("HOW YOU USED YOUR TIME").font(Font::system(10)).foregroundColor(secondaryTextColor),
                                       Spacer()};
    if (model->isLoading.get()) {
        sectionHeader.push_back(ProgressView().scaleEffect(0.5).padding(EdgeSet::trailing(), 4).accessibilityLabel("loading"));
    }
    sectionHeader.push_back(Button([model, journal] { model->copyJournalSummary(**journal); },
                                   Image::systemName("doc.on.doc")
                                       .foregroundColor(*copyHovered ? Color::orange() : Color::orange().opacity(0.7))
                                       .font(Font::system(12))
                                       .onHover([hovered](bool inside) { hovered.set(inside); })
                                       // Inside the label, so the gap before the next control takes clicks too.
                                       .padding(EdgeSet::trailing(), 8))
                                .buttonStyle(AnyButtonStyle::plain())
                                .help("Copy Journal Summary")
                                .accessibilityLabel("copy"));
    sectionHeader.push_back(
        SettingsLink([] { return AnyView(Text("EDIT CATEGORIES").font(Font::system(10)).foregroundColor(Color::orange())); })
            .buttonStyle(AnyButtonStyle::plain())
            .accessibilityLabel("edit categories"));

    AnyView timeSection =
        VStack(HorizontalAlignment::leading(), 4,
               {HStack(VerticalAlignment::center(), std::nullopt, std::move(sectionHeader)).padding(EdgeSet::bottom(), 5),
                ForEach(model->activityBreakdown.get(), [](const TimeBreakdownEntry& e) { return e.type; },
                        [](const TimeBreakdownEntry& e) { return TimeBreakdownRow(e, false); })})
            .padding(EdgeSet::horizontal());

    AnyView highlights =
        VStack(HorizontalAlignment::leading(), std::nullopt,
               {HStack({Text("\U0001F680 Projects & Work Highlights").font(Font::headline()).foregroundColor(textColor)})
                    .padding(EdgeSet::bottom(), 10),
                AnyView(JournalHighlightsView(*currentDate, unifiedActivityService.get(), model, journal.binding(), textColor))
                    .id(*currentDate)})
            .padding(EdgeSet::horizontal())
            .padding(EdgeSet::bottom(), 20);

    return VStack(HorizontalAlignment::center(), 20,
                  {header, Divider(), timeSection, AnyView(Divider()).padding(EdgeSet::vertical()), highlights});
}

AnyView JournalContentView::chartsPage() const {
    return VStack(HorizontalAlignment::center(), 20,
                  {Text("Weekly Activity (for week of " + monthDayString(*currentDate) + ")").font(Font::headline()).padding(EdgeSet::top()),
                   EquatableWeeklyBarChart{{}, viewModel->weekData.get()}, Divider(), Text("App Focus").font(Font::headline()),
                   AppFocusView(chromeReader.get(), activityMonitor.get()), Divider(), Text("Media Digest").font(Font::headline()),
                   MediaDigestView(chromeReader.get(), activityMonitor.get())})
        .padding(EdgeSet::horizontal());
}

AnyView JournalContentView::chatPage() const {
    const std::string day = ChatViewModel::dayTimeframe(*currentDate);
    return AnyView(ChatView(unifiedActivityService.get(), day)).id(day);
}

} // namespace glimmo
