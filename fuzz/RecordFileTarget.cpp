#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "app/ActivityRecordCoding.h"
#include "app/ActivityRecordStream.h"
#include "app/ActivityReport.h"
#include "app/DurationText.h"
#include "platform/foundation/Json.h"

#include <algorithm>

namespace glimmo::fuzz::recordFile {

namespace {

// The records as the report shows them: each duration as text, their sum in minutes and shares.
void show(const std::vector<ActivityRecordValue>& records) {
    std::vector<UnifiedActivity> activities;
    double total = 0;
    for (const ActivityRecordValue& record : records) {
        (void)durationText(record.activeTime);
        activities.push_back(
            {record.appName, UnifiedActivity::ActivityType::app, record.duration, record.timestamp, ""});
        total += record.duration;
    }
    (void)formatActivityReport(makeActivityReport(activities, total));
}

// The records the streaming reader gives with pieces of one record at most `longestRecord` bytes, or
// nullopt when it refuses the text.
std::optional<std::vector<ActivityRecordValue>> streamed(std::string_view text, std::size_t longestRecord) {
    std::vector<ActivityRecordValue> records;
    try {
        std::string_view rest = text;
        streamActivityRecordsFrom(
            [&rest](char* into, std::size_t count) {
                const std::size_t taken = std::min(count, rest.size());
                std::copy_n(rest.data(), taken, into);
                rest.remove_prefix(taken);
                return taken;
            },
            [&records](ActivityRecordValue&& record) {
                records.push_back(std::move(record));
                return true;
            },
            longestRecord);
    } catch (const JSONDecodingError&) {
        return std::nullopt;
    }
    return records;
}

} // namespace

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = bytesOf(data, size);
    const auto records = roundTripped<JSONDecodingError>(
        text, decodeActivityRecords,
        [](const std::vector<ActivityRecordValue>& records) { return encodeActivityRecords(records); },
        "a record changed on a round trip through the record file");
    // An older version's file too large to read whole is streamed: it must read exactly as it would whole.
    if (streamed(text, longestStreamedRecordBytes) != records) {
        fail("the streaming reader and the whole-file reader disagree");
    }
    // No record fits in 64 bytes (its id alone takes 43): past that bound each is refused, so a damaged
    // one ends the read rather than memory.
    const auto inSmallPieces = streamed(text, 64);
    if (inSmallPieces && inSmallPieces != records) {
        fail("the streaming reader read other records with a small bound");
    }
    if (inSmallPieces && !inSmallPieces->empty()) {
        fail("the streaming reader read a record larger than its bound");
    }
    if (records) show(*records);
    return 0;
}

} // namespace glimmo::fuzz::recordFile
