#pragma once

#include "platform/foundation/Calendar.h"
#include "platform/runtime/Date.h"

#include <string>

namespace glimmo {

// Writes what timestampString writes ("yyyy-MM-dd HH:mm:ss" in the default time zone) for many
// dates in a row: the date of each day is formatted once and the time of day worked out from the
// seconds since the day began. Days that are not 24 hours long (a clock change) go through the
// formatter line by line.
class TimestampFormatter {
public:
    TimestampFormatter();

    void append(Date date, std::string& out);
    std::string string(Date date);

private:
    void moveToDayOf(Date date);

    Calendar calendar_;
    bool hasDay_ = false;
    Date dayStart_;
    Date nextDayStart_;
    bool wholeDay_ = false; // 24 hours, so the wall clock runs with the seconds since its start
    std::string dayText_;   // "yyyy-MM-dd "
};

} // namespace glimmo
