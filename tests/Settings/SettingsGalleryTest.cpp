// Pictures of the settings window for people to look at (written to the build folder as
// settings-*.png); the checks make sure there is a toolbar above the shown pane.

#include "Settings/Container.h"
#include "Settings/Pane.h"
#include "Settings/SettingsWindowController.h"
#include "platform/qt/OffscreenRendering.h"
#include "platform/runtime/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

using namespace settings;
using namespace glimmo;

namespace {

AnyView generalContent() {
    return AnyView(Settings::Container(420, 140, {
        Settings::Section("Launch:", true, VerticalAlignment::firstTextBaseline(), [] {
            return AnyView(VStack(HorizontalAlignment::leading(), 4, {
                AnyView(Button("Open at login", [] {})),
                descriptionTextStyle(AnyView(Text("Starts tracking when you log in."))),
            }));
        }),
        Settings::Section("Daily summary:", false, VerticalAlignment::firstTextBaseline(), [] {
            return AnyView(Text("At 18:00"));
        }),
    }));
}

RGBA pixel(const PixelImage& image, int x, int y) {
    const auto* p = &image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
    return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, p[3] / 255.0};
}

} // namespace

TEST(SettingsGalleryTest, ToolbarItemsAboveAFormPane) {
    glimmo::testing::TemporaryDirectory dir;
    UserDefaults::setStandard(std::make_shared<UserDefaults>(dir.path() / "defaults.json"));
    std::vector<std::shared_ptr<SettingsPaneConvertible>> panes{
        std::make_shared<Settings::Pane>(Settings::PaneIdentifier("general"), "General", Image::systemName("gear"), generalContent),
        std::make_shared<Settings::Pane>(Settings::PaneIdentifier("advanced"), "Advanced", Image::systemName("clock.arrow.circlepath"),
                                         [] { return AnyView(Text("Advanced settings")).padding(40); }),
    };
    for (auto style : {Settings::Style::toolbarItems, Settings::Style::segmentedControl}) {
        SettingsWindowController controller(panes, style, false, true);
        controller.show();
        RunLoop::main().driveUntil([] { return false; }, 0.1);
        const PixelImage image = controller.window().snapshot(2);
        const CGRect frame = controller.window().frame();
        ASSERT_EQ(image.width, static_cast<int>(frame.size.width * 2));
        ASSERT_EQ(image.height, static_cast<int>(frame.size.height * 2));
        const CGFloat toolbar = controller.window().frameRectForContentRect(CGRect()).size.height;
        EXPECT_GT(toolbar, 20);
        // The pane's content starts below the toolbar: its hosting view fills the rest.
        EXPECT_EQ(controller.tabViewController().panes()[0]->view().frame().size.height, frame.size.height - toolbar);
        EXPECT_EQ(pixel(image, 10, image.height - 10).alpha, 1);
        writePNG(image, style == Settings::Style::toolbarItems ? "settings-toolbar-items.png" : "settings-segmented-control.png");
    }
    UserDefaults::setStandard(nullptr);
}
