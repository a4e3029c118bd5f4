#include "Settings/SettingsWindowController.h"
#include "Settings/ToolbarItemStyleViewController.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/RunLoop.h"
#include "platform/window/SegmentedControl.h"
#include "platform/window/Toolbar.h"
#include "tests/Settings/SettingsTestPanes.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

using namespace settings;
using namespace glimmo;

namespace {

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserDefaults::setStandard(std::make_shared<UserDefaults>(dir.path() / "defaults.json"));
        setMainInfoDictionary({{"CFBundleName", "Glimmo"}, {"CFBundleExecutable", "glimmo"}});
    }
    void TearDown() override { UserDefaults::setStandard(nullptr); }

    std::vector<std::shared_ptr<SettingsPane>> onePane() {
        return {std::make_shared<test_panes::FixedPane>("general", "General", CGSize{400, 200})};
    }
    glimmo::testing::TemporaryDirectory dir;
};

CGFloat toolbarHeight(const Window& window) { return window.frameRectForContentRect(CGRect()).size.height; }

} // namespace

TEST_F(SettingsWindowTest, ASinglePaneHidesTheToolbarOnlyWhileTheFlagSaysSo) {
    SettingsWindowController controller(onePane(), Settings::Style::toolbarItems, true, true);
    ASSERT_NE(controller.window().toolbar(), nullptr);
    EXPECT_FALSE(controller.window().toolbar()->isVisible());
    controller.setHidesToolbarForSingleItem(false);
    EXPECT_TRUE(controller.window().toolbar()->isVisible());
    controller.setHidesToolbarForSingleItem(true);
    EXPECT_FALSE(controller.window().toolbar()->isVisible());

    SettingsWindowController several(test_panes::threePanes(), Settings::Style::toolbarItems, true, true);
    EXPECT_TRUE(several.window().toolbar()->isVisible());
}

TEST_F(SettingsWindowTest, TitleIsTheApplicationNameAndWordForOnePaneElseThePaneTitle) {
    SettingsWindowController single(onePane(), Settings::Style::segmentedControl, true, false);
    single.show();
    EXPECT_EQ(single.window().title(), "Glimmo Settings");
    EXPECT_TRUE(single.window().isTitleVisible());

    SettingsWindowController several(test_panes::threePanes(), Settings::Style::segmentedControl, true, false);
    several.show(Settings::PaneIdentifier("accounts"));
    EXPECT_EQ(several.window().title(), "Accounts");
    EXPECT_FALSE(several.window().isTitleVisible());
}

TEST(ApplicationNameTest, FallsBackFromDisplayNameToNameToExecutable) {
    EXPECT_EQ(applicationName({{"CFBundleDisplayName", "Shown"}, {"CFBundleName", "Name"}}), "Shown");
    EXPECT_EQ(applicationName({{"CFBundleName", "Name"}, {"CFBundleExecutable", "exe"}}), "Name");
    EXPECT_EQ(applicationName({{"CFBundleExecutable", "exe"}}), "exe");
    EXPECT_EQ(applicationName({}), "<Unknown App Name>");
}

TEST_F(SettingsWindowTest, ShowKeepsTheChosenPaneUnlessAnotherIsAskedForAndUnknownIdentifiersShowTheFirst) {
    SettingsWindowController controller(test_panes::threePanes(), Settings::Style::toolbarItems, true, false);
    auto& tabs = controller.tabViewController();
    controller.show();
    EXPECT_EQ(tabs.activeTab(), 0);
    EXPECT_EQ(controller.window().toolbar()->selectedItemIdentifier(), "general");
    controller.show(Settings::PaneIdentifier("advanced"));
    EXPECT_EQ(tabs.activeTab(), 2);
    controller.show();
    EXPECT_EQ(tabs.activeTab(), 2);
    EXPECT_EQ(controller.window().title(), "Advanced");
    controller.show(Settings::PaneIdentifier("nothing"));
    EXPECT_EQ(tabs.activeTab(), 0);
    // Exactly one pane view is in the controller's view, pinned to it.
    ASSERT_EQ(tabs.view().subviews().size(), 1u);
    EXPECT_EQ(tabs.view().subviews()[0].get(), &tabs.panes()[0]->view());
    EXPECT_EQ(tabs.view().constraints().size(), 4u);
}

