#include "platform/scenes/Scenes.h"

#include <cctype>

namespace glimmo {

std::string KeyboardShortcut::displayText() const {
    std::string text;
    if (shift) text += "Shift+";
    if (option) text += "Alt+";
    if (command) text += "Ctrl+";
    text += static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    return text;
}

bool KeyboardShortcut::matches(char pressed, bool control, bool shiftDown, bool alt) const {
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    return key != 0 && lower(pressed) == lower(key) && control == command && shiftDown == shift && alt == option;
}

std::vector<CommandButton> allCommands(const std::vector<Scene>& scenes) {
    std::vector<CommandButton> buttons;
    for (const Scene& scene : scenes) {
        if (const auto* group = std::get_if<WindowGroup>(&scene)) {
            for (const CommandGroup& commands : group->commands) {
                buttons.insert(buttons.end(), commands.buttons.begin(), commands.buttons.end());
            }
        }
    }
    return buttons;
}

} // namespace glimmo
