#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "analysis/JournalCacheDays.h"
#include "analysis/JournalPromptCache.h"
#include "platform/foundation/Json.h"

#include <algorithm>

namespace glimmo::fuzz::journalCache {

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    const auto entry = [](std::string_view bytes) {
        (void)roundTripped<JSONDecodingError>(bytes, decodeJournalPromptResponse, encodeJournalPromptResponse,
                                              "a journal entry changed on a round trip");
    };
    // The days and their entries, and the bytes taken as one entry on their own.
    const auto cache = roundTripped<JSONDecodingError>(bytesOf(data, size), decodeJournalCache, encodeJournalCache,
                                                       "a day changed on a round trip through the journal cache");
    for (const auto& [day, encoded] : cache.value_or(JournalCacheDictionary{})) {
        entry(encoded);
    }
    entry(bytesOf(data, size));
    // The days as held in memory, written by the defaults and read again at the next start.
    if (cache) {
        const JournalCacheDays days = decodeJournalCacheDays(bytesOf(data, size));
        const JournalCacheDays again = decodeJournalCacheDays(encodeJournalCacheDays(days));
        const auto sameEntry = [](const auto& left, const auto& right) {
            return left.first == right.first && *left.second == *right.second;
        };
        if (!std::equal(days.begin(), days.end(), again.begin(), again.end(), sameEntry)) {
            fail("a day changed on a round trip through the journal cache in memory");
        }
    }
    return 0;
}

} // namespace glimmo::fuzz::journalCache
