#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "app/ActivityDataManager.h"
#include "platform/foundation/Json.h"

namespace glimmo::fuzz::dailyStore {

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    (void)roundTripped<JSONDecodingError>(bytesOf(data, size), decodeDailyActivityStore, encodeDailyActivityStore,
                                          "a day changed on a round trip through the per-day store");
    return 0;
}

} // namespace glimmo::fuzz::dailyStore
