#pragma once

// The names of the archive's day files ("2026-12-07.json"), for ActivityRecordArchive.

#include "platform/runtime/Date.h"

#include <optional>
#include <string>
#include <vector>

namespace glimmo {

inline constexpr const char* dayFileExtension = ".json";

// "yyyy-MM-dd".
std::string dayNameOf(int year, int month, int day);
// The date a record's day is named after: a damaged timestamp centuries away still names a day of
// four-digit years.
Date dateForDayName(Date date);
// The day a day file's name gives ("2026-12-07" of "2026-12-07.json"); nullopt for any other name.
std::optional<std::string> dayOfFileName(const std::string& name);
// Every day that a record begun within [earliest, latest] is named after in some time zone: the local
// days of every offset from UTC a zone can have (within 26 hours either way).
std::vector<std::string> dayNamesInAnyTimeZone(Date earliest, Date latest);

} // namespace glimmo
