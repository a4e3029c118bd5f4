#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "app/ActivityRecordFile.h"
#include "app/ActivityReport.h"
#include "app/DurationText.h"
#include "platform/foundation/Json.h"

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

} // namespace

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    const auto records = roundTripped<JSONDecodingError>(
        bytesOf(data, size), decodeActivityRecords,
        [](const std::vector<ActivityRecordValue>& records) { return encodeActivityRecords(records); },
        "a record changed on a round trip through the record file");
    if (records) show(*records);
    return 0;
}

} // namespace glimmo::fuzz::recordFile
