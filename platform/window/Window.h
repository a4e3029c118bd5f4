#pragma once

// Top-level windows and panels. Frames are screen rectangles in points (origin at the top-left of the
// virtual desktop, y down, as X11 has it) and cover the window's client area, toolbar included; the
// window manager's title bar and border lie outside. Subclasses filter input (`sendEvent`) and say
// which actions they answer (`respondsTo`).

#include "platform/view/Color.h"
#include "platform/view/Geometry.h"
#include "platform/view/PixelImage.h"
#include "platform/window/Responder.h"
#include "platform/window/WindowEvents.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace glimmo {

class NativeView;
class Toolbar;

struct WindowStyleMask {
    bool titled = false;
    bool closable = false;
    bool resizable = false;
    bool miniaturizable = false;
    // A borderless panel that does not activate the application when clicked.
    bool nonactivatingPanel = false;

    static WindowStyleMask titledClosable() { return {.titled = true, .closable = true}; }
    static WindowStyleMask borderlessNonactivatingPanel() { return {.nonactivatingPanel = true}; }
};

enum class WindowLevel : std::uint8_t { normal, floating, statusBar };

class Window : public Responder {
public:
    Window(CGRect contentRect, WindowStyleMask style);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    WindowStyleMask styleMask() const;

    const std::string& title() const;
    void setTitle(std::string title);
    // With the title hidden the window manager shows an empty title.
    bool isTitleVisible() const;
    void setTitleVisible(bool visible);

    CGRect frame() const;
    void setFrame(CGRect frame);
    // Moves and resizes over `duration` seconds with the ease-in-ease-out curve.
    void animateFrame(CGRect frame, double duration);
    // The frame that holds content of this rectangle: the toolbar's height is added while one shows.
    virtual CGRect frameRectForContentRect(CGRect contentRect) const;
    // Centres the window on the screen it is on (the primary screen before it is shown).
    void center();

    // Frames kept in the user defaults under a name: restores the saved frame, if any.
    bool setFrameUsingName(const std::string& name);
    // From now on every move or resize saves the frame under `name`.
    void setFrameAutosaveName(const std::string& name);
    const std::string& frameAutosaveName() const;
    // The user defaults key of a saved frame.
    static std::string savedFrameKey(const std::string& name);

    // The content view; subclasses that wrap the client's view in their own answer the client's.
    virtual std::shared_ptr<NativeView> contentView() const;
    virtual void setContentView(std::shared_ptr<NativeView> view);
    // The view that actually fills the window.
    std::shared_ptr<NativeView> platformContentView() const;
    void setPlatformContentView(std::shared_ptr<NativeView> view);

    Toolbar* toolbar() const;
    void setToolbar(std::shared_ptr<Toolbar> toolbar);

    void setOpaque(bool opaque);
    void setHasShadow(bool shadow);
    void setLevel(WindowLevel level);
    WindowLevel level() const;
    void setBackgroundColor(Color color);
    // Visible on every virtual desktop and left out of window cycling.
    void setJoinsAllSpacesAndIgnoresCycle(bool on);

    virtual bool canBecomeKeyWindow() const;
    void makeKeyAndOrderFront();
    // Shows the window without activating it.
    void orderFrontRegardless();
    void orderOut();
    void close();
    bool isVisible() const;
    bool isKeyWindow() const;

    // The window's content as drawn now, toolbar included, at `scale` pixels per point (transparent
    // where the window is).
    PixelImage snapshot(double scale = 1) const;

    // Every input event sent to the window passes here; the default delivers it. Return false to drop it.
    virtual bool sendEvent(const Event& event);
    // Sends an event as if the user made it (what the window layer does for real input).
    bool dispatch(const Event& event);

    // Told after the frame's size changed.
    void setDidResizeHandler(std::function<void()> handler);
    void notifyDidResize() const;

    // Answers "toggleToolbarShown:", "performClose:" and "performMiniaturize:".
    bool respondsTo(const std::string& action) const override;
    bool perform(const std::string& action) override;

    struct Impl;
    Impl& impl() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

// The primary screen's rectangle, when there is a screen.
std::optional<CGRect> mainScreenFrame();

// Brings the application's windows to the front and gives it the keyboard.
void activateApplication();

} // namespace glimmo
