#pragma once

// Internal to the Qt backend: caches that hold Qt objects (fonts, images) register here, and the
// application object releases them all before Qt's own font and image machinery goes. A Qt object left
// in a cache until the process's static objects are destroyed would be destroyed after Qt's caches and
// crash the program at exit.

#include <functional>
#include <memory>

namespace glimmo {

// Registers `release` (which empties a cache) for as long as the registration lives.
class QtCacheRegistration {
public:
    explicit QtCacheRegistration(std::function<void()> release);
    ~QtCacheRegistration();
    QtCacheRegistration(const QtCacheRegistration&) = delete;
    QtCacheRegistration& operator=(const QtCacheRegistration&) = delete;
    struct Registry;

private:
    friend void releaseQtCaches();
    std::function<void()> release_;
    std::shared_ptr<Registry> registry_;
};

// Empties every registered cache (called while the application object still exists).
void releaseQtCaches();

} // namespace glimmo
