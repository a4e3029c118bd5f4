#include "platform/qt/QtCaches.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace glimmo {
namespace {

struct Registry {
    std::mutex mutex;
    std::vector<QtCacheRegistration*> entries;
};

// Made by the first registration, so it is destroyed after every static object that registered.
Registry& registry() {
    static Registry instance;
    return instance;
}

} // namespace

QtCacheRegistration::QtCacheRegistration(std::function<void()> release) : release_(std::move(release)) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.entries.push_back(this);
}

QtCacheRegistration::~QtCacheRegistration() {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    std::erase(r.entries, this);
}

void releaseQtCaches() {
    std::vector<std::function<void()>> releases;
    {
        Registry& r = registry();
        const std::lock_guard lock(r.mutex);
        for (QtCacheRegistration* entry : r.entries) releases.push_back(entry->release_);
    }
    for (auto& release : releases) release();
}

} // namespace glimmo
