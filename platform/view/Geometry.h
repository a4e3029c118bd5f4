#pragma once

// Plain geometry values of the view kit. Coordinates are points, y grows downwards, and the origin of
// window coordinates is the top-left corner of the window's content.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace glimmo {

using CGFloat = double;

inline constexpr CGFloat infinity = std::numeric_limits<CGFloat>::infinity();

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;

    static constexpr CGPoint zero() { return {}; }
    constexpr CGPoint operator+(CGPoint o) const { return {x + o.x, y + o.y}; }
    constexpr CGPoint operator-(CGPoint o) const { return {x - o.x, y - o.y}; }
    bool operator==(const CGPoint&) const = default;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;

    static constexpr CGSize zero() { return {}; }
    bool operator==(const CGSize&) const = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;

    constexpr CGRect() = default;
    constexpr CGRect(CGPoint o, CGSize s) : origin(o), size(s) {}
    constexpr CGRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h) : origin{x, y}, size{w, h} {}

    // The rectangle with no extent used as the identity of `unionWith` (CGRectNull).
    static CGRect null() { return CGRect(infinity, infinity, 0, 0); }
    bool isNull() const { return std::isinf(origin.x) || std::isinf(origin.y); }

    constexpr CGFloat minX() const { return origin.x; }
    constexpr CGFloat minY() const { return origin.y; }
    constexpr CGFloat maxX() const { return origin.x + size.width; }
    constexpr CGFloat maxY() const { return origin.y + size.height; }
    constexpr CGFloat midX() const { return origin.x + size.width / 2; }
    constexpr CGFloat midY() const { return origin.y + size.height / 2; }
    constexpr CGFloat width() const { return size.width; }
    constexpr CGFloat height() const { return size.height; }

    bool contains(CGPoint p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    bool intersects(const CGRect& o) const {
        return minX() < o.maxX() && o.minX() < maxX() && minY() < o.maxY() && o.minY() < maxY();
    }
    CGRect offsetBy(CGFloat dx, CGFloat dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }
    CGRect insetBy(CGFloat dx, CGFloat dy) const {
        return {origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy};
    }
    CGRect unionWith(const CGRect& o) const {
        if (isNull()) return o;
        if (o.isNull()) return *this;
        const CGFloat x0 = std::min(minX(), o.minX()), y0 = std::min(minY(), o.minY());
        const CGFloat x1 = std::max(maxX(), o.maxX()), y1 = std::max(maxY(), o.maxY());
        return {x0, y0, x1 - x0, y1 - y0};
    }
    CGRect intersection(const CGRect& o) const {
        const CGFloat x0 = std::max(minX(), o.minX()), y0 = std::max(minY(), o.minY());
        const CGFloat x1 = std::min(maxX(), o.maxX()), y1 = std::min(maxY(), o.maxY());
        if (x1 < x0 || y1 < y0) return null();
        return {x0, y0, x1 - x0, y1 - y0};
    }
    bool operator==(const CGRect&) const = default;
};

