#pragma once

// A list that keeps its first entry inside itself (internal to the kit). Nearly every node is asked one
// question of a kind, so its memoised answers need no allocation of their own.

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

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

    std::size_t size() const { return first_ ? 1 + (rest_ ? rest_->size() : 0) : 0; }
    bool empty() const { return !first_; }
    const T& operator[](std::size_t i) const { return i == 0 ? *first_ : (*rest_)[i - 1]; }
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }
    void push_back(T value) {
        if (!first_) {
            first_.emplace(std::move(value));
            return;
        }
        if (!rest_) rest_ = std::make_unique<std::vector<T>>();
        rest_->push_back(std::move(value));
    }

private:
    std::optional<T> first_;
    std::unique_ptr<std::vector<T>> rest_;
};

} // namespace glimmo
