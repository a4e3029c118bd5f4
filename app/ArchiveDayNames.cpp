#include "app/ArchiveDayNames.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace glimmo {
namespace {

std::string padded(long long value, std::size_t width) {
    std::string text = std::to_string(value);
    return text.size() < width ? std::string(width - text.size(), '0') + text : text;
}

// The civil date of a day counted from 1970-01-01 (the proleptic Gregorian calendar).
std::string utcDayName(long long daysSince1970) {
    const long long shifted = daysSince1970 + 719468;
    const long long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const long long dayOfEra = shifted - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    const long long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return dayNameOf(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
}

long long utcDayNumber(Date date) { return static_cast<long long>(std::floor(date.unixTime() / 86400.0)); }

} // namespace

std::string dayNameOf(int year, int month, int day) {
    return padded(year, 4) + "-" + padded(month, 2) + "-" + padded(day, 2);
}

Date dateForDayName(Date date) {
    constexpr double earliest = -3.1e10; // the year 1019
    constexpr double latest = 2.2e11;    // the year 8972
    return Date{std::clamp(date.secondsSinceReferenceDate, earliest, latest)};
}

std::optional<std::string> dayOfFileName(const std::string& name) {
    const std::string extension = dayFileExtension;
    if (name.size() != 10 + extension.size() || name.compare(10, extension.size(), extension) != 0 || name[4] != '-' ||
        name[7] != '-') {
        return std::nullopt;
    }
    for (const std::size_t digit : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!std::isdigit(static_cast<unsigned char>(name[digit]))) return std::nullopt;
    }
    return name.substr(0, 10);
}

std::vector<std::string> dayNamesInAnyTimeZone(Date earliest, Date latest) {
    constexpr double widestOffset = 26 * 3600.0;
    const long long first = utcDayNumber(dateForDayName(earliest).addingTimeInterval(-widestOffset));
    const long long last = utcDayNumber(dateForDayName(latest).addingTimeInterval(widestOffset));
    std::vector<std::string> names;
    for (long long day = first; day <= last; ++day) {
        names.push_back(utcDayName(day));
    }
    return names;
}

} // namespace glimmo
