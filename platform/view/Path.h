#pragma once

#include "platform/view/Geometry.h"

#include <cstdint>
#include <vector>

namespace glimmo {

// A vector path of move, line, cubic and close elements (quadratic curves and arcs are converted to
// cubics when added). Coordinates are in the coordinate space of whoever built it.
class Path {
public:
    enum class Verb : std::uint8_t { move, line, cubic, close };
    struct Element {
        Verb verb;
        CGPoint points[3]; // move/line: points[0]; cubic: control 1, control 2, end
    };
    enum class RoundedCornerStyle : std::uint8_t { circular, continuous };

    Path() = default;
    static Path rect(const CGRect& r);
    static Path roundedRect(const CGRect& r, CGFloat cornerRadius,
                            RoundedCornerStyle style = RoundedCornerStyle::continuous);
    static Path ellipse(const CGRect& r);
    // A rounded rectangle whose corner radius is half its shorter side.
    static Path capsule(const CGRect& r);

    void move(CGPoint to);
    void addLine(CGPoint to);
    void addQuadCurve(CGPoint to, CGPoint control);
    void addCurve(CGPoint to, CGPoint control1, CGPoint control2);
    // A circular arc around `center` from `startAngle` to `endAngle` (radians, clockwise in y-down space
    // when `clockwise` is false, as SwiftUI draws).
    void addArc(CGPoint center, CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise);
    void closeSubpath();
    void addPath(const Path& other);

    const std::vector<Element>& elements() const { return elements_; }
    bool isEmpty() const { return elements_.empty(); }
    // The smallest rectangle holding every point (control points included); null for an empty path.
    CGRect boundingRect() const;
    // Even-odd free fill test with the non-zero rule, on a flattened copy of the path.
    bool contains(CGPoint p) const;
    Path applying(const CGAffineTransform& t) const;
    Path offsetBy(CGFloat dx, CGFloat dy) const { return applying(CGAffineTransform::translation(dx, dy)); }

    bool operator==(const Path& o) const;

private:
    std::vector<Element> elements_;
};

} // namespace glimmo
