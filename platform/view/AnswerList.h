#pragma once

// A list that keeps its first entry inside itself (internal to the kit). Nearly every node is asked one
// question of a kind, so its memoised answers need no allocation of their own.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace glimmo {

template <class T>
class AnswerList {
public:
    class Iterator {
    public:
        Iterator(const AnswerList* list, std::size_t index) : list_(list), index_(index) {}
        const T& operator*() const { return (*list_)[index_]; }
        const T* operator->() const { return &(*list_)[index_]; }
        Iterator& operator++() {
            ++index_;
            return *this;
        }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }

    private:
        const AnswerList* list_;
        std::size_t index_;
    };

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T& operator[](std::size_t i) const { return i == 0 ? first_ : rest_[i - 1]; }
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }
    void push_back(T value) {
        if (size_ == 0) {
            first_ = std::move(value);
        } else {
            if (size_ - 1 == restCapacity_) grow();
            rest_[size_ - 1] = std::move(value);
        }
        ++size_;
    }

private:
    // The rest in one block, made for one more answer at first: most nodes asked again are asked once more.
    void grow() {
        const std::uint32_t capacity = restCapacity_ == 0 ? 1 : 2 * restCapacity_;
        auto grown = std::make_unique<T[]>(capacity);
        std::move(rest_.get(), rest_.get() + restCapacity_, grown.get());
        rest_ = std::move(grown);
        restCapacity_ = capacity;
    }

    T first_{};
    std::uint32_t size_ = 0;
    std::uint32_t restCapacity_ = 0;
    std::unique_ptr<T[]> rest_;
};

} // namespace glimmo
