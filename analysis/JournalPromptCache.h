#pragma once

#include "platform/runtime/Date.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {

class UserDefaults;

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

// The day's journal replies, kept in the user defaults under "journalPromptCache" so a journal
// is not asked for again within 4 hours. Main thread only; "now" is the main run loop's clock.
class JournalPromptCache {
public:
    static constexpr const char* defaultCacheKey = "journalPromptCache";
    static constexpr double defaultCacheTimeout = 14400.0;

    explicit JournalPromptCache(UserDefaults& defaults);

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

    UserDefaults& defaults() const;
    const std::string cacheKey = defaultCacheKey;
    const double cacheTimeout = defaultCacheTimeout;

private:
    UserDefaults* defaults_;
};

} // namespace glimmo
