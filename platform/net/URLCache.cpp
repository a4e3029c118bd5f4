#include "platform/net/URLCache.h"

#include "platform/net/CacheFile.h"

#include "platform/foundation/Files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <strings.h>
#include <exception>
#include <system_error>
#include <vector>

namespace glimmo {

namespace {

constexpr std::string_view fileExtension = ".cache";

std::string fileNameFor(const std::string& url) {
    // FNV-1a; a collision only costs a miss because the file records its URL.
    std::uint64_t hash = 1469598103934665603ULL;
    for (const unsigned char byte : url) {
        hash ^= byte;
        hash *= 1099511628211ULL;
    }
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(name) + std::string(fileExtension);
}

std::size_t costOf(const std::string& url, const HttpResponse& response) {
    std::size_t cost = url.size() + response.body.size();
    for (const auto& [name, value] : response.headers) cost += name.size() + value.size();
    return cost;
}

bool containsIgnoringCase(std::string_view text, std::string_view word) {
    if (word.size() > text.size()) return false;
    for (std::size_t start = 0; start + word.size() <= text.size(); ++start) {
        if (::strncasecmp(text.data() + start, word.data(), word.size()) == 0) return true;
    }
    return false;
}

bool mayStore(const HttpResponse& response) {
    if (response.status < 200 || response.status > 299) return false;
    for (const auto& [name, value] : response.headers) {
        if (::strcasecmp(name.c_str(), "Cache-Control") == 0 && containsIgnoringCase(value, "no-store")) return false;
    }
    return true;
}

}  // namespace

URLCache::URLCache(std::size_t memoryCapacity, std::size_t diskCapacity, std::filesystem::path directory)
    : memoryCapacity_(memoryCapacity), diskCapacity_(diskCapacity), directory_(std::move(directory)) {
    if (!usesDisk()) return;
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    std::filesystem::permissions(directory_, std::filesystem::perms::owner_all, error);
    loadDiskIndex();
}

std::optional<HttpResponse> URLCache::cachedResponse(const std::string& url) {
    std::lock_guard lock(mutex_);
    if (const auto found = memoryIndex_.find(url); found != memoryIndex_.end()) {
        memory_.splice(memory_.begin(), memory_, found->second);
        return found->second->response;
    }
    auto response = readFromDisk(url);
    if (response) storeInMemory(url, *response);
    return response;
}

void URLCache::store(const std::string& url, const HttpResponse& response) {
    if (!mayStore(response)) return;
    std::lock_guard lock(mutex_);
    storeInMemory(url, response);
    storeOnDisk(url, response);
}

void URLCache::removeAll() {
    std::lock_guard lock(mutex_);
    memory_.clear();
    memoryIndex_.clear();
    memoryUsage_ = 0;
    disk_.clear();
    diskIndex_.clear();
    diskUsage_ = 0;
    if (!usesDisk()) return;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory_, error)) {
        if (entry.path().extension() == fileExtension) std::filesystem::remove(entry.path(), error);
    }
}

std::size_t URLCache::currentMemoryUsage() const {
    std::lock_guard lock(mutex_);
    return memoryUsage_;
}

std::size_t URLCache::currentDiskUsage() const {
    std::lock_guard lock(mutex_);
    return diskUsage_;
}

void URLCache::storeInMemory(const std::string& url, const HttpResponse& response) {
    removeFromMemory(url);
    const std::size_t cost = costOf(url, response);
    if (cost > memoryCapacity_) return;
    memory_.push_front(MemoryEntry{url, response, cost});
    memoryIndex_[url] = memory_.begin();
    memoryUsage_ += cost;
    evictMemory();
}

void URLCache::removeFromMemory(const std::string& url) {
    const auto found = memoryIndex_.find(url);
    if (found == memoryIndex_.end()) return;
    memoryUsage_ -= found->second->cost;
    memory_.erase(found->second);
    memoryIndex_.erase(found);
}

void URLCache::storeOnDisk(const std::string& url, const HttpResponse& response) {
    if (!usesDisk()) return;
    const std::string name = fileNameFor(url);
    removeDiskEntry(name);
    const std::string bytes = cachefile::encode(url, response);
    if (bytes.size() > diskCapacity_) return;
    try {
        writeFileAtomically(directory_ / name, bytes);
    } catch (const std::exception&) {
        return;  // a cache that cannot write simply keeps less
    }
    disk_.push_front(DiskEntry{name, bytes.size()});
    diskIndex_[name] = disk_.begin();
    diskUsage_ += bytes.size();
    evictDisk();
}

std::optional<HttpResponse> URLCache::readFromDisk(const std::string& url) {
    if (!usesDisk()) return std::nullopt;
    const std::string name = fileNameFor(url);
    const auto found = diskIndex_.find(name);
    if (found == diskIndex_.end()) return std::nullopt;
    std::optional<std::string> bytes;
    try {
        bytes = readFile(directory_ / name);
    } catch (const std::exception&) {
        // unreadable: treated as damaged below
    }
    auto response = bytes ? cachefile::decode(*bytes, url) : std::nullopt;
    if (!response) {
        // Damaged, vanished or another URL with the same hash: no longer useful.
        removeDiskEntry(name);
        return std::nullopt;
    }
    disk_.splice(disk_.begin(), disk_, found->second);
    std::error_code error;
    std::filesystem::last_write_time(directory_ / name, std::filesystem::file_time_type::clock::now(), error);
    return response;
}

void URLCache::loadDiskIndex() {
    struct Found {
        std::string name;
        std::size_t size;
        std::filesystem::file_time_type used;
    };
    std::vector<Found> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory_, error)) {
        const auto path = entry.path();
        if (path.extension() != fileExtension || !entry.is_regular_file(error)) continue;
        files.push_back({path.filename().string(), static_cast<std::size_t>(entry.file_size(error)),
                         entry.last_write_time(error)});
    }
    // Least recently used first, so each push to the front leaves the newest at the front.
    std::sort(files.begin(), files.end(), [](const Found& a, const Found& b) { return a.used < b.used; });
    for (const auto& file : files) {
        disk_.push_front(DiskEntry{file.name, file.size});
        diskIndex_[file.name] = disk_.begin();
        diskUsage_ += file.size;
    }
    evictDisk();
}

void URLCache::evictMemory() {
    while (memoryUsage_ > memoryCapacity_ && !memory_.empty()) {
        memoryUsage_ -= memory_.back().cost;
        memoryIndex_.erase(memory_.back().url);
        memory_.pop_back();
    }
}

void URLCache::evictDisk() {
    while (diskUsage_ > diskCapacity_ && !disk_.empty()) {
        const std::string oldest = disk_.back().name;  // a copy: removing the entry frees its name
        removeDiskEntry(oldest);
    }
}

void URLCache::removeDiskEntry(const std::string& name) {
    const auto found = diskIndex_.find(name);
    if (found == diskIndex_.end()) return;
    diskUsage_ -= found->second->size;
    disk_.erase(found->second);
    diskIndex_.erase(found);
    std::error_code error;
    std::filesystem::remove(directory_ / name, error);
}

}  // namespace glimmo
