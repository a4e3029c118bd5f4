#include "platform/window/Toolbar.h"

#include <algorithm>
#include <cassert>

namespace glimmo {

Toolbar::Toolbar(std::string identifier) : identifier_(std::move(identifier)) {}

void Toolbar::setVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    notify();
}

std::shared_ptr<ToolbarItem> Toolbar::makeItem(const std::string& identifier) {
    std::shared_ptr<ToolbarItem> item;
    if (auto d = delegate()) item = d->toolbarItem(identifier, true);
    if (!item && identifier == toolbarFlexibleSpaceItemIdentifier) {
        // The platform supplies the flexible space itself.
        item = std::make_shared<ToolbarItem>();
        item->identifier = identifier;
    }
    return item;
}

void Toolbar::reloadItems() {
    items_.clear();
    if (auto d = delegate()) {
        for (const auto& identifier : d->toolbarDefaultItemIdentifiers()) {
            if (auto item = makeItem(identifier)) items_.push_back(std::move(item));
        }
    }
    notify();
}

void Toolbar::removeItem(std::size_t index) {
    assert(index < items_.size());
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    notify();
}

void Toolbar::insertItem(const std::string& identifier, std::size_t index) {
    auto item = makeItem(identifier);
    if (!item) return;
    index = std::min(index, items_.size());
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    notify();
}

void Toolbar::setSelectedItemIdentifier(std::optional<std::string> identifier) {
    selected_ = std::move(identifier);
    notify();
}

bool Toolbar::isSelectable(const std::string& identifier) const {
    auto d = delegate();
    if (!d) return false;
    const auto selectable = d->toolbarSelectableItemIdentifiers();
    return std::find(selectable.begin(), selectable.end(), identifier) != selectable.end();
}

void Toolbar::clickItem(std::size_t index) {
    assert(index < items_.size());
    auto item = items_[index];
    if (isSelectable(item->identifier)) setSelectedItemIdentifier(item->identifier);
    if (item->action) item->action();
}

void Toolbar::notify() const {
    if (changed_) changed_();
}

} // namespace glimmo
