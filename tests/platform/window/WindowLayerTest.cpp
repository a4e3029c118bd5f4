#include "platform/desktop/fakes/FakePasteboard.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/Text.h"
#include "platform/view/ViewHost.h"
#include "platform/window/AnimationContext.h"
#include "platform/window/EventMonitors.h"
#include "platform/window/NativeView.h"
#include "platform/window/Responder.h"
#include "platform/window/Toolbar.h"
#include "platform/window/Window.h"
#include "tests/support/CommaDecimalLocale.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

using namespace glimmo;

namespace {

struct ListDelegate : ToolbarDelegate {
    std::vector<std::string> ids{"a", toolbarFlexibleSpaceItemIdentifier, "b"};
    int made = 0;
    std::vector<std::string> toolbarDefaultItemIdentifiers() override { return ids; }
    std::vector<std::string> toolbarAllowedItemIdentifiers() override { return ids; }
    std::vector<std::string> toolbarSelectableItemIdentifiers() override { return {"a", "b"}; }
    std::shared_ptr<ToolbarItem> toolbarItem(const std::string& id, bool) override {
        if (id == toolbarFlexibleSpaceItemIdentifier) return nullptr;
        ++made;
        auto item = std::make_shared<ToolbarItem>();
        item->identifier = id;
        item->label = id + std::to_string(made);
        return item;
    }
};

} // namespace

TEST(ToolbarTest, ItemsComeFromTheDelegateAndReplacingOneAsksForANewItemInPlace) {
    auto delegate = std::make_shared<ListDelegate>();
    Toolbar toolbar("t");
    toolbar.setDelegate(delegate);
    toolbar.reloadItems();
    ASSERT_EQ(toolbar.items().size(), 3u);
    EXPECT_EQ(toolbar.items()[1]->identifier, toolbarFlexibleSpaceItemIdentifier);
    EXPECT_EQ(toolbar.items()[2]->label, "b2");
    toolbar.removeItem(2);
    toolbar.insertItem("b", 2);
    EXPECT_EQ(toolbar.items()[2]->label, "b3");
    toolbar.clickItem(2);
    EXPECT_EQ(toolbar.selectedItemIdentifier(), "b");
    toolbar.clickItem(1); // a flexible space is not selectable
    EXPECT_EQ(toolbar.selectedItemIdentifier(), "b");
}

TEST(TimingFunctionTest, EaseInEaseOutIsSymmetricAndFlatAtTheEnds) {
    const auto curve = TimingFunction::easeInEaseOut();
    EXPECT_NEAR(curve.value(0), 0, 1e-9);
    EXPECT_NEAR(curve.value(1), 1, 1e-9);
    EXPECT_NEAR(curve.value(0.5), 0.5, 1e-9);
    EXPECT_LT(curve.value(0.1), 0.1);
    EXPECT_GT(curve.value(0.9), 0.9);
    EXPECT_NEAR(curve.value(0.3) + curve.value(0.7), 1, 1e-9);
}

TEST(AnimationTest, RunsToItsEndAndCompletesOnce) {
    double last = -1;
    int completions = 0;
    auto handle = animate(0.05, TimingFunction::linear(), [&](double p) { last = p; }, [&] { ++completions; });
    ASSERT_TRUE(RunLoop::main().driveUntil([&] { return completions > 0; }, 5));
    EXPECT_DOUBLE_EQ(last, 1);
    handle.finish();
    EXPECT_EQ(completions, 1);
}

TEST(EventMonitorsTest, LocalMonitorsRunInOrderAndADroppedEventStopsThere) {
    std::vector<int> calls;
    auto first = addLocalMonitorForEvents(eventMask(EventType::rightMouseDown), [&](const Event& e) -> std::optional<Event> {
        calls.push_back(1);
        return e;
    });
    auto second = addLocalMonitorForEvents(eventMask(EventType::rightMouseDown), [&](const Event&) -> std::optional<Event> {
        calls.push_back(2);
        return std::nullopt;
    });
    auto third = addLocalMonitorForEvents(eventMask(EventType::rightMouseDown), [&](const Event& e) -> std::optional<Event> {
        calls.push_back(3);
        return e;
    });
    EXPECT_FALSE(runLocalMonitors(Event{.type = EventType::rightMouseDown}));
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
    calls.clear();
    // Types outside the mask pass untouched.
    EXPECT_TRUE(runLocalMonitors(Event{.type = EventType::leftMouseDown}));
    EXPECT_TRUE(calls.empty());
    removeMonitor(second);
    EXPECT_TRUE(runLocalMonitors(Event{.type = EventType::rightMouseDown}));
    EXPECT_EQ(calls, (std::vector<int>{1, 3}));
    removeMonitor(first);
    removeMonitor(third);
    EXPECT_EQ(installedMonitorCount(), 0u);
}

TEST(EventMonitorsTest, AMonitorWithoutHandlerIsNotInstalled) {
    EXPECT_EQ(addGlobalMonitorForEvents(eventMask(EventType::leftMouseDown), nullptr), nullptr);
    EXPECT_EQ(addLocalMonitorForEvents(eventMask(EventType::leftMouseDown), nullptr), nullptr);
    EXPECT_EQ(installedMonitorCount(), 0u);
}

