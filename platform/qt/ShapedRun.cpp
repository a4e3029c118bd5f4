#include "platform/qt/ShapedRun.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>

namespace glimmo {

ShapedRun::ShapedRun(const TextRunItem& run) : font_(qtFont(run.font, measuringDevice())) {
    const QPaintDevice& device = measuringDevice();
    const QString text = textForFont(QString::fromStdString(run.text), run.font);
    const double tracking = run.tracking / font_.scale;
    const bool tabular = run.font.monospacedDigits && containsDigit(text);
    if (run.underlineColor || run.strikethroughColor) {
        const QFontMetricsF metrics(font_.font, &device);
        decorations_ = Decorations{metrics.underlinePos(), metrics.strikeOutPos(), metrics.lineWidth()};
    }
    if (tracking == 0 && !tabular) {
        addShaped(text, {0, 0}, device);
        return;
    }
    const QFontMetricsF metrics(font_.font, &device);
    if (!tabular) {
        addTracked(text, 0, tracking, device);
        return;
    }
    // Every digit takes the widest digit's advance, centred in it.
    const double cell = widestDigitAdvance(metrics);
    double x = 0;
    for (const auto& segment : digitSegments(text)) {
        if (!segment.digits) {
            x += addTracked(segment.text, x, tracking, device);
            continue;
        }
        for (const QChar digit : segment.text) {
            addShaped(QString(digit), {x + (cell - metrics.horizontalAdvance(digit)) / 2, 0}, device);
            x += cell + tracking;
        }
    }
}

void ShapedRun::draw(QPainter& painter, QPointF start) const {
    // drawText truncates its point's x toward zero to the font engine's fixed point, 1/64 of the
    // painter's unit (a point, before the device's scale), and places the glyphs from there: a glyph
    // between two of Qt's subpixel positions lands where it does only from that x. Its y is kept.
    start.rx() = std::trunc(start.x() * 64) / 64;
    if (font_.scale == 1) {
        for (const Piece& piece : pieces_) painter.drawGlyphRun(start + piece.origin, piece.glyphs);
        return;
    }
    painter.save();
    painter.translate(start);
    painter.scale(font_.scale, font_.scale);
    for (const Piece& piece : pieces_) painter.drawGlyphRun(piece.origin, piece.glyphs);
    painter.restore();
}

// Shaped as one piece, as QPainter::drawText shapes a string: on one line from its left edge at `at`'s
// x, its baseline at `at`'s y, in the direction its first strong character gives it.
void ShapedRun::addShaped(const QString& text, QPointF at, const QPaintDevice& device) {
    QTextLayout layout(text, font_.font, &device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(Qt::LayoutDirectionAuto);
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) return;
    line.setLineWidth(1e5);
    layout.endLayout();
    // Glyphs on the baseline (y 0): drawn from the run's baseline itself, not from the line's top plus
    // its ascent, which can come out a hair from the baseline and round to the next pixel.
    for (QGlyphRun glyphs : layout.glyphRuns()) {
        QList<QPointF> positions = glyphs.positions();
        for (QPointF& position : positions) position.ry() -= line.ascent();
        glyphs.setPositions(positions);
        pieces_.push_back({at, std::move(glyphs)});
    }
}

// Letter spacing, one character (grapheme cluster) at a time: QFont's absolute letter spacing is
// ignored by the text engine of the Qt version we build on. Each character starts where the text
// before it ends (kerning included) plus the tracking of the characters before it, as the kit measured.
// Returns the advance, tracking included.
double ShapedRun::addTracked(const QString& text, double x, double tracking, const QPaintDevice& device) {
    const QFontMetricsF metrics(font_.font, &device);
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    int index = 0;
    while (start < text.size()) {
        qsizetype end = clusters.toNextBoundary();
        if (end < 0 || end <= start) end = text.size();
        addShaped(text.mid(start, end - start), {x + metrics.horizontalAdvance(text.left(start)) + index * tracking, 0}, device);
        start = end;
        ++index;
    }
    return metrics.horizontalAdvance(text) + index * tracking;
}

} // namespace glimmo
