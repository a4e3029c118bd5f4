#pragma once

// The disk side of the URL cache (internal to it): one private file per URL in a folder of its own,
// bounded in bytes, evicting the least recently used. Not thread-safe: the cache uses it from its own
// thread only, so the folder is first read there too; usage() may be read from any thread.

#include "platform/net/HttpTypes.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>

namespace glimmo {

class CacheDiskStore {
public:
    CacheDiskStore(std::size_t capacity, std::filesystem::path directory);

    // Nothing when no file holds the URL's whole response; a damaged file, or one holding another
    // URL, is removed.
    std::optional<HttpResponse> read(const std::string& url);
    // A response that cannot be written is simply not kept.
    void write(const std::string& url, const HttpResponse& response);
    void removeAll();
    std::size_t usage() const { return usage_; }

private:
    // Files are named by a hash of the URL; the file itself holds the URL, checked on reading.
    struct Entry {
        std::string name;
        std::size_t size = 0;
    };

    void indexIfNeeded();
    void evict();
    void remove(const std::string& name);

    const std::size_t capacity_;
    const std::filesystem::path directory_;
    bool indexed_ = false;
    // Most recently used at the front.
    std::list<Entry> entries_;
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    std::atomic<std::size_t> usage_ = 0;
};

}  // namespace glimmo
