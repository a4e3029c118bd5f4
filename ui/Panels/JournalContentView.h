#pragma once

// The journal layout of the menu-bar window: one day as a diary page (breakdown, copy button, the
// AI-written journal) with arrows that step between days, and two more tabs for the charts and
// the chat. It owns its day analysis model and refreshes it when it comes on screen and whenever
// the shown day changes.

#include "analysis/ContentViewModel.h"
#include "analysis/SharedText.h"
#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "app/PreferencesModel.h"
#include "app/UnifiedActivityService.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/Task.h"
#include "platform/view/ViewKit.h"

#include <memory>
#include <string>

namespace glimmo {

struct JournalContentView : View<JournalContentView> {
    static constexpr CGFloat width = 400;
    static constexpr CGFloat height = 700;

    JournalContentView(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ActivityMonitor> activityMonitor,
                       std::shared_ptr<UnifiedActivityService> unifiedActivityService);

    StateObject<PreferencesModel> preferences;
    ObservedObject<ChromeHistoryReader> chromeReader;
    ObservedObject<ActivityMonitor> activityMonitor;
    ObservedObject<UnifiedActivityService> unifiedActivityService;
    StateObject<ContentViewModel> viewModel;
    State<int> selectedTab{0};
    State<Date> currentDate;
    State<SharedText> journalHighlightsText{SharedText()};
    State<bool> copyHovered{false};
    Color textColor = Color::labelColor();
    Color secondaryTextColor = Color::secondaryLabelColor();

    AnyView body() const;

private:
    AnyView dayPage() const;
    AnyView chartsPage() const;
    AnyView chatPage() const;
};

// What the layout runs each time it comes on screen: the history reload, the shown day's analysis,
// then the stored week.
Task<void> refreshJournalLayout(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ContentViewModel> viewModel,
                                Date currentDate);
// What a change of the shown day runs: the rows go at once, the spinner shows until the new day's
// analysis ends.
Task<void> refreshJournalDay(std::shared_ptr<ContentViewModel> viewModel, Date newDate);

} // namespace glimmo
