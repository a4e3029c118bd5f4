#include "Popover/Popover.h"
#include "platform/runtime/RunLoop.h"
#include "platform/window/NativeView.h"
#include "platform/window/ViewController.h"

#include <gtest/gtest.h>

using namespace popover;
using namespace glimmo;

namespace {

class FixedContent : public ViewController {
protected:
    std::shared_ptr<NativeView> loadView() override { return NativeView::make(CGRect(0, 0, 300, 200)); }
};

std::vector<Popover::MenuItemType> entries(int& quits) {
    return {Popover::MenuItem::make("Open", "o", [] {}), Popover::Separator{},
            std::make_shared<Popover::MenuItem>("Quit", [&quits] { ++quits; })};
}

void drainMainQueue() { RunLoop::main().driveUntil([] { return false; }, 0.02); }

} // namespace

TEST(PopoverTest, WithoutMenuEntriesThereIsNoLocalMonitorAndNoMenu) {
    for (auto items : {std::optional<std::vector<Popover::MenuItemType>>{}, std::optional<std::vector<Popover::MenuItemType>>{{}}}) {
        auto popover = Popover::make(items);
        EXPECT_EQ(popover->localEventMonitor(), nullptr);
        popover->prepare(Image::systemName("clock"), std::make_shared<FixedContent>());
        EXPECT_EQ(popover->menu(), nullptr);
        popover->show();
        popover->item()->button()->click(EventType::rightMouseDown);
        EXPECT_EQ(popover->item()->menu(), nullptr);
        EXPECT_TRUE(popover->popoverWindowController()->windowIsOpen); // a right click does not close it
        popover->dismiss();
    }
}

TEST(PopoverTest, AButtonClickOpensAndASecondClickCloses) {
    auto popover = Popover::make();
    popover->prepare(Image::systemName("clock"), std::make_shared<FixedContent>());
    ASSERT_NE(popover->window(), nullptr);
    EXPECT_EQ(popover->window()->frame().size, (CGSize{300, 212}));
    EXPECT_TRUE(popover->item()->button()->imageIsTemplate());
    popover->item()->button()->click(EventType::leftMouseDown);
    EXPECT_TRUE(popover->popoverWindowController()->windowIsOpen);
    EXPECT_TRUE(popover->window()->isVisible());
    EXPECT_TRUE(popover->globalEventMonitor()->isStarted());
    drainMainQueue();
    EXPECT_TRUE(popover->item()->button()->isHighlighted());
    popover->item()->button()->click(EventType::leftMouseDown);
    EXPECT_FALSE(popover->popoverWindowController()->windowIsOpen);
    EXPECT_FALSE(popover->window()->isVisible());
    EXPECT_FALSE(popover->globalEventMonitor()->isStarted());
    drainMainQueue();
    EXPECT_FALSE(popover->item()->button()->isHighlighted());
}

TEST(PopoverTest, ASecondShowWhileOpenChangesNothingNotEvenTheHighlight) {
    auto popover = Popover::make();
    popover->prepare(Image::systemName("clock"), std::make_shared<FixedContent>());
    popover->show(false);
    drainMainQueue();
    popover->item()->button()->setHighlighted(false);
    popover->show();
    drainMainQueue();
    EXPECT_FALSE(popover->item()->button()->isHighlighted());
}

TEST(PopoverTest, ClicksOutsideDismissUnlessThePopoverIsKeptVisible) {
    auto popover = Popover::make();
    popover->prepare(Image::systemName("clock"), std::make_shared<FixedContent>());
    popover->keepPopoverVisible = true;
    popover->show();
    runGlobalMonitors(Event{.type = EventType::leftMouseDown});
    EXPECT_TRUE(popover->popoverWindowController()->windowIsOpen);
    popover->keepPopoverVisible = false;
    runGlobalMonitors(Event{.type = EventType::rightMouseDown});
    EXPECT_FALSE(popover->popoverWindowController()->windowIsOpen);
}

TEST(PopoverTest, ARightOrControlClickClosesThePopoverAndOpensTheMenuUntilItCloses) {
    int quits = 0;
    auto popover = Popover::make(entries(quits));
    ASSERT_NE(popover->localEventMonitor(), nullptr);
    EXPECT_FALSE(popover->localEventMonitor()->isStarted());
    popover->prepare(Image::systemName("clock"), std::make_shared<FixedContent>());
    EXPECT_TRUE(popover->localEventMonitor()->isStarted());
    ASSERT_NE(popover->menu(), nullptr);
    ASSERT_EQ(popover->menu()->items().size(), 3u);
    EXPECT_EQ(popover->menu()->items()[0].keyEquivalent, "o");
    EXPECT_TRUE(popover->menu()->items()[1].isSeparator);
    EXPECT_EQ(popover->menu()->items()[2].keyEquivalent, "");

    for (auto [type, modifiers] : {std::pair{EventType::rightMouseDown, ModifierFlags{}},
                                   std::pair{EventType::leftMouseDown, ModifierFlags{.control = true}}}) {
        popover->show();
        popover->item()->button()->click(type, modifiers);
        EXPECT_FALSE(popover->popoverWindowController()->windowIsOpen);
        ASSERT_EQ(popover->item()->menu(), popover->menu());
        EXPECT_TRUE(popover->menu()->isOpen());
        popover->menu()->cancel();
        ASSERT_TRUE(RunLoop::main().driveUntil([&] { return popover->item()->menu() == nullptr; }, 5));
    }
    // A click anywhere in the application attaches the menu as well; choosing an entry runs it and
    // detaches the menu.
    runLocalMonitors(Event{.type = EventType::rightMouseDown});
    ASSERT_EQ(popover->item()->menu(), popover->menu());
    popover->menu()->choose(2);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(popover->item()->menu(), nullptr);
    // With the menu gone, a left click opens the popover again.
    popover->item()->button()->click(EventType::leftMouseDown);
    EXPECT_TRUE(popover->popoverWindowController()->windowIsOpen);
}

