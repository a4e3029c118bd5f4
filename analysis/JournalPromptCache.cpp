#include "analysis/JournalPromptCache.h"

#include "analysis/JournalCacheDays.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/RunLoop.h"

namespace glimmo {

struct JournalPromptCache::Decoded {
    // Not kept alive: once the defaults let it go, it is not the value under the key any more.
    std::weak_ptr<const DefaultsData> source;
    JournalCacheDays days;

    bool isOf(const std::shared_ptr<const DefaultsData>& stored) const { return source.lock() == stored; }
};

namespace {

// Unreadable as a whole reads as no days at all.
JournalCacheDays decodedDays(const std::vector<std::uint8_t>& bytes) {
    try {
        return decodeJournalCacheDays(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const std::exception&) {
        return {};
    }
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

std::shared_ptr<const JournalCacheDays> JournalPromptCache::days() const {
    const auto stored = defaults_->dataValue(cacheKey);
    if (!stored) {
        // Nothing, or bytes in a form the defaults keep as JSON (read on each use, as before).
        const auto bytes = defaults_->data(cacheKey);
        return std::make_shared<const JournalCacheDays>(bytes ? decodedDays(*bytes) : JournalCacheDays{});
    }
    if (const auto* saved = dynamic_cast<const JournalCacheData*>(stored.get())) {
        return saved->days();
    }
    if (!decoded_ || !decoded_->isOf(stored)) {
        decoded_ = std::make_shared<const Decoded>(Decoded{stored, decodedDays(stored->bytes())});
    }
    return {decoded_, &decoded_->days};
}

Task<void> JournalPromptCache::prepare(BackgroundQueue& decoder) {
    const auto stored = defaults_->dataValue(cacheKey);
    if (!stored || dynamic_cast<const JournalCacheData*>(stored.get()) || (decoded_ && decoded_->isOf(stored))) {
        co_return;
    }
    auto decoding = decoder.perform([stored] {
        return std::make_shared<const Decoded>(Decoded{stored, decodedDays(stored->bytes())});
    });
    auto decoded = co_await std::move(decoding);
    // Changed meanwhile: what was decoded is of no use any more.
    if (defaults_->dataValue(cacheKey) == stored) {
        decoded_ = std::move(decoded);
    }
}

JournalCacheDictionary JournalPromptCache::loadCache() const {
    JournalCacheDictionary cache;
    const auto held = days(); // a temporary's map would go before the loop reads it
    for (const auto& [day, entry] : *held) {
        cache.emplace(day, entry->bytes());
    }
    return cache;
}

void JournalPromptCache::saveResponse(const std::string& text, Date date) {
    auto days = std::make_shared<JournalCacheDays>(*this->days());
    (*days)[Calendar::current().startOfDay(date)] =
        std::make_shared<const JournalCacheEntry>(JournalPromptResponse{text, RunLoop::main().now()});
    decoded_.reset(); // the days now live in the defaults' value
    defaults_->set(cacheKey, std::make_shared<const JournalCacheData>(std::move(days)));
}

std::pair<std::optional<std::string>, bool> JournalPromptCache::getResponse(Date date) const {
    const auto days = this->days();
    const auto found = days->find(Calendar::current().startOfDay(date));
    if (found == days->end() || !found->second->response()) {
        return {std::nullopt, true};
    }
    const JournalPromptResponse& entry = *found->second->response();
    const double age = RunLoop::main().now().timeIntervalSince(entry.timestamp);
    return {entry.response, age > cacheTimeout};
}

void JournalPromptCache::clear() {
    decoded_.reset();
    defaults_->remove(cacheKey);
}

} // namespace glimmo
