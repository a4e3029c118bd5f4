#include "ViewTestSupport.h"

#include "platform/view/Button.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

using testing::TestHost;

TEST(ButtonTest, ActsOnlyWhenTheClickEndsOnTheButton) {
    int taps = 0;
    TestHost t(VStack({Button("Add", [&] { ++taps; }).accessibilityLabel("b"), Rectangle().frame(50, 50).accessibilityLabel("r")}));
    t.click("b");
    EXPECT_EQ(taps, 1);
    const CGRect b = t.frame("b");
    const CGRect r = t.frame("r");
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {b.midX(), b.midY()}));
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::moved, {r.midX(), r.midY()}));
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::released, {r.midX(), r.midY()}));
    EXPECT_EQ(taps, 1) << "dragged off before release";
}

TEST(ButtonTest, TheLabelsPaddingAndBackgroundTakeClicksInEveryStyle) {
    for (const AnyButtonStyle& style : {AnyButtonStyle::plain(), AnyButtonStyle::borderless(), AnyButtonStyle::automatic()}) {
        int taps = 0;
        TestHost t(VStack({
            Button([&] { ++taps; }, AnyView(Text("c")).padding(8)).buttonStyle(style).accessibilityLabel("padded"),
            Button([&] { ++taps; }, AnyView(Text("d")).padding(8).background(Color::orange())).buttonStyle(style).accessibilityLabel("filled"),
        }));
        const CGRect padded = t.frame("padded");
        t.clickAt({padded.minX() + 2, padded.minY() + 2});
        EXPECT_EQ(taps, 1) << "a click on the label's padding";
        const CGRect filled = t.frame("filled");
        t.clickAt({filled.maxX() - 2, filled.maxY() - 2});
        EXPECT_EQ(taps, 2) << "a click on the label's background";
        t.clickAt({filled.maxX() + 2, filled.midY()});
        EXPECT_EQ(taps, 2) << "a click beside the button";
    }
}

TEST(ButtonTest, StylesShapeTheLabelAndDisabledButtonsIgnoreClicks) {
    int taps = 0;
    TestHost t(VStack(HorizontalAlignment::center(), 10, {
        Button("Push", [&] { ++taps; }).accessibilityLabel("default"),
        Button("Plain", [&] { ++taps; }).buttonStyle(AnyButtonStyle::plain()).accessibilityLabel("plain"),
        Button("Off", [&] { ++taps; }).disabled(true).accessibilityLabel("off"),
    }));
    // The bordered push button pads its 13-point label: 4 characters -> 26 + 20 wide, 13 + 7 high.
    EXPECT_EQ(t.frame("default").size, (CGSize{46, 20}));
    EXPECT_EQ(t.frame("plain").size, (CGSize{32.5, 13}));
    t.click("off");
    EXPECT_EQ(taps, 0);
    t.click("plain");
    EXPECT_EQ(taps, 1);
}

TEST(ButtonTest, DestructiveRoleTintsTheLabelAndPressingShowsThePressedLook) {
    TestHost t(Button("Clear", ButtonRole::destructive, [] {}).buttonStyle(AnyButtonStyle::borderless()).accessibilityLabel("b"));
    auto runColor = [&] {
        for (const auto& item : t.host().displayList().items) {
            if (const auto* text = std::get_if<TextItem>(&item)) return text->runs.front().color;
        }
        return RGBA{};
    };
    EXPECT_EQ(runColor(), Color::red().resolve(ColorScheme::light));
    const CGRect b = t.frame("b");
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {b.midX(), b.midY()}));
    t.host().update();
    bool dimmed = false;
    for (const auto& item : t.host().displayList().items) dimmed = dimmed || std::holds_alternative<PushOpacity>(item);
    EXPECT_TRUE(dimmed);
}

TEST(TapGestureTest, HitsOnlyDrawnContentUnlessAContentShapeIsGiven) {
    int taps = 0;
    TestHost t(VStack({
        HStack({Text("row"), Spacer()}).frame(200, 20).onTapGesture([&] { ++taps; }).accessibilityLabel("bare"),
        HStack({Text("row"), Spacer()}).frame(200, 20).contentShape(Rectangle()).onTapGesture([&] { taps += 10; }).accessibilityLabel("shaped"),
    }), {200, 100});
    const CGRect bare = t.frame("bare");
    const CGRect shaped = t.frame("shaped");
    t.clickAt({bare.maxX() - 5, bare.midY()});
    t.clickAt({shaped.maxX() - 5, shaped.midY()});
    EXPECT_EQ(taps, 10) << "the blank space counts only with a content shape";
    t.clickAt({bare.minX() + 3, bare.midY()});
    EXPECT_EQ(taps, 11);
}

TEST(HoverTest, EnterAndLeaveAreReportedAndHelpShowsAsTooltip) {
    std::vector<bool> events;
    TestHost t(HStack(VerticalAlignment::center(), 20, {
        Rectangle().frame(40, 40).onHover([&](bool inside) { events.push_back(inside); }).help("Copy Report Summary").accessibilityLabel("h"),
        Rectangle().frame(40, 40).accessibilityLabel("other"),
    }));
    const CGRect h = t.frame("h");
    const CGRect other = t.frame("other");
    t.moveTo({h.midX(), h.midY()});
    ASSERT_TRUE(t.host().tooltip().has_value());
    EXPECT_EQ(t.host().tooltip()->text, "Copy Report Summary");
    EXPECT_EQ(t.host().tooltip()->anchor, h);
    t.moveTo({h.midX() + 1, h.midY()});
    t.moveTo({other.midX(), other.midY()});
    EXPECT_FALSE(t.host().tooltip().has_value());
    PointerEvent exit;
    exit.kind = PointerEvent::Kind::exited;
    t.host().handlePointer(exit);
    EXPECT_EQ(events, (std::vector<bool>{true, false}));
}

struct FocusForm : View<FocusForm> {
    FocusState firstFocused;
    FocusState secondFocused;
    std::shared_ptr<std::vector<std::string>> keys = std::make_shared<std::vector<std::string>>();
    AnyView body() const {
        auto keys = this->keys;
        return VStack({
            Rectangle().frame(40, 20).focused(firstFocused.binding()).onKeyPress([keys](const KeyEvent& e) {
                if (e.text.empty()) return false;
                keys->push_back("first " + e.text);
                return true;
            }).accessibilityLabel("first"),
            Rectangle().frame(40, 20).focused(secondFocused.binding()).accessibilityLabel("second"),
            Text(std::string(*firstFocused ? "1" : "-") + (*secondFocused ? "2" : "-")),
        });
    }
};

std::string lastText(TestHost& t) {
    std::string out;
    for (const auto& item : t.host().displayList().items) {
        if (const auto* text = std::get_if<TextItem>(&item)) out = text->runs.front().text;
    }
    return out;
}

TEST(FocusTest, ClicksAndTabMoveFocusAndKeysGoToTheFocusedView) {
    FocusForm form;
    auto keys = form.keys;
    TestHost t(form);
    EXPECT_EQ(lastText(t), "--");
    t.click("first");
    t.host().update();
    EXPECT_EQ(lastText(t), "1-");
    KeyEvent a;
    a.key = "A";
    a.text = "a";
    EXPECT_TRUE(t.host().handleKey(a));
    EXPECT_EQ(*keys, (std::vector<std::string>{"first a"}));
    KeyEvent tab;
    tab.key = "Tab";
    EXPECT_TRUE(t.host().handleKey(tab));
    t.host().update();
    EXPECT_EQ(lastText(t), "-2");
}

} // namespace
} // namespace glimmo
