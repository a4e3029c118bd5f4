#pragma once

#include "platform/runtime/Date.h"

#include <utility>

namespace glimmo {

class Calendar;

// The window in which a day's activity is read: from the start of the day of `date` to the last
// second before the next day starts, or to `now` while that day is today. Both ends count.
std::pair<Date, Date> dayRange(const Calendar& calendar, Date date, Date now);

} // namespace glimmo
