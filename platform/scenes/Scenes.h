#pragma once

// The scenes an application declares: a tray item with its window, a settings scene, windows with an
// identifier, and window groups that carry menu commands. Plain descriptions: a SceneRunner presents
// them. Content builders are called each time a scene's window content is built, so they can read the
// application object's current state.

#include "platform/view/Geometry.h"
#include "platform/view/PixelImage.h"
#include "platform/view/View.h"

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace glimmo {

// A key with modifiers. `command` is the primary shortcut modifier, which is Ctrl on Linux.
struct KeyboardShortcut {
    char key = 0; // lower-case letter, digit or punctuation
    bool command = false;
    bool shift = false;
    bool option = false;

    // As the desktop writes it: "Shift+Ctrl+U".
    std::string displayText() const;
    // Whether a key press of `pressed` (any case) with these modifiers is this shortcut; Ctrl counts as
    // command.
    bool matches(char pressed, bool control, bool shiftDown, bool alt) const;
    bool operator==(const KeyboardShortcut&) const = default;
};

// The desktop's usual way to a program's settings; the settings scene answers it in every window, which
// matters most where no tray menu exists.
inline constexpr KeyboardShortcut settingsShortcut{.key = ',', .command = true};

struct CommandButton {
    std::string title;
    std::optional<KeyboardShortcut> shortcut;
    std::function<void()> action;
};

enum class CommandGroupPlacement : std::uint8_t {
    appInfo,        // after the item that shows the application's about panel
    appSettings,    // after the settings item
    appTermination, // before the quit item
};

struct CommandGroup {
    CommandGroupPlacement placement = CommandGroupPlacement::appInfo;
    std::vector<CommandButton> buttons;
};

// The image of a tray item. A template image is drawn in the tray's text colour (only its alpha counts);
// a null image gives an empty label.
struct MenuBarExtraLabel {
    SharedPixels image;
    bool isTemplate = false;
    CGSize size{18, 18};
};

enum class MenuBarExtraStyle : std::uint8_t {
    menu,   // clicking the item opens a menu
    window, // clicking the item opens a small window under it
};

struct MenuBarExtra {
    std::string title; // the name of the item (the fallback window's title)
    MenuBarExtraStyle style = MenuBarExtraStyle::window;
    MenuBarExtraLabel label;
    std::function<AnyView()> content;
};

struct SettingsScene {
    std::function<AnyView()> content;
};

struct WindowScene {
    std::string title;
    std::string id;
    std::function<AnyView()> content;
};

struct WindowGroup {
    std::function<AnyView()> content;
    std::vector<CommandGroup> commands;
};

using Scene = std::variant<MenuBarExtra, SettingsScene, WindowScene, WindowGroup>;

// Every command button of the scenes, in scene order.
std::vector<CommandButton> allCommands(const std::vector<Scene>& scenes);

} // namespace glimmo
