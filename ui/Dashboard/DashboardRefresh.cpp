#include "ui/Dashboard/DashboardRefresh.h"

#include "app/ActivityDataManager.h"

namespace glimmo {

Task<void> refreshDashboard(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ContentViewModel> viewModel) {
    chromeReader->copyAndLoadHistory();
    const Date shownDay = viewModel->displayDate.get();
    auto refresh = viewModel->refreshAnalysis(shownDay);
    co_await std::move(refresh);
    viewModel->weekData = ActivityDataManager::shared().loadPastDaysData(7);
}

} // namespace glimmo
