#include "platform/foundation/Regex.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

TEST(RegexTest, FirstMatchGivesGroupsWithByteRanges) {
    const Regex regex("(\\w+)@(\\w+)(\\.org)?");
    const auto match = regex.firstMatch("Mail: müller@example now");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->whole().text, "müller@example");
    EXPECT_EQ(match->whole().location, 6u);
    EXPECT_EQ(match->whole().length, 15u); // "ü" is two bytes
    EXPECT_EQ(match->group(1)->text, "müller");
    EXPECT_EQ(match->group(2)->location, 14u);
    EXPECT_EQ(match->group(3), std::nullopt);
    EXPECT_EQ(match->numberOfRanges(), 4u);
    EXPECT_EQ(regex.firstMatch("no address"), std::nullopt);
}

TEST(RegexTest, AllMatchesIncludingEmptyOnes) {
    const Regex words("[a-z]+");
    const auto all = words.matches("one, two; three");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].whole().text, "three");
    EXPECT_EQ(all[2].whole().location, 10u);
    EXPECT_EQ(Regex("x*").matches("ab").size(), 3u);
}

TEST(RegexTest, OptionsChangeMatching) {
    EXPECT_FALSE(Regex("chrome").firstMatch("Google Chrome"));
    EXPECT_TRUE(Regex("chrome", {.caseInsensitive = true}).firstMatch("Google Chrome"));
    EXPECT_FALSE(Regex("a.b").firstMatch("a\nb"));
    EXPECT_TRUE(Regex("a.b", {.dotMatchesLineSeparators = true}).firstMatch("a\nb"));
    EXPECT_FALSE(Regex("^two$").firstMatch("one\ntwo\nthree"));
    EXPECT_TRUE(Regex("^two$", {.multiline = true}).firstMatch("one\ntwo\nthree"));
}

TEST(RegexTest, ReplacingAllWithTemplates) {
    const Regex fence("```(?:json)?\\s*");
    EXPECT_EQ(fence.replacingAll("```json\n{\"a\":1}\n```", ""), "{\"a\":1}\n");
    EXPECT_EQ(Regex("(\\w+) (\\w+)").replacingAll("hello world", "$2 $1"), "world hello");
    EXPECT_EQ(Regex("\\$").replacingAll("cost: $5", "\\$\\$"), "cost: $$5");
    EXPECT_EQ(Regex("é").replacingAll("café olé", "e"), "cafe ole");
}

TEST(RegexTest, BadPatternsAndTemplatesThrow) {
    EXPECT_THROW(Regex("(unclosed"), RegexError);
    EXPECT_THROW(Regex("[z-a]"), RegexError);
    EXPECT_THROW(Regex("(a)").replacingAll("a", "$9"), RegexError);
}

TEST(RegexTest, InvalidUtf8InputIsRepairedNotRejected) {
    const auto match = Regex("b+").firstMatch("a\xFF" "bb");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->whole().location, 4u); // after "a" and the three-byte U+FFFD
    EXPECT_EQ(match->whole().text, "bb");
}

} // namespace
} // namespace glimmo
