#pragma once

// The journal cache as held in memory: each day's reply decoded once, and the stored form made from
// the days only when the user defaults write it, on their writer's thread.

#include "analysis/JournalPromptCache.h"
#include "platform/foundation/UserDefaults.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

// One day's entry. Never changed once made: the defaults' writer reads it while the main thread goes on.
struct JournalCacheEntry {
    // The reply, when the stored bytes decode as one.
    std::optional<JournalPromptResponse> response;
    // Otherwise the bytes as they were stored, kept as they are.
    std::string undecoded;

    // The entry's stored bytes.
    std::string bytes() const;

    bool operator==(const JournalCacheEntry&) const = default;
};

// Throws JSONDecodingError for anything but the stored array; an entry that is no reply is kept undecoded.
JournalCacheDays decodeJournalCacheDays(std::string_view bytes);
// The stored form of the days, the same as encodeJournalCache gives for their entries' bytes.
std::string encodeJournalCacheDays(const JournalCacheDays& days);

// The days as the defaults' byte value under the cache's key.
class JournalCacheData final : public DefaultsData {
public:
    explicit JournalCacheData(std::shared_ptr<const JournalCacheDays> days) : days_(std::move(days)) {}
    std::vector<std::uint8_t> bytes() const override {
        const std::string stored = encodeJournalCacheDays(*days_);
        return {stored.begin(), stored.end()};
    }
    const std::shared_ptr<const JournalCacheDays>& days() const { return days_; }

private:
    const std::shared_ptr<const JournalCacheDays> days_;
};

} // namespace glimmo
