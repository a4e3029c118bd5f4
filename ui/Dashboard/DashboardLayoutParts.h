#pragma once

// What the Modern and Classic layouts share: the framed scroll view that refreshes the day when
// shown, and the scores built from the day analysis model.

#include "analysis/ContentViewModel.h"
#include "app/ChromeHistoryReader.h"
#include "platform/view/ViewKit.h"

#include <memory>
#include <string>

namespace glimmo::dashboard {

inline constexpr CGFloat layoutWidth = 400;
inline constexpr CGFloat layoutHeight = 700;

// A vertical scroll view of 400 by 700 points around `content`, with the refresh task.
AnyView refreshingScrollView(AnyView content, std::shared_ptr<ChromeHistoryReader> chromeReader,
                             std::shared_ptr<ContentViewModel> viewModel);

AnyView scores(const ContentViewModel& viewModel);

// The chat tab's timeframe: the shown day as an ISO 8601 date in UTC, so east of UTC the local
// midnight names the previous date.
std::string chatTimeframe(Date displayDate);

} // namespace glimmo::dashboard
