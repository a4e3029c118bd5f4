#include "platform/foundation/Calendar.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/IcuSupport.h"

#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <stdexcept>

namespace glimmo {

struct Calendar::Prototype {
    std::unique_ptr<icu::Calendar> calendar;
};

namespace {

void check(UErrorCode status, const char* what) {
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("calendar ") + what + " failed: " + u_errorName(status));
    }
}

// Each operation works on its own copy, so a Calendar can be shared between threads.
std::unique_ptr<icu::Calendar> copyAt(const Calendar::Prototype& prototype, Date date) {
    std::unique_ptr<icu::Calendar> calendar(prototype.calendar->clone());
    UErrorCode status = U_ZERO_ERROR;
    calendar->setTime(icu_support::toUDate(date), status);
    check(status, "set time");
    return calendar;
}

Date timeOf(const icu::Calendar& calendar) {
    UErrorCode status = U_ZERO_ERROR;
    const UDate time = calendar.getTime(status);
    check(status, "get time");
    return icu_support::fromUDate(time);
}

int field(const icu::Calendar& calendar, UCalendarDateFields which) {
    UErrorCode status = U_ZERO_ERROR;
    const int value = calendar.get(which, status);
    check(status, "read field");
    return value;
}

void clearTimeOfDay(icu::Calendar& calendar) {
    calendar.set(UCAL_HOUR_OF_DAY, 0);
    calendar.set(UCAL_MINUTE, 0);
    calendar.set(UCAL_SECOND, 0);
    calendar.set(UCAL_MILLISECOND, 0);
}

} // namespace

Calendar::Calendar(std::string timeZoneId, std::string localeId)
    : timeZone_(timeZoneId.empty() ? defaultTimeZone() : std::move(timeZoneId)),
      locale_(localeId.empty() ? defaultLocale() : std::move(localeId)) {
    UErrorCode status = U_ZERO_ERROR;
    auto prototype = std::make_shared<Prototype>();
    prototype->calendar = std::make_unique<icu::GregorianCalendar>(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZone_)),
        icu::Locale::createFromName(locale_.c_str()), status);
    check(status, "creation");
    // A wall-clock time skipped by a daylight-saving change moves forward by the gap (02:30 becomes
    // 03:30); a repeated one means its first occurrence.
    prototype->calendar->setSkippedWallTimeOption(UCAL_WALLTIME_LAST);
    prototype->calendar->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
    prototype_ = std::move(prototype);
}

Calendar Calendar::current() { return Calendar(); }

Date Calendar::startOfDay(Date date) const {
    const auto calendar = copyAt(*prototype_, date);
    clearTimeOfDay(*calendar);
    return timeOf(*calendar);
}

Date Calendar::startOfNextDay(Date date) const {
    // A day may begin after midnight (00:00 skipped), so one day later is not always the next
    // day's start; its own start is.
    return startOfDay(addingDays(startOfDay(date), 1));
}

Date Calendar::startOfWeek(Date date) const {
    const int daysBack = (weekday(date) - firstWeekday() + 7) % 7;
    return startOfDay(addingDays(startOfDay(date), -daysBack));
}

Date Calendar::startOfMonth(Date date) const {
    const auto calendar = copyAt(*prototype_, date);
    calendar->set(UCAL_DATE, 1);
    clearTimeOfDay(*calendar);
    return timeOf(*calendar);
}

namespace {

Date adding(const Calendar::Prototype& prototype, Date date, UCalendarDateFields unit, int amount) {
    const auto calendar = copyAt(prototype, date);
    UErrorCode status = U_ZERO_ERROR;
    calendar->add(unit, amount, status);
    check(status, "add");
    return timeOf(*calendar);
}

} // namespace

Date Calendar::addingDays(Date date, int days) const { return adding(*prototype_, date, UCAL_DATE, days); }
Date Calendar::addingWeeks(Date date, int weeks) const { return adding(*prototype_, date, UCAL_WEEK_OF_YEAR, weeks); }
Date Calendar::addingMonths(Date date, int months) const { return adding(*prototype_, date, UCAL_MONTH, months); }
// Hours, minutes and seconds are elapsed time, not wall-clock time.
Date Calendar::addingHours(Date date, int hours) const { return date.addingTimeInterval(hours * 3600.0); }
Date Calendar::addingMinutes(Date date, int minutes) const { return date.addingTimeInterval(minutes * 60.0); }
Date Calendar::addingSeconds(Date date, int seconds) const { return date.addingTimeInterval(seconds); }

DateComponents Calendar::components(Date date) const {
    const auto calendar = copyAt(*prototype_, date);
    DateComponents components;
    components.year = field(*calendar, UCAL_EXTENDED_YEAR);
    components.month = field(*calendar, UCAL_MONTH) + 1;
    components.day = field(*calendar, UCAL_DATE);
    components.hour = field(*calendar, UCAL_HOUR_OF_DAY);
    components.minute = field(*calendar, UCAL_MINUTE);
    components.second = field(*calendar, UCAL_SECOND);
    components.weekday = field(*calendar, UCAL_DAY_OF_WEEK);
    components.weekOfYear = field(*calendar, UCAL_WEEK_OF_YEAR);
    return components;
}

int Calendar::firstWeekday() const {
    UErrorCode status = U_ZERO_ERROR;
    const int first = prototype_->calendar->getFirstDayOfWeek(status);
    check(status, "first weekday");
    return first;
}

bool Calendar::isDate(Date date, Date inSameDayAs) const { return startOfDay(date) == startOfDay(inSameDayAs); }

int Calendar::daysBetween(Date from, Date to) const {
    const auto calendar = copyAt(*prototype_, startOfDay(from));
    UErrorCode status = U_ZERO_ERROR;
    const int days = calendar->fieldDifference(icu_support::toUDate(startOfDay(to)), UCAL_DATE, status);
    check(status, "day difference");
    return days;
}

Date Calendar::date(int year, int month, int day, int hour, int minute, int second) const {
    std::unique_ptr<icu::Calendar> calendar(prototype_->calendar->clone());
    calendar->clear();
    calendar->setLenient(true);
    calendar->set(year, month - 1, day, hour, minute, second);
    return timeOf(*calendar);
}

} // namespace glimmo
