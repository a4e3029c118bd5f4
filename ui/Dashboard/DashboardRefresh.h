#pragma once

#include "analysis/ContentViewModel.h"
#include "app/ChromeHistoryReader.h"
#include "platform/runtime/Task.h"

#include <memory>

namespace glimmo {

// What the dashboard layouts do each time they are shown: reload the browser history (the reader
// skips it within 600 s of its last load), analyse the shown day (today's moves on at midnight),
// then reload the last seven stored days counted back from today.
Task<void> refreshDashboard(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ContentViewModel> viewModel);

} // namespace glimmo
