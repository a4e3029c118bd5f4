#include "platform/qt/DisplayListPainter.h"

#include "platform/qt/QtFontMapping.h"
#include "platform/qt/ShadowImage.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTextBoundaryFinder>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <memory>
#include <optional>
#include <string>
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

// Letter spacing, drawn one character (grapheme cluster) at a time: QFont's absolute letter spacing
// is ignored by the text engine of the Qt version we build on. Each character starts where the text
// before it ends (kerning included) plus the tracking of the characters before it, as the kit measured.
// Returns the advance drawn, tracking included.
double drawTracked(QPainter& painter, const QFontMetricsF& metrics, const QString& text, QPointF origin, double tracking) {
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    int index = 0;
    while (start < text.size()) {
        qsizetype end = clusters.toNextBoundary();
        if (end < 0 || end <= start) end = text.size();
        const double x = metrics.horizontalAdvance(text.left(start)) + index * tracking;
        painter.drawText(origin + QPointF(x, 0), text.mid(start, end - start));
        start = end;
        ++index;
    }
    return metrics.horizontalAdvance(text) + index * tracking;
}

// The text of a run at the painter's origin (on the baseline), with letter spacing and tabular digits
// placed exactly where the measurer counted them.
void drawRunText(QPainter& painter, const QString& text, double tracking, bool tabularDigits) {
    const bool tabular = tabularDigits && containsDigit(text);
    if (tracking == 0 && !tabular) {
        painter.drawText(QPointF(0, 0), text);
        return;
    }
    const QFontMetricsF metrics(painter.font(), painter.device());
    if (!tabular) {
        drawTracked(painter, metrics, text, {0, 0}, tracking);
        return;
    }
    const double cell = widestDigitAdvance(metrics);
    double x = 0;
    for (const auto& segment : digitSegments(text)) {
        if (!segment.digits) {
            x += drawTracked(painter, metrics, segment.text, {x, 0}, tracking);
            continue;
        }
        for (const QChar digit : segment.text) {
            painter.drawText(QPointF(x + (cell - metrics.horizontalAdvance(digit)) / 2, 0), QString(digit));
            x += cell + tracking;
        }
    }
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
        const ScaledQFont scaled = qtFont(run.font, *painter.device());
        const QFont& font = scaled.font;
        painter.save();
        painter.translate(left, baseline);
        painter.scale(scaled.scale, scaled.scale);
        painter.setFont(font);
        painter.setPen(qtColor(run.color));
        drawRunText(painter, textForFont(QString::fromStdString(run.text), run.font), run.tracking / scaled.scale,
                    run.font.monospacedDigits);
        painter.restore();

        if (run.underlineColor || run.strikethroughColor) {
            const QFontMetricsF metrics(font, painter.device());
            const double thickness = std::max(metrics.lineWidth() * scaled.scale, 0.5);
            if (run.underlineColor) {
                const double y = baseline + metrics.underlinePos() * scaled.scale;
                painter.fillRect(QRectF(left, y - thickness / 2, run.width, thickness), qtColor(*run.underlineColor));
            }
            if (run.strikethroughColor) {
                const double y = baseline - metrics.strikeOutPos() * scaled.scale;
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

// Painting state that the display list pushes and pops. Clips and transforms are QPainter save/restore
// levels; an opacity group paints into a layer of its own that is composited with the group's opacity
// when it ends, so overlapping items inside the group do not show through each other.
class ListPainter {
public:
    explicit ListPainter(QPainter& root) { stack_.push_back({&root, {}, {}, Kind::root}); }

    void paint(const DisplayList& list) {
        const auto& items = list.items;
        for (std::size_t i = 0; i < items.size(); ++i) {
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
        double opacity = 1;
        // A layer that casts a shadow: in device-independent pixels of the target.
        std::optional<QColor> shadowColor = std::nullopt;
        double shadowRadius = 0;
        QPointF shadowOffset = QPointF();
    };

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

    void draw(const FillItem& item) {
        p().fillPath(qtPath(item.path, item.evenOdd), qtBrush(item.paint));
    }
    void draw(const StrokeItem& item) { p().strokePath(qtPath(item.path), qtPen(item)); }
    void draw(const TextItem& item) { drawText(p(), item); }
    void draw(const ImageItem& item) {
        drawImage(p(), item.image, QRectF(item.rect.minX(), item.rect.minY(), item.rect.width(), item.rect.height()),
                  item.interpolation != ImageItem::Interpolation::none);
    }
    void draw(const BlurItem& item) {
        const QPainterPath path = qtPath(item.path);
        blurBackdrop(p(), path);
        p().fillPath(path, QBrush(qtColor(item.tint)));
    }
    void draw(const PushClip& item) {
        pushState();
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
        stack_.push_back({&p(), {}, {}, Kind::state});
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
        stack_.push_back({raw, std::move(layer), std::move(painter), Kind::layer, std::clamp(opacity, 0.0, 1.0)});
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
    ListPainter(painter).paint(list);
    painter.restore();
}

} // namespace glimmo
