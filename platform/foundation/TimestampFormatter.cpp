#include "platform/foundation/TimestampFormatter.h"

#include "platform/foundation/DateFormatting.h"

#include <cmath>
#include <cstdint>

namespace glimmo {
namespace {

void appendTwoDigits(std::string& out, int value) {
    out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

} // namespace

TimestampFormatter::TimestampFormatter() : calendar_(Calendar::current()) {}

void TimestampFormatter::moveToDayOf(Date date) {
    dayStart_ = calendar_.startOfDay(date);
    nextDayStart_ = calendar_.startOfNextDay(date);
    wholeDay_ = nextDayStart_.timeIntervalSince(dayStart_) == 86400;
    dayText_ = dayKey(dayStart_) + " ";
    hasDay_ = true;
}

void TimestampFormatter::append(Date date, std::string& out) {
    if (!std::isfinite(date.secondsSinceReferenceDate)) {
        out += timestampString(date);
        return;
    }
    if (!hasDay_ || date < dayStart_ || !(date < nextDayStart_)) {
        moveToDayOf(date);
    }
    if (!wholeDay_) {
        out += timestampString(date);
        return;
    }
    // In milliseconds as the formatter counts them, truncated to whole seconds as it does.
    const double millisecondsInDay = date.unixTime() * 1000.0 - dayStart_.unixTime() * 1000.0;
    const auto seconds = static_cast<std::int64_t>(millisecondsInDay) / 1000;
    out += dayText_;
    appendTwoDigits(out, static_cast<int>(seconds / 3600));
    out.push_back(':');
    appendTwoDigits(out, static_cast<int>(seconds / 60 % 60));
    out.push_back(':');
    appendTwoDigits(out, static_cast<int>(seconds % 60));
}

std::string TimestampFormatter::string(Date date) {
    std::string text;
    append(date, text);
    return text;
}

} // namespace glimmo
