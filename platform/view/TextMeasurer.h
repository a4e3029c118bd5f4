#pragma once

// Font measuring behind an interface. The kit lays text out itself (line breaking, line limits,
// truncation, alignment, baselines) from two questions it asks the measurer, so that the application
// (Qt fonts) and the layout tests (fixed advances) run the same layout code:
//
// - metrics(font): ascent and descent (positive, in points, from the baseline), and leading (extra gap
//   the font asks for between lines, usually 0). A line's height is ascent + descent + leading; its
//   baseline is `ascent` below its top (the largest ascent of the runs on the line).
// - advance(text, font): the advance width in points of the UTF-8 `text` shaped as one piece in `font`,
//   without letter spacing (the kit adds tracking itself, per character). It is asked for words and
//   spaces; the painter draws each piece at the position the kit computed, so the two must use the same
//   font for the same ResolvedFont.
//
// What the kit does with them (the contract the painter relies on):
// - Lines break where the Unicode line breaking rules allow (after spaces and hyphens, between
//   ideographs, not before closing punctuation); a word longer than the width is broken between
//   characters; "\n" (and the other line separators) always breaks. Spaces at the end of a line take
//   no width.
// - With a line limit, text beyond the last allowed line is cut and an ellipsis "…" marks the cut: at
//   the end of the last line shown (tail), or, for head and middle truncation, at the start or in the
//   middle of the last line shown holding everything from its start to the end of the text (so one line
//   with head truncation shows the end of the text). A height proposal also limits the lines (at least
//   one).
// - Lines are aligned inside the text's width (leading, centre, trailing); `lineSpacing` is added
//   between lines. The first baseline is the first line's ascent; the last baseline is measured from
//   the top as well.
// - Qt implementation: QFont from ResolvedFont (family, pixel size = pointSize, weight, italic, stretch,
//   capitalization), QFontMetricsF for ascent/descent/leading and horizontalAdvance.

#include "platform/view/Font.h"

#include <memory>
#include <string_view>

namespace glimmo {

struct FontMetrics {
    double ascent = 0;
    double descent = 0;
    double leading = 0;
    bool operator==(const FontMetrics&) const = default;
};

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual FontMetrics metrics(const ResolvedFont& font) const = 0;
    virtual double advance(std::string_view utf8, const ResolvedFont& font) const = 0;
};

// A line of body text as `measurer` lays it out: the line a wheel notch counts in, and a scroll view's
// arrow keys move by.
double bodyLineHeight(const TextMeasurer& measurer);

// The deterministic measurer of layout tests and benchmarks: every character (code point) advances
// `advanceFactor` x point size (symbol glyphs and all), ascent is 0.8 x size, descent 0.2 x size,
// leading 0. With the default factor of 0.5, "Hello" in a 10-point font is 25 x 10 points.
class FixedAdvanceTextMeasurer final : public TextMeasurer {
public:
    explicit FixedAdvanceTextMeasurer(double advanceFactor = 0.5) : factor_(advanceFactor) {}
    FontMetrics metrics(const ResolvedFont& font) const override;
    double advance(std::string_view utf8, const ResolvedFont& font) const override;

private:
    double factor_;
};

} // namespace glimmo
