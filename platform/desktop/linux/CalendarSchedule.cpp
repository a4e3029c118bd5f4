#include "platform/desktop/linux/CalendarSchedule.h"

namespace glimmo {

Date nextFireDate(const CalendarTrigger& trigger, Date after, const Calendar& calendar) {
    const DateComponents day = calendar.components(after);
    // Building the date from the day's fields (not by adding 24 hours) keeps the wall-clock time
    // across daylight-saving changes; day + 1 rolls over into the next month or year.
    for (int offset = 0; offset <= 2; ++offset) {
        const Date candidate = calendar.date(day.year, day.month, day.day + offset, trigger.hour, trigger.minute, 0);
        if (candidate > after) return candidate;
    }
    return calendar.date(day.year, day.month, day.day + 3, trigger.hour, trigger.minute, 0);
}

} // namespace glimmo