TEST_F(SettingsWindowTest, AnIndexThatNamesNoPaneChangesNothing) {
    for (const auto style : {Settings::Style::toolbarItems, Settings::Style::segmentedControl}) {
        SettingsWindowController controller(test_panes::threePanes(), style, true, false);
        controller.show(Settings::PaneIdentifier("accounts"));
        for (const int outside : {-1, 3, 1000}) controller.tabViewController().activateTab(outside, true);
        EXPECT_EQ(controller.tabViewController().activeTab(), 1);
        EXPECT_EQ(controller.window().title(), "Accounts");
    }
}

TEST_F(SettingsWindowTest, TheFirstPaneSizesTheWindowAndSwitchesWithoutAnimationKeepTheFrame) {
    SettingsWindowController controller(test_panes::threePanes(), Settings::Style::toolbarItems, false, false);
    controller.show();
    Window& window = controller.window();
    const CGRect first = window.frame();
    EXPECT_EQ(first.size.width, 400);
    EXPECT_EQ(first.size.height, 200 + toolbarHeight(window));
    controller.tabViewController().activateTab(1, true); // isAnimated is false
    EXPECT_EQ(window.frame(), first);
    EXPECT_EQ(controller.tabViewController().panes()[1]->view().frame().size, (CGSize{400, 200}));
    EXPECT_EQ(window.title(), "Accounts");
}

TEST_F(SettingsWindowTest, AnAnimatedSwitchResizesKeepingTheTopEdgeAndTheCentreInTheSegmentedStyle) {
    SettingsWindowController controller(test_panes::threePanes(), Settings::Style::segmentedControl, true, false);
    controller.show();
    Window& window = controller.window();
    window.setFrame(CGRect(100, 50, window.frame().size.width, window.frame().size.height));
    const CGRect before = window.frame();
    auto& segments = dynamic_cast<SegmentedControl&>(*window.toolbar()->items()[1]->view);
    segments.performClick(1);
    // The state changes at once; the frame follows over the animation.
    EXPECT_EQ(controller.tabViewController().activeTab(), 1);
    EXPECT_EQ(window.title(), "Accounts");
    ASSERT_TRUE(RunLoop::main().driveUntil([&] { return window.frame().size.width == 500; }, 5));
    RunLoop::main().driveUntil([] { return false; }, 0.3);
    const CGRect after = window.frame();
    EXPECT_EQ(after.origin.y, before.origin.y);
    EXPECT_EQ(after.size.height, 300 + toolbarHeight(window));
    EXPECT_EQ(after.origin.x + after.size.width / 2, before.origin.x + before.size.width / 2);
    // The new pane is pinned once the transition completed.
    EXPECT_EQ(controller.tabViewController().panes()[1]->view().frame().size, (CGSize{500, 300}));
}

TEST_F(SettingsWindowTest, ToolbarItemStyleRemembersTheSelectionAfterAnAnimatedSwitch) {
    SettingsWindowController controller(test_panes::threePanes(), Settings::Style::toolbarItems, true, false);
    controller.show();
    Toolbar& toolbar = *controller.window().toolbar();
    ASSERT_EQ(toolbar.items().size(), 3u);
    for (const auto& id : {"general", "accounts", "advanced"}) EXPECT_TRUE(toolbar.isSelectable(id));
    toolbar.clickItem(2);
    const CGRect before = controller.window().frame();
    auto* style = dynamic_cast<ToolbarItemStyleViewController*>(controller.tabViewController().settingsStyleController());
    ASSERT_NE(style, nullptr);
    ASSERT_TRUE(RunLoop::main().driveUntil([&] { return style->previousSelectedItemIdentifier() == "advanced"; }, 5));
    EXPECT_EQ(controller.window().frame().origin.x, before.origin.x); // the left edge stays
    EXPECT_EQ(toolbar.items()[2]->identifier, "advanced");
}

TEST_F(SettingsWindowTest, SegmentedStyleOffersNoSelectableToolbarItems) {
    SettingsWindowController controller(test_panes::threePanes(), Settings::Style::segmentedControl, true, false);
    auto& tabs = controller.tabViewController();
    EXPECT_TRUE(tabs.toolbarSelectableItemIdentifiers().empty());
    EXPECT_EQ(tabs.toolbarItem(toolbarFlexibleSpaceItemIdentifier, true), nullptr);
    EXPECT_EQ(tabs.toolbarDefaultItemIdentifiers().size(), 3u);
}

