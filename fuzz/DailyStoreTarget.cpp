#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "app/ActivityDataManager.h"
#include "platform/foundation/Json.h"

namespace glimmo::fuzz::dailyStore {

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    DailyActivityStore store;
    try {
        store = decodeDailyActivityStore(bytesOf(data, size));
    } catch (const JSONDecodingError&) {
        return 0;
    }
    // What was read is written back and reads as the same days.
    if (decodeDailyActivityStore(encodeDailyActivityStore(store)) != store) {
        fail("a day changed on a round trip through the per-day store");
    }
    return 0;
}

} // namespace glimmo::fuzz::dailyStore
