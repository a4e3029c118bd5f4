#pragma once

#include "platform/runtime/Date.h"
#include "platform/runtime/Task.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {

class BackgroundQueue;
class DefaultsData;
class UserDefaults;
class JournalCacheEntry;

// One cached journal reply and when it was saved.
struct JournalPromptResponse {
    std::string response;
    Date timestamp;

    bool operator==(const JournalPromptResponse&) const = default;
};

// Compact JSON {"response":…,"timestamp":…}, slashes escaped, dates as seconds since 2001.
std::string encodeJournalPromptResponse(const JournalPromptResponse& entry);
// Throws JSONDecodingError.
JournalPromptResponse decodeJournalPromptResponse(std::string_view bytes);

// Day (local midnight) to the bytes of one encoded entry.
using JournalCacheDictionary = std::map<Date, std::string>;

// The stored form: one flat JSON array alternating day and Base64 entry.
std::string encodeJournalCache(const JournalCacheDictionary& cache);
// Throws JSONDecodingError for anything but such an array.
JournalCacheDictionary decodeJournalCache(std::string_view bytes);

// Day (local midnight) to its entry, as held in memory (JournalCacheDays.h).
using JournalCacheDays = std::map<Date, std::shared_ptr<const JournalCacheEntry>>;

// The day's journal replies, kept in the user defaults under "journalPromptCache" so a journal
// is not asked for again within 4 hours. Main thread only; "now" is the main run loop's clock.
//
// The defaults' value under the key is the one truth: a save stores the days as a value whose stored
// form the defaults make when they write it, off the main loop. A value that is not such days (read
// from the file, or set by someone else) is decoded once, and lookups answer from memory until the
// value changes; removing the key through the defaults forgets every day.
class JournalPromptCache {
public:
    static constexpr const char* defaultCacheKey = "journalPromptCache";
    static constexpr double defaultCacheTimeout = 14400.0;

    explicit JournalPromptCache(UserDefaults& defaults);
    ~JournalPromptCache();
    JournalPromptCache(const JournalPromptCache&) = delete;
    JournalPromptCache& operator=(const JournalPromptCache&) = delete;

    // The process-wide cache on the standard user defaults (looked up at each use).
    static JournalPromptCache& shared();

    // Stores the text with the current time as the entry of the date's day.
    void saveResponse(const std::string& text, Date date);
    // The cached text of the date's day and whether it is expired (older than the timeout, or
    // absent).
    std::pair<std::optional<std::string>, bool> getResponse(Date date) const;
    // Forgets every day.
    void clear();
    // Empty when there is nothing readable.
    JournalCacheDictionary loadCache() const;
    // Decodes the stored days on `decoder`'s thread unless they are in memory already, so that the
    // lookups after it answer at once; otherwise the first lookup decodes them on the main thread.
    // The cache and the queue must live until the task is awaited.
    Task<void> prepare(BackgroundQueue& decoder);

    UserDefaults& defaults() const;
    const std::string cacheKey = defaultCacheKey;
    const double cacheTimeout = defaultCacheTimeout;

private:
    // The days decoded from one stored value, kept with that value.
    struct Decoded;
    std::shared_ptr<const JournalCacheDays> days() const;

    UserDefaults* defaults_;
    mutable std::shared_ptr<const Decoded> decoded_;
};

} // namespace glimmo
