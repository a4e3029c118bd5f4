#pragma once

// Caches of decoded images. A few bytes of a file can ask for many megabytes of pixels, so every
// such cache in the process keeps its entries in one budget of bytes: together they never hold more
// than it, and storing past it lets the least recently used entries go, whichever cache holds them.
// A cache may also limit how many entries it keeps. Thread-safe.

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace glimmo {

class PixelCacheCore;

class PixelBudget {
public:
    explicit PixelBudget(std::size_t byteLimit);
    PixelBudget(const PixelBudget&) = delete;
    PixelBudget& operator=(const PixelBudget&) = delete;

    // 256 MiB, the budget of every cache made without one of its own; made on first use and kept
    // for the life of the process.
    static const std::shared_ptr<PixelBudget>& shared();

    std::size_t byteLimit() const { return byteLimit_; }
    std::size_t heldBytes() const;

private:
    friend class PixelCacheCore;
    struct Entry {
        PixelCacheCore* owner;
        std::string key;
        std::shared_ptr<const void> value;
        std::size_t bytes;
    };

    const std::size_t byteLimit_;
    // Guards the entries and every cache's index, so one cache can let another's entries go.
    mutable std::mutex mutex_;
    std::list<Entry> entries_;  // most recently used first, across all caches
    std::size_t heldBytes_ = 0;
};

// Internal: the untyped side of PixelCache.
class PixelCacheCore {
public:
    PixelCacheCore(std::size_t countLimit, std::shared_ptr<PixelBudget> budget);
    ~PixelCacheCore();
    PixelCacheCore(const PixelCacheCore&) = delete;
    PixelCacheCore& operator=(const PixelCacheCore&) = delete;

    std::shared_ptr<const void> find(const std::string& key);
    void store(const std::string& key, std::shared_ptr<const void> value, std::size_t bytes);
    void removeAll();
    std::size_t count() const;

private:
    using Position = std::list<PixelBudget::Entry>::iterator;

    // With the budget's mutex held; the released value is handed back to be destroyed after it.
    std::shared_ptr<const void> release(Position position);

    const std::size_t countLimit_;
    const std::shared_ptr<PixelBudget> budget_;
    std::unordered_map<std::string, Position> index_;
};

// Values by key, each with its size in bytes. `countLimit` 0 means no limit of its own.
template <class Value>
class PixelCache {
public:
    explicit PixelCache(std::size_t countLimit, std::shared_ptr<PixelBudget> budget = PixelBudget::shared())
        : core_(countLimit, std::move(budget)) {}

    // The value under `key`, now the most recently used; null when there is none.
    std::shared_ptr<const Value> find(const std::string& key) {
        return std::static_pointer_cast<const Value>(core_.find(key));
    }
    // Replaces any value under `key`. A value larger than the whole budget is not kept.
    void store(const std::string& key, std::shared_ptr<const Value> value, std::size_t bytes) {
        core_.store(key, std::move(value), bytes);
    }
    void removeAll() { core_.removeAll(); }
    std::size_t count() const { return core_.count(); }

private:
    PixelCacheCore core_;
};

} // namespace glimmo
