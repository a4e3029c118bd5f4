#include "../ViewTestSupport.h"

#include "platform/view/Button.h"
#include "platform/view/Controls/Controls.h"
#include "platform/view/Label.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace glimmo {
namespace {

using testing::TestHost;

KeyEvent key(std::string name) {
    KeyEvent e;
    e.key = std::move(name);
    return e;
}

// A counter whose state shows whether a tab's content was made afresh.
struct Counter : View<Counter> {
    std::string name;
    State<int> taps{0};
    AnyView body() const {
        auto t = taps;
        return Button(name, [t] { t.set(*t + 1); }).accessibilityLabel(name + std::to_string(*taps));
    }
};

struct Tabs : View<Tabs> {
    std::shared_ptr<int> seen;
    State<int> selectedTab{0};
    AnyView body() const {
        *seen = *selectedTab;
        return TabView<int>(selectedTab.binding(), {
                                {AnyView(Label("Categories", "folder")).accessibilityLabel("tab0"), 0, Counter{{}, "first"}},
                                {AnyView(Label("Settings", "gear")).accessibilityLabel("tab1"), 1, Counter{{}, "second"}},
                            })
            .frame(500, 400)
            .accessibilityLabel("tabs");
    }
};

TEST(TabViewTest, AClickOnATabSelectsItAndItsContentIsMadeAfresh) {
    auto seen = std::make_shared<int>(-1);
    TestHost t(Tabs{{}, seen}, {600, 500});
    EXPECT_EQ(t.frame("tabs").size, (CGSize{500, 400}));
    ASSERT_TRUE(t.has("first0"));
    EXPECT_FALSE(t.has("second0"));
    t.click("first0");
    t.click("first1");
    EXPECT_TRUE(t.has("first2"));
    t.click("tab1");
    EXPECT_EQ(*seen, 1);
    EXPECT_TRUE(t.has("second0"));
    EXPECT_FALSE(t.has("first2"));
    t.click("tab0");
    EXPECT_EQ(*seen, 0);
    EXPECT_TRUE(t.has("first0")) << "the first tab's content starts afresh";
}

TEST(TabViewTest, TabsSitCentredOnTheTopEdgeOfTheBoxAndShowTheirIcons) {
    auto seen = std::make_shared<int>(-1);
    TestHost t(Tabs{{}, seen}, {600, 500});
    const CGRect tabs = t.frame("tabs");
    const CGRect first = t.frame("tab0"), second = t.frame("tab1");
    EXPECT_GT(first.width(), 10 * 6.5 + 6) << "\"Categories\" with its symbol beside it";
    int drawnInFirstTab = 0;
    for (const auto& item : t.host().displayList().items) {
        if (const auto* text = std::get_if<TextItem>(&item); text && first.insetBy(-1, -1).contains(text->origin)) ++drawnInFirstTab;
    }
    EXPECT_EQ(drawnInFirstTab, 2) << "the folder symbol and the title are drawn in the first tab";
    EXPECT_NEAR((first.minX() + second.maxX()) / 2, tabs.midX(), 12) << "the row of tabs is centred";
    EXPECT_LT(first.minY(), tabs.minY() + 11);
    EXPECT_GT(t.frame("first0").minY(), first.maxY()) << "the content is below the tabs";
}

struct Categories : View<Categories> {
    std::shared_ptr<std::vector<std::vector<std::size_t>>> deletions;
    std::shared_ptr<int> trashed;
    AnyView body() const {
        const std::vector<std::string> names{"Create", "Consume", "Communicate"};
        auto d = deletions;
        auto trash = trashed;
        return List(names, [](const std::string& n) { return n; },
                    [trash](const std::string& n) {
                        return HStack({Text(n).accessibilityLabel(n), Spacer(),
                                       Button("x", [trash] { ++*trash; }).buttonStyle(AnyButtonStyle::borderless()).accessibilityLabel("trash " + n)});
                    })
            .onDelete([d](const std::vector<std::size_t>& offsets) { d->push_back(offsets); })
            .frame(300, 200);
    }
};

TEST(ListTest, DeleteRemovesTheSelectedRowsPositionAndArrowsMoveTheSelection) {
    auto deletions = std::make_shared<std::vector<std::vector<std::size_t>>>();
    auto trashed = std::make_shared<int>(0);
    TestHost t(Categories{{}, deletions, trashed}, {300, 200});
    t.host().handleKey(key("Delete"));
    EXPECT_TRUE(deletions->empty()) << "nothing selected, nothing deleted";
    t.click("Consume");
    t.host().handleKey(key("Delete"));
    t.host().update();
    ASSERT_EQ(deletions->size(), 1u);
    EXPECT_EQ(deletions->back(), (std::vector<std::size_t>{1}));
    t.click("Create");
    t.host().handleKey(key("Down"));
    t.host().handleKey(key("Down"));
    t.host().handleKey(key("Down"));
    t.host().update();
    t.host().handleKey(key("Backspace"));
    EXPECT_EQ(deletions->back(), (std::vector<std::size_t>{2})) << "the selection stops at the last row";
    EXPECT_EQ(*trashed, 0);
}

TEST(ListTest, RowsStackFromTheTopAndAButtonInARowStillActs) {
    auto deletions = std::make_shared<std::vector<std::vector<std::size_t>>>();
    auto trashed = std::make_shared<int>(0);
    TestHost t(Categories{{}, deletions, trashed}, {300, 200});
    EXPECT_LT(t.frame("Create").minY(), t.frame("Consume").minY());
    EXPECT_LT(t.frame("Create").minY(), 20);
    EXPECT_GT(t.frame("trash Create").minX(), 250) << "the spacer pushes the button to the trailing edge";
    t.click("trash Consume");
    EXPECT_EQ(*trashed, 1);
    EXPECT_TRUE(deletions->empty());
}

struct Confirm : View<Confirm> {
    std::shared_ptr<int> cleared;
    std::shared_ptr<int> tapsBelow;
    std::shared_ptr<bool> shown;
    State<bool> showing{false};
    AnyView body() const {
        *shown = *showing;
        auto show = showing;
        auto c = cleared;
        auto below = tapsBelow;
        const AnyView form = VStack({Button("Clear All Data", ButtonRole::destructive, [show] { show.set(true); }).accessibilityLabel("open"),
                                     Button("Below", [below] { ++*below; }).accessibilityLabel("below")})
                                 .frame(400, 300);
        return alert(form, "Clear All Data", showing.binding(),
                     {{"Cancel", ButtonRole::cancel, {}}, {"Clear", ButtonRole::destructive, [c] { ++*c; }}},
                     "This will delete all stored activity and browsing data. This action cannot be undone.");
    }
};

TEST(AlertTest, ButtonsCloseItAndOnlyClearClears) {
    auto cleared = std::make_shared<int>(0), below = std::make_shared<int>(0);
    auto shown = std::make_shared<bool>(false);
    TestHost t(Confirm{{}, cleared, below, shown}, {400, 300});
    EXPECT_FALSE(t.has("Clear"));
    t.click("open");
    EXPECT_TRUE(*shown);
    t.click("Cancel");
    EXPECT_FALSE(*shown);
    EXPECT_EQ(*cleared, 0);
    t.click("open");
    t.click("Clear");
    EXPECT_FALSE(*shown);
    EXPECT_EQ(*cleared, 1);
}

TEST(AlertTest, TheViewBelowTakesNoClicksAndEscapeCancels) {
    auto cleared = std::make_shared<int>(0), below = std::make_shared<int>(0);
    auto shown = std::make_shared<bool>(false);
    TestHost t(Confirm{{}, cleared, below, shown}, {400, 300});
    const CGRect belowFrame = t.frame("below");
    t.click("open");
    t.clickAt({belowFrame.midX(), belowFrame.midY()});
    EXPECT_EQ(*below, 0);
    EXPECT_TRUE(*shown);
    t.host().handleKey(key("Escape"));
    t.host().update();
    EXPECT_FALSE(*shown);
    EXPECT_EQ(*cleared, 0);
    t.click("open");
    t.host().handleKey(key("Return"));
    t.host().update();
    EXPECT_EQ(*cleared, 1) << "Return runs the first button that is not a cancel button";
}

TEST(FormTest, SectionHeadersStandAboveTheirRowsAndSectionsFollowEachOther) {
    TestHost t(Form({Section("Display", {Text("row one").accessibilityLabel("r1"), Text("row two").accessibilityLabel("r2")}).accessibilityLabel("s1"),
                     Section({Text("row three").accessibilityLabel("r3")}).accessibilityLabel("s2")}),
               {400, 300});
    EXPECT_EQ(t.frame("s1").minY(), 0);
    EXPECT_EQ(t.frame("r1").minY(), 13 + 8) << "below the 13-point headline";
    EXPECT_EQ(t.frame("r2").minY(), t.frame("r1").maxY() + 8);
    EXPECT_EQ(t.frame("s2").minY(), t.frame("s1").maxY() + 20);
    EXPECT_EQ(t.frame("r3").minX(), 0);
}

} // namespace
} // namespace glimmo
