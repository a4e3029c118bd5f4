#include "Popover/PopoverWindow.h"

namespace popover {

using glimmo::CGRect;
using glimmo::LayoutConstraint;

PopoverWindow::PopoverWindow(std::shared_ptr<const PopoverConfiguration> config)
    : glimmo::Window(CGRect(), glimmo::WindowStyleMask::borderlessNonactivatingPanel()), wConfig_(std::move(config)) {
    setOpaque(false);
    setHasShadow(true);
    setLevel(glimmo::WindowLevel::statusBar);
    setBackgroundColor(glimmo::Color::clear());
    setJoinsAllSpacesAndIgnoresCycle(true);
}

CGRect PopoverWindow::frameRectForContentRect(CGRect contentRect) const {
    CGRect r = contentRect;
    r.size.height += wConfig_->arrowHeight();
    return r;
}

void PopoverWindow::setContentView(std::shared_ptr<glimmo::NativeView> view) {
    if (!view || view == childContentView_) return;
    const CGRect bounds = view->bounds();
    backgroundView_ = std::dynamic_pointer_cast<PopoverWindowBackgroundView>(platformContentView());
    if (!backgroundView_) {
        backgroundView_ = std::make_shared<PopoverWindowBackgroundView>(bounds, wConfig_);
        setPlatformContentView(backgroundView_);
    }
    if (childContentView_) childContentView_->removeFromSuperview();
    childContentView_ = view;
    view->setCornerRadius(wConfig_->cornerRadius());
    backgroundView_->addSubview(view);
    const double B = wConfig_->borderInset();
    const glimmo::EdgeInsets I = wConfig_->contentEdgeInsets();
    backgroundView_->addConstraints({
        {view.get(), LayoutConstraint::Edge::leading, I.leading + B},
        {view.get(), LayoutConstraint::Edge::trailing, I.trailing + B},
        {view.get(), LayoutConstraint::Edge::top, I.top + wConfig_->arrowHeight() + B},
        {view.get(), LayoutConstraint::Edge::bottom, I.bottom + B},
    });
}

} // namespace popover
