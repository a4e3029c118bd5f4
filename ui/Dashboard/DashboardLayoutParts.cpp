#include "ui/Dashboard/DashboardLayoutParts.h"

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
    return ScoresView{.focusScore = viewModel.focusScore.get(),
                      .totalComputerTime = viewModel.totalComputerTime.get(),
                      .isLoading = viewModel.isLoading.get(),
                      .formatTime = [](std::int64_t seconds) { return ContentViewModel::formatTime(seconds); }};
}

std::string chatTimeframe(Date displayDate) { return iso8601DateOnlyUTC(displayDate); }

} // namespace glimmo::dashboard
