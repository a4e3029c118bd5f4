#include "platform/foundation/DateFormatting.h"

#include "platform/foundation/IcuSupport.h"

#include <unicode/datefmt.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cstdlib>
#include <mutex>
#include <stdexcept>

namespace glimmo {

namespace {

struct Defaults {
    std::mutex mutex;
    std::string localeOverride;
    std::string timeZoneOverride;
};

Defaults& defaults() {
    static Defaults instance;
    return instance;
}

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// "en_US.UTF-8@euro" -> "en_US@euro"; "C" and "POSIX" -> "en_US_POSIX".
std::string localeFromEnvironment() {
    std::string value;
    for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
        value = environmentValue(name);
        if (!value.empty()) {
            break;
        }
    }
    if (const auto dot = value.find('.'); dot != std::string::npos) {
        const auto at = value.find('@', dot);
        value = value.substr(0, dot) + (at == std::string::npos ? std::string() : value.substr(at));
    }
    if (value.empty() || value == "C" || value == "POSIX") {
        return "en_US_POSIX";
    }
    return value;
}

std::string hostTimeZone() {
    static const std::string detected = [] {
        const std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::detectHostTimeZone());
        icu::UnicodeString id;
        if (zone) {
            zone->getID(id);
        }
        const std::string text = icu_support::toUTF8(id);
        return text.empty() || text == "Etc/Unknown" ? std::string("UTC") : text;
    }();
    return detected;
}

// TZ may be ":Area/City", "Area/City" or a path into the zoneinfo database.
std::string timeZoneFromEnvironment() {
    std::string value = environmentValue("TZ");
    if (!value.empty() && value.front() == ':') {
        value.erase(0, 1);
    }
    if (const auto zoneinfo = value.find("zoneinfo/"); zoneinfo != std::string::npos) {
        value.erase(0, zoneinfo + 9);
    }
    return value.empty() ? hostTimeZone() : value;
}

icu::DateFormat::EStyle icuStyle(DateStyle style) {
    switch (style) {
    case DateStyle::none: return icu::DateFormat::kNone;
    case DateStyle::shortStyle: return icu::DateFormat::kShort;
    case DateStyle::medium: return icu::DateFormat::kMedium;
    case DateStyle::longStyle: return icu::DateFormat::kLong;
    case DateStyle::full: return icu::DateFormat::kFull;
    }
    return icu::DateFormat::kNone;
}

std::unique_ptr<icu::TimeZone> makeTimeZone(const std::string& id) {
    return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(id)));
}

std::unique_ptr<icu::SimpleDateFormat> makePatternFormat(const std::string& pattern, const std::string& locale,
                                                         const std::string& timeZone) {
    UErrorCode status = U_ZERO_ERROR;
    auto format = std::make_unique<icu::SimpleDateFormat>(icu_support::toUnicode(pattern),
                                                          icu::Locale::createFromName(locale.c_str()), status);
    if (U_FAILURE(status)) {
        throw std::invalid_argument("invalid date format \"" + pattern + "\": " + u_errorName(status));
    }
    format->adoptTimeZone(makeTimeZone(timeZone).release());
    return format;
}

std::string formatWith(const icu::DateFormat& format, Date date) {
    icu::UnicodeString text;
    format.format(icu_support::toUDate(date), text);
    return icu_support::toUTF8(text);
}

// Machine-readable fixed patterns: Gregorian years and ASCII digits in every locale.
std::string formatFixed(const char* pattern, Date date, const std::string& timeZone) {
    thread_local std::string cachedKey;
    thread_local std::unique_ptr<icu::SimpleDateFormat> cached;
    const std::string key = std::string(pattern) + "|" + timeZone;
    if (!cached || cachedKey != key) {
        cached = makePatternFormat(pattern, "en_US_POSIX", timeZone);
        cachedKey = key;
    }
    return formatWith(*cached, date);
}

} // namespace

void setDefaultLocale(std::string localeId) {
    const std::lock_guard lock(defaults().mutex);
    defaults().localeOverride = std::move(localeId);
}

void setDefaultTimeZone(std::string timeZoneId) {
    const std::lock_guard lock(defaults().mutex);
    defaults().timeZoneOverride = std::move(timeZoneId);
}

std::string defaultLocale() {
    {
        const std::lock_guard lock(defaults().mutex);
        if (!defaults().localeOverride.empty()) {
            return defaults().localeOverride;
        }
    }
    return localeFromEnvironment();
}

std::string defaultTimeZone() {
    {
        const std::lock_guard lock(defaults().mutex);
        if (!defaults().timeZoneOverride.empty()) {
            return defaults().timeZoneOverride;
        }
    }
    return timeZoneFromEnvironment();
}

struct DateFormatter::Impl {
    DateStyle dateStyle = DateStyle::none;
    DateStyle timeStyle = DateStyle::none;
    std::string pattern;
    std::string locale;   // empty: the process default
    std::string timeZone; // empty: the process default

