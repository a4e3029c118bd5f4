#pragma once

// The borderless, non-activating, transparent panel that the popover shows under its status item. The
// background view draws its shape; the client's view sits inside it, below the arrow and inside the
// border. The window is always the arrow's height taller than its content.

#include "Popover/PopoverWindowBackgroundView.h"
#include "platform/window/Window.h"

namespace popover {

class PopoverWindow : public glimmo::Window {
public:
    explicit PopoverWindow(std::shared_ptr<const PopoverConfiguration> config);

    double arrowXLocation = 0;

    bool canBecomeKeyWindow() const override { return true; }
    // The client's view.
    std::shared_ptr<glimmo::NativeView> contentView() const override { return childContentView_; }
    void setContentView(std::shared_ptr<glimmo::NativeView> view) override;
    glimmo::CGRect frameRectForContentRect(glimmo::CGRect contentRect) const override;

    const std::shared_ptr<PopoverWindowBackgroundView>& backgroundView() const { return backgroundView_; }

private:
    std::shared_ptr<const PopoverConfiguration> wConfig_;
    std::shared_ptr<glimmo::NativeView> childContentView_;
    std::shared_ptr<PopoverWindowBackgroundView> backgroundView_;
};

} // namespace popover
