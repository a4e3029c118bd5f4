#include "platform/view/PixelCache.h"

#include "platform/imaging/ImageDecoding.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace glimmo {

PixelCharge::PixelCharge(std::shared_ptr<PixelBudget> budget, std::size_t bytes)
    : budget_(std::move(budget)), bytes_(bytes) {}

PixelCharge::PixelCharge(PixelCharge&& other) noexcept
    : budget_(std::move(other.budget_)), bytes_(std::exchange(other.bytes_, 0)) {}

PixelCharge& PixelCharge::operator=(PixelCharge&& other) noexcept {
    if (this != &other) {
        PixelCharge given = std::move(*this);
        budget_ = std::move(other.budget_);
        bytes_ = std::exchange(other.bytes_, 0);
    }
    return *this;
}

PixelCharge::~PixelCharge() {
    if (!budget_) return;
    const std::lock_guard lock(budget_->mutex_);
    budget_->liveBytes_ -= bytes_;
}

PixelBudget::PixelBudget(std::size_t byteLimit, std::size_t liveByteLimit)
    : byteLimit_(byteLimit), liveByteLimit_(liveByteLimit) {}

const std::shared_ptr<PixelBudget>& PixelBudget::shared() {
    static const auto budget = std::make_shared<PixelBudget>(std::size_t{256} << 20, std::size_t{1} << 30);
    return budget;
}

std::size_t PixelBudget::heldBytes() const {
    const std::lock_guard lock(mutex_);
    return heldBytes_;
}

std::size_t PixelBudget::liveBytes() const {
    const std::lock_guard lock(mutex_);
    return liveBytes_;
}

PixelCharge PixelBudget::charge(std::size_t bytes) {
    for (;;) {
        // Declared before the lock, so what leaves a cache is destroyed (and gives its charge back)
        // after the lock is let go.
        std::shared_ptr<const void> released;
        const std::lock_guard lock(mutex_);
        if (bytes <= liveByteLimit_ && liveBytes_ <= liveByteLimit_ - bytes) {
            liveBytes_ += bytes;
            return PixelCharge(shared_from_this(), bytes);
        }
        // Under the lock nothing can take a new holder of an entry whose only holder is its cache.
        const auto unheld = std::find_if(entries_.rbegin(), entries_.rend(),
                                         [](const Entry& entry) { return entry.value.use_count() == 1; });
        if (unheld == entries_.rend()) {
            throw ImageDecodingError(ImageDecodingError::Kind::budgetSpent,
                                     "The " + std::to_string(bytes) + " bytes of pixels would pass the bound of " +
                                         std::to_string(liveByteLimit_) + " bytes of decoded images alive, of which " +
                                         std::to_string(liveBytes_) + " are in use.");
        }
        released = unheld->owner->release(std::prev(unheld.base()));
    }
}

PixelCacheCore::PixelCacheCore(std::size_t countLimit, std::shared_ptr<PixelBudget> budget)
    : countLimit_(countLimit), budget_(std::move(budget)) {}

PixelCacheCore::~PixelCacheCore() { removeAll(); }

std::shared_ptr<const void> PixelCacheCore::release(Position position) {
    std::shared_ptr<const void> value = std::move(position->value);
    budget_->heldBytes_ -= position->bytes;
    index_.erase(position->key);
    budget_->entries_.erase(position);
    return value;
}

std::shared_ptr<const void> PixelCacheCore::find(const std::string& key) {
    const std::lock_guard lock(budget_->mutex_);
    const auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    budget_->entries_.splice(budget_->entries_.begin(), budget_->entries_, found->second);
    return found->second->value;
}

void PixelCacheCore::store(const std::string& key, std::shared_ptr<const void> value, std::size_t bytes) {
    // Declared before the lock, so what leaves the cache is destroyed after the lock is let go.
    std::vector<std::shared_ptr<const void>> released;
    const std::lock_guard lock(budget_->mutex_);
    auto& entries = budget_->entries_;
    if (const auto found = index_.find(key); found != index_.end()) released.push_back(release(found->second));
    if (!value || bytes > budget_->byteLimit_) return;

    entries.push_front(PixelBudget::Entry{this, key, std::move(value), bytes});
    index_.emplace(key, entries.begin());
    budget_->heldBytes_ += bytes;
    if (countLimit_ > 0 && index_.size() > countLimit_) {
        const auto oldest = std::find_if(entries.rbegin(), entries.rend(), [this](const auto& entry) { return entry.owner == this; });
        released.push_back(release(std::prev(oldest.base())));
    }
    // The new entry fits the budget alone, so it is never the one let go.
    while (budget_->heldBytes_ > budget_->byteLimit_) {
        released.push_back(entries.back().owner->release(std::prev(entries.end())));
    }
}

void PixelCacheCore::removeAll() {
    std::vector<std::shared_ptr<const void>> released;
    const std::lock_guard lock(budget_->mutex_);
    std::vector<Position> positions;
    for (const auto& [key, position] : index_) positions.push_back(position);
    for (const Position position : positions) released.push_back(release(position));
}

std::size_t PixelCacheCore::count() const {
    const std::lock_guard lock(budget_->mutex_);
    return index_.size();
}

} // namespace glimmo
