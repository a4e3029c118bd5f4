#pragma once

// Owns the popover's window, remembers whether it is open and places it under the status item: centred
// (shifted right by the border inset), kept away from the screen's right edge, with the arrow over the
// item. Places it again whenever the window changes size.

#include "Popover/PopoverWindow.h"
#include "platform/window/ViewController.h"

#include <optional>

namespace popover {

class Popover;

// The placement arithmetic, in screen coordinates (y down).
struct WindowPlacement {
    glimmo::CGRect frame;
    double arrowX = 0;
};
// `statusItemFrame` is the frame of the window holding the status item (none: all zero).
WindowPlacement placeWindow(glimmo::CGRect screen, std::optional<glimmo::CGRect> statusItemFrame,
                            glimmo::CGSize windowSize, const PopoverConfiguration& config);

class PopoverWindowController {
public:
    PopoverWindowController(std::weak_ptr<Popover> popover, std::shared_ptr<const PopoverConfiguration> config,
                            std::unique_ptr<PopoverWindow> window);

    bool windowIsOpen = false;
    bool isAnimating = false;

    PopoverWindow* window() const { return window_.get(); }
    void setContentViewController(std::shared_ptr<glimmo::ViewController> controller);
    const std::shared_ptr<glimmo::ViewController>& contentViewController() const { return contentViewController_; }

    WindowPlacement computeWindowFrame() const;
    void updateWindowFrame();

    void showWindowAndMakeKey();

private:
    std::weak_ptr<Popover> popover_;
    std::shared_ptr<const PopoverConfiguration> wConfig_;
    std::unique_ptr<PopoverWindow> window_;
    std::shared_ptr<glimmo::ViewController> contentViewController_;
};

// Holds a client's custom view inside the status bar button.
class StatusItemContainerView : public glimmo::NativeView {
public:
    using glimmo::NativeView::NativeView;
};

} // namespace popover
