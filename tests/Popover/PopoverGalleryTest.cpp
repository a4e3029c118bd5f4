// A picture of the popover for people to look at (written to the build folder as popover.png); the
// checks look at the drawn shape: transparent beside the arrow, the white border, the filled body.

#include "Popover/Popover.h"
#include "platform/qt/OffscreenRendering.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/ViewKit.h"
#include "platform/window/ViewController.h"

#include <gtest/gtest.h>

using namespace popover;
using namespace glimmo;

namespace {

class TodayContent : public ViewController {
protected:
    std::shared_ptr<NativeView> loadView() override {
        auto view = NativeView::makeHosting(AnyView(VStack(HorizontalAlignment::leading(), 8, {
            AnyView(Text("Today").font(Font::title2()).bold()),
            AnyView(Text("Writing  2 h 10 min")),
            AnyView(Text("Browsing  45 min")),
            AnyView(Button("Open dashboard", [] {})),
        })).padding(16).frame(260, 150, Alignment::topLeading()));
        return view;
    }
};

RGBA pixel(const PixelImage& image, int x, int y) {
    const auto* p = &image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
    return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, p[3] / 255.0};
}

} // namespace

TEST(PopoverGalleryTest, ArrowedPanelAroundKitContent) {
    auto popover = Popover::make();
    popover->prepare(Image::systemName("clock"), std::make_shared<TodayContent>());
    popover->show(false);
    RunLoop::main().driveUntil([] { return false; }, 0.1);
    auto* window = popover->window();
    ASSERT_NE(window, nullptr);
    // Without a tray the arrow sits where the (absent) item would be; put it in the middle for the picture.
    window->arrowXLocation = window->frame().size.width / 2;
    window->backgroundView()->arrowXLocation = window->arrowXLocation;
    const PixelImage image = window->snapshot(2);
    ASSERT_EQ(image.width, 260 * 2 + 0);
    ASSERT_EQ(image.height, (150 + 12) * 2);
    EXPECT_EQ(pixel(image, 4, 4).alpha, 0);                        // beside the arrow
    EXPECT_EQ(pixel(image, image.width / 2, 12).alpha, 1);          // inside the arrow
    // The border line is centred on the body edge, 2 points in: its outer half is 1 point of white.
    const RGBA edge = pixel(image, image.width / 2, image.height - 4);
    EXPECT_EQ(pixel(image, image.width / 2, image.height - 1).alpha, 0);
    EXPECT_GT(edge.red, 0.9);
    EXPECT_GT(edge.green, 0.9);
    writePNG(image, "popover.png");
    popover->dismiss();
}
