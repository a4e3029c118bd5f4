#pragma once

#include "platform/desktop/UserNotifications.h"
#include "platform/foundation/Calendar.h"
#include "platform/runtime/Date.h"

namespace glimmo {

// The first instant after `after` whose wall-clock time in `calendar` is the trigger's hour and
// minute (second 0). A time skipped by a daylight-saving change resolves to the later offset.
Date nextFireDate(const CalendarTrigger& trigger, Date after, const Calendar& calendar);

} // namespace glimmo
