#include "ViewTestSupport.h"

#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

using testing::TestHost;

// With the fixed measurer a 13-point character is 6.5 wide and a line 13 high.
TEST(StackLayoutTest, SpacerTakesTheRoomLeftBetweenFixedChildren) {
    TestHost t(HStack(VerticalAlignment::center(), 0, {
        Text("Hello").accessibilityLabel("a"),
        Spacer().accessibilityLabel("s"),
        Text("ab").accessibilityLabel("b"),
    }).frame(200, 50), {200, 50});
    EXPECT_EQ(t.frame("a"), CGRect(0, 18.5, 32.5, 13));
    EXPECT_EQ(t.frame("b"), CGRect(187, 18.5, 13, 13));
    EXPECT_EQ(t.frame("s").width(), 200 - 32.5 - 13);
}

TEST(StackLayoutTest, DefaultSpacingIsEightAndTheStackIsCentred) {
    TestHost t(VStack({
        Text("ab").accessibilityLabel("a"),
        Text("abcd").accessibilityLabel("b"),
    }), {100, 100});
    // 13 + 8 + 13 high, 26 wide, centred in the window.
    EXPECT_EQ(t.frame("a"), CGRect(43.5, 33, 13, 13));
    EXPECT_EQ(t.frame("b"), CGRect(37, 54, 26, 13));
}

TEST(StackLayoutTest, LeastFlexibleChildIsSizedFirstAndPriorityWins) {
    // Two texts in 100 points: the short one keeps its width, the long one wraps in the rest.
    TestHost t(HStack(VerticalAlignment::top(), 0, {
        Text("aaaa aaaa aaaa aaaa").accessibilityLabel("long"),
        Text("bb").accessibilityLabel("short"),
    }).frame(100, 100, Alignment::topLeading()), {100, 100});
    EXPECT_EQ(t.frame("short").width(), 13);
    EXPECT_EQ(t.frame("long").width(), 58.5) << "two 26-point words and a space per line of 87";
    // A higher priority takes its ideal width before the others.
    TestHost p(HStack(VerticalAlignment::top(), 0, {
        Text("aaaa").accessibilityLabel("low"),
        Text("bbbbbbbbbbbbbb").layoutPriority(1).accessibilityLabel("high"),
    }).frame(100, 100, Alignment::topLeading()), {100, 100});
    EXPECT_EQ(p.frame("high").width(), 91);
    EXPECT_EQ(p.frame("low").width(), 6.5);
}

} // namespace
} // namespace glimmo
