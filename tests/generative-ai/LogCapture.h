#pragma once

#include "platform/foundation/Log.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace genai::testing {

// Collects every log line while alive (from any thread).
class LogCapture {
public:
    LogCapture() {
        glimmo::setLogSinkForTesting([this](glimmo::LogLevel level, std::string_view message) {
            const std::lock_guard lock(mutex_);
            lines_.emplace_back(level, std::string(message));
        });
    }
    ~LogCapture() { glimmo::setLogSinkForTesting({}); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::pair<glimmo::LogLevel, std::string>> lines() const {
        const std::lock_guard lock(mutex_);
        return lines_;
    }
    // Lines that start with `prefix`.
    std::vector<std::string> matching(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const auto& [level, text] : lines()) {
            if (text.starts_with(prefix)) found.push_back(text);
        }
        return found;
    }
    std::size_t count(const std::string& prefix) const { return matching(prefix).size(); }
    bool containsText(const std::string& needle) const {
        const auto all = lines();
        return std::any_of(all.begin(), all.end(), [&](const auto& line) {
            return line.second.find(needle) != std::string::npos;
        });
    }
    void clear() {
        const std::lock_guard lock(mutex_);
        lines_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<glimmo::LogLevel, std::string>> lines_;
};

} // namespace genai::testing
