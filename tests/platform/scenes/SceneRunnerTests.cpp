#include "platform/scenes/SceneRunner.h"

#include "platform/runtime/RunLoop.h"
#include "platform/view/Controls/ControlStyles.h"
#include "platform/view/State.h"
#include "platform/view/Text.h"
#include "platform/window/EventMonitors.h"
#include "platform/window/Menu.h"
#include "platform/window/NativeView.h"
#include "platform/window/StatusBar.h"
#include "platform/window/Window.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

namespace glimmo {
namespace {

// Hands out the settings action it finds in its environment.
struct SettingsActionProbe : View<SettingsActionProbe> {
    explicit SettingsActionProbe(OpenSettingsActionKey::Value* seen) : seen(seen) {}
    OpenSettingsActionKey::Value* seen;
    Environment<OpenSettingsActionKey::Value> open = Environment<OpenSettingsActionKey::Value>::key<OpenSettingsActionKey>();
    AnyView body() const {
        *seen = open.get();
        return AnyView(Text("probe"));
    }
};

class SceneRunnerTest : public ::testing::Test {
protected:
    // Content that counts how often it is built and how often it comes on screen.
    std::function<AnyView()> counted(int& built, int& appeared) {
        return [&built, &appeared] {
            ++built;
            return Text("content").onAppear([&appeared] { ++appeared; });
        };
    }

    std::vector<Scene> scenes() {
        WindowGroup group{.content = [] { return AnyView(Text("group")); },
                          .commands = {CommandGroup{.placement = CommandGroupPlacement::appInfo,
                                                    .buttons = {CommandButton{.title = "Check",
                                                                              .shortcut = KeyboardShortcut{.key = 'u', .command = true, .shift = true},
                                                                              .action = [this] { ++checks; }}}}}};
        return {MenuBarExtra{.title = "Demo", .content = counted(menuBuilt, menuAppeared)},
                SettingsScene{.content = counted(settingsBuilt, settingsAppeared)},
                WindowScene{.title = "prefs", .id = "prefs", .content = counted(windowBuilt, windowAppeared)},
                std::move(group)};
    }

    void drain() { RunLoop::main().driveUntil([] { return false; }, 0.05); }

