#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "app/ActivityRecordFile.h"
#include "platform/foundation/Json.h"

namespace glimmo::fuzz::recordFile {

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    std::vector<ActivityRecordValue> records;
    try {
        records = decodeActivityRecords(bytesOf(data, size));
    } catch (const JSONDecodingError&) {
        return 0;
    }
    // What was read is written back and reads as the same records.
    if (decodeActivityRecords(encodeActivityRecords(records)) != records) {
        fail("a record changed on a round trip through the record file");
    }
    return 0;
}

} // namespace glimmo::fuzz::recordFile
