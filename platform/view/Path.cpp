#include "platform/view/Path.h"

#include <algorithm>
#include <cmath>

namespace glimmo {
namespace {

constexpr CGFloat kappa = 0.5522847498307936; // cubic approximation of a quarter circle

void flatten(const std::vector<Path::Element>& elements, std::vector<std::vector<CGPoint>>& polygons) {
    CGPoint current;
    for (const auto& e : elements) {
        switch (e.verb) {
        case Path::Verb::move:
            polygons.push_back({e.points[0]});
            current = e.points[0];
            break;
        case Path::Verb::line:
            if (polygons.empty()) polygons.push_back({current});
            polygons.back().push_back(e.points[0]);
            current = e.points[0];
            break;
        case Path::Verb::cubic: {
            if (polygons.empty()) polygons.push_back({current});
            const CGPoint p0 = current;
            for (int i = 1; i <= 16; ++i) {
                const CGFloat t = i / 16.0, u = 1 - t;
                const CGFloat x = u * u * u * p0.x + 3 * u * u * t * e.points[0].x + 3 * u * t * t * e.points[1].x +
                                  t * t * t * e.points[2].x;
                const CGFloat y = u * u * u * p0.y + 3 * u * u * t * e.points[0].y + 3 * u * t * t * e.points[1].y +
                                  t * t * t * e.points[2].y;
                polygons.back().push_back({x, y});
            }
            current = e.points[2];
            break;
        }
        case Path::Verb::close:
            if (!polygons.empty() && !polygons.back().empty()) current = polygons.back().front();
            break;
        }
    }
}

} // namespace

Path Path::rect(const CGRect& r) {
    Path p;
    p.move({r.minX(), r.minY()});
    p.addLine({r.maxX(), r.minY()});
    p.addLine({r.maxX(), r.maxY()});
    p.addLine({r.minX(), r.maxY()});
    p.closeSubpath();
    return p;
}

Path Path::roundedRect(const CGRect& r, CGFloat radius, RoundedCornerStyle style) {
    radius = std::clamp(radius, 0.0, std::min(r.width(), r.height()) / 2);
    if (radius <= 0) return rect(r);
    // The continuous style starts its curve a little earlier and bends more gently, as the original
    // platform's squircle corners do.
    const CGFloat reach = style == RoundedCornerStyle::continuous ? std::min(radius * 1.28, std::min(r.width(), r.height()) / 2) : radius;
    const CGFloat k = style == RoundedCornerStyle::continuous ? 0.64 : kappa;
    Path p;
    p.move({r.minX() + reach, r.minY()});
    p.addLine({r.maxX() - reach, r.minY()});
    p.addCurve({r.maxX(), r.minY() + reach}, {r.maxX() - reach * (1 - k), r.minY()}, {r.maxX(), r.minY() + reach * (1 - k)});
    p.addLine({r.maxX(), r.maxY() - reach});
    p.addCurve({r.maxX() - reach, r.maxY()}, {r.maxX(), r.maxY() - reach * (1 - k)}, {r.maxX() - reach * (1 - k), r.maxY()});
    p.addLine({r.minX() + reach, r.maxY()});
    p.addCurve({r.minX(), r.maxY() - reach}, {r.minX() + reach * (1 - k), r.maxY()}, {r.minX(), r.maxY() - reach * (1 - k)});
    p.addLine({r.minX(), r.minY() + reach});
    p.addCurve({r.minX() + reach, r.minY()}, {r.minX(), r.minY() + reach * (1 - k)}, {r.minX() + reach * (1 - k), r.minY()});
    p.closeSubpath();
    return p;
}

Path Path::ellipse(const CGRect& r) {
    const CGFloat rx = r.width() / 2, ry = r.height() / 2, cx = r.midX(), cy = r.midY();
    const CGFloat ox = rx * kappa, oy = ry * kappa;
    Path p;
    p.move({cx + rx, cy});
    p.addCurve({cx, cy + ry}, {cx + rx, cy + oy}, {cx + ox, cy + ry});
    p.addCurve({cx - rx, cy}, {cx - ox, cy + ry}, {cx - rx, cy + oy});
    p.addCurve({cx, cy - ry}, {cx - rx, cy - oy}, {cx - ox, cy - ry});
    p.addCurve({cx + rx, cy}, {cx + ox, cy - ry}, {cx + rx, cy - oy});
    p.closeSubpath();
    return p;
}

Path Path::capsule(const CGRect& r) {
    return roundedRect(r, std::min(r.width(), r.height()) / 2, RoundedCornerStyle::circular);
}

void Path::move(CGPoint to) { elements_.push_back({Verb::move, {to, {}, {}}}); }
void Path::addLine(CGPoint to) { elements_.push_back({Verb::line, {to, {}, {}}}); }

void Path::addQuadCurve(CGPoint to, CGPoint control) {
    CGPoint from{};
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
        if (it->verb == Verb::move || it->verb == Verb::line) { from = it->points[0]; break; }
        if (it->verb == Verb::cubic) { from = it->points[2]; break; }
    }
    const CGPoint c1{from.x + 2.0 / 3.0 * (control.x - from.x), from.y + 2.0 / 3.0 * (control.y - from.y)};
    const CGPoint c2{to.x + 2.0 / 3.0 * (control.x - to.x), to.y + 2.0 / 3.0 * (control.y - to.y)};
    addCurve(to, c1, c2);
}

