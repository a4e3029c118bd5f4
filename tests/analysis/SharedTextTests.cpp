#include "analysis/SharedText.h"

#include <gtest/gtest.h>

#include <concepts>
#include <optional>
#include <string>

namespace glimmo::testing {
namespace {

template <class A, class B>
concept Comparable = requires(const A& a, const B& b) {
    a == b;
    a != b;
};

// Two texts are told apart by identity, which the views use as a key; a plain string is never the same
// text, so comparing with one must not compile (it would always be false).
static_assert(std::equality_comparable<SharedText>);
static_assert(Comparable<std::optional<SharedText>, SharedText>);
static_assert(!Comparable<SharedText, std::string>);
static_assert(!Comparable<std::string, SharedText>);
static_assert(!Comparable<SharedText, const char*>);
static_assert(!Comparable<SharedText, char[6]>);
static_assert(!Comparable<std::optional<SharedText>, std::string>);
static_assert(!Comparable<std::string, std::optional<SharedText>>);

TEST(SharedTextTest, IsTheSameTextOnlyWhenSharedNotWhenEqual) {
    const SharedText made = std::string("journal");
    EXPECT_TRUE(std::optional<SharedText>(made) == made);
    EXPECT_FALSE(SharedText("journal") == made);
}

} // namespace
} // namespace glimmo::testing
