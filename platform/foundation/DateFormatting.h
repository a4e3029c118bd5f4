#pragma once

#include "platform/runtime/Date.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

// Process-wide defaults for formatters and calendars. Initially taken from the environment
// (TZ; LC_ALL, LC_TIME, LANG); tests override them. An empty id returns to the environment's value.
void setDefaultLocale(std::string localeId);
void setDefaultTimeZone(std::string timeZoneId);
std::string defaultLocale();   // ICU locale id, e.g. "en_US"
std::string defaultTimeZone(); // IANA id, e.g. "America/Los_Angeles"

enum class DateStyle { none, shortStyle, medium, longStyle, full };

// Formats and parses dates with ICU. Either styles or a fixed pattern (the pattern wins when set).
// Locale and time zone default to the process defaults at the time of formatting.
class DateFormatter {
public:
    DateFormatter();
    ~DateFormatter();
    DateFormatter(const DateFormatter& other);
    DateFormatter& operator=(const DateFormatter& other);
    DateFormatter(DateFormatter&&) noexcept;
    DateFormatter& operator=(DateFormatter&&) noexcept;

    void setDateStyle(DateStyle style);
    void setTimeStyle(DateStyle style);
    void setDateFormat(std::string pattern); // ICU/Unicode pattern such as "yyyy-MM-dd"
    void setLocale(std::string localeId);
    void setTimeZone(std::string timeZoneId);

    std::string string(Date date) const;
    // nullopt when the whole text does not match.
    std::optional<Date> date(std::string_view text) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The date in the default locale and time zone with the given styles, e.g. (none, medium) for the
// times in log lines.
std::string localizedString(Date date, DateStyle dateStyle, DateStyle timeStyle);

// "yyyy-MM-dd" of the date in UTC.
std::string iso8601DateOnlyUTC(Date date);

// The application's fixed patterns in the default time zone.
// Day keys ("yyyy-MM-dd") and timestamps ("yyyy-MM-dd HH:mm:ss") are machine-readable, so they are
// written with Gregorian years and ASCII digits whatever the user's locale.
std::string dayKey(Date date);                 // "yyyy-MM-dd"
std::string timestampString(Date date);        // "yyyy-MM-dd HH:mm:ss"
std::string timeOfDayString(Date date);        // "h:mm a" in the default locale
std::string monthDayString(Date date);         // "MMMM d" in the default locale
std::string abbreviatedWeekdayEnUS(Date date); // "EEE" in en_US, e.g. "Mon"

} // namespace glimmo
