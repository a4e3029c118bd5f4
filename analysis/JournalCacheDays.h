#pragma once

// The journal cache as held in memory: each day's reply decoded once, and the stored form made from
// the days only when the user defaults write it, on their writer's thread.

#include "analysis/JournalPromptCache.h"
#include "platform/foundation/UserDefaults.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

// One day's entry. Never changed once made: the defaults' writer reads it while the main thread goes
// on, and every save after it shares it.
class JournalCacheEntry {
public:
    explicit JournalCacheEntry(JournalPromptResponse response) : response_(std::move(response)) {}
    // Bytes that are no reply, kept as they were stored.
    explicit JournalCacheEntry(std::string undecoded) : undecoded_(std::move(undecoded)) {}
    JournalCacheEntry(const JournalCacheEntry&) = delete;
    JournalCacheEntry& operator=(const JournalCacheEntry&) = delete;

    // None when the stored bytes are no reply.
    const std::optional<JournalPromptResponse>& response() const { return response_; }
    // The entry's stored bytes.
    std::string bytes() const;
    // The entry as the stored array holds it: its bytes' Base64 as a JSON string. Made once, by whichever
    // thread asks first, so a save writes again only the entry it added.
    const std::string& storedText() const;

    bool operator==(const JournalCacheEntry& other) const {
        return response_ == other.response_ && undecoded_ == other.undecoded_;
    }

private:
    const std::optional<JournalPromptResponse> response_;
    const std::string undecoded_;
    mutable std::once_flag storing_;
    mutable std::string storedText_;
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
