#include "Popover/PopoverWindowController.h"

#include "Popover/Popover.h"
#include "platform/window/StatusBar.h"

#include <algorithm>

namespace popover {

using glimmo::CGRect;

WindowPlacement placeWindow(CGRect screen, std::optional<CGRect> statusItemFrame, glimmo::CGSize windowSize,
                            const PopoverConfiguration& config) {
    const CGRect item = statusItemFrame.value_or(CGRect());
    const double L = item.origin.x;
    const double itemBottom = item.origin.y + item.size.height;
    const double H = item.size.width / 2;
    const double B = config.borderInset();
    const double w = windowSize.width;
    const double h = windowSize.height;
    const double x = std::min(screen.origin.x + screen.size.width - w - config.screenEdgeMargin(), L + H - w / 2 + B);
    // Below the item (never above the screen's top), lowered by the spacing, raised by half the border.
    const double y = std::max(screen.origin.y, itemBottom) + config.statusItemSpacing() - B / 2;
    return {CGRect(x, y, w, h), L + H - x};
}

PopoverWindowController::PopoverWindowController(std::weak_ptr<Popover> popover,
                                                 std::shared_ptr<const PopoverConfiguration> config,
                                                 std::unique_ptr<PopoverWindow> window)
    : popover_(std::move(popover)), wConfig_(std::move(config)), window_(std::move(window)) {
    if (window_) window_->setDidResizeHandler([this] { updateWindowFrame(); });
}

void PopoverWindowController::setContentViewController(std::shared_ptr<glimmo::ViewController> controller) {
    contentViewController_ = std::move(controller);
    if (!window_ || !contentViewController_) return;
    auto view = contentViewController_->viewPointer();
    // The window takes the content's size (read before the view is pinned inside the window).
    const CGRect content = view->frame();
    window_->setContentView(view);
    window_->setFrame(window_->frameRectForContentRect(CGRect({0, 0}, content.size)));
}

WindowPlacement PopoverWindowController::computeWindowFrame() const {
    const CGRect screen = glimmo::mainScreenFrame().value_or(CGRect());
    std::optional<CGRect> itemFrame;
    if (auto popover = popover_.lock()) {
        if (const auto& item = popover->item()) {
            if (auto* button = item->button()) itemFrame = button->windowFrame();
        }
    }
    if (!window_) return {};
    return placeWindow(screen, itemFrame, window_->frame().size, *wConfig_);
}

void PopoverWindowController::updateWindowFrame() {
    if (!window_) return;
    const WindowPlacement placement = computeWindowFrame();
    window_->arrowXLocation = placement.arrowX;
    if (const auto& background = window_->backgroundView()) {
        background->arrowXLocation = placement.arrowX;
        background->setNeedsDisplay();
    }
    window_->setDidResizeHandler(nullptr); // placing does not count as the window's own resize
    window_->setFrame(placement.frame);
    window_->setDidResizeHandler([this] { updateWindowFrame(); });
}

void PopoverWindowController::showWindowAndMakeKey() {
    if (window_) window_->makeKeyAndOrderFront();
}

} // namespace popover
