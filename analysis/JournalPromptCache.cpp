#include "analysis/JournalPromptCache.h"

#include "analysis/JournalCacheDays.h"
#include "platform/foundation/Calendar.h"
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

JournalPromptCache::JournalPromptCache(UserDefaults& defaults) : defaults_(&defaults) {}

JournalPromptCache::~JournalPromptCache() = default;

JournalPromptCache& JournalPromptCache::shared() {
    // Bound to whichever standard defaults are installed when it is used.
    static JournalPromptCache cache(UserDefaults::standard());
    cache.defaults_ = &UserDefaults::standard();
    return cache;
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

JournalCacheDictionary JournalPromptCache::loadCache() const {
    const Layers days = layers();
    JournalCacheDictionary cache;
    for (const auto& [day, entry] : journalCacheDaysOver(*readDays(days.read), *days.saved)) {
        cache.emplace(day, entry->bytes());
    }
    return cache;
}

void JournalPromptCache::saveResponse(SharedText text, Date date) {
    Layers days = layers();
    auto saved = std::make_shared<JournalCacheDays>(*days.saved);
    (*saved)[Calendar::current().startOfDay(date)] =
        std::make_shared<const JournalCacheEntry>(std::move(text), RunLoop::main().now());
    // The read days go with the value when they are decoded, so that its writer does not decode them again.
    auto read = isDecoded(days.read) ? decoded_->days : nullptr;
    defaults_->set(cacheKey, std::make_shared<const JournalCacheData>(std::move(saved), std::move(days.read), std::move(read)));
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
    decoded_.reset();
    defaults_->remove(cacheKey);
}

} // namespace glimmo
