#include "platform/view/PixelCache.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace glimmo {

PixelBudget::PixelBudget(std::size_t byteLimit) : byteLimit_(byteLimit) {}

const std::shared_ptr<PixelBudget>& PixelBudget::shared() {
    static const auto budget = std::make_shared<PixelBudget>(std::size_t{256} << 20);
    return budget;
}

std::size_t PixelBudget::heldBytes() const {
    const std::lock_guard lock(mutex_);
    return heldBytes_;
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