    // The ICU formatter for the settings it was built with; rebuilt when they change.
    mutable std::mutex cacheMutex;
    mutable std::unique_ptr<icu::DateFormat> cached;
    mutable std::string cachedFor;

    Impl() = default;
    Impl(const Impl& other)
        : dateStyle(other.dateStyle), timeStyle(other.timeStyle), pattern(other.pattern), locale(other.locale),
          timeZone(other.timeZone) {}

    // nullptr when both styles are none and there is no pattern: such a formatter writes "".
    template <typename Use>
    auto withFormat(Use use) const {
        const std::string effectiveLocale = locale.empty() ? defaultLocale() : locale;
        const std::string effectiveZone = timeZone.empty() ? defaultTimeZone() : timeZone;
        const std::string key = effectiveLocale + "|" + effectiveZone;
        const std::lock_guard lock(cacheMutex);
        if (cachedFor != key || !cached) {
            cached.reset();
            cachedFor.clear();
            if (!pattern.empty()) {
                cached = makePatternFormat(pattern, effectiveLocale, effectiveZone);
            } else if (dateStyle != DateStyle::none || timeStyle != DateStyle::none) {
                cached.reset(icu::DateFormat::createDateTimeInstance(
                    icuStyle(dateStyle), icuStyle(timeStyle), icu::Locale::createFromName(effectiveLocale.c_str())));
                if (cached) {
                    cached->adoptTimeZone(makeTimeZone(effectiveZone).release());
                }
            }
            if (cached) {
                cached->setLenient(false);
                cachedFor = key;
            }
        }
        return use(cached.get());
    }

    void invalidate() {
        const std::lock_guard lock(cacheMutex);
        cached.reset();
        cachedFor.clear();
    }
};

DateFormatter::DateFormatter() : impl_(std::make_unique<Impl>()) {}
DateFormatter::~DateFormatter() = default;
DateFormatter::DateFormatter(const DateFormatter& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
DateFormatter& DateFormatter::operator=(const DateFormatter& other) {
    if (this != &other) {
        impl_ = std::make_unique<Impl>(*other.impl_);
    }
    return *this;
}
DateFormatter::DateFormatter(DateFormatter&&) noexcept = default;
DateFormatter& DateFormatter::operator=(DateFormatter&&) noexcept = default;

void DateFormatter::setDateStyle(DateStyle style) {
    impl_->dateStyle = style;
    impl_->invalidate();
}

void DateFormatter::setTimeStyle(DateStyle style) {
    impl_->timeStyle = style;
    impl_->invalidate();
}

void DateFormatter::setDateFormat(std::string pattern) {
    impl_->pattern = std::move(pattern);
    impl_->invalidate();
}

void DateFormatter::setLocale(std::string localeId) {
    impl_->locale = std::move(localeId);
    impl_->invalidate();
}

void DateFormatter::setTimeZone(std::string timeZoneId) {
    impl_->timeZone = std::move(timeZoneId);
    impl_->invalidate();
}

std::string DateFormatter::string(Date date) const {
    return impl_->withFormat([&](const icu::DateFormat* format) {
        return format == nullptr ? std::string() : formatWith(*format, date);
    });
}

std::optional<Date> DateFormatter::date(std::string_view text) const {
    return impl_->withFormat([&](const icu::DateFormat* format) -> std::optional<Date> {
        if (format == nullptr) {
            return std::nullopt;
        }
        const icu::UnicodeString unicode = icu_support::toUnicode(text);
        icu::ParsePosition position(0);
        const UDate parsed = format->parse(unicode, position);
        if (position.getErrorIndex() >= 0 || position.getIndex() != unicode.length()) {
            return std::nullopt;
        }
        return icu_support::fromUDate(parsed);
    });
}

std::string localizedString(Date date, DateStyle dateStyle, DateStyle timeStyle) {
    DateFormatter formatter;
    formatter.setDateStyle(dateStyle);
    formatter.setTimeStyle(timeStyle);
    return formatter.string(date);
}

std::string iso8601DateOnlyUTC(Date date) { return formatFixed("yyyy-MM-dd", date, "UTC"); }

std::string dayKey(Date date) { return formatFixed("yyyy-MM-dd", date, defaultTimeZone()); }

std::string timestampString(Date date) { return formatFixed("yyyy-MM-dd HH:mm:ss", date, defaultTimeZone()); }

std::string timeOfDayString(Date date) {
    DateFormatter formatter;
    formatter.setDateFormat("h:mm a");
    return formatter.string(date);
}

std::string monthDayString(Date date) {
    DateFormatter formatter;
    formatter.setDateFormat("MMMM d");
    return formatter.string(date);
}

std::string abbreviatedWeekdayEnUS(Date date) {
    DateFormatter formatter;
    formatter.setDateFormat("EEE");
    formatter.setLocale("en_US");
    return formatter.string(date);
}

} // namespace glimmo
