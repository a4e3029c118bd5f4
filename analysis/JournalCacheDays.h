#pragma once

// The journal cache as held in memory: each day's reply decoded once, and the stored form made from
// the days only when the user defaults write it, on their writer's thread, within the cache's budget.

#include "analysis/JournalPromptCache.h"
#include "platform/foundation/UserDefaults.h"

#include <atomic>
#include <cstddef>
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
    JournalCacheEntry(SharedText response, Date timestamp) : response_(std::move(response)), timestamp_(timestamp) {}
    // Bytes that are no reply, kept as they were stored.
    explicit JournalCacheEntry(std::string undecoded) : undecoded_(std::move(undecoded)) {}
    JournalCacheEntry(const JournalCacheEntry&) = delete;
    JournalCacheEntry& operator=(const JournalCacheEntry&) = delete;

    // None when the stored bytes are no reply.
    const std::optional<SharedText>& response() const { return response_; }
    Date timestamp() const { return timestamp_; }
    // The entry's stored bytes.
    std::string bytes() const;
    // The entry as the stored array holds it: its bytes' Base64 as a JSON string. Made once, by whichever
    // thread asks first, so a save writes again only the entry it added.
    const std::string& storedText() const;
    // A bound below storedText().size() that costs nothing to know: a reply too large to store is told
    // without being encoded.
    std::size_t storedSizeAtLeast() const;
    // Logs, once for the entry, that it is kept in memory only, and marks it so.
    void reportNotStored(std::size_t budget) const;
    // Whether the entry is known to be too large for `budget` on its own: by its size, or because the
    // defaults' writer left it out for that.
    bool isKeptInMemoryOnly(std::size_t budget) const;
    // The bytes of its reply (or of its undecoded form): what keeping it in memory costs.
    std::size_t replyBytes() const { return response_ ? (*response_)->size() : undecoded_.size(); }

    // The same reply and time, whether or not the texts are one.
    bool operator==(const JournalCacheEntry& other) const {
        const bool sameResponse = response_.has_value() == other.response_.has_value() &&
                                  (!response_ || **response_ == **other.response_);
        return sameResponse && timestamp_ == other.timestamp_ && undecoded_ == other.undecoded_;
    }

private:
    const std::optional<SharedText> response_;
    const Date timestamp_;
    const std::string undecoded_;
    mutable std::once_flag storing_;
    mutable std::string storedText_;
    mutable std::once_flag reporting_;
    mutable std::atomic<bool> leftOut_{false};
};

// Throws JSONDecodingError for anything but the stored array; an entry that is no reply is kept undecoded.
JournalCacheDays decodeJournalCacheDays(std::string_view bytes);
// The days stored bytes hold: none when they are unreadable as a whole.
JournalCacheDays readableJournalCacheDays(std::string_view bytes);
JournalCacheDays readableJournalCacheDays(const DefaultsData& stored);
// The stored form of the days, the same as encodeJournalCache gives for their entries' bytes.
std::string encodeJournalCacheDays(const JournalCacheDays& days);

// What the cache stores of `days`: the newest days whose stored form, as the defaults write it (the
// array's Base64), takes at most `budget` bytes; the older ones go. A day too large on its own is left
// out, logged once, and the older days are still stored.
JournalCacheDays journalCacheDaysWithin(const JournalCacheDays& days, std::size_t budget);

// The days as the defaults' byte value under the cache's key: the days saved in this process over
// those of `read`, the value read from the file (or set by someone else) that the first of them was
// saved onto; `readDays` are its days when they were decoded by then. Its bytes are made within the
// cache's budget: what passes it stays in memory only.
class JournalCacheData final : public DefaultsData {
public:
    explicit JournalCacheData(std::shared_ptr<const JournalCacheDays> saved, std::shared_ptr<const DefaultsData> read = nullptr,
                              std::shared_ptr<const JournalCacheDays> readDays = nullptr)
        : saved_(std::move(saved)), read_(std::move(read)), readDays_(std::move(readDays)) {}
    std::vector<std::uint8_t> bytes() const override;
    const std::shared_ptr<const JournalCacheDays>& saved() const { return saved_; }
    const std::shared_ptr<const DefaultsData>& read() const { return read_; }

private:
    const std::shared_ptr<const JournalCacheDays> saved_;
    const std::shared_ptr<const DefaultsData> read_;
    const std::shared_ptr<const JournalCacheDays> readDays_;
};

// Drops from `days` those kept in memory only (too large for `storedBudget` on their own) past
// `memoryBudget` bytes of replies, the ones saved longest ago first: a journal too large for the file
// is kept for the process only while the few saved last fit in memory. The one saved last is kept
// whatever its size.
void keepMemoryOnlyDaysWithin(JournalCacheDays& days, std::size_t storedBudget, std::size_t memoryBudget);

// `over`'s days, and those of `under` that `over` does not hold.
JournalCacheDays journalCacheDaysOver(const JournalCacheDays& under, const JournalCacheDays& over);

} // namespace glimmo
