#include "../ViewTestSupport.h"

#include "platform/view/Button.h"
#include "platform/view/Controls/Controls.h"
#include "platform/view/Presentation.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace glimmo {
namespace {

using testing::TestHost;

// A menu picker with a tappable panel laid out after it, as the Classic layout's bottom panel follows
// the chart's menu.
struct MenuOverPanel : View<MenuOverPanel> {
    std::shared_ptr<int> panelTaps;
    std::shared_ptr<int> seen;
    State<int> selected{1};
    AnyView body() const {
        *seen = *selected;
        auto taps = panelTaps;
        return VStack(HorizontalAlignment::leading(), 0, {
            labelsHidden(Picker<int>("", selected.binding(),
                                     {{Text("None"), 0}, {Text("Weekly Graph"), 1}, {Text("App Focus"), 2}})
                             .pickerStyle(PickerStyle::menu))
                .accessibilityLabel("menu"),
            AnyView(Rectangle().fill(Color::blue())).frame(300, 200).onTapGesture([taps] { ++*taps; }).accessibilityLabel("panel"),
        });
    }
};

// Index in the display list of the first text item drawing `text`, or of the first blue fill.
std::ptrdiff_t indexOfText(const DisplayList& list, const std::string& text) {
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        if (const auto* t = std::get_if<TextItem>(&list.items[i]); t && !t->runs.empty() && t->runs.front().text == text) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}
std::ptrdiff_t indexOfFill(const DisplayList& list, CGSize size) {
    for (std::size_t i = 0; i < list.items.size(); ++i) {
        if (const auto* f = std::get_if<FillItem>(&list.items[i]); f && f->path.boundingRect().size == size) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

TEST(PresentationLayerTest, AnOpenMenuLiesOverLaterViewsAndTakesTheirClicks) {
    auto taps = std::make_shared<int>(0);
    auto seen = std::make_shared<int>(-1);
    TestHost t(MenuOverPanel{{}, taps, seen}, {300, 260});
    t.click("menu");
    ASSERT_TRUE(t.has("option 2"));
    const CGRect panel = t.frame("panel");
    const CGRect option = t.frame("option 2");
    ASSERT_TRUE(panel.intersects(option)) << "the list hangs over the panel";
    const DisplayList& list = t.host().displayList();
    EXPECT_GT(indexOfText(list, "App Focus"), indexOfFill(list, {300, 200})) << "the list is drawn after the panel";
    t.click("option 2");
    EXPECT_EQ(*seen, 2) << "the option under the pointer took the click";
    EXPECT_EQ(*taps, 0) << "the panel below it did not";
    EXPECT_FALSE(t.has("option 0"));
}

TEST(PresentationLayerTest, AClickOutsideAnOpenMenuOnlyClosesIt) {
    auto taps = std::make_shared<int>(0);
    auto seen = std::make_shared<int>(-1);
    TestHost t(MenuOverPanel{{}, taps, seen}, {300, 260});
    t.click("menu");
    ASSERT_TRUE(t.has("option 0"));
    const CGRect panel = t.frame("panel");
    t.clickAt({panel.maxX() - 5, panel.maxY() - 5});
    EXPECT_FALSE(t.has("option 0"));
    EXPECT_EQ(*taps, 0) << "the click that closed the menu went no further";
    EXPECT_EQ(*seen, 1);
    t.clickAt({panel.maxX() - 5, panel.maxY() - 5});
    EXPECT_EQ(*taps, 1);
}

TEST(PresentationLayerTest, AMenuNearTheWindowsBottomOpensAboveItsButton) {
    struct Low : View<Low> {
        State<int> selected{0};
        AnyView body() const {
            return VStack(HorizontalAlignment::leading(), 0, {
                Spacer(),
                labelsHidden(Picker<int>("", selected.binding(), {{Text("One"), 0}, {Text("Two"), 1}, {Text("Three"), 2}})
                                 .pickerStyle(PickerStyle::menu))
                    .accessibilityLabel("menu"),
            });
        }
    };
    TestHost t(Low{}, {200, 200});
    t.click("menu");
    ASSERT_TRUE(t.has("option 2"));
    EXPECT_LE(t.frame("option 2").maxY(), t.frame("menu").minY());
    EXPECT_GE(t.frame("option 0").minY(), 0);
}

// An alert attached to one small view among others.
struct SmallAlert : View<SmallAlert> {
    std::shared_ptr<int> otherTaps;
    std::shared_ptr<int> confirmed;
    State<bool> showing{true};
    AnyView body() const {
        auto other = otherTaps;
        auto done = confirmed;
        return VStack({
            alert(AnyView(Text("small")).accessibilityLabel("small"), "Clear All Data", showing.binding(),
                  {{"Cancel", ButtonRole::cancel, {}}, {"Clear", ButtonRole::destructive, [done] { ++*done; }}}),
            Button("Other", [other] { ++*other; }).accessibilityLabel("other"),
        });
    }
};

TEST(PresentationLayerTest, AnAlertDimsAndBlocksTheWholeWindowNotOnlyItsView) {
    auto otherTaps = std::make_shared<int>(0);
    auto confirmed = std::make_shared<int>(0);
    TestHost t(SmallAlert{{}, otherTaps, confirmed}, {400, 300});
    ASSERT_TRUE(t.has("Clear"));
    EXPECT_GE(indexOfFill(t.host().displayList(), {400, 300}), 0) << "the dimming covers the window";
    const CGRect other = t.frame("other");
    const CGRect small = t.frame("small");
    EXPECT_FALSE(other.intersects(small));
    t.clickAt({other.midX(), other.midY()});
    EXPECT_EQ(*otherTaps, 0) << "a button beside the alert's view takes no click while it shows";
    t.click("Clear");
    EXPECT_EQ(*confirmed, 1);
    EXPECT_FALSE(t.has("Clear"));
    t.click("other");
    EXPECT_EQ(*otherTaps, 1);
}

// A view above the anchor grows, on its own, inside a fixed frame: the anchor moves while nothing
// around the frame is placed again (the frame is placed again by itself, after the views around it).
struct Grower : View<Grower> {
    ObservedObject<testing::Knob> height;
    AnyView body() const { return Rectangle().frame(50, 10 + height->value.get()); }
};

TEST(PresentationLayerTest, ALayerFollowsItsAnchorWhereverAnUpdateMovesIt) {
    auto height = std::make_shared<testing::Knob>();
    const AnyView anchor = AnyView(Text("anchor")).accessibilityLabel("anchor");
    const AnyView layer = AnyView(Text("layer")).accessibilityLabel("layer");
    const AnyView framed = AnyView(VStack(HorizontalAlignment::leading(), 0, {Grower{{}, {height}}, presentation(anchor, layer, PresentationPlacement::belowAnchor)}))
                               .frame(200, 200, Alignment::topLeading());
    TestHost t(VStack({Text("above"), framed}), {300, 260});
    const CGRect before = t.frame("anchor");
    height->value.set(30);
    EXPECT_GT(t.frame("anchor").minY(), before.minY());
    EXPECT_EQ(t.frame("layer").minY(), t.frame("anchor").maxY() + 2);
}

} // namespace
} // namespace glimmo
