#pragma once

// A history of many days of records as an older version kept it: one list, newest first, in the record
// file. Made independently of the code under test, so what it reads back is compared with this.

#include "app/ActivityRecord.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

namespace glimmo::testing {

struct RecordHistory {
    std::vector<ActivityRecordValue> records; // newest first, as the file holds them
    Date now;                                 // ten in the morning of the last day
    Date firstDay;                            // midnight of the first day (UTC)
};

// `days` days of `perDay` records each, ending on 2026-12-07 (UTC): records every half hour from 08:00,
// the last of each day at 23:30 for an hour, so it runs past midnight; every third record is the
// browser's. Unless `inOrder`, days 10 and 12 are written out of order (a clock set back), and the oldest
// record of day 5 swaps places with the newest of day 4.
inline RecordHistory recordHistory(int days = 30, int perDay = 20, bool inOrder = false) {
    RecordHistory history;
    history.firstDay = Date::fromUnixTime(1796601600.0 - 86400.0 * (days - 1));
    history.now = history.firstDay.addingTimeInterval(86400.0 * (days - 1) + 10 * 3600);
    std::vector<std::vector<ActivityRecordValue>> byDay(static_cast<std::size_t>(days));
    static const std::array<const char*, 3> apps{"Editor", "Google Chrome", "Terminal"};
    for (int day = 0; day < days; ++day) {
        for (int i = 0; i < perDay; ++i) {
            std::array<std::uint8_t, 16> bytes{};
            bytes[0] = 0x6f;
            bytes[6] = 0x40;
            bytes[8] = 0x80;
            bytes[14] = static_cast<std::uint8_t>(day);
            bytes[15] = static_cast<std::uint8_t>(i);
            const bool last = i == perDay - 1;
            const Date start = history.firstDay.addingTimeInterval(86400.0 * day + (last ? 23.5 * 3600 : 8 * 3600 + 1800.0 * i));
            byDay[static_cast<std::size_t>(day)].insert(
                byDay[static_cast<std::size_t>(day)].begin(),
                {UUID(bytes), apps[static_cast<std::size_t>(i % 3)], start, last ? 3600 : 1500 + 0.25 * i, 600.0 + i,
                 "day " + std::to_string(day) + " record " + std::to_string(i) + ": a summary of what the window showed"});
        }
    }
    for (int day = days - 1; day >= 0; --day) {
        const int written = inOrder ? day : day == 10 ? 12 : day == 12 ? 10 : day;
        for (const ActivityRecordValue& record : byDay[static_cast<std::size_t>(written)]) {
            history.records.push_back(record);
        }
    }
    if (!inOrder && days > 5) {
        const auto at = history.records.end() - 5 * perDay - 1;
        std::rotate(at, at + 1, at + 2);
    }
    return history;
}

inline std::map<UUID, ActivityRecordValue> byId(const std::vector<ActivityRecordValue>& records) {
    std::map<UUID, ActivityRecordValue> map;
    for (const ActivityRecordValue& record : records) {
        map.emplace(record.id, record);
    }
    return map;
}

} // namespace glimmo::testing
