// Windows on a real X server: the local monitor sees the clicks Qt delivers to our windows and can drop
// them; the global monitor hears of the focus going to another client; toolbars rebuild from their own
// actions.

#include "platform/qt/window/QtWindowSupport.h"
#include "platform/runtime/RunLoop.h"
#include "platform/window/EventMonitors.h"
#include "platform/window/NativeView.h"
#include "platform/window/SegmentedControl.h"
#include "platform/window/Toolbar.h"
#include "platform/window/Window.h"
#include "tests/platform/qt/XvfbTestEnvironment.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QPointer>
#include <QTest>
#include <QToolBar>
#include <QWindow>

#include <X11/Xlib.h>

namespace glimmo {
namespace {

class X11MonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::xvfbSkipReason().empty()) GTEST_SKIP() << testing::xvfbSkipReason();
    }
};

// Counts what reaches the window after the monitors.
class CountingWindow : public Window {
public:
    using Window::Window;
    int delivered = 0;
    bool sendEvent(const Event& event) override {
        if (event.type == EventType::leftMouseDown) ++delivered;
        return true;
    }
};

TEST_F(X11MonitorTest, LocalMonitorsSeeRealClicksFirstAndCanDropThem) {
    CountingWindow window(CGRect(100, 100, 200, 120), WindowStyleMask::titledClosable());
    auto content = NativeView::make();
    window.setContentView(content);
    window.makeKeyAndOrderFront();
    ASSERT_TRUE(RunLoop::main().driveUntil([&] { return widgetOf(*content).isVisible(); }, 5));

    std::vector<Event> seen;
    bool drop = false;
    auto token = addLocalMonitorForEvents(eventMask(EventType::leftMouseDown), [&](const Event& e) -> std::optional<Event> {
        seen.push_back(e);
        if (drop) return std::nullopt;
        return e;
    });
    QWindow* handle = widgetOf(*content).window()->windowHandle();
    ASSERT_NE(handle, nullptr);
    QTest::mouseClick(handle, Qt::LeftButton, Qt::ControlModifier, QPoint(20, 20));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].modifiers.control);
    EXPECT_EQ(seen[0].window, &window);
    EXPECT_EQ(window.delivered, 1);
    drop = true;
    QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(window.delivered, 1);
    removeMonitor(token);
}

TEST_F(X11MonitorTest, GlobalMonitorHearsOfTheFocusGoingToAnotherClient) {
    Window panel(CGRect(300, 200, 160, 100), WindowStyleMask::borderlessNonactivatingPanel());
    panel.setContentView(NativeView::make());
    panel.makeKeyAndOrderFront();
    ASSERT_TRUE(RunLoop::main().driveUntil([&] { return panel.isKeyWindow(); }, 5)) << "the panel never got the focus";

    int outside = 0;
    auto token = addGlobalMonitorForEvents(eventMask(EventType::leftMouseDown), [&](const Event* e) {
        if (e && e->type == EventType::leftMouseDown && e->window == nullptr) ++outside;
    });
    // Another client takes the keyboard focus, as a click into another application's window does.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const ::Window other = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, 0, 0);
    XMapRaised(display, other);
    XSync(display, False);
    RunLoop::main().driveUntil([] { return false; }, 0.2);
    XSetInputFocus(display, other, RevertToParent, CurrentTime);
    XSync(display, False);
    EXPECT_TRUE(RunLoop::main().driveUntil([&] { return outside > 0; }, 5));
    removeMonitor(token);
    XDestroyWindow(display, other);
    XCloseDisplay(display);
    panel.orderOut();
}

} // namespace
} // namespace glimmo

namespace glimmo {
namespace {

struct TwoItems : ToolbarDelegate {
    std::shared_ptr<SegmentedControl> segments = std::make_shared<SegmentedControl>(2);
    int clicks = 0;
    std::vector<std::string> toolbarDefaultItemIdentifiers() override { return {"pane", "segments"}; }
    std::vector<std::string> toolbarAllowedItemIdentifiers() override { return toolbarDefaultItemIdentifiers(); }
    std::vector<std::string> toolbarSelectableItemIdentifiers() override { return {"pane"}; }
    std::shared_ptr<ToolbarItem> toolbarItem(const std::string& id, bool) override {
        auto item = std::make_shared<ToolbarItem>();
        item->identifier = id;
        item->label = id;
        if (id == "segments") item->view = segments;
        else item->action = [this] { ++clicks; };
        return item;
    }
};

TEST_F(X11MonitorTest, AToolbarRebuiltFromItsOwnActionKeepsItsItemViews) {
    auto delegate = std::make_shared<TwoItems>();
    delegate->segments->setFrame(CGRect(0, 0, 120, 24));
    Window window(CGRect(100, 100, 300, 150), WindowStyleMask::titledClosable());
    window.setContentView(NativeView::make());
    auto toolbar = std::make_shared<Toolbar>("t");
    toolbar->setDelegate(delegate);
    window.setToolbar(toolbar);
    window.makeKeyAndOrderFront();
    QPointer<QWidget> segmentsWidget = &widgetOf(*delegate->segments);
    for (int round = 1; round <= 2; ++round) {
        QToolBar* bar = nullptr;
        for (QToolBar* candidate : topLevelWidget(window).findChildren<QToolBar*>()) {
            if (candidate->isVisible()) bar = candidate;
        }
        ASSERT_NE(bar, nullptr);
        ASSERT_FALSE(bar->actions().isEmpty());
        bar->actions().front()->trigger(); // selects the item: the toolbar is built again
        EXPECT_EQ(delegate->clicks, round);
        EXPECT_EQ(toolbar->selectedItemIdentifier(), "pane");
        RunLoop::main().driveUntil([] { return false; }, 0.05);
        ASSERT_TRUE(segmentsWidget) << "the toolbar deleted a view it did not own";
        EXPECT_TRUE(segmentsWidget->isVisible());
    }
    // Replaced toolbars are hidden at once and deleted when the event loop next deletes objects.
    int shown = 0;
    for (QToolBar* bar : topLevelWidget(window).findChildren<QToolBar*>()) shown += bar->isVisible() ? 1 : 0;
    EXPECT_EQ(shown, 1);
    window.orderOut();
}

} // namespace
} // namespace glimmo
