#pragma once

// Shapes: views that fill the space they are offered with a path. A shape view on its own is filled
// with the foreground style; `fill`, `stroke` and `strokeBorder` choose otherwise.

#include "platform/view/DisplayList.h"
#include "platform/view/Path.h"
#include "platform/view/ShapeStyle.h"
#include "platform/view/View.h"

#include <functional>
#include <memory>
#include <optional>

namespace glimmo {

// A type-erased shape: a path for a rectangle.
class AnyShape {
public:
    // A rectangle.
    AnyShape() : AnyShape(std::function<Path(const CGRect&)>([](const CGRect& r) { return Path::rect(r); })) {}
    explicit AnyShape(std::function<Path(const CGRect&)> path) : path_(std::make_shared<std::function<Path(const CGRect&)>>(std::move(path))) {}
    template <class S>
        requires requires(const S& s, const CGRect& r) { { s.path(r) } -> std::convertible_to<Path>; }
    AnyShape(const S& shape) // NOLINT: shapes convert implicitly
        : AnyShape(std::function<Path(const CGRect&)>([shape](const CGRect& r) { return shape.path(r); })) {}
    Path path(const CGRect& r) const { return (*path_)(r); }

private:
    std::shared_ptr<std::function<Path(const CGRect&)>> path_;
};

namespace shapes {
std::shared_ptr<const ViewContent> shapeView(AnyShape shape, std::optional<AnyShapeStyle> fill,
                                             std::optional<AnyShapeStyle> stroke, StrokeStyle style, bool strokeInside);
// A shape given a fixed frame of `size`, then moved by an offset, is laid out and drawn by one node, as
// the frame and offset nodes around it would; these answer that one node's view, or nullptr when
// `content` is not a shape still open to it (a frame after an offset keeps its own node).
std::shared_ptr<const ViewContent> framedShape(const ViewContent& content, CGSize size);
std::shared_ptr<const ViewContent> offsetShape(const ViewContent& content, CGSize offset);
} // namespace shapes

// Adds fill and stroke to a shape type; the shape provides `Path path(const CGRect&) const`.
template <class Self>
class ShapeView : public View<Self> {
public:
    AnyView fill(const AnyShapeStyle& style) const {
        return AnyView(shapes::shapeView(AnyShape(self()), style, std::nullopt, {}, false));
    }
    // Strokes the outline centred on the shape's edge.
    AnyView stroke(const AnyShapeStyle& style, CGFloat lineWidth = 1) const {
        StrokeStyle s;
        s.lineWidth = lineWidth;
        return stroke(style, s);
    }
    AnyView stroke(const AnyShapeStyle& style, const StrokeStyle& strokeStyle) const {
        return AnyView(shapes::shapeView(AnyShape(self()), std::nullopt, style, strokeStyle, false));
    }
    // Strokes the outline inside the shape's edge (the shape inset by half the line width).
    AnyView strokeBorder(const AnyShapeStyle& style, CGFloat lineWidth = 1) const {
        StrokeStyle s;
        s.lineWidth = lineWidth;
        return strokeBorder(style, s);
    }
    AnyView strokeBorder(const AnyShapeStyle& style, const StrokeStyle& strokeStyle) const {
        return AnyView(shapes::shapeView(AnyShape(self()), std::nullopt, style, strokeStyle, true));
    }
    std::shared_ptr<const ViewContent> toContent() const {
        return shapes::shapeView(AnyShape(self()), std::nullopt, std::nullopt, {}, false);
    }

private:
    const Self& self() const { return static_cast<const Self&>(*this); }
};

struct Rectangle : ShapeView<Rectangle> {
    Path path(const CGRect& r) const { return Path::rect(r); }
};

struct RoundedRectangle : ShapeView<RoundedRectangle> {
    explicit RoundedRectangle(CGFloat cornerRadius, Path::RoundedCornerStyle style = Path::RoundedCornerStyle::continuous)
        : cornerRadius(cornerRadius), style(style) {}
    Path path(const CGRect& r) const { return Path::roundedRect(r, cornerRadius, style); }
    CGFloat cornerRadius;
    Path::RoundedCornerStyle style;
};

// The largest circle centred in the rectangle.
struct Circle : ShapeView<Circle> {
    Path path(const CGRect& r) const {
        const CGFloat d = std::min(r.width(), r.height());
        return Path::ellipse(CGRect(r.midX() - d / 2, r.midY() - d / 2, d, d));
    }
};

struct Ellipse : ShapeView<Ellipse> {
    Path path(const CGRect& r) const { return Path::ellipse(r); }
};

struct Capsule : ShapeView<Capsule> {
    Path path(const CGRect& r) const { return Path::capsule(r); }
};

// A shape from a path-building function.
struct CustomShape : ShapeView<CustomShape> {
    explicit CustomShape(std::function<Path(const CGRect&)> build) : build(std::move(build)) {}
    Path path(const CGRect& r) const { return build(r); }
    std::function<Path(const CGRect&)> build;
};

} // namespace glimmo
