#include "ui/Dashboard/DashboardLayoutParts.h"

#include "analysis/ChatViewModel.h"

#include "platform/foundation/DateFormatting.h"
#include "ui/Dashboard/DashboardRefresh.h"
#include "ui/Dashboard/ScoresView.h"

namespace glimmo::dashboard {

AnyView refreshingScrollView(AnyView content, std::shared_ptr<ChromeHistoryReader> chromeReader,
                             std::shared_ptr<ContentViewModel> viewModel) {
    return ScrollView(AxisSet::vertical(), true, std::move(content))
        .frame(layoutWidth, layoutHeight)
        .task([chromeReader, viewModel] { return refreshDashboard(chromeReader, viewModel); });
}

AnyView scores(const ContentViewModel& viewModel) {
    return ScoresView{.focusScore = viewModel.shownFocusScore(),
                      .totalComputerTime = viewModel.totalComputerTime.get(),
                      .isLoading = viewModel.isLoading.get(),
                      .formatTime = [](std::int64_t seconds) { return ContentViewModel::formatTime(seconds); }};
}

// The shown day in the user's own time zone: a UTC date would name the day before east of UTC.
std::string chatTimeframe(Date displayDate) { return ChatViewModel::dayTimeframe(displayDate); }

} // namespace glimmo::dashboard
