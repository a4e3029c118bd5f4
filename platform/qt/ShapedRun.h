#pragma once

// Internal to the Qt backend: a text run shaped into glyphs once, drawn as often as the run is painted.
// Shaping (HarfBuzz, through QTextLayout) is most of what drawing text costs; the glyphs it gives are
// drawn where QPainter::drawText would draw them.

#include "platform/qt/QtFontMapping.h"
#include "platform/view/DisplayList.h"

#include <QGlyphRun>
#include <QPointF>

#include <optional>
#include <vector>

class QPainter;
class QPaintDevice;

namespace glimmo {

class ShapedRun final : public PaintedRunSlot::Content {
public:
    // The run's text in its font, with letter spacing and tabular digits placed where the measurer
    // counted them. Shaped on the measurer's device: a kit font is a QFont of the same pixel size on a
    // device of any resolution, so the glyphs draw the same on every device.
    explicit ShapedRun(const TextRunItem& run);

    // The QFont the glyphs come from, drawn scaled by `scaledFont().scale`.
    const ScaledQFont& scaledFont() const { return font_; }
    // The glyphs with their baseline's start at `start`, placed to the pixel as QPainter::drawText places
    // the run's text at that point (its x truncated toward zero to 1/64 of a point, as drawText does).
    void draw(QPainter& painter, QPointF start) const;

    // For an underlined or struck-through run, the font's decoration lines, in the unscaled font's units
    // below (underline) and above (strikethrough) the baseline, and their thickness.
    struct Decorations {
        double underline = 0;
        double strikeOut = 0;
        double thickness = 0;
    };
    const std::optional<Decorations>& decorations() const { return decorations_; }

private:
    struct Piece {
        QPointF origin;
        QGlyphRun glyphs;
    };
    void addShaped(const QString& text, QPointF at, const QPaintDevice& device);
    double addTracked(const QString& text, double x, double tracking, const QPaintDevice& device);

    ScaledQFont font_;
    std::vector<Piece> pieces_;
    std::optional<Decorations> decorations_;
};

} // namespace glimmo
