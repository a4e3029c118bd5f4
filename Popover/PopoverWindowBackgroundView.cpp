#include "Popover/PopoverWindowBackgroundView.h"

namespace popover {

using glimmo::CGPoint;
using glimmo::CGRect;

PopoverWindowBackgroundView::PopoverWindowBackgroundView(CGRect frame, std::shared_ptr<const PopoverConfiguration> config)
    : glimmo::NativeView(frame), wConfig_(std::move(config)) {}

void PopoverWindowBackgroundView::setFrame(CGRect frame) {
    glimmo::NativeView::setFrame(frame);
    setNeedsDisplay();
}

glimmo::Path PopoverWindowBackgroundView::shape(CGRect bounds) const {
    const double A = wConfig_->arrowHeight();
    const double W = wConfig_->arrowWidth();
    const double R = wConfig_->cornerRadius();
    const double B = wConfig_->borderInset();
    const double X = arrowXLocation;
    const CGRect body(bounds.origin.x + B, bounds.origin.y + A + B, bounds.size.width - 2 * B,
                      bounds.size.height - A - 2 * B);
    const double T = body.origin.y;
    const double P = T - A;
    glimmo::Path path;
    path.move(CGPoint{X - W / 2, T});
    path.addCurve(CGPoint{X, P}, CGPoint{X - W / 6, T}, CGPoint{X - W / 9, P});
    path.addCurve(CGPoint{X + W / 2, T}, CGPoint{X + W / 9, P}, CGPoint{X + W / 6, T});
    path.addLine(CGPoint{X - W / 2, T});
    path.closeSubpath();
    path.addPath(glimmo::Path::roundedRect(body, R, glimmo::Path::RoundedCornerStyle::circular));
    return path;
}

void PopoverWindowBackgroundView::draw(glimmo::DisplayList& list, CGRect dirtyRect) {
    glimmo::NativeView::draw(list, dirtyRect);
    const glimmo::Path path = shape(bounds());
    if (const auto border = wConfig_->borderColor()) {
        glimmo::StrokeStyle style;
        style.lineWidth = wConfig_->borderWidth();
        list.items.emplace_back(glimmo::StrokeItem{path, border->resolve(glimmo::ColorScheme::light), style});
    }
    list.items.emplace_back(glimmo::FillItem{path, wConfig_->backgroundColor().resolve(glimmo::ColorScheme::light)});
}

} // namespace popover
