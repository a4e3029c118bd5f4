#include "app/SwitchCounts.h"

#include <algorithm>

namespace glimmo {

SwitchCounts::SwitchCounts(std::span<const Date> bounds)
    : bounds_(bounds), counts_(bounds.size() > 1 ? bounds.size() - 1 : 0, 0), previous_(counts_.size(), nullptr) {}

void SwitchCounts::offer(Date when, const std::string& name) {
    if (counts_.empty() || when < bounds_.front() || !(when < bounds_.back())) {
        return;
    }
    const auto range =
        static_cast<std::size_t>(std::upper_bound(bounds_.begin(), bounds_.end(), when) - bounds_.begin() - 1);
    const std::string*& last = previous_[range];
    if (last && name != *last && !last->empty()) {
        ++counts_[range];
    }
    last = &name;
}

} // namespace glimmo
