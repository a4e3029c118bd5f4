#include "platform/qt/DisplayListPainter.h"

#include "platform/qt/QtFontMapping.h"
#include "platform/qt/ShadowImage.h"
#include "platform/qt/ShapedRun.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <memory>
#include <optional>
#include <vector>

namespace glimmo {
namespace {

QColor qtColor(const RGBA& c) {
    return QColor::fromRgbF(static_cast<float>(std::clamp(c.red, 0.0, 1.0)), static_cast<float>(std::clamp(c.green, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.blue, 0.0, 1.0)), static_cast<float>(std::clamp(c.alpha, 0.0, 1.0)));
}

QPointF qtPoint(CGPoint p) { return {p.x, p.y}; }

QPainterPath qtPath(const Path& path, bool evenOdd = false) {
    QPainterPath q;
    for (const auto& e : path.elements()) {
        switch (e.verb) {
        case Path::Verb::move: q.moveTo(qtPoint(e.points[0])); break;
        case Path::Verb::line: q.lineTo(qtPoint(e.points[0])); break;
        case Path::Verb::cubic: q.cubicTo(qtPoint(e.points[0]), qtPoint(e.points[1]), qtPoint(e.points[2])); break;
        case Path::Verb::close: q.closeSubpath(); break;
        }
    }
    q.setFillRule(evenOdd ? Qt::OddEvenFill : Qt::WindingFill);
    return q;
}

QBrush qtBrush(const Paint& paint) {
    if (const auto* color = std::get_if<RGBA>(&paint)) return QBrush(qtColor(*color));
    const auto& gradient = std::get<GradientPaint>(paint);
    QLinearGradient linear(qtPoint(gradient.start), qtPoint(gradient.end));
    linear.setSpread(QGradient::PadSpread);
    for (const auto& stop : gradient.stops) linear.setColorAt(std::clamp(stop.location, 0.0, 1.0), qtColor(stop.color));
    return QBrush(linear);
}

QPen qtPen(const StrokeItem& item) {
    QPen pen(qtBrush(item.paint), item.style.lineWidth);
    switch (item.style.lineCap) {
    case StrokeStyle::LineCap::butt: pen.setCapStyle(Qt::FlatCap); break;
    case StrokeStyle::LineCap::round: pen.setCapStyle(Qt::RoundCap); break;
    case StrokeStyle::LineCap::square: pen.setCapStyle(Qt::SquareCap); break;
    }
    switch (item.style.lineJoin) {
    case StrokeStyle::LineJoin::miter: pen.setJoinStyle(Qt::MiterJoin); break;
    case StrokeStyle::LineJoin::round: pen.setJoinStyle(Qt::RoundJoin); break;
    case StrokeStyle::LineJoin::bevel: pen.setJoinStyle(Qt::BevelJoin); break;
    }
    pen.setMiterLimit(item.style.miterLimit);
    // Qt measures dashes in line widths, the kit in points.
    const double unit = item.style.lineWidth > 0 ? item.style.lineWidth : 1;
    if (!item.style.dash.empty()) {
        QList<qreal> pattern;
        for (const double d : item.style.dash) pattern.append(std::max(d, 0.0) / unit);
        if (pattern.size() % 2 == 1) pattern.append(pattern); // an odd list repeats, as in CoreGraphics
        pen.setDashPattern(pattern);
        pen.setDashOffset(item.style.dashPhase / unit);
    }
    return pen;
}

// The painter's transform that draws an upright image of the source's size into `rect` with the
// source's orientation: mirrored first, then turned about the rectangle's centre.
void orient(QPainter& painter, ImageOrientation orientation, const QRectF& rect) {
    painter.translate(rect.center());
    switch (orientation) {
    case ImageOrientation::up: break;
    case ImageOrientation::down: painter.rotate(180); break;
    case ImageOrientation::left: painter.rotate(-90); break;
    case ImageOrientation::right: painter.rotate(90); break;
    case ImageOrientation::upMirrored: painter.scale(-1, 1); break;
    case ImageOrientation::downMirrored: painter.scale(1, -1); break;
    case ImageOrientation::leftMirrored: painter.rotate(-90); painter.scale(-1, 1); break;
    case ImageOrientation::rightMirrored: painter.rotate(90); painter.scale(-1, 1); break;
    }
}

bool swapsSides(ImageOrientation orientation) {
    return orientation == ImageOrientation::left || orientation == ImageOrientation::right ||
           orientation == ImageOrientation::leftMirrored || orientation == ImageOrientation::rightMirrored;
}

// Drawn straight from the decoded bytes, which the display list keeps alive while it is painted: Qt
// converts only the pixels it samples for the rectangle, so a repaint costs in proportion to the area
// drawn and no converted copy of the image is kept.
void drawImage(QPainter& painter, const SharedPixels& pixels, const QRectF& rect, bool smooth) {
    if (!pixels || !pixels->isValid() || rect.isEmpty()) return;
    const QImage image(pixels->rgba.data(), pixels->width, pixels->height, pixels->width * 4, QImage::Format_RGBA8888);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    orient(painter, pixels->orientation, rect);
    const QSizeF size = swapsSides(pixels->orientation) ? rect.size().transposed() : rect.size();
    painter.drawImage(QRectF(QPointF(-size.width() / 2, -size.height() / 2), size), image);
    painter.restore();
}

// The run's glyphs: shaped when the run is first painted and kept in its slot, so that the run painted
// again (the next frame, scrolled or not, on any device) is not shaped again. A slot is made with its
// run and never outlives the run's text and font, so what it holds is this run's.
const ShapedRun& shapedRun(const TextRunItem& run, std::optional<ShapedRun>& unkept) {
    if (const auto* kept = dynamic_cast<const ShapedRun*>(run.painted.content())) return *kept;
    if (!run.painted.canKeep()) return unkept.emplace(run);
    auto made = std::make_unique<ShapedRun>(run);
    const ShapedRun& shaped = *made;
    run.painted.keep(std::move(made));
    return shaped;
}

void drawText(QPainter& painter, const TextItem& item) {
    for (const auto& run : item.runs) {
        const double left = item.origin.x + run.x;
        const double baseline = item.origin.y + run.baseline;
        if (run.background) {
            painter.fillRect(QRectF(left, item.origin.y + item.lineTop, run.width, item.lineHeight), qtColor(*run.background));
        }
        if (run.image) {
            drawImage(painter, run.image,
                      QRectF(left, baseline - run.imageSize.height, run.imageSize.width, run.imageSize.height), true);
            continue;
        }
        std::optional<ShapedRun> unkept;
        const ShapedRun& shaped = shapedRun(run, unkept);
        painter.setPen(qtColor(run.color));
        shaped.draw(painter, {left, baseline});
        const double scale = shaped.scaledFont().scale;

        if (const auto& lines = shaped.decorations()) {
            const double thickness = std::max(lines->thickness * scale, 0.5);
            if (run.underlineColor) {
                const double y = baseline + lines->underline * scale;
                painter.fillRect(QRectF(left, y - thickness / 2, run.width, thickness), qtColor(*run.underlineColor));
            }
            if (run.strikethroughColor) {
                const double y = baseline - lines->strikeOut * scale;
                painter.fillRect(QRectF(left, y - thickness / 2, run.width, thickness), qtColor(*run.strikethroughColor));
            }
        }
    }
}

// A material blurs what lies below it. That is possible when painting into an image (offscreen, and
// windows, which paint through an image of their own); inside an opacity layer only the layer's own
// content lies below. Elsewhere the material is its tint alone.
void blurBackdrop(QPainter& painter, const QPainterPath& path) {
    QPaintDevice* device = painter.device();
    if (device->devType() != QInternal::Image) return;
    const QImage& target = *static_cast<QImage*>(device);
    constexpr double radiusInPoints = 12;
    const double ratio = target.devicePixelRatio();
    const double margin = radiusInPoints * ratio;
    const QRect area = painter.deviceTransform()
                           .mapRect(path.boundingRect())
                           .adjusted(-margin, -margin, margin, margin)
                           .toAlignedRect()
                           .intersected(target.rect());
    if (area.isEmpty()) return;
    // Shrinking by the radius and growing back with smooth scaling spreads each pixel over the radius.
    const QImage backdrop = target.copy(area);
    const int step = std::max(1, static_cast<int>(radiusInPoints * ratio / 3));
    const QImage small = backdrop.scaled(std::max(1, backdrop.width() / step), std::max(1, backdrop.height() / step),
                                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage blurred = small.scaled(backdrop.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.save();
    painter.setClipPath(path, Qt::IntersectClip);
    painter.resetTransform();
    painter.drawImage(QRectF(area.x() / ratio, area.y() / ratio, area.width() / ratio, area.height() / ratio), blurred);
    painter.restore();
}

// A rectangle as bounds, whichever way its sides run.
QRectF qtBounds(const CGRect& r) { return QRectF(r.minX(), r.minY(), r.width(), r.height()).normalized(); }

// Where a line's glyphs may fall: its runs' boxes, and around them as much as its height or its largest
// font (overhangs, marks, glyphs from a taller fallback font).
QRectF textBounds(const TextItem& item) {
    if (item.runs.empty()) return {};
    double left = item.runs.front().x, right = left, margin = item.lineHeight;
    for (const auto& run : item.runs) {
        left = std::min(left, run.x);
        right = std::max(right, run.x + run.width);
        margin = std::max({margin, run.font.pointSize, run.imageSize.height});
    }
    return QRectF(item.origin.x + left, item.origin.y + item.lineTop, right - left, item.lineHeight)
        .adjusted(-margin, -margin, margin, margin);
}

// Painting state that the display list pushes and pops. Clips and transforms are QPainter save/restore
// levels; an opacity group paints into a layer of its own that is composited with the group's opacity
// when it ends, so overlapping items inside the group do not show through each other.
//
// Only what can show is painted: each level knows the area still visible through the clips pushed so far
// (in the root painter's coordinates, which layers share), an item whose bounds fall outside it is
// skipped, and so is a whole group pushed where nothing is visible. A long text inside a scroll view
// then costs the lines on screen, not all of its lines.
class ListPainter {
public:
    ListPainter(QPainter& root, const QRectF& visible) { stack_.push_back({&root, {}, {}, Kind::root, visible}); }

    void paint(const DisplayList& list) {
        const auto& items = list.items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            // A group pushed where nothing is visible, or a clip that leaves nothing visible (a chat
            // bubble scrolled away), is skipped whole, without looking at what it draws.
            const auto* clip = std::get_if<PushClip>(&items[i]);
            if ((startsGroup(items[i]) && visible().isEmpty()) || (clip && visibleInside(*clip).isEmpty())) {
                i = groupEnd(items, i);
                continue;
            }
            if (const auto* group = std::get_if<PushOpacity>(&items[i]); group && drawsAtMostOnce(items, i + 1)) {
                // Nothing inside can overlap: fading the item itself looks the same as fading a layer.
                pushState();
                p().setOpacity(p().opacity() * std::clamp(group->opacity, 0.0, 1.0));
                continue;
            }
            std::visit([this](const auto& item) { draw(item); }, items[i]);
        }
        while (stack_.size() > 1) pop(); // balanced lists never need this; a broken one must not leak layers
    }

private:
    enum class Kind { root, state, layer };
    struct Level {
        QPainter* painter;
        std::unique_ptr<QImage> layer;
        std::unique_ptr<QPainter> layerPainter;
        Kind kind;
        QRectF visible;
        double opacity = 1;
        // A layer that casts a shadow: in device-independent pixels of the target.
        std::optional<QColor> shadowColor = std::nullopt;
        double shadowRadius = 0;
        QPointF shadowOffset = QPointF();
    };

    static bool startsGroup(const DisplayItem& item) {
        return std::holds_alternative<PushClip>(item) || std::holds_alternative<PushOpacity>(item) ||
               std::holds_alternative<PushTransform>(item) || std::holds_alternative<PushShadow>(item);
    }
    static bool endsGroup(const DisplayItem& item) {
        return std::holds_alternative<PopClip>(item) || std::holds_alternative<PopOpacity>(item) ||
               std::holds_alternative<PopTransform>(item) || std::holds_alternative<PopShadow>(item);
    }
    // The index of the pop that ends the group pushed at `first`.
    static std::size_t groupEnd(const std::vector<DisplayItem>& items, std::size_t first) {
        std::size_t depth = 0;
        for (std::size_t i = first; i < items.size(); ++i) {
            if (startsGroup(items[i])) ++depth;
            else if (endsGroup(items[i]) && --depth == 0) return i;
        }
        return items.size();
    }

    // Whether the opacity group starting at `first` holds a single drawing item (and no nested groups,
    // clips or transforms) before its PopOpacity.
    static bool drawsAtMostOnce(const std::vector<DisplayItem>& items, std::size_t first) {
        int drawings = 0;
        for (std::size_t i = first; i < items.size(); ++i) {
            const DisplayItem& item = items[i];
            if (std::holds_alternative<PopOpacity>(item)) return true;
            const bool drawing = std::holds_alternative<FillItem>(item) || std::holds_alternative<StrokeItem>(item) ||
                                 std::holds_alternative<ImageItem>(item) || std::holds_alternative<BlurItem>(item) ||
                                 (std::holds_alternative<TextItem>(item) && std::get<TextItem>(item).runs.size() <= 1);
            if (!drawing || ++drawings > 1) return false;
        }
        return false;
    }

    QPainter& p() { return *stack_.back().painter; }
    const QRectF& visible() const { return stack_.back().visible; }
    // Whether anything inside `bounds` (in the current item coordinates) can show.
    bool shows(const QRectF& bounds) {
        const QTransform& t = p().worldTransform();
        return (t.isIdentity() ? bounds : t.mapRect(bounds)).intersects(visible());
    }

    void draw(const FillItem& item) {
        if (!shows(qtBounds(item.path.boundingRect()))) return;
        p().fillPath(qtPath(item.path, item.evenOdd), qtBrush(item.paint));
    }
    void draw(const StrokeItem& item) {
        // A width of 0 draws a hairline; a miter reaches out to its limit.
        const double reach = std::max(item.style.lineWidth, 1.0) * std::max(1.0, item.style.miterLimit);
        if (!shows(qtBounds(item.path.boundingRect()).adjusted(-reach, -reach, reach, reach))) return;
        p().strokePath(qtPath(item.path), qtPen(item));
    }
    void draw(const TextItem& item) {
        if (shows(textBounds(item))) drawText(p(), item);
    }
    void draw(const ImageItem& item) {
        if (!shows(qtBounds(item.rect))) return;
        drawImage(p(), item.image, QRectF(item.rect.minX(), item.rect.minY(), item.rect.width(), item.rect.height()),
                  item.interpolation != ImageItem::Interpolation::none);
    }
    void draw(const BlurItem& item) {
        if (!shows(qtBounds(item.path.boundingRect()))) return;
        const QPainterPath path = qtPath(item.path);
        blurBackdrop(p(), path);
        p().fillPath(path, QBrush(qtColor(item.tint)));
    }
    // What stays visible inside a clip pushed now.
    QRectF visibleInside(const PushClip& item) {
        return visible() & p().worldTransform().mapRect(qtBounds(item.path.boundingRect()));
    }
    void draw(const PushClip& item) {
        const QRectF visible = visibleInside(item);
        pushState();
        stack_.back().visible = visible;
        p().setClipPath(qtPath(item.path), Qt::IntersectClip);
    }
    void draw(const PushTransform& item) {
        pushState();
        const auto& t = item.transform;
        p().setWorldTransform(QTransform(t.a, t.b, t.c, t.d, t.tx, t.ty), true);
    }
    void draw(const PushOpacity& item) { pushLayer(item.opacity); }
    void draw(const PushShadow& item) {
        // The offset and the radius are in the coordinates where the shadow was set up; the layer is
        // composited without a transform.
        const QTransform t = p().worldTransform();
        const QPointF offset = t.map(QPointF(item.offset.width, item.offset.height)) - t.map(QPointF(0, 0));
        const double scale = std::sqrt(std::abs(t.determinant()));
        pushLayer(1);
        Level& level = stack_.back();
        level.shadowColor = qtColor(item.color);
        level.shadowRadius = item.radius * scale;
        level.shadowOffset = offset;
    }
    void draw(const PopShadow&) { pop(); }
    void draw(const PopClip&) { pop(); }
    void draw(const PopTransform&) { pop(); }
    void draw(const PopOpacity&) { pop(); }

    void pushState() {
        p().save();
        stack_.push_back({&p(), {}, {}, Kind::state, visible()});
    }

    void pushLayer(double opacity) {
        QPainter& parent = p();
        QPaintDevice* device = parent.device();
        const double ratio = device->devicePixelRatioF();
        // An image device counts in pixels already; a widget counts in device-independent pixels.
        const QSize pixels = device->devType() == QInternal::Image
                                 ? static_cast<QImage*>(device)->size()
                                 : QSize(qCeil(device->width() * ratio), qCeil(device->height() * ratio));
        auto layer = std::make_unique<QImage>(pixels, QImage::Format_ARGB32_Premultiplied);
        layer->setDevicePixelRatio(ratio);
        layer->setDotsPerMeterX(qRound(device->logicalDpiX() / 0.0254));
        layer->setDotsPerMeterY(qRound(device->logicalDpiY() / 0.0254));
        layer->fill(Qt::transparent);
        auto painter = std::make_unique<QPainter>(layer.get());
        painter->setRenderHints(parent.renderHints());
        painter->setWorldTransform(parent.worldTransform());
        if (parent.hasClipping()) painter->setClipPath(parent.clipPath());
        QPainter* raw = painter.get();
        stack_.push_back({raw, std::move(layer), std::move(painter), Kind::layer, visible(), std::clamp(opacity, 0.0, 1.0)});
    }

    void pop() {
        if (stack_.size() <= 1) return;
        Level level = std::move(stack_.back());
        stack_.pop_back();
        if (level.kind == Kind::state) {
            p().restore();
            return;
        }
        level.layerPainter->end();
        QPainter& parent = p();
        parent.save();
        parent.resetTransform();
        parent.setOpacity(parent.opacity() * level.opacity);
        if (level.shadowColor) {
            const QImage shadow = shadowImage(*level.layer, *level.shadowColor, level.shadowRadius * level.layer->devicePixelRatio());
            parent.drawImage(level.shadowOffset, shadow);
        }
        parent.drawImage(QPointF(0, 0), *level.layer);
        parent.restore();
    }

    std::vector<Level> stack_;
};

} // namespace

void paintDisplayList(const DisplayList& list, QPainter& painter) {
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRectF(0, 0, list.size.width, list.size.height), qtColor(list.background));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QRectF visible(0, 0, list.size.width, list.size.height);
    if (painter.hasClipping()) visible &= painter.worldTransform().mapRect(painter.clipBoundingRect());
    ListPainter(painter, visible).paint(list);
    painter.restore();
}

} // namespace glimmo
