#include "../ViewTestSupport.h"

#include "platform/view/Controls/Controls.h"
#include "platform/view/Label.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <memory>

namespace glimmo {
namespace {

using testing::TestHost;

enum class Panel { none, weeklyBreakdown, appFocus };

struct TabSample : View<TabSample> {
    std::shared_ptr<int> seen;
    State<int> selectedTab{0};
    AnyView body() const {
        *seen = *selectedTab;
        return VStack({Picker<int>("", selectedTab.binding(),
                                   {{Text("Lumadex").accessibilityLabel("seg0"), 0},
                                    {Text("Charts").accessibilityLabel("seg1"), 1},
                                    {Text("Chat").accessibilityLabel("seg2"), 2}})
                           .pickerStyle(PickerStyle::segmented)
                           .accessibilityLabel("picker")});
    }
};

TEST(SegmentedPickerTest, AClickOnASegmentSelectsItsTag) {
    auto seen = std::make_shared<int>(-1);
    TestHost t(TabSample{{}, seen}, {300, 100});
    EXPECT_EQ(*seen, 0);
    t.click("seg2");
    EXPECT_EQ(*seen, 2);
    t.click("seg1");
    EXPECT_EQ(*seen, 1);
}

TEST(SegmentedPickerTest, SegmentsShareTheWidthEquallyAndSitInOneRow) {
    auto seen = std::make_shared<int>(-1);
    TestHost t(TabSample{{}, seen}, {300, 100});
    const CGRect picker = t.frame("picker");
    EXPECT_EQ(picker.width(), 300) << "a segmented picker takes the offered width";
    // Three segments of (300 - 2 border - 2 separators) / 3, each label centred in its segment.
    const CGRect s0 = t.frame("seg0"), s1 = t.frame("seg1"), s2 = t.frame("seg2");
    EXPECT_DOUBLE_EQ(s0.midY(), s2.midY());
    EXPECT_NEAR(s1.midX() - s0.midX(), s2.midX() - s1.midX(), 0.01);
    EXPECT_NEAR(s1.midX(), picker.midX(), 0.01);
}

struct MenuSample : View<MenuSample> {
    std::shared_ptr<Panel> seen;
    State<Panel> selected{Panel::weeklyBreakdown};
    AnyView body() const {
        *seen = *selected;
        const std::vector<Panel> cases{Panel::none, Panel::weeklyBreakdown, Panel::appFocus};
        return VStack(HorizontalAlignment::leading(), std::nullopt, {
            labelsHidden(Picker<Panel>("", selected.binding(), cases,
                                       [](Panel p) {
                                           return Text(p == Panel::none              ? "None"
                                                       : p == Panel::weeklyBreakdown ? "Weekly Graph"
                                                                                     : "App Focus");
                                       })
                             .pickerStyle(PickerStyle::menu))
                .accessibilityLabel("menu"),
        });
    }
};

TEST(MenuPickerTest, OpensItsListBelowAndAChoiceSetsTheSelectionAndCloses) {
    auto seen = std::make_shared<Panel>(Panel::none);
    TestHost t(MenuSample{{}, seen}, {300, 300});
    EXPECT_EQ(*seen, Panel::weeklyBreakdown);
    EXPECT_FALSE(t.has("option 0"));
    const CGRect button = t.frame("menu");
    t.click("menu");
    ASSERT_TRUE(t.has("option 2"));
    EXPECT_GE(t.frame("option 0").minY(), button.maxY()) << "the list hangs below the button";
    EXPECT_LT(t.frame("option 0").minY(), t.frame("option 1").minY());
    t.click("option 2");
    EXPECT_EQ(*seen, Panel::appFocus);
    EXPECT_FALSE(t.has("option 0")) << "choosing closes the list";
}

TEST(PickerTest, TheTitleStandsBeforeTheControlUnlessHidden) {
    State<int> value{1};
    TestHost titled(Picker<int>("View Style", value.binding(), {{Text("A"), 0}, {Text("B"), 1}}).accessibilityLabel("p"), {300, 100});
    TestHost hidden(labelsHidden(Picker<int>("View Style", value.binding(), {{Text("A"), 0}, {Text("B"), 1}})).accessibilityLabel("p"),
                    {300, 100});
    EXPECT_GT(titled.frame("p").width(), hidden.frame("p").width() + 10 * 6.5);
}

TEST(PickerTest, ASelectionOutsideTheOptionsShowsNothingSelectedAndStillAcceptsAChoice) {
    auto seen = std::make_shared<int>(-1);
    struct Sample : View<Sample> {
        std::shared_ptr<int> seen;
        State<int> tab{7};
        AnyView body() const {
            *seen = *tab;
            return Picker<int>("", tab.binding(), {{Text("A").accessibilityLabel("a"), 0}, {Text("B"), 1}}).pickerStyle(PickerStyle::segmented);
        }
    };
    TestHost t(Sample{{}, seen}, {200, 60});
    EXPECT_EQ(*seen, 7);
    t.click("a");
    EXPECT_EQ(*seen, 0);
}

} // namespace
} // namespace glimmo
