#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "analysis/JournalPromptCache.h"
#include "platform/foundation/Json.h"

namespace glimmo::fuzz::journalCache {

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    JournalCacheDictionary cache;
    try {
        cache = decodeJournalCache(bytesOf(data, size));
    } catch (const JSONDecodingError&) {
    }
    // What was read is written back and reads as the same days and entries.
    if (decodeJournalCache(encodeJournalCache(cache)) != cache) {
        fail("a day changed on a round trip through the journal cache");
    }
    for (const auto& [day, entry] : cache) {
        try {
            const JournalPromptResponse response = decodeJournalPromptResponse(entry);
            if (decodeJournalPromptResponse(encodeJournalPromptResponse(response)) != response) {
                fail("a journal entry changed on a round trip");
            }
        } catch (const JSONDecodingError&) {
        }
    }
    // The bytes may also be one entry on their own.
    try {
        (void)decodeJournalPromptResponse(bytesOf(data, size));
    } catch (const JSONDecodingError&) {
    }
    return 0;
}

} // namespace glimmo::fuzz::journalCache
