#pragma once

// The memory side of the URL cache (internal to it): responses by URL, bounded in bytes, evicting the
// least recently used. Thread-safe, and never held while a file is read or written.

#include "platform/net/HttpTypes.h"

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace glimmo {

class CacheMemoryStore {
public:
    explicit CacheMemoryStore(std::size_t capacity) : capacity_(capacity) {}

    // Marks the entry as the most recently used.
    std::optional<HttpResponse> response(const std::string& url);
    // Replaces any entry for the URL. An entry larger than the whole store is not kept.
    void insert(const std::string& url, std::shared_ptr<const HttpResponse> response);
    // For a response read back from disk: a newer one stored meanwhile is kept.
    void insertUnlessPresent(const std::string& url, std::shared_ptr<const HttpResponse> response);
    void removeAll();
    std::size_t usage() const;

private:
    struct Entry {
        std::string url;
        std::shared_ptr<const HttpResponse> response;
        std::size_t cost = 0;
    };

    void insertLocked(const std::string& url, std::shared_ptr<const HttpResponse> response);
    void removeLocked(const std::string& url);

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    // Most recently used at the front.
    std::list<Entry> entries_;
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    std::size_t usage_ = 0;
};

}  // namespace glimmo