    int menuBuilt = 0, menuAppeared = 0, settingsBuilt = 0, settingsAppeared = 0, windowBuilt = 0, windowAppeared = 0;
    int checks = 0;
};

TEST_F(SceneRunnerTest, WithoutATrayTheMenuBarWindowOpensAtOnceAsANormalWindow) {
    SceneRunner runner(scenes(), {.useTray = false});
    runner.present();
    EXPECT_FALSE(runner.usesTray());
    EXPECT_EQ(runner.statusItem(), nullptr);
    ASSERT_NE(runner.menuBarWindow(), nullptr);
    EXPECT_TRUE(runner.isMenuBarWindowOpen());
    EXPECT_TRUE(runner.menuBarWindow()->styleMask().titled);
    EXPECT_EQ(runner.menuBarWindow()->title(), "Demo");
    EXPECT_EQ(menuBuilt, 1);
    EXPECT_EQ(menuAppeared, 1);

    runner.present(); // presenting twice changes nothing
    EXPECT_EQ(menuBuilt, 1);
}

TEST_F(SceneRunnerTest, EachTrayClickTogglesTheWindowAndEveryOpeningBuildsAndShowsTheContentAgain) {
    SceneRunner runner(scenes(), {.useTray = true});
    runner.present();
    ASSERT_TRUE(runner.usesTray());
    ASSERT_NE(runner.statusItem(), nullptr);
    EXPECT_FALSE(runner.isMenuBarWindowOpen()) << "the tray window waits for a click";
    EXPECT_EQ(menuBuilt, 0);

    StatusBarButton& button = *runner.statusItem()->button();
    button.click(EventType::leftMouseDown);
    ASSERT_TRUE(runner.isMenuBarWindowOpen());
    EXPECT_FALSE(runner.menuBarWindow()->styleMask().titled) << "a frameless window under the icon";
    EXPECT_EQ(menuAppeared, 1);

    button.click(EventType::leftMouseDown);
    EXPECT_FALSE(runner.isMenuBarWindowOpen());
    drain();
    button.click(EventType::leftMouseDown);
    EXPECT_TRUE(runner.isMenuBarWindowOpen());
    EXPECT_EQ(menuBuilt, 2);
    EXPECT_EQ(menuAppeared, 2);

    // Closing and opening again at once (before the old content is dropped) still shows new content.
    runner.closeMenuBarWindow();
    runner.openMenuBarWindow();
    drain();
    EXPECT_TRUE(runner.isMenuBarWindowOpen());
    EXPECT_EQ(menuAppeared, 3);
    ASSERT_NE(runner.menuBarWindow()->contentView(), nullptr);
    EXPECT_NE(runner.menuBarWindow()->contentView()->host(), nullptr) << "the new content is still hosted";
}

TEST_F(SceneRunnerTest, ATemplateLabelIsDrawnInTheDesktopsTextColourKeepingItsCoverage) {
    auto pixels = std::make_shared<PixelImage>();
    pixels->width = 2;
    pixels->height = 1;
    pixels->rgba = {10, 20, 30, 255, 200, 100, 50, 0};
    std::vector<Scene> list = scenes();
    std::get<MenuBarExtra>(list[0]).label = MenuBarExtraLabel{.image = pixels, .isTemplate = true};
    SceneRunner runner(std::move(list), {.useTray = true});
    runner.present();
    const auto& image = runner.statusItem()->button()->image();
    ASSERT_TRUE(image.has_value());
    ASSERT_NE(image->pixels(), nullptr);
    const QColor text = QApplication::palette().color(QPalette::WindowText);
    EXPECT_EQ(image->pixels()->rgba,
              (std::vector<std::uint8_t>{static_cast<std::uint8_t>(text.red()), static_cast<std::uint8_t>(text.green()),
                                         static_cast<std::uint8_t>(text.blue()), 255,
                                         static_cast<std::uint8_t>(text.red()), static_cast<std::uint8_t>(text.green()),
                                         static_cast<std::uint8_t>(text.blue()), 0}));
    EXPECT_TRUE(image->isResizable());
    EXPECT_EQ(pixels->rgba[0], 10) << "the scene's own image is left as it was";
}

TEST_F(SceneRunnerTest, AClickOutsideClosesTheTrayWindowButNotTheFallbackWindow) {
    SceneRunner runner(scenes(), {.useTray = true});
    runner.present();
    runGlobalMonitors(Event{.type = EventType::leftMouseDown}); // nothing open: nothing happens
    runner.openMenuBarWindow();
    ASSERT_TRUE(runner.isMenuBarWindowOpen());
    runGlobalMonitors(Event{.type = EventType::leftMouseDown});
    EXPECT_FALSE(runner.isMenuBarWindowOpen());
    const std::size_t monitorsAfterClose = installedMonitorCount();
    runner.openMenuBarWindow();
    runner.closeMenuBarWindow();
    EXPECT_EQ(installedMonitorCount(), monitorsAfterClose) << "each opening's monitor goes with it";

    SceneRunner fallback(scenes(), {.useTray = false});
    fallback.present();
    runGlobalMonitors(Event{.type = EventType::leftMouseDown});
    EXPECT_TRUE(fallback.isMenuBarWindowOpen());
}

TEST_F(SceneRunnerTest, SettingsAndIdentifiedWindowsOpenOnRequestAndComeToTheFrontWhenOpen) {
    SceneRunner runner(scenes(), {.useTray = true});
    runner.present();

    EXPECT_TRUE(runner.openSettings());
    ASSERT_NE(runner.settingsWindow(), nullptr);
    EXPECT_TRUE(runner.settingsWindow()->isVisible());
    EXPECT_EQ(runner.settingsWindow()->title(), "Settings");
    EXPECT_TRUE(runner.openSettings());
    EXPECT_EQ(settingsBuilt, 1) << "an open window is brought forward, not rebuilt";
    runner.closeSettings();
    drain();
    EXPECT_FALSE(runner.settingsWindow()->isVisible());
    EXPECT_TRUE(runner.openSettings());
    EXPECT_EQ(settingsBuilt, 2);
    EXPECT_EQ(settingsAppeared, 2);

    EXPECT_TRUE(runner.openWindow("prefs"));
    ASSERT_NE(runner.window("prefs"), nullptr);
    EXPECT_EQ(runner.window("prefs")->title(), "prefs");
    EXPECT_EQ(windowAppeared, 1);
    EXPECT_FALSE(runner.openWindow("nothing"));
    EXPECT_EQ(runner.window("nothing"), nullptr);

    SceneRunner bare({MenuBarExtra{.title = "Bare", .content = [] { return AnyView(Text("x")); }}}, {.useTray = true});
    EXPECT_FALSE(bare.openSettings());
    EXPECT_FALSE(bare.performShortcut(',', true, false, false));
}

TEST_F(SceneRunnerTest, CtrlCommaOpensTheSettingsWithoutATray) {
    SceneRunner runner(scenes(), {.useTray = false});
    runner.present();
    EXPECT_FALSE(runner.performShortcut(',', false, false, false));
    EXPECT_TRUE(runner.performShortcut(',', true, false, false));
    ASSERT_NE(runner.settingsWindow(), nullptr);
    EXPECT_TRUE(runner.settingsWindow()->isVisible());
}

TEST_F(SceneRunnerTest, HostedContentCanOpenTheSettings) {
    OpenSettingsActionKey::Value action;
    std::vector<Scene> list = scenes();
    std::get<MenuBarExtra>(list[0]).content = [&action] { return AnyView(SettingsActionProbe(&action)); };
    SceneRunner runner(std::move(list), {.useTray = false});
    runner.present();
    ASSERT_NE(action, nullptr);
    (*action)();
    ASSERT_NE(runner.settingsWindow(), nullptr);
    EXPECT_TRUE(runner.settingsWindow()->isVisible());
}

TEST_F(SceneRunnerTest, ShortcutsRunTheirCommandAndTheContextMenuListsThemFirst) {
    int quits = 0;
    SceneRunner runner(scenes(), {.useTray = true, .quit = [&quits] { ++quits; }});
    EXPECT_TRUE(runner.performShortcut('u', true, true, false));
    EXPECT_FALSE(runner.performShortcut('u', true, false, false));
    EXPECT_FALSE(runner.performShortcut('x', true, true, false));
    EXPECT_EQ(checks, 1);

    const auto menu = runner.makeContextMenu();
    ASSERT_EQ(menu->items().size(), 4U);
    EXPECT_EQ(menu->items()[0].title, "Check");
    EXPECT_EQ(menu->items()[0].keyEquivalent, "Shift+Ctrl+U");
    EXPECT_EQ(menu->items()[1].title, "Settings...");
    EXPECT_EQ(menu->items()[1].keyEquivalent, "Ctrl+,");
    EXPECT_TRUE(menu->items()[2].isSeparator);
    EXPECT_EQ(menu->items()[3].title, "Quit");
    menu->items()[3].action();
    EXPECT_EQ(quits, 1);
    menu->items()[1].action();
    ASSERT_NE(runner.settingsWindow(), nullptr);
    EXPECT_TRUE(runner.settingsWindow()->isVisible());
}

} // namespace
} // namespace glimmo
