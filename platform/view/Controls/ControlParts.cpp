#include "platform/view/Controls/ControlParts.h"

#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"

namespace glimmo::controls {

Color borderColor() { return Color(RGBA{0, 0, 0, 0.25}, RGBA{1, 1, 1, 0.25}); }
Color trackColor() { return Color(RGBA{0.80, 0.80, 0.80, 1}, RGBA{0.35, 0.35, 0.35, 1}); }
Color selectionColor() { return Color::accentColor(); }

AnyButtonStyle bareButtonStyle() {
    static const AnyButtonStyle style([](const ButtonStyleConfiguration& c) { return c.label.opacity(c.isPressed ? 0.8 : 1); });
    return style;
}

AnyView bezel(CGFloat radius, const Color& fill) {
    return ZStack({RoundedRectangle(radius).fill(fill), RoundedRectangle(radius).strokeBorder(borderColor(), 1)});
}

AnyView checkmark(CGFloat size, std::optional<Color> color) {
    StrokeStyle mark;
    mark.lineWidth = size / 7;
    mark.lineCap = StrokeStyle::LineCap::round;
    mark.lineJoin = StrokeStyle::LineJoin::round;
    const AnyShapeStyle style = color ? AnyShapeStyle(*color) : AnyShapeStyle(HierarchicalShapeStyle::primary);
    return CustomShape([](const CGRect& r) {
               Path p;
               p.move({r.minX() + r.width() * 0.22, r.minY() + r.height() * 0.52});
               p.addLine({r.minX() + r.width() * 0.42, r.minY() + r.height() * 0.72});
               p.addLine({r.minX() + r.width() * 0.78, r.minY() + r.height() * 0.30});
               return p;
           })
        .stroke(style, mark)
        .frame(size, size);
}

} // namespace glimmo::controls
