#include "platform/qt/QtCaches.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace glimmo {

struct QtCacheRegistration::Registry {
    std::mutex mutex;
    std::vector<QtCacheRegistration*> entries;
};

namespace {

using Registry = QtCacheRegistration::Registry;

// Every registration shares it, so it lasts until the last one has gone, even one held by a static
// object destroyed after this function's own.
const std::shared_ptr<Registry>& registry() {
    static const std::shared_ptr<Registry> instance = std::make_shared<Registry>();
    return instance;
}

} // namespace

QtCacheRegistration::QtCacheRegistration(std::function<void()> release)
    : release_(std::move(release)), registry_(registry()) {
    const std::lock_guard lock(registry_->mutex);
    registry_->entries.push_back(this);
}

QtCacheRegistration::~QtCacheRegistration() {
    const std::lock_guard lock(registry_->mutex);
    std::erase(registry_->entries, this);
}

void releaseQtCaches() {
    std::vector<std::function<void()>> releases;
    {
        const std::shared_ptr<Registry> r = registry();
        const std::lock_guard lock(r->mutex);
        for (QtCacheRegistration* entry : r->entries) releases.push_back(entry->release_);
    }
    for (auto& release : releases) release();
}

} // namespace glimmo
