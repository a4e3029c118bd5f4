#pragma once

// What the application runner needs of Qt beyond windows: application-wide keyboard shortcuts,
// quitting on termination signals, and whether closing the last window ends the application.

#include <functional>
#include <memory>
#include <vector>

namespace glimmo {

// A key press seen anywhere in the application: the letter or digit (lower case) and the modifiers.
struct KeyPress {
    char key = 0;
    bool control = false;
    bool shift = false;
    bool alt = false;
};

// Removes what it installed when destroyed.
class InstalledHandler {
public:
    virtual ~InstalledHandler() = default;
};

// Every key press in the application's windows passes `handler` first; returning true consumes it.
// Needs the QApplication.
std::unique_ptr<InstalledHandler> installKeyPressHandler(std::function<bool(const KeyPress&)> handler);

// SIGINT, SIGTERM and SIGHUP run `onSignal` on the main thread (through Qt's event loop) instead of
// killing the process. Needs the QApplication.
std::unique_ptr<InstalledHandler> installTerminationSignalHandler(std::function<void(int signal)> onSignal);

// The desktop's text colour (the palette's window text) as red, green, blue: what template images of
// tray items are drawn in.
struct TextColor {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
};
TextColor desktopTextColor();

// Whether the application quits when its last visible window closes (Qt's default is true).
void setQuitOnLastWindowClosed(bool quit);

} // namespace glimmo