// A 2-D affine transform: x' = a*x + c*y + tx, y' = b*x + d*y + ty.
struct CGAffineTransform {
    CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static CGAffineTransform identity() { return {}; }
    static CGAffineTransform translation(CGFloat x, CGFloat y) { return {1, 0, 0, 1, x, y}; }
    static CGAffineTransform scale(CGFloat sx, CGFloat sy) { return {sx, 0, 0, sy, 0, 0}; }
    static CGAffineTransform rotation(CGFloat radians) {
        const CGFloat cs = std::cos(radians), sn = std::sin(radians);
        return {cs, sn, -sn, cs, 0, 0};
    }
    // This transform followed by `t`.
    CGAffineTransform concatenating(const CGAffineTransform& t) const {
        return {a * t.a + b * t.c,           a * t.b + b * t.d,           c * t.a + d * t.c,
                c * t.b + d * t.d,           tx * t.a + ty * t.c + t.tx,  tx * t.b + ty * t.d + t.ty};
    }
    CGPoint apply(CGPoint p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    bool isIdentity() const { return *this == CGAffineTransform{}; }
    bool operator==(const CGAffineTransform&) const = default;
};

enum class Axis : std::uint8_t { horizontal, vertical };

// A set of axes (SwiftUI's Axis.Set).
struct AxisSet {
    std::uint8_t bits = 0;
    static constexpr AxisSet horizontal() { return {1}; }
    static constexpr AxisSet vertical() { return {2}; }
    static constexpr AxisSet both() { return {3}; }
    constexpr bool contains(Axis a) const { return bits & (a == Axis::horizontal ? 1 : 2); }
    constexpr AxisSet operator|(AxisSet o) const { return {static_cast<std::uint8_t>(bits | o.bits)}; }
    bool operator==(const AxisSet&) const = default;
};

enum class Edge : std::uint8_t { top, leading, bottom, trailing };

// A set of edges (SwiftUI's Edge.Set).
struct EdgeSet {
    std::uint8_t bits = 0;
    static constexpr EdgeSet top() { return {1}; }
    static constexpr EdgeSet leading() { return {2}; }
    static constexpr EdgeSet bottom() { return {4}; }
    static constexpr EdgeSet trailing() { return {8}; }
    static constexpr EdgeSet horizontal() { return {10}; }
    static constexpr EdgeSet vertical() { return {5}; }
    static constexpr EdgeSet all() { return {15}; }
    constexpr bool contains(Edge e) const { return bits & (1u << static_cast<unsigned>(e)); }
    constexpr EdgeSet operator|(EdgeSet o) const { return {static_cast<std::uint8_t>(bits | o.bits)}; }
    bool operator==(const EdgeSet&) const = default;
};

struct EdgeInsets {
    CGFloat top = 0;
    CGFloat leading = 0;
    CGFloat bottom = 0;
    CGFloat trailing = 0;
    bool operator==(const EdgeInsets&) const = default;
};

// A point in a rectangle's unit square: (0, 0) is top-leading, (1, 1) bottom-trailing.
struct UnitPoint {
    CGFloat x = 0;
    CGFloat y = 0;
    static constexpr UnitPoint zero() { return {0, 0}; }
    static constexpr UnitPoint center() { return {0.5, 0.5}; }
    static constexpr UnitPoint leading() { return {0, 0.5}; }
    static constexpr UnitPoint trailing() { return {1, 0.5}; }
    static constexpr UnitPoint top() { return {0.5, 0}; }
    static constexpr UnitPoint bottom() { return {0.5, 1}; }
    static constexpr UnitPoint topLeading() { return {0, 0}; }
    static constexpr UnitPoint topTrailing() { return {1, 0}; }
    static constexpr UnitPoint bottomLeading() { return {0, 1}; }
    static constexpr UnitPoint bottomTrailing() { return {1, 1}; }
    CGPoint in(const CGRect& r) const { return {r.minX() + x * r.width(), r.minY() + y * r.height()}; }
    bool operator==(const UnitPoint&) const = default;
};

struct Angle {
    CGFloat radians = 0;
    static Angle degrees(CGFloat d) { return {d * 3.14159265358979323846 / 180.0}; }
    bool operator==(const Angle&) const = default;
};

// A size proposed by a parent: each dimension is a number of points (zero and infinity included) or
// unspecified (nullopt), which asks the child for its ideal size along that axis.
struct ProposedViewSize {
    std::optional<CGFloat> width;
    std::optional<CGFloat> height;

    static ProposedViewSize zero() { return {0.0, 0.0}; }
    static ProposedViewSize infinity() { return {glimmo::infinity, glimmo::infinity}; }
    static ProposedViewSize unspecified() { return {}; }
    static ProposedViewSize of(CGSize s) { return {s.width, s.height}; }

    std::optional<CGFloat> along(Axis a) const { return a == Axis::horizontal ? width : height; }
    // Unspecified dimensions become the given size's (10 by 10 in SwiftUI when not given).
    CGSize replacingUnspecifiedDimensions(CGSize by = {10, 10}) const {
        return {width.value_or(by.width), height.value_or(by.height)};
    }
    bool operator==(const ProposedViewSize&) const = default;
};

} // namespace glimmo
