#pragma once

// The record file's format, which the archive's day files share: one pretty-printed JSON array of
// records, newest first. Keys in order: "id" (upper-case UUID), "appName", "timestamp" (seconds since
// 2001), "duration", "activeTime" (optional, 0), "windowText" (optional, the pending text).

#include "app/ActivityRecord.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace glimmo {

std::string encodeActivityRecords(const ActivityRecordSnapshot& records);
std::string encodeActivityRecords(const std::vector<ActivityRecordValue>& records);
// Throws JSONDecodingError when a required key is missing or any value has the wrong type.
// "duration" and "activeTime" are read within 0...longestRecordSeconds.
std::vector<ActivityRecordValue> decodeActivityRecords(std::string_view json);

// Sorts newest first, as the file holds them; records of the same moment keep their order.
void sortNewestFirst(std::vector<ActivityRecordValue>& records);

// Time is credited to a record only while it is in front, never taken back: a negative duration, or
// one of more than a century, is damage to the file and is read at the nearest of these bounds.
inline constexpr double longestRecordSeconds = 100 * 365.25 * 24 * 3600;

// The record file's text from the texts of its records, each kept while its shared value stays the
// same: a save after a switch or an analysis encodes the records that changed, not the two days.
class EncodedRecords {
public:
    std::string encode(const ActivityRecordSnapshot& records);

private:
    struct Entry {
        std::shared_ptr<const ActivityRecordValue> value;
        std::string text;
    };
    std::unordered_map<UUID, Entry> entries_;
};

} // namespace glimmo
