#include "tests/support/ScopedEnvironment.h"

#include <cstdlib>

namespace glimmo::testing {

ScopedEnvironment::ScopedEnvironment(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        set(name, *value);
    } else {
        unset(name);
    }
}

ScopedEnvironment::~ScopedEnvironment() {
    // Restore newest first, so a variable set twice ends with its original value.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        const auto& [name, previous] = *it;
        if (previous) {
            ::setenv(name.c_str(), previous->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
}

void ScopedEnvironment::set(const std::string& name, const std::string& value) {
    remember(name);
    ::setenv(name.c_str(), value.c_str(), 1);
}

void ScopedEnvironment::unset(const std::string& name) {
    remember(name);
    ::unsetenv(name.c_str());
}

void ScopedEnvironment::remember(const std::string& name) {
    const char* current = std::getenv(name.c_str());
    saved_.emplace_back(name, current ? std::optional<std::string>(current) : std::nullopt);
}

}  // namespace glimmo::testing
