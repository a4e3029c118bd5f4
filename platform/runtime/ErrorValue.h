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

namespace glimmo {

class ErrorValue {
public:
    // Throws, each time it is called, a copy it holds.
    using Thrower = std::function<void()>;

    // Copies `error`, on the thread that holds it: one of ours (CopiedAcrossThreads) as the type that
    // gives its copy, a standard exception as the nearest standard type with the same message. What is
    // no std::exception, or cannot be copied for want of memory, is passed on as is.
    explicit ErrorValue(const std::exception_ptr& error);

    // Throws a fresh exception of the copied type, with the same message and details.
    [[noreturn]] void raise() const;
    // The same exception, caught: held by nobody else.
    std::exception_ptr fresh() const;

    // Throws detached copies of `error` as E.
    template <class E>
    static Thrower thrower(const E& error);
    // A copy of `error` that shares nothing with it: the standard exceptions share their message
    // between copies, so the message is copied afresh. A type that holds another exception makes a
    // copy of its own instead, which holds a copied() one.
    template <class E>
    static E detached(const E& error);
    // A fresh copy of `error` (nullptr for nullptr).
    static std::exception_ptr copied(const std::exception_ptr& error);

private:
    Thrower throw_;
};

// An error of ours: it crosses threads as its own type. Each type that is thrown gives its copy, in
// one line:
//     ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
// A type that derives from one of ours and gives none arrives as its nearest base that does, with the
// message and details that base holds, and is caught wherever that base is.
class CopiedAcrossThreads {
public:
    virtual ~CopiedAcrossThreads() = default;
    virtual ErrorValue::Thrower copyForThrowing() const = 0;
};

template <class E>
ErrorValue::Thrower ErrorValue::thrower(const E& error) {
    static_assert(std::is_base_of_v<std::exception, E>, "only std::exception types are copied");
    return [copied = detached(error)] { throw copied; };
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
