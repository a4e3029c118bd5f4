#pragma once

#include "platform/net/CacheMemoryStore.h"
#include "platform/net/HttpTypes.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/Task.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace glimmo {

class CacheDiskStore;

// Response cache keyed by URL, in memory and on disk, each side bounded in bytes and evicting the
// least recently used entries. Only 2xx responses are kept, and none marked "Cache-Control: no-store".
// A cached response is used whatever its age. Thread-safe.
//
// The files are read and written on a thread of the cache's own, one operation after another, so the
// caller's thread (often the interface's) never waits for the disk: a lookup that misses memory resumes
// the awaiting task on its executor once the file is read, and a store returns before its file is
// written. Lookups come after the stores made before them, so a stored response is always found.
class URLCache {
public:
    URLCache(std::size_t memoryCapacity, std::size_t diskCapacity, std::filesystem::path directory);
    // Finishes the disk work already asked for.
    ~URLCache();
    URLCache(const URLCache&) = delete;
    URLCache& operator=(const URLCache&) = delete;

    // A response held in memory comes back without suspending.
    Task<std::optional<HttpResponse>> cachedResponse(std::string url);
    void store(const std::string& url, const HttpResponse& response);
    // Memory at once, the files after the writes already under way.
    void removeAll();

    std::size_t currentMemoryUsage() const;
    // As of the last disk operation done.
    std::size_t currentDiskUsage() const;

private:
    Task<std::optional<HttpResponse>> readFromDisk(std::string url);

    CacheMemoryStore memory_;
    // Null when the cache keeps nothing on disk.
    const std::unique_ptr<CacheDiskStore> disk_;
    // Last, so it is the first to go: its remaining work still finds the stores.
    BackgroundQueue diskWork_;
};

}  // namespace glimmo
