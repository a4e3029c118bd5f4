#pragma once

#include <compare>

namespace glimmo {

// A point in time: seconds since 2001-01-01 00:00:00 UTC, the form in which the application's files
// store dates.
struct Date {
    double secondsSinceReferenceDate = 0;

    // Seconds between 1970-01-01 and 2001-01-01.
    static constexpr double unixEpochOffset = 978307200.0;

    static constexpr Date fromUnixTime(double secondsSince1970) { return Date{secondsSince1970 - unixEpochOffset}; }
    constexpr double unixTime() const { return secondsSinceReferenceDate + unixEpochOffset; }

    constexpr Date addingTimeInterval(double seconds) const { return Date{secondsSinceReferenceDate + seconds}; }
    // Positive when this date is later than `other`.
    constexpr double timeIntervalSince(Date other) const {
        return secondsSinceReferenceDate - other.secondsSinceReferenceDate;
    }

    // 0001-01-01 and 4001-01-01, the conventional "never" bounds.
    static constexpr Date distantPast() { return Date{-63114076800.0}; }
    static constexpr Date distantFuture() { return Date{63113904000.0}; }

    friend constexpr auto operator<=>(const Date&, const Date&) = default;
    friend constexpr bool operator==(const Date&, const Date&) = default;
};

}  // namespace glimmo
