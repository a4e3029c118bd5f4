#include "platform/net/CacheDiskStore.h"

#include "platform/net/CacheFile.h"

#include "platform/foundation/Files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <system_error>
#include <utility>
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

}  // namespace

CacheDiskStore::CacheDiskStore(std::size_t capacity, std::filesystem::path directory)
    : capacity_(capacity), directory_(std::move(directory)) {}

std::optional<HttpResponse> CacheDiskStore::read(const std::string& url) {
    indexIfNeeded();
    const std::string name = fileNameFor(url);
    const auto found = index_.find(name);
    if (found == index_.end()) return std::nullopt;
    std::optional<std::string> bytes;
    try {
        bytes = readFile(directory_ / name);
    } catch (const std::exception&) {
        // unreadable: treated as damaged below
    }
    auto response = bytes ? cachefile::decode(*bytes, url) : std::nullopt;
    if (!response) {
        // Damaged, vanished or another URL with the same hash: no longer useful.
        remove(name);
        return std::nullopt;
    }
    entries_.splice(entries_.begin(), entries_, found->second);
    std::error_code error;
    std::filesystem::last_write_time(directory_ / name, std::filesystem::file_time_type::clock::now(), error);
    return response;
}

void CacheDiskStore::write(const std::string& url, const HttpResponse& response) {
    indexIfNeeded();
    const std::string name = fileNameFor(url);
    remove(name);
    std::size_t size = 0;
    try {
        const std::string bytes = cachefile::encode(url, response);
        if (bytes.size() > capacity_) return;
        // A cache can lose an entry to a power cut; the checksum in the file tells a torn one.
        writeFileAtomically(directory_ / name, bytes, WriteDurability::unflushed);
        size = bytes.size();
    } catch (const std::exception&) {
        return;  // a cache that cannot write simply keeps less
    }
    entries_.push_front(Entry{name, size});
    index_[name] = entries_.begin();
    usage_ += size;
    evict();
}

void CacheDiskStore::removeAll() {
    indexIfNeeded();
    entries_.clear();
    index_.clear();
    usage_ = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory_, error)) {
        if (entry.path().extension() == fileExtension) std::filesystem::remove(entry.path(), error);
    }
}

void CacheDiskStore::indexIfNeeded() {
    if (std::exchange(indexed_, true)) return;
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    std::filesystem::permissions(directory_, std::filesystem::perms::owner_all, error);
    struct Found {
        std::string name;
        std::size_t size;
        std::filesystem::file_time_type used;
    };
    std::vector<Found> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory_, error)) {
        const auto path = entry.path();
        if (path.extension() != fileExtension || !entry.is_regular_file(error)) continue;
        files.push_back({path.filename().string(), static_cast<std::size_t>(entry.file_size(error)),
                         entry.last_write_time(error)});
    }
    // Least recently used first, so each push to the front leaves the newest at the front.
    std::sort(files.begin(), files.end(), [](const Found& a, const Found& b) { return a.used < b.used; });
    for (const auto& file : files) {
        entries_.push_front(Entry{file.name, file.size});
        index_[file.name] = entries_.begin();
        usage_ += file.size;
    }
    evict();
}

void CacheDiskStore::evict() {
    while (usage_ > capacity_ && !entries_.empty()) {
        const std::string oldest = entries_.back().name;  // a copy: removing the entry frees its name
        remove(oldest);
    }
}

void CacheDiskStore::remove(const std::string& name) {
    const auto found = index_.find(name);
    if (found == index_.end()) return;
    usage_ -= found->second->size;
    entries_.erase(found->second);
    index_.erase(found);
    std::error_code error;
    std::filesystem::remove(directory_ / name, error);
}

}  // namespace glimmo
