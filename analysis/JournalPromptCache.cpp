#include "analysis/JournalPromptCache.h"

#include "analysis/JournalCacheDays.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/RunLoop.h"

namespace glimmo {

struct JournalPromptCache::Decoded {
    // Not kept alive: once no value under the key rests on it, it is of no use.
    std::weak_ptr<const DefaultsData> source;
    std::shared_ptr<const JournalCacheDays> days;
};

namespace {

const std::shared_ptr<const JournalCacheDays>& noDays() {
    static const auto days = std::make_shared<const JournalCacheDays>();
    return days;
}

} // namespace

JournalPromptCache::JournalPromptCache(UserDefaults& defaults) { bind(defaults); }

JournalPromptCache::~JournalPromptCache() = default;

JournalPromptCache& JournalPromptCache::shared() {
    // Bound to whichever standard defaults are installed when it is used; bound anew each time, since
    // defaults made in the place of ones that went may have their address.
    static JournalPromptCache cache(UserDefaults::standard());
    cache.bind(UserDefaults::standard());
    return cache;
}

void JournalPromptCache::bind(UserDefaults& defaults) {
    defaults_ = &defaults;
    defaultsChanges_ = defaults.didChange.connect([this, &defaults](const std::string& key) {
        if (key == cacheKey && !defaults.contains(cacheKey)) forgetEveryDay();
    });
}

void JournalPromptCache::forgetEveryDay() {
    decoded_.reset();
    clears_.cleared();
    didClear.emit();
}

UserDefaults& JournalPromptCache::defaults() const {
    return *defaults_;
}

JournalPromptCache::Layers JournalPromptCache::layers() const {
    auto stored = defaults_->dataValue(cacheKey);
    if (!stored) {
        // Nothing, or bytes in a form the defaults keep as JSON (read on each use, as before).
        const auto bytes = defaults_->data(cacheKey);
        if (!bytes) {
            return {noDays(), nullptr};
        }
        const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        return {std::make_shared<const JournalCacheDays>(readableJournalCacheDays(text)), nullptr};
    }
    if (const auto* saved = dynamic_cast<const JournalCacheData*>(stored.get())) {
        return {saved->saved(), saved->read()};
    }
    return {noDays(), std::move(stored)};
}

bool JournalPromptCache::isDecoded(const std::shared_ptr<const DefaultsData>& read) const {
    return read && decoded_ && decoded_->source.lock() == read;
}

std::shared_ptr<const JournalCacheDays> JournalPromptCache::readDays(const std::shared_ptr<const DefaultsData>& read) const {
    if (!read) {
        return noDays();
    }
    if (!isDecoded(read)) {
        decoded_ = std::make_shared<const Decoded>(Decoded{read, std::make_shared<const JournalCacheDays>(readableJournalCacheDays(*read))});
    }
    return decoded_->days;
}

Task<void> JournalPromptCache::prepare(BackgroundQueue& decoder) {
    const auto read = layers().read;
    if (!read || isDecoded(read)) {
        co_return;
    }
    auto decoding = decoder.perform([read] { return std::make_shared<const JournalCacheDays>(readableJournalCacheDays(*read)); });
    auto days = co_await std::move(decoding);
    if (layers().read == read) {
        decoded_ = std::make_shared<const Decoded>(Decoded{read, std::move(days)});
    } else {
        // Cleared or set anew meanwhile: these days must not come back, and they go where they were made.
        decoder.post([days = std::move(days)] {});
    }
}

Task<void> JournalPromptCache::storeWithinBudget(BackgroundQueue& decoder) {
    const auto read = layers().read;
    const std::optional<std::size_t> size = read ? read->knownSize() : std::nullopt;
    // Its size in the file, as Base64.
    if (!size || base64EncodedSize(*size) <= storedBytesBudget) {
        co_return;
    }
    auto decoding = decoder.perform([read] {
        const JournalCacheDays days = readableJournalCacheDays(*read);
        // What a save would keep of them: the newest that the file holds (their stored form made here,
        // not by the writer), and those too large for it that fit in memory.
        JournalCacheDays kept = journalCacheDaysWithin(days, storedBytesBudget);
        for (const auto& day : days) {
            if (day.second->isKeptInMemoryOnly(storedBytesBudget)) kept.insert(day);
        }
        keepMemoryOnlyDaysWithin(kept, storedBytesBudget, memoryOnlyBudget);
        return std::make_shared<const JournalCacheDays>(std::move(kept));
    });
    auto kept = co_await std::move(decoding);
    const Layers now = layers();
    if (now.read != read) {
        // Cleared or set anew meanwhile: these days must not come back, and they go where they were made.
        decoder.post([kept = std::move(kept)] {});
        co_return;
    }
    auto saved = std::make_shared<JournalCacheDays>(journalCacheDaysOver(*kept, *now.saved));
    keepMemoryOnlyDaysWithin(*saved, storedBytesBudget, memoryOnlyBudget);
    decoded_.reset();
    defaults_->set(cacheKey, std::make_shared<const JournalCacheData>(std::move(saved)));
}

void JournalPromptCache::startStoringWithinBudget() {
    if (!startQueue_) {
        startQueue_ = std::make_unique<BackgroundQueue>();
    }
    startTask(RunLoop::main(), storeWithinBudget(*startQueue_));
}

JournalCacheDictionary JournalPromptCache::loadCache() const {
    const Layers days = layers();
    JournalCacheDictionary cache;
    for (const auto& [day, entry] : journalCacheDaysOver(*readDays(days.read), *days.saved)) {
        cache.emplace(day, entry->bytes());
    }
    return cache;
}

bool JournalPromptCache::saveResponse(SharedText text, Date date, ClearMark requested) {
    // Asked for before the days were cleared: from what was cleared, and not to be kept.
    if (clears_.clearedSince(requested)) {
        return false;
    }
    Layers days = layers();
    auto saved = std::make_shared<JournalCacheDays>(*days.saved);
    (*saved)[Calendar::current().startOfDay(date)] =
        std::make_shared<const JournalCacheEntry>(std::move(text), RunLoop::main().now());
    keepMemoryOnlyDaysWithin(*saved, storedBytesBudget, memoryOnlyBudget);
    // The read days go with the value when they are decoded, so that its writer does not decode them again.
    auto read = isDecoded(days.read) ? decoded_->days : nullptr;
    defaults_->set(cacheKey, std::make_shared<const JournalCacheData>(std::move(saved), std::move(days.read), std::move(read)));
    return true;
}

std::pair<std::optional<SharedText>, bool> JournalPromptCache::getResponse(Date date) const {
    const Layers days = layers();
    const Date day = Calendar::current().startOfDay(date);
    auto found = days.saved->find(day);
    if (found == days.saved->end()) {
        const auto read = readDays(days.read);
        found = read->find(day);
        if (found == read->end()) {
            return {std::nullopt, true};
        }
    }
    const JournalCacheEntry& entry = *found->second;
    if (!entry.response()) {
        return {std::nullopt, true};
    }
    const double age = RunLoop::main().now().timeIntervalSince(entry.timestamp());
    return {entry.response(), age > cacheTimeout};
}

void JournalPromptCache::clear() {
    if (defaults_->contains(cacheKey)) {
        // Its removal forgets the days, as anyone's does.
        defaults_->remove(cacheKey);
    } else {
        forgetEveryDay();
    }
}

} // namespace glimmo
