#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "app/ActivityRecordFile.h"
#include "platform/foundation/Json.h"

namespace glimmo::fuzz::recordFile {

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    (void)roundTripped<JSONDecodingError>(
        bytesOf(data, size), decodeActivityRecords,
        [](const std::vector<ActivityRecordValue>& records) { return encodeActivityRecords(records); },
        "a record changed on a round trip through the record file");
    return 0;
}

} // namespace glimmo::fuzz::recordFile
