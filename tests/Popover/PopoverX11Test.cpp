// The popover on a private X server: it closes when another client takes the focus (a click into
// another application) unless it is kept visible; a picture of the panel as the X server shows it
// (popover-x11.png in the build folder; without a compositing manager the transparent corners are black).

#include "Popover/Popover.h"
#include "platform/qt/window/QtWindowSupport.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/ViewKit.h"
#include "platform/window/ViewController.h"
#include "tests/platform/qt/XvfbTestEnvironment.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <X11/Xlib.h>

using namespace popover;
using namespace glimmo;

namespace {

class PopoverX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (!glimmo::testing::xvfbSkipReason().empty()) GTEST_SKIP() << glimmo::testing::xvfbSkipReason();
    }
};

class Content : public ViewController {
protected:
    std::shared_ptr<NativeView> loadView() override {
        return NativeView::makeHosting(AnyView(VStack(HorizontalAlignment::leading(), 8, {
            AnyView(Text("Today").font(glimmo::Font::title2()).bold()),
            AnyView(Text("Writing  2 h 10 min")),
            AnyView(Button("Open dashboard", [] {})),
        })).padding(16).frame(240, 120, Alignment::topLeading()));
    }
};

// Another X client takes the keyboard focus.
void focusAnotherClient() {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const ::Window other = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 500, 40, 40, 0, 0, 0);
    XMapRaised(display, other);
    XSync(display, False);
    RunLoop::main().driveUntil([] { return false; }, 0.2);
    XSetInputFocus(display, other, RevertToParent, CurrentTime);
    XSync(display, False);
    RunLoop::main().driveUntil([] { return false; }, 0.3);
    XDestroyWindow(display, other);
    XCloseDisplay(display);
}

bool openAndKey(Popover& popover) {
    popover.show();
    return RunLoop::main().driveUntil([&] { return popover.window()->isKeyWindow(); }, 5);
}

} // namespace

TEST_F(PopoverX11Test, FocusGoingToAnotherClientClosesThePopoverUnlessKeptVisible) {
    auto popover = Popover::make();
    popover->prepare(Image::systemName("clock"), std::make_shared<Content>());

    popover->keepPopoverVisible = true;
    ASSERT_TRUE(openAndKey(*popover));
    focusAnotherClient();
    EXPECT_TRUE(popover->popoverWindowController()->windowIsOpen);
    popover->dismiss();

    popover->keepPopoverVisible = false;
    ASSERT_TRUE(openAndKey(*popover));
    // The picture first, while it is open. Without a tray the panel sits at the screen's left edge,
    // partly off screen: move it in and centre the arrow for the picture.
    auto* window = popover->window();
    window->setFrame(CGRect({200, 150}, window->frame().size));
    window->arrowXLocation = window->frame().size.width / 2;
    window->backgroundView()->arrowXLocation = window->arrowXLocation;
    window->backgroundView()->setNeedsDisplay();
    RunLoop::main().driveUntil([] { return false; }, 0.2);
    const CGRect frame = window->frame();
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(
        0, static_cast<int>(frame.origin.x), static_cast<int>(frame.origin.y), static_cast<int>(frame.size.width),
        static_cast<int>(frame.size.height));
    EXPECT_TRUE(shot.save("popover-x11.png"));

    focusAnotherClient();
    EXPECT_FALSE(popover->popoverWindowController()->windowIsOpen);
    EXPECT_FALSE(window->isVisible());
}