TEST(PopoverTest, AssigningANewStatusItemRebuildsTheMenuFromTheSameEntries) {
    int quits = 0;
    auto popover = Popover::make(entries(quits));
    popover->setItem(StatusBar::system().statusItem(StatusItem::variableLength));
    auto first = popover->menu();
    popover->setItem(StatusBar::system().statusItem(StatusItem::variableLength));
    ASSERT_NE(popover->menu(), nullptr);
    EXPECT_NE(popover->menu(), first);
    EXPECT_EQ(popover->menu()->items()[2].title, "Quit");
}

TEST(PopoverTest, CustomStatusViewsGetAContainerAtLeast22PointsWide) {
    for (auto [width, container] : {std::pair{10.0, 22.0}, std::pair{30.0, 30.0}}) {
        auto popover = Popover::make();
        auto view = NativeView::make(CGRect(0, 0, width, 16));
        popover->prepare(view, std::make_shared<FixedContent>());
        EXPECT_EQ(popover->item()->length(), width);
        ASSERT_NE(popover->statusItemContainer(), nullptr);
        EXPECT_EQ(popover->statusItemContainer()->frame(), CGRect(0, 0, container, 22));
        EXPECT_EQ(view->frame(), CGRect(0, 2, width, 18));
        EXPECT_EQ(popover->item()->button()->contentView(), popover->statusItemContainer());
    }
}

TEST(PopoverTest, ShowWithoutPreparingStartsTheMonitorAndDismissRemovesIt) {
    const auto before = installedMonitorCount();
    auto popover = Popover::make(std::make_shared<DefaultConfiguration>());
    EXPECT_EQ(popover->window(), nullptr);
    popover->show();
    EXPECT_TRUE(popover->globalEventMonitor()->isStarted());
    EXPECT_EQ(installedMonitorCount(), before + 1);
    popover->dismiss();
    EXPECT_FALSE(popover->globalEventMonitor()->isStarted());
    EXPECT_EQ(installedMonitorCount(), before);
}

TEST(PopoverTest, ReleasingThePopoverRemovesItsMonitors) {
    const auto before = installedMonitorCount();
    {
        int quits = 0;
        auto popover = Popover::make(entries(quits));
        popover->prepare(Image::systemName("clock"), std::make_shared<FixedContent>());
        popover->show();
        EXPECT_EQ(installedMonitorCount(), before + 2);
    }
    EXPECT_EQ(installedMonitorCount(), before);
}

TEST(PopoverTest, AResizedWindowIsPlacedAgainUnderTheItem) {
    auto popover = Popover::make();
    popover->prepare(Image::systemName("clock"), std::make_shared<FixedContent>());
    popover->show();
    auto* window = popover->window();
    const auto expected = popover->popoverWindowController()->computeWindowFrame();
    EXPECT_EQ(window->frame(), expected.frame);
    EXPECT_EQ(window->arrowXLocation, expected.arrowX);
    EXPECT_EQ(window->backgroundView()->arrowXLocation, expected.arrowX);
    window->setFrame(CGRect(500, 400, 200, 112));
    ASSERT_TRUE(RunLoop::main().driveUntil([&] { return window->frame().origin.x != 500; }, 5));
    const auto again = popover->popoverWindowController()->computeWindowFrame();
    EXPECT_EQ(window->frame(), again.frame);
    EXPECT_EQ(window->frame().size, (CGSize{200, 112}));
}

TEST(EventMonitorTest, StartsOnlyWithItsHandlerAndStopsOnceOrWhenReleased) {
    const auto before = installedMonitorCount();
    {
        EventMonitor noHandler(mouseDownMask, EventMonitor::MonitorType::global, nullptr,
                               [](const Event& e) -> std::optional<Event> { return e; });
        noHandler.start();
        EXPECT_FALSE(noHandler.isStarted());
        noHandler.stop();

        int seen = 0;
        EventMonitor local(mouseDownMask, EventMonitor::MonitorType::local, nullptr,
                           [&](const Event& e) -> std::optional<Event> { ++seen; return e; });
        local.start();
        local.start(); // a second start replaces the first monitor
        EXPECT_EQ(installedMonitorCount(), before + 1);
        const auto delivered = runLocalMonitors(Event{.type = EventType::rightMouseDown, .modifiers = {.shift = true}});
        ASSERT_TRUE(delivered);
        EXPECT_TRUE(delivered->modifiers.shift);
        EXPECT_EQ(seen, 1);
        (void)runLocalMonitors(Event{.type = EventType::keyDown});
        EXPECT_EQ(seen, 1);
        local.stop();
        local.stop();
        EXPECT_EQ(installedMonitorCount(), before);
        local.start();
        EXPECT_EQ(mouseDownMask, 0xAu);
    }
    EXPECT_EQ(installedMonitorCount(), before);
}
