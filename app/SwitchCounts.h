#pragma once

#include "platform/runtime/Date.h"

#include <span>
#include <string>
#include <vector>

namespace glimmo {

// Changes of name (application or website) in each of the ranges [bounds[i], bounds[i + 1]) of
// ascending `bounds`, counted in one pass over names offered in the order they followed each other.
// A change away from an empty name is not one. Offered names must outlive the counting.
class SwitchCounts {
public:
    explicit SwitchCounts(std::span<const Date> bounds);

    // Ignored outside the bounds.
    void offer(Date when, const std::string& name);
    const std::vector<int>& counts() const { return counts_; }

private:
    std::span<const Date> bounds_;
    std::vector<int> counts_;
    std::vector<const std::string*> previous_; // the last name offered in each range
};

} // namespace glimmo
