// The settings window on a private X server: real clicks on the toolbar switch panes unless the window
// pauses interaction; a picture of the window as the X server shows it (settings-x11.png in the build
// folder).

#include "Settings/Container.h"
#include "Settings/Pane.h"
#include "Settings/SettingsWindowController.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/qt/window/QtWindowSupport.h"
#include "platform/runtime/RunLoop.h"
#include "tests/platform/qt/XvfbTestEnvironment.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

using namespace settings;
using namespace glimmo;

namespace {

class SettingsX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (!glimmo::testing::xvfbSkipReason().empty()) GTEST_SKIP() << glimmo::testing::xvfbSkipReason();
        UserDefaults::setStandard(std::make_shared<UserDefaults>(dir.path() / "defaults.json"));
    }
    void TearDown() override { UserDefaults::setStandard(nullptr); }
    glimmo::testing::TemporaryDirectory dir;
};

std::vector<std::shared_ptr<SettingsPaneConvertible>> panes() {
    return {
        std::make_shared<Settings::Pane>(Settings::PaneIdentifier("general"), "General", Image::systemName("gear"), [] {
            return AnyView(Settings::Container(360, 100, {
                Settings::Section("Launch:", true, VerticalAlignment::firstTextBaseline(),
                                  [] { return AnyView(Button("Open at login", [] {})); }),
                Settings::Section("Summary:", false, VerticalAlignment::firstTextBaseline(),
                                  [] { return descriptionTextStyle(AnyView(Text("Every evening at 18:00"))); }),
            }));
        }),
        std::make_shared<Settings::Pane>(Settings::PaneIdentifier("advanced"), "Advanced",
                                         Image::systemName("clock.arrow.circlepath"),
                                         [] { return AnyView(Text("Advanced settings")).padding(40); }),
    };
}

// Clicks the toolbar button of `label` through the window, as the X server delivers a click.
void clickToolbarButton(SettingsWindowController& controller, const QString& label) {
    QWidget& top = topLevelWidget(controller.window());
    for (QToolBar* bar : top.findChildren<QToolBar*>()) {
        if (!bar->isVisible()) continue;
        for (QAction* action : bar->actions()) {
            if (action->text() != label) continue;
            QWidget* button = bar->widgetForAction(action);
            ASSERT_NE(button, nullptr);
            const QPoint centre = button->mapTo(&top, button->rect().center());
            QTest::mouseClick(top.windowHandle(), Qt::LeftButton, {}, centre);
            return;
        }
    }
    FAIL() << "no toolbar button " << label.toStdString();
}

} // namespace

TEST_F(SettingsX11Test, ToolbarClicksSwitchPanesUnlessInteractionIsPaused) {
    SettingsWindowController controller(panes(), Settings::Style::toolbarItems, false, true);
    controller.show();
    QWidget& top = topLevelWidget(controller.window());
    ASSERT_TRUE(RunLoop::main().driveUntil([&] { return top.isVisible() && top.windowHandle()->isExposed(); }, 5));

    controller.window().isUserInteractionEnabled = false;
    clickToolbarButton(controller, "Advanced");
    EXPECT_EQ(controller.tabViewController().activeTab(), 0);

    controller.window().isUserInteractionEnabled = true;
    clickToolbarButton(controller, "Advanced");
    EXPECT_EQ(controller.tabViewController().activeTab(), 1);
    EXPECT_EQ(controller.window().title(), "Advanced");
    clickToolbarButton(controller, "General");
    EXPECT_EQ(controller.tabViewController().activeTab(), 0);

    RunLoop::main().driveUntil([] { return false; }, 0.2);
    const CGRect frame = controller.window().frame();
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(
        0, static_cast<int>(frame.origin.x), static_cast<int>(frame.origin.y), static_cast<int>(frame.size.width),
        static_cast<int>(frame.size.height));
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save("settings-x11.png"));
}
