#pragma once

// The children of a render-tree node (internal to the kit): a vector that holds its first entry inside
// the node. Most nodes are modifiers with one child, so walking the tree then reads no separate buffer.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>

namespace glimmo {

template <class T>
class ChildList {
public:
    using iterator = T*;
    using const_iterator = const T*;
    using reverse_iterator = std::reverse_iterator<T*>;
    using const_reverse_iterator = std::reverse_iterator<const T*>;

    ChildList() = default;
    ~ChildList() { clear(); }
    ChildList(const ChildList&) = delete;
    ChildList& operator=(const ChildList&) = delete;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](std::size_t i) { return data()[i]; }
    const T& operator[](std::size_t i) const { return data()[i]; }
    T& front() { return data()[0]; }
    const T& front() const { return data()[0]; }
    T& back() { return data()[size_ - 1]; }
    const T& back() const { return data()[size_ - 1]; }
    T* begin() { return data(); }
    T* end() { return data() + size_; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size_; }
    reverse_iterator rbegin() { return reverse_iterator(end()); }
    reverse_iterator rend() { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

    void reserve(std::size_t capacity) {
        if (capacity <= capacity_) return;
        auto grown = std::make_unique<T[]>(capacity);
        for (std::size_t i = 0; i < size_; ++i) grown[i] = std::move(data()[i]);
        heap_ = std::move(grown);
        capacity_ = static_cast<std::uint32_t>(capacity);
    }
    void push_back(T value) {
        if (size_ == capacity_) reserve(2 * capacity_);
        data()[size_++] = std::move(value);
    }
    // Drops the entries, first to last, and keeps the room.
    void clear() {
        for (std::size_t i = 0; i < size_; ++i) data()[i] = T();
        size_ = 0;
    }

private:
    T* data() { return heap_ ? heap_.get() : &single_; }
    const T* data() const { return heap_ ? heap_.get() : &single_; }

    T single_{};
    std::unique_ptr<T[]> heap_;
    // Counts in 32 bits: no node has 2^32 children, and every node holds a list.
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = 1;
};

} // namespace glimmo
