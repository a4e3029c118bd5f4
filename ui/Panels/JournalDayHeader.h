#pragma once

// The journal layout's day header: "What You Did", then the arrows that step to the day before and
// after around the shown day, such as "November 30". The day sits in a slot as wide as the widest
// month name and day of the month of its year in the user's locale side by side, so it keeps one line
// and the arrows keep their place whatever the day (a user clicking "previous day" at one spot goes on
// hitting it across month ends); should the slot still be short of the day by a hair, the day is
// scaled down to fit rather than wrapped. The title gives way first, down to half its size.

#include "platform/runtime/Date.h"
#include "platform/view/ViewKit.h"

#include <functional>

namespace glimmo {

// `step` is called with -1 or 1 by the arrows; the forward one is gray and disabled while
// `forwardDisabled`.
AnyView journalDayHeader(Date shownDay, bool forwardDisabled, std::function<void(int days)> step, const Color& textColor);

} // namespace glimmo
