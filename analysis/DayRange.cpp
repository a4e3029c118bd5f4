#include "analysis/DayRange.h"

#include "platform/foundation/Calendar.h"

namespace glimmo {

std::pair<Date, Date> dayRange(const Calendar& calendar, Date date, Date now) {
    const Date start = calendar.startOfDay(date);
    if (calendar.isDate(start, now)) {
        return {start, now};
    }
    return {start, calendar.startOfNextDay(start).addingTimeInterval(-1)};
}

} // namespace glimmo
