#include "platform/net/CacheMemoryStore.h"

#include <utility>

namespace glimmo {

namespace {

std::size_t costOf(const std::string& url, const HttpResponse& response) {
    std::size_t cost = url.size() + response.body.size();
    for (const auto& [name, value] : response.headers) cost += name.size() + value.size();
    return cost;
}

}  // namespace

std::optional<HttpResponse> CacheMemoryStore::response(const std::string& url) {
    std::shared_ptr<const HttpResponse> found;
    {
        const std::lock_guard lock(mutex_);
        const auto entry = index_.find(url);
        if (entry == index_.end()) return std::nullopt;
        entries_.splice(entries_.begin(), entries_, entry->second);
        found = entry->second->response;
    }
    return *found;  // copied outside the lock: a body may be megabytes
}

void CacheMemoryStore::insert(const std::string& url, std::shared_ptr<const HttpResponse> response) {
    const std::lock_guard lock(mutex_);
    removeLocked(url);
    insertLocked(url, std::move(response));
}

void CacheMemoryStore::insertUnlessPresent(const std::string& url, std::shared_ptr<const HttpResponse> response) {
    const std::lock_guard lock(mutex_);
    if (!index_.contains(url)) insertLocked(url, std::move(response));
}

void CacheMemoryStore::removeAll() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
    index_.clear();
    usage_ = 0;
}

std::size_t CacheMemoryStore::usage() const {
    const std::lock_guard lock(mutex_);
    return usage_;
}

void CacheMemoryStore::insertLocked(const std::string& url, std::shared_ptr<const HttpResponse> response) {
    const std::size_t cost = costOf(url, *response);
    if (cost > capacity_) return;
    entries_.push_front(Entry{url, std::move(response), cost});
    index_[url] = entries_.begin();
    usage_ += cost;
    while (usage_ > capacity_) {
        usage_ -= entries_.back().cost;
        index_.erase(entries_.back().url);
        entries_.pop_back();
    }
}

void CacheMemoryStore::removeLocked(const std::string& url) {
    const auto found = index_.find(url);
    if (found == index_.end()) return;
    usage_ -= found->second->cost;
    entries_.erase(found->second);
    index_.erase(found);
}

}  // namespace glimmo
