#pragma once

#include "analysis/SharedText.h"
#include "app/ClearMark.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/Observable.h"
#include "platform/runtime/Task.h"

#include <cstddef>
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

// The day's journal replies, kept in the user defaults under "journalPromptCache" so a journal is not
// asked for again within 4 hours. Main thread only; "now" is the main run loop's clock.
//
// The defaults' value under the key is the one truth: a save stores the days as a value whose stored
// form the defaults make when they write it, off the main loop, keeping only the newest days that fit
// the budget; a reply too large for it alone stays in memory only, while the most recently saved such
// replies fit memoryOnlyBudget. The days saved in this process lie over the value read from the file
// (or set by someone else), which is decoded once, off the main loop when prepared, and never for a
// save: a save copies only the days saved before it. A value read past the budget (an earlier version
// kept every day) is stored again within it at the start (startStoringWithinBudget). Replies are
// shared, never copied: a lookup or a save costs the main loop the same for a journal of megabytes as
// for one of a line, and for a hundred thousand stored days as for one.
//
// Clearing (clear(), or the key removed through the defaults by anyone) forgets every day, and a reply
// asked for before it is refused (saveResponse with the mark taken when it was asked for), so a clear
// stays cleared however late the reply comes.
class JournalPromptCache {
public:
    static constexpr const char* defaultCacheKey = "journalPromptCache";
    static constexpr double defaultCacheTimeout = 14400.0;
    // At most this many bytes of the defaults file hold the cache (some 180 days of 8 KB journals). The
    // file is read whole before the tray icon shows and written whole with every setting: with 2 MiB a
    // start takes about 1.45 times an empty one (3 MiB 1.7, 4 MiB 1.9, 8 MiB 2.7 times;
    // bench/app/JournalCacheStartBench.cpp), the goal being at most twice.
    static constexpr std::size_t storedBytesBudget = std::size_t{2} << 20;
    // At most this many bytes of replies too large for the file stay in memory (two of the largest
    // replies the AI client reads), but for the one saved last: eight of them took the process past a
    // gigabyte.
    static constexpr std::size_t memoryOnlyBudget = std::size_t{64} << 20;

    explicit JournalPromptCache(UserDefaults& defaults);
    ~JournalPromptCache();
    JournalPromptCache(const JournalPromptCache&) = delete;
    JournalPromptCache& operator=(const JournalPromptCache&) = delete;

    // The process-wide cache on the standard user defaults (looked up at each use).
    static JournalPromptCache& shared();

    // Stores the text with the current time as the entry of the date's day, unless the cache was
    // cleared after `requested` was taken (when the reply was asked for); says whether it stored.
    bool saveResponse(SharedText text, Date date, ClearMark requested);
    // The same for a reply asked for just now.
    void saveResponse(SharedText text, Date date) { saveResponse(std::move(text), date, clearMark()); }
    // Taken when a reply is asked for, to be handed to saveResponse with it.
    ClearMark clearMark() const { return clears_.mark(); }
    // The cached text of the date's day and whether it is expired (older than the timeout, or
    // absent).
    std::pair<std::optional<SharedText>, bool> getResponse(Date date) const;
    // Forgets every day; replies asked for before are refused.
    void clear();
    // Emitted, on the main thread, once every day is forgotten: by clear(), or the key removed through
    // the defaults.
    Signal<> didClear;
    // Empty when there is nothing readable.
    JournalCacheDictionary loadCache() const;
    // Decodes the stored days on `decoder`'s thread unless they are in memory already, so that the
    // lookups after it answer at once; otherwise the first lookup decodes them on the main thread.
    // The cache and the queue must live until the task is awaited.
    Task<void> prepare(BackgroundQueue& decoder);
    // When the value read from the file is past the budget, decodes it on `decoder`'s thread and stores
    // its days again as saved ones, so that the defaults write it within the budget at once rather than
    // at the next save: the file is read whole before the tray icon shows, at every start. Days cleared or
    // set anew meanwhile stay as they are.
    Task<void> storeWithinBudget(BackgroundQueue& decoder);
    // storeWithinBudget on a queue of the cache's own, as a task of its own: the application's start.
    void startStoringWithinBudget();

    UserDefaults& defaults() const;
    const std::string cacheKey = defaultCacheKey;
    const double cacheTimeout = defaultCacheTimeout;

private:
    // The days of the value under the key: those saved in this process, and the value they lie over.
    struct Layers {
        std::shared_ptr<const JournalCacheDays> saved;
        std::shared_ptr<const DefaultsData> read;
    };
    // The days decoded from one read value, kept with that value.
    struct Decoded;

    Layers layers() const;
    // The days of `read`, decoded here unless they were before.
    std::shared_ptr<const JournalCacheDays> readDays(const std::shared_ptr<const DefaultsData>& read) const;
    bool isDecoded(const std::shared_ptr<const DefaultsData>& read) const;

    // Follows `defaults`' changes: a removal of the key is a clear.
    void bind(UserDefaults& defaults);
    void forgetEveryDay();

    UserDefaults* defaults_ = nullptr;
    Subscription defaultsChanges_;
    mutable std::shared_ptr<const Decoded> decoded_;
    ClearCount clears_;
    std::unique_ptr<BackgroundQueue> startQueue_;
};

} // namespace glimmo
