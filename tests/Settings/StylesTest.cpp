#include "Settings/SegmentedControlStyleViewController.h"
#include "Settings/ToolbarItemStyleViewController.h"
#include "tests/Settings/SettingsTestPanes.h"

#include <gtest/gtest.h>

using namespace settings;
using namespace glimmo;

namespace {

struct RecordingDelegate : SettingsStyleControllerDelegate {
    std::vector<std::pair<int, bool>> byIndex;
    std::vector<std::pair<std::string, bool>> byIdentifier;
    void activateTab(const Settings::PaneIdentifier& id, bool animated) override { byIdentifier.emplace_back(id.rawValue, animated); }
    void activateTab(int index, bool animated) override { byIndex.emplace_back(index, animated); }
};

} // namespace

TEST(SegmentedStyleTest, EverySegmentIsAsWideAsTheWidestTitleAllows) {
    auto panes = test_panes::threePanes();
    const std::map<std::string, CGSize> sizes{{"General", {20, 16}}, {"Accounts", {30, 16}}, {"Advanced", {50, 16}}};
    const CGSize size = SegmentedControlStyleViewController::segmentSize(panes, [&](const std::string& t) { return sizes.at(t); });
    EXPECT_EQ(size, (CGSize{86, 28}));
    EXPECT_EQ(SegmentedControlStyleViewController::segmentSize({}, [](const std::string&) { return CGSize{99, 99}; }),
              (CGSize{36, 12}));

    auto style = std::make_shared<SegmentedControlStyleViewController>(panes);
    auto* control = dynamic_cast<SegmentedControl*>(&style->view());
    ASSERT_NE(control, nullptr);
    ASSERT_EQ(control->segmentCount(), 3);
    const CGFloat width = control->width(0);
    EXPECT_EQ(control->width(2), width);
    EXPECT_EQ(control->frame().size.width, 3 * width + 3 + 1);
    EXPECT_EQ(control->identifier(), "toolbarSegmentedControl");
    EXPECT_EQ(control->label(1), "Accounts");
    EXPECT_EQ(control->tag(2), 2);
}

TEST(SegmentedStyleTest, ClicksAndMenuChoicesActivateTheRightPaneWithAnimation) {
    std::vector<std::shared_ptr<SettingsPane>> panes{std::make_shared<test_panes::FixedPane>("a", "Same", CGSize{10, 10}),
                                                     std::make_shared<test_panes::FixedPane>("b", "Same", CGSize{10, 10}),
                                                     std::make_shared<test_panes::FixedPane>("c", "Other", CGSize{10, 10})};
    auto style = std::make_shared<SegmentedControlStyleViewController>(panes);
    auto delegate = std::make_shared<RecordingDelegate>();
    style->setDelegate(delegate);
    EXPECT_EQ(style->toolbarItemIdentifiers(),
              (std::vector<std::string>{toolbarFlexibleSpaceItemIdentifier, "toolbarSegmentedControlItem",
                                        toolbarFlexibleSpaceItemIdentifier}));
    EXPECT_TRUE(style->keepsWindowCentered());
    auto item = style->makeToolbarItem(Settings::PaneIdentifier("toolbarSegmentedControlItem"));
    ASSERT_EQ(item->subitems.size(), 3u);
    EXPECT_EQ(item->subitems[0]->identifier, "segment-Same");
    EXPECT_EQ(item->subitems[1]->identifier, "segment-Same");
    EXPECT_EQ(item->subitems[1]->menuFormRepresentation->tag, 1);
    EXPECT_EQ(item->subitems[1]->menuFormRepresentation->keyEquivalent, "");
    item->subitems[1]->menuFormRepresentation->action();
    dynamic_cast<SegmentedControl&>(style->view()).performClick(2);
    EXPECT_EQ(delegate->byIndex, (std::vector<std::pair<int, bool>>{{1, true}, {2, true}}));
    style->selectTab(0);
    EXPECT_EQ(dynamic_cast<SegmentedControl&>(style->view()).selectedSegment(), 0);
    // The delegate is held weakly: once it is gone, clicks do nothing.
    delegate.reset();
    dynamic_cast<SegmentedControl&>(style->view()).performClick(1);
}

TEST(ToolbarItemStyleTest, ListsExactlyThePanesItemsAndSelectsByIdentifier) {
    auto panes = test_panes::threePanes();
    auto toolbar = std::make_shared<Toolbar>("SettingsToolbar");
    auto style = std::make_shared<ToolbarItemStyleViewController>(toolbar, false, panes);
    auto delegate = std::make_shared<RecordingDelegate>();
    style->setDelegate(delegate);
    EXPECT_FALSE(style->keepsWindowCentered());
    EXPECT_EQ(style->toolbarItemIdentifiers(), (std::vector<std::string>{"general", "accounts", "advanced"}));
    auto item = style->makeToolbarItem(Settings::PaneIdentifier("accounts"));
    EXPECT_EQ(item->identifier, "accounts");
    EXPECT_EQ(item->label, "Accounts");
    ASSERT_TRUE(item->image);
    item->action();
    EXPECT_EQ(delegate->byIdentifier, (std::vector<std::pair<std::string, bool>>{{"accounts", true}}));
    style->selectTab(2);
    EXPECT_EQ(toolbar->selectedItemIdentifier(), "advanced");
    for (const int outside : {-1, 3}) {
        style->selectTab(outside);
        EXPECT_EQ(toolbar->selectedItemIdentifier(), "advanced") << outside;
    }
}
