#pragma once

#include "platform/runtime/Date.h"

#include <memory>
#include <string>

namespace glimmo {

struct DateComponents {
    int year = 0;
    int month = 0;   // 1...12
    int day = 0;     // 1...31
    int hour = 0;    // 0...23
    int minute = 0;
    int second = 0;
    int weekday = 0; // 1 = Sunday ... 7 = Saturday
    int weekOfYear = 0;
};

// The Gregorian calendar in a time zone, with the week rules (first weekday, minimal days in the
// first week) of a locale. Day arithmetic moves by calendar days, so it keeps the wall-clock time
// across daylight-saving changes.
class Calendar {
public:
    // Empty ids mean the process defaults (see DateFormatting.h), read at construction.
    explicit Calendar(std::string timeZoneId = {}, std::string localeId = {});

    // The calendar of the default time zone and locale.
    static Calendar current();

    const std::string& timeZone() const { return timeZone_; }
    const std::string& locale() const { return locale_; }

    Date startOfDay(Date date) const;
    // Where the day after the date's day starts: the end of the date's day, which lasts 23, 24 or
    // 25 hours (or starts later than midnight) across daylight-saving changes.
    Date startOfNextDay(Date date) const;
    Date startOfWeek(Date date) const;  // start of the day that begins the date's week
    Date startOfMonth(Date date) const;
    Date addingDays(Date date, int days) const;
    Date addingWeeks(Date date, int weeks) const;
    Date addingMonths(Date date, int months) const;
    Date addingHours(Date date, int hours) const;
    Date addingMinutes(Date date, int minutes) const;
    Date addingSeconds(Date date, int seconds) const;

    DateComponents components(Date date) const;
    int year(Date date) const { return components(date).year; }
    int month(Date date) const { return components(date).month; }
    int day(Date date) const { return components(date).day; }
    int hour(Date date) const { return components(date).hour; }
    int minute(Date date) const { return components(date).minute; }
    int second(Date date) const { return components(date).second; }
    int weekday(Date date) const { return components(date).weekday; } // 1 = Sunday ... 7
    int weekOfYear(Date date) const { return components(date).weekOfYear; }
    int firstWeekday() const; // 1 = Sunday ... 7

    // Whether both dates fall on the same calendar day.
    bool isDate(Date date, Date inSameDayAs) const;

    // Whole calendar days from the day of `from` to the day of `to` (negative when `to` is earlier).
    int daysBetween(Date from, Date to) const;

    // The date for the wall-clock time given; out-of-range fields roll over (month 13 is January
    // of the next year). A time skipped by a daylight-saving change moves forward by the gap
    // (02:30 becomes 03:30); a repeated time means its first occurrence.
    Date date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) const;

    // Internal: the configured ICU calendar that each operation copies.
    struct Prototype;

private:
    std::string timeZone_;
    std::string locale_;
    std::shared_ptr<const Prototype> prototype_;
};

} // namespace glimmo
