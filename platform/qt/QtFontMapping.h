#pragma once

// Internal to the Qt backend: the one place where a kit font becomes a QFont, so the text measurer and
// the painter always agree.

#include "platform/view/Font.h"

#include <QFont>
#include <QString>

#include <vector>

class QFontMetricsF;
class QPaintDevice;

namespace glimmo {

// A QFont and the scale to draw and measure it at. Qt rounds a font's pixel size to whole pixels, so a
// fractional kit size (13.5 points, or a size shrunk to fit) uses the font at the nearest whole size,
// scaled by `scale`. Hinting is off, so advances scale linearly and this is exact.
struct ScaledQFont {
    QFont font;
    double scale = 1;
};

// The font for `font` on a device of `logicalDpi`: its size in device-independent pixels is the kit's
// point size (kit points are device-independent pixels). Kerning is on.
ScaledQFont qtFont(const ResolvedFont& font, int logicalDpi);
ScaledQFont qtFont(const ResolvedFont& font, const QPaintDevice& device);

// The characters to shape for `text` in `font`. All small capitals (Font.smallCaps) are the lowercase
// text in Qt's small-caps mode, which turns lowercase letters into small capitals.
QString textForFont(const QString& text, const ResolvedFont& font);

// Monospaced digits. The Qt version we build on cannot switch on a font's tabular figures, so with
// ResolvedFont::monospacedDigits every digit 0-9 takes the advance of the widest digit and is drawn
// centred in it; the text between digits is measured and drawn as usual. Measurer and painter both
// split text with `digitSegments`.
struct TextSegment {
    QString text;
    bool digits = false; // a run of digits 0-9
};
std::vector<TextSegment> digitSegments(const QString& text);
bool containsDigit(const QString& text);
double widestDigitAdvance(const QFontMetricsF& metrics);
// The advance of `text` with tabular digits (no letter spacing).
double tabularAdvance(const QString& text, const QFontMetricsF& metrics);

// The device the measurer measures on: 72 dots per inch, so a QFont's point size is its pixel size.
const QPaintDevice& measuringDevice();

} // namespace glimmo
