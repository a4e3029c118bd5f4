#include "ui/Dashboard/DashboardRefresh.h"

#include "app/ActivityDataManager.h"

namespace glimmo {

Task<void> refreshDashboard(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ContentViewModel> viewModel) {
    chromeReader->copyAndLoadHistory();
    // The shown day, or the new today when the shown day was today before midnight.
    auto refresh = viewModel->refreshAnalysis();
    co_await std::move(refresh);
    viewModel->weekData = ActivityDataManager::shared().loadPastDaysData(7);
}

} // namespace glimmo
