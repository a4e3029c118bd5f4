#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace glimmo::testing {

// Sets or unsets environment variables for the life of this object and restores the previous
// values (or absence) afterwards, in reverse order.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const std::string& name, const std::optional<std::string>& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void set(const std::string& name, const std::string& value);
    void unset(const std::string& name);

private:
    void remember(const std::string& name);

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace glimmo::testing
