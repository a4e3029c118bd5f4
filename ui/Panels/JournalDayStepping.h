#pragma once

// Stepping the journal's shown day: never past today, keeping the time of day.

#include "platform/foundation/Calendar.h"
#include "platform/runtime/Date.h"

namespace glimmo {

// True while the shown day is today or a later moment: there is nothing to step forward to.
bool isForwardDisabled(const Calendar& calendar, Date currentDate, Date now);

// The day `days` calendar days from `currentDate` at the same time of day; a forward step that would
// land on a day after today lands on the start of today instead.
Date steppedDate(const Calendar& calendar, Date currentDate, int days, Date now);

} // namespace glimmo
