#pragma once

// Failures handed from one thread to another as values. The thread that caught a failure copies it
// (its type and all it says) into an ErrorValue; the thread that takes the value throws a fresh
// exception made from it. So no exception object is used by two threads, although the thread that
// caught one may still be in its catch block, and one failure may go to waiters on several loops.

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeinfo>

namespace glimmo {

class ErrorValue {
public:
    // Copies `error`, on the thread that holds it. A type nobody taught (see teach) is copied as the
    // nearest standard exception with the same message; what is no std::exception, or cannot be copied
    // for want of memory, is passed on as is.
    explicit ErrorValue(const std::exception_ptr& error);

    // Throws a fresh exception of the copied type, with the same message and details.
    [[noreturn]] void raise() const;
    // The same exception, caught: held by nobody else.
    std::exception_ptr fresh() const;

    // Teaches ErrorValue to copy errors of exactly the type E with `copy`. Called once per type, at
    // start-up, from the file that defines the type's constructor (so wherever one can be thrown, it
    // has been taught):
    //     [[maybe_unused]] const bool taught = ErrorValue::teach<HttpError>();
    template <class E>
    static bool teach(E (*copy)(const E&) = &detached<E>);

    // A copy of `error` that shares nothing with it: the standard exceptions share their message
    // between copies, so the message is copied afresh. A type that holds another exception is taught a
    // copy of its own, which holds a copied() one instead.
    template <class E>
    static E detached(const E& error);
    // A fresh copy of `error` (nullptr for nullptr).
    static std::exception_ptr copied(const std::exception_ptr& error);

private:
    using Thrower = std::function<void()>;
    using Copier = std::function<Thrower(const std::exception&)>;
    static bool teach(const std::type_info& type, Copier copier);

    Thrower throw_;
};

template <class E>
bool ErrorValue::teach(E (*copy)(const E&)) {
    static_assert(std::is_base_of_v<std::exception, E>, "only std::exception types are copied");
    return teach(typeid(E), [copy](const std::exception& error) {
        return Thrower([copied = copy(static_cast<const E&>(error))] { throw copied; });
    });
}

template <class E>
E ErrorValue::detached(const E& error) {
    E copy = error;
    if constexpr (std::is_base_of_v<std::runtime_error, E>) {
        static_cast<std::runtime_error&>(copy) = std::runtime_error(std::string(error.std::runtime_error::what()));
    } else if constexpr (std::is_base_of_v<std::logic_error, E>) {
        static_cast<std::logic_error&>(copy) = std::logic_error(std::string(error.std::logic_error::what()));
    }
    return copy;
}

}  // namespace glimmo
