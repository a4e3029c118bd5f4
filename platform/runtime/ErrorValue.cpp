#include "platform/runtime/ErrorValue.h"

#include <new>
#include <system_error>

namespace glimmo {

namespace {

// The first of the types listed that `error` is, each listed before the types it derives from; what is
// none of them arrives as a runtime_error with its message.
template <class Standard, class... Wider>
ErrorValue::Thrower nearestStandard(const std::exception& error) {
    if (const auto* standard = dynamic_cast<const Standard*>(&error)) return ErrorValue::thrower(*standard);
    if constexpr (sizeof...(Wider) > 0) {
        return nearestStandard<Wider...>(error);
    } else {
        return [message = std::string(error.what())] { throw std::runtime_error(message); };
    }
}

ErrorValue::Thrower copyOf(const std::exception& error) {
    if (const auto* ours = dynamic_cast<const CopiedAcrossThreads*>(&error)) return ours->copyForThrowing();
    return nearestStandard<std::bad_alloc, std::invalid_argument, std::domain_error, std::length_error,
                           std::out_of_range, std::logic_error, std::range_error, std::overflow_error,
                           std::underflow_error, std::system_error, std::runtime_error>(error);
}

}  // namespace

// What is no std::exception, or cannot be copied for want of memory, is passed on as it is.
ErrorValue::ErrorValue(const std::exception_ptr& error) : throw_([error] { std::rethrow_exception(error); }) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& caught) {
        try {
            throw_ = copyOf(caught);
        } catch (...) {
        }
    } catch (...) {
    }
}

void ErrorValue::raise() const {
    throw_();
    throw std::logic_error("An error value did not throw");  // not reached: every thrower throws
}

std::exception_ptr ErrorValue::fresh() const {
    try {
        raise();
    } catch (...) {
        return std::current_exception();
    }
}

std::exception_ptr ErrorValue::copied(const std::exception_ptr& error) {
    return error ? ErrorValue(error).fresh() : nullptr;
}

}  // namespace glimmo
