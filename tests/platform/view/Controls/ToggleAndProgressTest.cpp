#include "../ViewTestSupport.h"

#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/RunLoop.h"

#include "platform/view/Button.h"
#include "platform/view/Controls/Controls.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace glimmo {
namespace {

using testing::TestHost;

// A toggle over view state; the body reports the value it was evaluated with.
struct ToggleSample : View<ToggleSample> {
    std::shared_ptr<bool> seen;
    bool disabledToggle = false;
    ToggleStyle style = ToggleStyle::automatic;
    State<bool> isPositive{true};
    AnyView body() const {
        *seen = *isPositive;
        return VStack({Toggle("Positive", isPositive.binding()).toggleStyle(style).disabled(disabledToggle).accessibilityLabel("toggle"),
                       Text(*isPositive ? "on" : "off").accessibilityLabel("state")});
    }
};

TEST(ToggleTest, AClickFlipsTheBoundValueAndTheViewFollows) {
    auto seen = std::make_shared<bool>(false);
    TestHost t(ToggleSample{{}, seen});
    EXPECT_TRUE(*seen);
    t.click("toggle");
    EXPECT_FALSE(*seen);
    EXPECT_EQ(t.frame("state").width(), 3 * 6.5) << "the text re-evaluated to \"off\"";
    t.click("toggle");
    EXPECT_TRUE(*seen);
}

TEST(ToggleTest, TheTitleIsPartOfTheClickAreaAndAlignsAfterTheBox) {
    auto seen = std::make_shared<bool>(false);
    TestHost t(ToggleSample{{}, seen});
    // A 14-point check box, 6 points, then "Positive" in the 13-point body font (8 x 6.5).
    const CGRect toggle = t.frame("toggle");
    EXPECT_EQ(toggle.size, (CGSize{14 + 6 + 52, 14}));
    t.clickAt({toggle.maxX() - 2, toggle.midY()});
    EXPECT_FALSE(*seen) << "a click on the title flips it too";
}

TEST(ToggleTest, DisabledTogglesIgnoreClicksAndSwitchesFlipLikeCheckBoxes) {
    auto seen = std::make_shared<bool>(false);
    TestHost disabled(ToggleSample{{}, seen, true});
    disabled.click("toggle");
    EXPECT_TRUE(*seen);

    auto seenSwitch = std::make_shared<bool>(false);
    TestHost t(ToggleSample{{}, seenSwitch, false, ToggleStyle::switchStyle});
    EXPECT_EQ(t.frame("toggle").height(), 18) << "the switch track sets the height";
    t.click("toggle");
    EXPECT_FALSE(*seenSwitch);
}

TEST(ProgressViewTest, SpinnerWithoutAValueAndAFullWidthBarWithOne) {
    TestHost t(VStack({ProgressView().accessibilityLabel("spinner"),
                       ProgressView(0.25).accessibilityLabel("bar"),
                       ProgressView().scaleEffect(0.5).accessibilityLabel("small")}),
               {200, 200});
    EXPECT_EQ(t.frame("spinner").size, (CGSize{32, 32}));
    EXPECT_EQ(t.frame("bar").size, (CGSize{200, 6}));
    EXPECT_EQ(t.frame("small").size, (CGSize{32, 32})) << "scaling draws smaller but keeps the layout size";
}

TEST(SettingsLinkTest, RunsTheEnvironmentsOpenSettingsActionAndIsHarmlessWithout) {
    int opened = 0;
    auto action = std::make_shared<const std::function<void()>>([&] { ++opened; });
    TestHost t(VStack({SettingsLink([] { return AnyView(Text("EDIT CATEGORIES")); }).environment<OpenSettingsActionKey>(action).accessibilityLabel("with"),
                       SettingsLink([] { return AnyView(Text("EDIT")); }).accessibilityLabel("without")}));
    t.click("with");
    t.click("without");
    EXPECT_EQ(opened, 1);
}

// The colours of the spinner's spokes, in drawing order.
std::vector<RGBA> spokeColours(ViewHost& host) {
    std::vector<RGBA> colours;
    for (const auto& item : host.displayList().items) {
        if (const auto* fill = std::get_if<FillItem>(&item)) {
            if (const auto* colour = std::get_if<RGBA>(&fill->paint)) colours.push_back(*colour);
        }
    }
    return colours;
}

TEST(ProgressViewTest, TheSpinnerTurnsOnTheMainLoopWhileShownAndStopsWhenGone) {
    auto loop = std::make_shared<ManualRunLoop>();
    RunLoop::setMain(loop);
    struct Sample : View<Sample> {
        State<bool> loading{true};
        AnyView body() const {
            auto l = loading;
            return VStack({If(*loading, [] { return AnyView(ProgressView()); }),
                           Button("Done", [l] { l.set(false); }).buttonStyle(AnyButtonStyle::plain()).accessibilityLabel("done")});
        }
    };
    Sample sample;
    {
        TestHost t(sample, {100, 100});
        const auto first = spokeColours(t.host());
        ASSERT_EQ(first.size(), 8u);
        std::size_t redraws = 0;
        t.host().setNeedsDisplayHandler([&redraws] { ++redraws; });
        loop->advance(0.2);
        EXPECT_GT(redraws, 0u) << "the turning asks the window to draw again";
        const auto later = spokeColours(t.host());
        ASSERT_EQ(later.size(), 8u);
        EXPECT_NE(first, later) << "the brightest spoke moved on";
        bool isRotation = false;
        auto turned = first;
        for (int step = 0; step < 8 && !isRotation; ++step) {
            std::rotate(turned.begin(), turned.begin() + 1, turned.end());
            isRotation = turned == later;
        }
        EXPECT_TRUE(isRotation) << "the same shades, turned round";
        EXPECT_GT(loop->scheduledTimerCount(), 0u);
        t.click("done");
        loop->runUntilIdle();
        EXPECT_EQ(loop->scheduledTimerCount(), 0u) << "the timer stops when the spinner goes";
    }
    RunLoop::setMain(nullptr);
}

} // namespace
} // namespace glimmo
