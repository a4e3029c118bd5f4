#include "app/SwitchCounts.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace glimmo {
namespace {

// A record without an application name (or a visit without a host) ends a run of one name: the change to it
// counts, the change away from it does not.
TEST(SwitchCounts, AChangeAwayFromAnEmptyNameIsNoneAndEachRangeCountsOnlyItsOwnChanges) {
    const Date bounds[] = {Date{0}, Date{10}, Date{20}};
    const std::vector<std::pair<double, std::string>> offered{
        {1, "A"}, {2, ""}, {3, "B"}, {4, ""}, {5, ""}, {9, "B"}, {11, "C"}, {12, "D"}, {20, "E"}, {-1, "F"}};
    SwitchCounts switches(bounds);
    for (const auto& [when, name] : offered) switches.offer(Date{when}, name);
    // A to "" and B to "" in the first range, not "" to B twice; B to C is across the bound, C to D in the second.
    EXPECT_EQ(switches.counts(), (std::vector<int>{2, 1}));
}

} // namespace
} // namespace glimmo
