#include "app/TimeFormatting.h"

#include "platform/foundation/DateFormatting.h"

namespace glimmo {
namespace {

std::string format(Date date, DateStyle dateStyle, DateStyle timeStyle) {
    DateFormatter formatter;
    formatter.setDateStyle(dateStyle);
    formatter.setTimeStyle(timeStyle);
    return formatter.string(date);
}

} // namespace

std::string mediumTimeString(Date date) {
    return format(date, DateStyle::none, DateStyle::medium);
}

std::string shortTimeString(Date date) {
    return format(date, DateStyle::none, DateStyle::shortStyle);
}

std::string shortDateTimeString(Date date) {
    return format(date, DateStyle::shortStyle, DateStyle::shortStyle);
}

} // namespace glimmo