void Path::addCurve(CGPoint to, CGPoint c1, CGPoint c2) { elements_.push_back({Verb::cubic, {c1, c2, to}}); }

void Path::addArc(CGPoint center, CGFloat radius, CGFloat start, CGFloat end, bool clockwise) {
    // In y-down coordinates increasing angles turn clockwise on screen; `clockwise` follows SwiftUI,
    // whose flag is inverted for the flipped space.
    CGFloat sweep = end - start;
    const CGFloat twoPi = 2 * 3.14159265358979323846;
    if (!clockwise) {
        while (sweep < 0) sweep += twoPi;
    } else {
        while (sweep > 0) sweep -= twoPi;
    }
    const int segments = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (twoPi / 4))));
    const CGFloat step = sweep / segments;
    CGPoint first{center.x + radius * std::cos(start), center.y + radius * std::sin(start)};
    if (elements_.empty()) move(first); else addLine(first);
    for (int i = 0; i < segments; ++i) {
        const CGFloat a0 = start + i * step, a1 = a0 + step;
        const CGFloat h = 4.0 / 3.0 * std::tan((a1 - a0) / 4);
        const CGPoint p0{center.x + radius * std::cos(a0), center.y + radius * std::sin(a0)};
        const CGPoint p3{center.x + radius * std::cos(a1), center.y + radius * std::sin(a1)};
        const CGPoint c1{p0.x - h * radius * std::sin(a0), p0.y + h * radius * std::cos(a0)};
        const CGPoint c2{p3.x + h * radius * std::sin(a1), p3.y - h * radius * std::cos(a1)};
        addCurve(p3, c1, c2);
    }
}

void Path::closeSubpath() { elements_.push_back({Verb::close, {}}); }

void Path::addPath(const Path& other) { elements_.insert(elements_.end(), other.elements_.begin(), other.elements_.end()); }

CGRect Path::boundingRect() const {
    CGRect r = CGRect::null();
    for (const auto& e : elements_) {
        const int n = e.verb == Verb::cubic ? 3 : (e.verb == Verb::close ? 0 : 1);
        for (int i = 0; i < n; ++i) r = r.unionWith(CGRect(e.points[i], {0, 0}));
    }
    return r;
}

bool Path::contains(CGPoint p) const {
    std::vector<std::vector<CGPoint>> polygons;
    flatten(elements_, polygons);
    int winding = 0;
    for (const auto& poly : polygons) {
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const CGPoint a = poly[i], b = poly[(i + 1) % poly.size()];
            if (a.y <= p.y) {
                if (b.y > p.y && (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y) > 0) ++winding;
            } else if (b.y <= p.y && (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y) < 0) {
                --winding;
            }
        }
    }
    return winding != 0;
}

Path Path::applying(const CGAffineTransform& t) const {
    Path out = *this;
    for (auto& e : out.elements_) {
        for (auto& pt : e.points) pt = t.apply(pt);
    }
    return out;
}

bool Path::operator==(const Path& o) const {
    if (elements_.size() != o.elements_.size()) return false;
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const auto& a = elements_[i];
        const auto& b = o.elements_[i];
        if (a.verb != b.verb || !(a.points[0] == b.points[0]) || !(a.points[1] == b.points[1]) || !(a.points[2] == b.points[2]))
            return false;
    }
    return true;
}

} // namespace glimmo
