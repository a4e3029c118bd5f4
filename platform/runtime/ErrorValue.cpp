#include "platform/runtime/ErrorValue.h"

#include "platform/runtime/Task.h"

#include <mutex>
#include <new>
#include <system_error>
#include <typeindex>
#include <unordered_map>
#include <utility>

namespace glimmo {

namespace {

using Thrower = std::function<void()>;
using Copier = std::function<Thrower(const std::exception&)>;

class Copiers {
public:
    // The standard exceptions and the runtime's own are known from the start.
    Copiers() {
        add<CancellationError>();
        add<RunBlockingTimeout>();
        add<std::bad_alloc>();
        add<std::logic_error>();
        add<std::invalid_argument>();
        add<std::domain_error>();
        add<std::length_error>();
        add<std::out_of_range>();
        add<std::runtime_error>();
        add<std::range_error>();
        add<std::overflow_error>();
        add<std::underflow_error>();
        add<std::system_error>();
    }

    static Copiers& shared() {
        static Copiers copiers;
        return copiers;
    }

    template <class E>
    void add() {
        add(typeid(E), [](const std::exception& error) -> Thrower {
            return [copied = ErrorValue::detached(static_cast<const E&>(error))] { throw copied; };
        });
    }

    void add(const std::type_info& type, Copier copier) {
        const std::lock_guard lock(mutex_);
        copiers_.insert_or_assign(std::type_index(type), std::move(copier));
    }

    Thrower copy(const std::exception& error) const {
        Copier copier;
        {
            const std::lock_guard lock(mutex_);
            const auto found = copiers_.find(std::type_index(typeid(error)));
            if (found != copiers_.end()) copier = found->second;
        }
        return copier ? copier(error) : nearestStandard(error);
    }

private:
    static Thrower nearestStandard(const std::exception& error) {
        if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return [] { throw std::bad_alloc(); };
        std::string message = error.what();
        if (dynamic_cast<const std::logic_error*>(&error) != nullptr) {
            return [message = std::move(message)] { throw std::logic_error(message); };
        }
        return [message = std::move(message)] { throw std::runtime_error(message); };
    }

    mutable std::mutex mutex_;
    std::unordered_map<std::type_index, Copier> copiers_;
};

}  // namespace

// What is no std::exception, or cannot be copied for want of memory, is passed on as it is.
ErrorValue::ErrorValue(const std::exception_ptr& error) : throw_([error] { std::rethrow_exception(error); }) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& caught) {
        try {
            throw_ = Copiers::shared().copy(caught);
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

bool ErrorValue::teach(const std::type_info& type, Copier copier) {
    Copiers::shared().add(type, std::move(copier));
    return true;
}

}  // namespace glimmo
