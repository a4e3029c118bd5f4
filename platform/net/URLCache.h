#pragma once

#include "platform/net/HttpTypes.h"

#include <cstddef>
#include <filesystem>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace glimmo {

// Response cache keyed by URL, in memory and on disk, each side bounded in bytes and evicting the
// least recently used entries. Only 2xx responses are kept, and none marked "Cache-Control: no-store".
// A cached response is used whatever its age. Thread-safe.
class URLCache {
public:
    URLCache(std::size_t memoryCapacity, std::size_t diskCapacity, std::filesystem::path directory);

    std::optional<HttpResponse> cachedResponse(const std::string& url);
    void store(const std::string& url, const HttpResponse& response);
    void removeAll();

    std::size_t currentMemoryUsage() const;
    std::size_t currentDiskUsage() const;

private:
    struct MemoryEntry {
        std::string url;
        HttpResponse response;
        std::size_t cost = 0;
    };
    // Files are named by a hash of the URL; the file itself holds the URL, checked on reading.
    struct DiskEntry {
        std::string name;
        std::size_t size = 0;
    };

    void storeInMemory(const std::string& url, const HttpResponse& response);
    void storeOnDisk(const std::string& url, const HttpResponse& response);
    std::optional<HttpResponse> readFromDisk(const std::string& url);
    void removeFromMemory(const std::string& url);
    void loadDiskIndex();
    void evictMemory();
    void evictDisk();
    void removeDiskEntry(const std::string& name);
    bool usesDisk() const { return diskCapacity_ > 0 && !directory_.empty(); }

    const std::size_t memoryCapacity_;
    const std::size_t diskCapacity_;
    const std::filesystem::path directory_;

    mutable std::mutex mutex_;
    // Most recently used at the front.
    std::list<MemoryEntry> memory_;
    std::unordered_map<std::string, std::list<MemoryEntry>::iterator> memoryIndex_;
    std::size_t memoryUsage_ = 0;
    std::list<DiskEntry> disk_;
    std::unordered_map<std::string, std::list<DiskEntry>::iterator> diskIndex_;
    std::size_t diskUsage_ = 0;
};

}  // namespace glimmo