TEST(ResponderTest, TargetForActionFallsBackToTheSupplementalTargetOnlyWhenItResponds) {
    struct Doer : Responder {
        std::string action;
        bool respondsTo(const std::string& a) const override { return a == action; }
    };
    struct Owner : Responder {
        Responder* other = nullptr;
        Responder* supplementalTargetForAction(const std::string&, const void*) override { return other; }
    };
    Doer doer;
    doer.action = "copy:";
    Owner owner;
    owner.other = &doer;
    EXPECT_EQ(targetForAction("copy:", &owner, nullptr), &doer);
    EXPECT_EQ(targetForAction("paste:", &owner, nullptr), nullptr);
    EXPECT_EQ(targetForAction("copy:", nullptr, nullptr), nullptr);
}

TEST(NativeViewTest, PinnedSubviewsFollowTheirSuperviewAndDecideItsFittingSize) {
    auto parent = NativeView::make(CGRect(0, 0, 100, 80));
    auto child = NativeView::make(CGRect(0, 0, 30, 20));
    parent->addSubview(child);
    const auto pins = child->constrainToSuperviewBounds();
    ASSERT_EQ(pins.size(), 4u);
    EXPECT_EQ(pins[0].edge, LayoutConstraint::Edge::leading);
    EXPECT_EQ(pins[1].edge, LayoutConstraint::Edge::trailing);
    EXPECT_EQ(child->frame(), CGRect(0, 0, 100, 80));
    parent->setFrame(CGRect(0, 0, 200, 50));
    EXPECT_EQ(child->frame(), CGRect(0, 0, 200, 50));
    // Unpinned, the child keeps its frame.
    parent->removeConstraints(pins);
    parent->setFrame(CGRect(0, 0, 60, 60));
    EXPECT_EQ(child->frame(), CGRect(0, 0, 200, 50));
    parent->addConstraints({{child.get(), LayoutConstraint::Edge::leading, 5}, {child.get(), LayoutConstraint::Edge::trailing, 7},
                            {child.get(), LayoutConstraint::Edge::top, 3}, {child.get(), LayoutConstraint::Edge::bottom, 1}});
    EXPECT_EQ(child->frame(), CGRect(5, 3, 48, 56));
    child->removeFromSuperview();
    EXPECT_EQ(child->superview(), nullptr);
    EXPECT_TRUE(parent->constraints().empty());
}

TEST(WindowTest, ContentViewFillsTheWindowAndKnowsItsWindow) {
    Window window(CGRect(10, 20, 300, 200), WindowStyleMask::titledClosable());
    auto content = NativeView::make();
    window.setContentView(content);
    EXPECT_EQ(content->window(), &window);
    EXPECT_EQ(content->frame().size, (CGSize{300, 200}));
    EXPECT_EQ(window.frameRectForContentRect(CGRect(0, 0, 50, 40)), CGRect(0, 0, 50, 40));
    EXPECT_TRUE(window.respondsTo("toggleToolbarShown:"));
}

// Saved frames are read as they were written whatever the user's locale: a comma-decimal one must not
// stop at the first fraction.
TEST(WindowTest, ASavedFrameIsReadTheSameUnderACommaDecimalLocale) {
    const glimmo::testing::CommaDecimalLocale locale;
    if (!locale.isSet()) GTEST_SKIP() << glimmo::testing::CommaDecimalLocale::missingReason;
    const glimmo::testing::TemporaryDirectory folder;
    UserDefaults::setStandard(std::make_shared<UserDefaults>(folder.path() / "defaults.json"));
    UserDefaults::standard().set(Window::savedFrameKey("fractions"), "100.25 80.75 300 200");
    Window window(CGRect(10, 20, 120, 90), WindowStyleMask::titledClosable());
    const bool restored = window.setFrameUsingName("fractions");
    UserDefaults::setStandard(nullptr);
    ASSERT_TRUE(restored);
    EXPECT_NEAR(window.frame().origin.x, 100.25, 1);
    EXPECT_NEAR(window.frame().origin.y, 80.75, 1);
    EXPECT_EQ(window.frame().size, (CGSize{300, 200}));
}

TEST(NativeViewTest, CopyInAHostedViewWritesTheClipboard) {
    auto pasteboard = std::make_shared<FakePasteboard>();
    Pasteboard::setShared(pasteboard);
    auto view = NativeView::makeHosting(AnyView(Text("hello world").textSelection(true).accessibilityLabel("text")));
    ViewHost& host = *view->host();
    host.setSize(view->frame().size); // a hidden widget is sized when it shows
    const auto elements = host.accessibilityElements();
    ASSERT_EQ(elements.size(), 1u);
    const CGRect text = elements.front().frame;
    // A drag across the whole text selects it.
    for (const auto& [kind, x] : {std::pair{PointerEvent::Kind::pressed, text.minX() + 1},
                                  std::pair{PointerEvent::Kind::moved, text.maxX() - 1},
                                  std::pair{PointerEvent::Kind::released, text.maxX() - 1}}) {
        PointerEvent event;
        event.kind = kind;
        event.location = {x, text.midY()};
        host.handlePointer(event);
    }
    KeyEvent copy;
    copy.key = "C";
    copy.modifiers = EventModifiers::control();
    host.handleKey(copy);
    EXPECT_EQ(pasteboard->string(), "hello world");
    Pasteboard::setShared(nullptr);
}
