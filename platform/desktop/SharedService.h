#pragma once

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

namespace glimmo::detail {

// Holds the process-wide instance of one desktop service. The application (or a test) installs it;
// asking before that is a programming error and says which service is missing.
template <class Service>
class SharedService {
public:
    static Service& get(const char* serviceName) {
        const std::lock_guard lock(mutex());
        if (!instance()) {
            throw std::logic_error(std::string("no shared ") + serviceName +
                                   " installed: call setShared() first");
        }
        return *instance();
    }

    static void set(std::shared_ptr<Service> service) {
        const std::lock_guard lock(mutex());
        instance() = std::move(service);
    }

    static bool isInstalled() {
        const std::lock_guard lock(mutex());
        return instance() != nullptr;
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::shared_ptr<Service>& instance() {
        static std::shared_ptr<Service> s;
        return s;
    }
};

} // namespace glimmo::detail
