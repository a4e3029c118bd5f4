#pragma once

// Presents an application's scenes with the window layer: the tray item opens and closes its window
// under the icon (where no tray exists the window opens at once as a normal window, so the application
// stays reachable); the settings scene and the identified windows open on request; the window groups'
// commands go into the tray item's context menu and answer their keyboard shortcuts.
//
// Each opening of a window builds its content afresh from the scene's content builder and hosts it, so
// the content's appearance actions run on every opening. Main thread only.

#include "platform/scenes/Scenes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

class Menu;
class StatusItem;
class Window;

class SceneRunner {
public:
    struct Options {
        // Whether to use the desktop's tray; unset: use it when the desktop has one.
        std::optional<bool> useTray;
        // What the context menu's quit item does.
        std::function<void()> quit;
    };

    explicit SceneRunner(std::vector<Scene> scenes);
    SceneRunner(std::vector<Scene> scenes, Options options);
    ~SceneRunner();
    SceneRunner(const SceneRunner&) = delete;
    SceneRunner& operator=(const SceneRunner&) = delete;

    // Shows the tray item, or opens the tray window as a normal window where there is no tray.
    void present();
    bool usesTray() const;

    // What a click on the tray item does: opens its window, or closes it when open.
    void toggleMenuBarWindow();
    void openMenuBarWindow();
    void closeMenuBarWindow();
    bool isMenuBarWindowOpen() const;

    // Opens (or brings to the front) the settings scene's window; false without a settings scene.
    bool openSettings();
    // Opens (or brings to the front) the window scene with this identifier; false when there is none.
    bool openWindow(const std::string& id);
    void closeWindow(const std::string& id);
    void closeSettings();

    // Runs the command whose shortcut is this key press; returns whether one ran.
    bool performShortcut(char key, bool control, bool shift, bool alt);
    // The window groups' commands, in scene order.
    const std::vector<CommandButton>& commands() const;
    // The tray item's context menu: the settings item, the commands and the quit item.
    std::shared_ptr<Menu> makeContextMenu() const;

    Window* menuBarWindow() const;
    Window* settingsWindow() const;
    Window* window(const std::string& id) const;
    StatusItem* statusItem() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
