#include "ui/Panels/JournalDayStepping.h"

namespace glimmo {

bool isForwardDisabled(const Calendar& calendar, Date currentDate, Date now) {
    return calendar.isDate(currentDate, now) || currentDate > now;
}

Date steppedDate(const Calendar& calendar, Date currentDate, int days, Date now) {
    const Date newDate = calendar.addingDays(currentDate, days);
    if (days <= 0) return newDate;
    const Date startOfToday = calendar.startOfDay(now);
    if (newDate > startOfToday && !calendar.isDate(newDate, now) && calendar.startOfDay(newDate) > startOfToday) {
        return startOfToday;
    }
    return newDate;
}

} // namespace glimmo
