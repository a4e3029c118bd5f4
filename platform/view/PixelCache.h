#pragma once

// Decoded pixels in the process. A few bytes of a file can ask for many megabytes of pixels, so every
// decoded image alive, whether cached, shown by a view or held by a display list, is charged to one
// bound of bytes (a PixelCharge, taken before the pixels are allocated and given back when the last
// holder lets them go). Inside that bound, the caches of decoded images keep their entries in a smaller
// budget: together they never hold more than it, and storing past it lets the least recently used
// entries go, whichever cache holds them. A cache may also limit how many entries it keeps.
// Thread-safe.

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace glimmo {

class PixelBudget;
class PixelCacheCore;

// Bytes of decoded pixels charged to a budget's live bound, given back when the charge goes.
class PixelCharge {
public:
    PixelCharge() = default;
    PixelCharge(PixelCharge&& other) noexcept;
    PixelCharge& operator=(PixelCharge&& other) noexcept;
    ~PixelCharge();

    std::size_t bytes() const { return bytes_; }

private:
    friend class PixelBudget;
    PixelCharge(std::shared_ptr<PixelBudget> budget, std::size_t bytes);

    std::shared_ptr<PixelBudget> budget_;
    std::size_t bytes_ = 0;
};

class PixelBudget : public std::enable_shared_from_this<PixelBudget> {
public:
    // `byteLimit` for what the caches keep, `liveByteLimit` for every charged image alive. Make it with
    // std::make_shared: its charges hold on to it.
    PixelBudget(std::size_t byteLimit, std::size_t liveByteLimit);
    PixelBudget(const PixelBudget&) = delete;
    PixelBudget& operator=(const PixelBudget&) = delete;

    // The process's budget, used by every cache and decode that is given none of its own: 1 GiB of
    // decoded pixels alive, of which the caches keep at most 256 MiB. Made on first use and kept for
    // the life of the process.
    static const std::shared_ptr<PixelBudget>& shared();

    std::size_t byteLimit() const { return byteLimit_; }
    std::size_t heldBytes() const;
    std::size_t liveByteLimit() const { return liveByteLimit_; }
    std::size_t liveBytes() const;

    // Charges `bytes` about to be allocated for decoded pixels. When they would pass the live bound, the
    // caches first let go of the least recently used entries that nothing else holds (letting go of one
    // a view still shows would free nothing); if the bytes still do not fit, throws ImageDecodingError
    // (Kind::budgetSpent).
    PixelCharge charge(std::size_t bytes);

private:
    friend class PixelCacheCore;
    friend class PixelCharge;
    struct Entry {
        PixelCacheCore* owner;
        std::string key;
        std::shared_ptr<const void> value;
        std::size_t bytes;
    };

    const std::size_t byteLimit_;
    const std::size_t liveByteLimit_;
    // Guards the entries, every cache's index and the live count, so one cache can let another's
    // entries go.
    mutable std::mutex mutex_;
    std::list<Entry> entries_;  // most recently used first, across all caches
    std::size_t heldBytes_ = 0;
    std::size_t liveBytes_ = 0;
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
    friend class PixelBudget;
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
