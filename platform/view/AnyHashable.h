#pragma once

#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <utility>

namespace glimmo {

template <class T>
concept StdHashable = requires(const T& v) {
    { std::hash<T>{}(v) } -> std::convertible_to<std::size_t>;
};

// A type-erased identifier or compared value (view ids, onChange values, task ids). Two values are equal
// when they have the same type and compare equal; values of types without std::hash hash to their type.
class AnyHashable {
public:
    AnyHashable() = default;
    template <class T>
        requires(!std::same_as<std::decay_t<T>, AnyHashable> && std::equality_comparable<std::decay_t<T>>)
    AnyHashable(T&& value) // NOLINT: implicit like Swift's AnyHashable
        : holder_(std::make_shared<const Holder<Stored<std::decay_t<T>>>>(Stored<std::decay_t<T>>(std::forward<T>(value)))) {}

    bool hasValue() const { return static_cast<bool>(holder_); }
    std::size_t hash() const { return holder_ ? holder_->hash() : 0; }
    template <class T>
    const T* get() const {
        if (!holder_ || holder_->type() != typeid(Stored<T>)) return nullptr;
        return &static_cast<const Holder<Stored<T>>*>(holder_.get())->value;
    }
    bool operator==(const AnyHashable& o) const {
        if (holder_ == o.holder_) return true;
        return holder_ && o.holder_ && holder_->equals(*o.holder_);
    }

private:
    // String literals are kept as std::string so "a" equals std::string("a").
    template <class T>
    using Stored = std::conditional_t<std::is_convertible_v<T, std::string> && !std::is_same_v<T, std::string>, std::string, T>;

    struct Base {
        virtual ~Base() = default;
        virtual std::type_index type() const = 0;
        virtual bool equals(const Base& o) const = 0;
        virtual std::size_t hash() const = 0;
    };
    template <class T>
    struct Holder final : Base {
        explicit Holder(T v) : value(std::move(v)) {}
        std::type_index type() const override { return typeid(T); }
        bool equals(const Base& o) const override {
            return o.type() == type() && static_cast<const Holder&>(o).value == value;
        }
        std::size_t hash() const override {
            if constexpr (StdHashable<T>) return std::hash<T>{}(value);
            else return std::type_index(typeid(T)).hash_code();
        }
        T value;
    };
    std::shared_ptr<const Base> holder_;
};

struct AnyHashableHash {
    std::size_t operator()(const AnyHashable& v) const { return v.hash(); }
};

} // namespace glimmo
