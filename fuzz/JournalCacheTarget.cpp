#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "analysis/JournalPromptCache.h"
#include "platform/foundation/Json.h"

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
    return 0;
}

} // namespace glimmo::fuzz::journalCache