TEST_F(SettingsWindowTest, PausedWindowDropsClicksKeysAndScrollsButNotMovesOrModifiers) {
    SettingsWindowController controller(onePane(), Settings::Style::toolbarItems, true, false);
    auto& window = controller.window();
    EXPECT_TRUE(window.dispatch(Event{.type = EventType::leftMouseDown}));
    window.isUserInteractionEnabled = false;
    for (auto type : {EventType::leftMouseDown, EventType::rightMouseUp, EventType::keyDown, EventType::scrollWheel,
                      EventType::leftMouseDragged, EventType::magnify, EventType::directTouch}) {
        EXPECT_FALSE(window.dispatch(Event{.type = type})) << static_cast<int>(type);
    }
    for (auto type : {EventType::mouseMoved, EventType::flagsChanged, EventType::mouseEntered, EventType::cursorUpdate}) {
        EXPECT_TRUE(window.dispatch(Event{.type = type})) << static_cast<int>(type);
    }
    window.isUserInteractionEnabled = true;
    EXPECT_TRUE(window.dispatch(Event{.type = EventType::keyDown}));
    EXPECT_EQ(blockedEventTypes.size(), 23u);
    EXPECT_FALSE(window.respondsTo("toggleToolbarShown:"));
    EXPECT_TRUE(window.respondsTo("performClose:"));
}

TEST_F(SettingsWindowTest, MenuCommandsThatOnlyTheShownPaneImplementsReachIt) {
    SettingsWindowController controller(test_panes::threePanes(), Settings::Style::toolbarItems, true, false);
    EXPECT_EQ(controller.supplementalTargetForAction("resetDefaults:", nullptr), nullptr); // no pane shown yet
    controller.show(Settings::PaneIdentifier("accounts"));
    EXPECT_EQ(controller.supplementalTargetForAction("resetDefaults:", nullptr), controller.tabViewController().panes()[1].get());
    EXPECT_EQ(controller.supplementalTargetForAction("copy:", nullptr), nullptr);
}

TEST_F(SettingsWindowTest, TheFrameIsSavedUnderTheAutosaveNameAndRestoredNextTime) {
    CGRect moved;
    {
        SettingsWindowController controller(test_panes::threePanes(), Settings::Style::toolbarItems, false, false);
        controller.show();
        EXPECT_EQ(controller.window().frameAutosaveName(), "app.glimmo.Settings.FrameAutosaveName");
        moved = controller.window().frame();
        moved.origin = {37, 41};
        controller.window().setFrame(moved);
        RunLoop::main().driveUntil([] { return false; }, 0.05);
    }
    const auto saved = UserDefaults::standard().string(Window::savedFrameKey("app.glimmo.Settings.FrameAutosaveName"));
    ASSERT_TRUE(saved);
    SettingsWindowController again(test_panes::threePanes(), Settings::Style::toolbarItems, false, false);
    again.show();
    EXPECT_EQ(again.window().frame(), moved);
}

TEST_F(SettingsWindowTest, AnUnusableSavedFrameIsIgnoredAndTheWindowIsCentred) {
    const auto screen = mainScreenFrame();
    ASSERT_TRUE(screen);
    for (const char* saved : {"12 nonsense", "nan nan nan nan", "90000 90000 400 300", "10 10 inf 300", "10 10 -400 300",
                              "-5000 -5000 400 300"}) {
        UserDefaults::standard().set(Window::savedFrameKey("app.glimmo.Settings.FrameAutosaveName"), saved);
        SettingsWindowController controller(test_panes::threePanes(), Settings::Style::toolbarItems, false, false);
        controller.show();
        const CGRect frame = controller.window().frame();
        EXPECT_EQ(frame.size.width, 400) << saved;
        EXPECT_NEAR(frame.origin.x + frame.size.width / 2, screen->origin.x + screen->size.width / 2, 1) << saved;
        EXPECT_NEAR(frame.origin.y + frame.size.height / 2, screen->origin.y + screen->size.height / 2, 1) << saved;
    }
}
