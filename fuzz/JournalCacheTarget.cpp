#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "analysis/JournalCacheDays.h"
#include "analysis/JournalPromptCache.h"
#include "platform/foundation/Json.h"

#include <algorithm>

namespace glimmo::fuzz::journalCache {

namespace {

// The days kept within `budget` take no more of the file than it; they are the newest ones, but for
// those too large on their own; and they fill the budget: the newest day left out would pass it.
void checkBudget(const JournalCacheDays& days, std::size_t budget) {
    const JournalCacheDays kept = journalCacheDaysWithin(days, budget);
    const auto fileBytes = [](const JournalCacheDays& some) { return base64Encode(encodeJournalCacheDays(some)).size(); };
    if (!kept.empty() && fileBytes(kept) > budget) {
        fail("the journal cache stored more than its budget");
    }
    for (auto day = days.rbegin(); day != days.rend(); ++day) {
        if (const auto found = kept.find(day->first); found != kept.end()) {
            if (found->second != day->second) fail("the journal cache stored another entry for a day");
            continue;
        }
        if (fileBytes({*day}) > budget) {
            continue;
        }
        if (kept.empty() || day->first > kept.begin()->first) {
            fail("the journal cache left out a day for an older one");
        }
        JournalCacheDays more = kept;
        more.insert(*day);
        if (fileBytes(more) <= budget) {
            fail("the journal cache stopped short of its budget");
        }
        return;
    }
}

} // namespace

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
        for (const std::size_t budget : {std::size_t{64}, std::size_t{512}, std::size_t{4096}}) {
            checkBudget(days, budget);
        }
    }
    return 0;
}

} // namespace glimmo::fuzz::journalCache
