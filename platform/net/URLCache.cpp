#include "platform/net/URLCache.h"

#include "platform/net/CacheDiskStore.h"

#include <exception>
#include <functional>
#include <strings.h>
#include <utility>

namespace glimmo {

namespace {

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

// Trouble with the disk only makes the cache keep less; nothing may escape onto the cache's thread.
void ignoringFailures(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception&) {
    }
}

std::unique_ptr<CacheDiskStore> diskStore(std::size_t capacity, std::filesystem::path directory) {
    if (capacity == 0 || directory.empty()) return nullptr;
    return std::make_unique<CacheDiskStore>(capacity, std::move(directory));
}

}  // namespace

URLCache::URLCache(std::size_t memoryCapacity, std::size_t diskCapacity, std::filesystem::path directory)
    : memory_(memoryCapacity), disk_(diskStore(diskCapacity, std::move(directory))) {}

URLCache::~URLCache() = default;

Task<std::optional<HttpResponse>> URLCache::cachedResponse(std::string url) {
    if (auto hit = memory_.response(url)) co_return hit;
    if (!disk_) co_return std::nullopt;
    auto read = readFromDisk(std::move(url));
    co_return co_await std::move(read);
}

void URLCache::store(const std::string& url, const HttpResponse& response) {
    if (!mayStore(response)) return;
    // One copy, shared by memory and the file still to be written.
    const auto kept = std::make_shared<const HttpResponse>(response);
    memory_.insert(url, kept);
    if (disk_) diskWork_.post([this, url, kept] { ignoringFailures([&] { disk_->write(url, *kept); }); });
}

void URLCache::removeAll() {
    memory_.removeAll();
    if (disk_) diskWork_.post([this] { ignoringFailures([this] { disk_->removeAll(); }); });
}

std::size_t URLCache::currentMemoryUsage() const { return memory_.usage(); }

std::size_t URLCache::currentDiskUsage() const { return disk_ ? disk_->usage() : 0; }

Task<std::optional<HttpResponse>> URLCache::readFromDisk(std::string url) {
    return diskWork_.perform([this, url = std::move(url)] {
        std::optional<HttpResponse> found;
        ignoringFailures([&] {
            if (auto read = disk_->read(url)) {
                auto kept = std::make_shared<const HttpResponse>(std::move(*read));
                memory_.insertUnlessPresent(url, kept);
                found = *kept;
            }
        });
        return found;
    });
}

}  // namespace glimmo
