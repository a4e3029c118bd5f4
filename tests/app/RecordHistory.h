#pragma once

// Thirty days of records as an older version kept them: one list, newest first, in the record file.
// Made independently of the code under test, so what it reads back is compared with this.

#include "app/ActivityRecord.h"

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {

// A record as a failing test shows it.
inline void PrintTo(const ActivityRecordValue& record, std::ostream* out) {
    *out << "{" << record.id.uuidString() << ", " << record.appName << ", " << record.timestamp.secondsSinceReferenceDate
         << ", " << record.duration << ", " << record.activeTime << ", \"" << record.windowText.substr(0, 40) << "\"}";
}

} // namespace glimmo

namespace glimmo::testing {

struct RecordHistory {
    std::vector<ActivityRecordValue> records;
    Date firstDay = Date::fromUnixTime(1796601600.0 - 29 * 86400.0); // midnight (UTC) of the first day
    Date now = Date::fromUnixTime(1796601600.0 + 10 * 3600.0);       // ten in the morning of the last, 2026-12-07
};

// 20 records a day every half hour from 08:00, the last at 23:30 for an hour, so it runs past midnight.
// Unless `inOrder`, days 10 and 12 are written in each other's place and the oldest record of day 5
// after the newest of day 4 (a clock set back).
inline RecordHistory recordHistory(bool inOrder = false) {
    RecordHistory history;
    for (int written = 29; written >= 0; --written) {
        const int day = inOrder || (written != 10 && written != 12) ? written : 22 - written;
        for (int i = 19; i >= 0; --i) {
            const double start = 86400.0 * day + (i == 19 ? 23.5 * 3600 : 8 * 3600 + 1800.0 * i);
            history.records.push_back({UUID::random(), i % 3 == 0 ? "Google Chrome" : "Editor",
                                       history.firstDay.addingTimeInterval(start), i == 19 ? 3600 : 1500 + 0.25 * i,
                                       600.0 + i, "day " + std::to_string(day) + " record " + std::to_string(i)});
        }
    }
    if (!inOrder) {
        std::swap(history.records[24 * 20 + 19], history.records[25 * 20]);
    }
    return history;
}

// The values of a snapshot, as a load of the file gives them.
inline std::vector<ActivityRecordValue> valuesOf(const ActivityRecordSnapshot& snapshot) {
    std::vector<ActivityRecordValue> values;
    for (const auto& record : snapshot) {
        values.push_back(*record);
    }
    return values;
}

inline std::optional<std::vector<ActivityRecordValue>> valuesOf(const std::optional<ActivityRecordSnapshot>& snapshot) {
    return snapshot ? std::optional(valuesOf(*snapshot)) : std::nullopt;
}

} // namespace glimmo::testing
