#pragma once

// Line layout of styled text with a TextMeasurer (the rules are in TextMeasurer.h). Used by Text and
// available to code that measures text itself.

#include "platform/foundation/URL.h"
#include "platform/view/DisplayList.h"
#include "platform/view/Environment.h"
#include "platform/view/TextMeasurer.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

// A piece of text with everything needed to measure and draw it.
struct StyledSpan {
    std::string text;
    ResolvedFont font;
    RGBA color;
    CGFloat tracking = 0;        // kerning and tracking together, points after each character
    CGFloat baselineOffset = 0;  // positive raises the text
    std::optional<RGBA> background;
    std::optional<RGBA> underline;
    std::optional<RGBA> strikethrough;
    std::shared_ptr<const URL> link; // shared: few spans have one, and an address is large
    SharedPixels image;          // an inline image; `text` is then U+FFFC
    CGSize imageSize;
};

struct TextLayoutOptions {
    std::optional<CGFloat> width;   // wrap width; unspecified or infinite: no wrapping
    std::optional<CGFloat> height;  // limits the number of lines (at least one)
    std::optional<int> lineLimit;
    TruncationMode truncation = TruncationMode::tail;
    TextAlignment alignment = TextAlignment::leading;
    CGFloat lineSpacing = 0;
};

struct LaidOutLine {
    TextItem item;               // origin relative to the text's top-left corner
    CGFloat width = 0;
    CGFloat baseline = 0;        // from the text's top
    std::vector<std::size_t> runSpans; // the span each run of `item` came from
    bool endsWithNewline = false;      // the text broke here at a "\n" (not a wrap)
    bool operator==(const LaidOutLine&) const = default;
};

struct LaidOutText {
    CGSize size;
    std::vector<LaidOutLine> lines;
    CGFloat firstBaseline = 0;
    CGFloat lastBaseline = 0;
    bool truncated = false;      // lines were dropped or cut
    bool operator==(const LaidOutText&) const = default;
};

LaidOutText layoutText(const std::vector<StyledSpan>& spans, const TextLayoutOptions& options, const TextMeasurer& measurer);

// What a layout's parent reads of it: its size and baselines, as laidOut.size, firstBaseline,
// lastBaseline and truncated would give them.
struct TextExtent {
    CGSize size;
    CGFloat firstBaseline = 0;
    CGFloat lastBaseline = 0;
    bool truncated = false;
    bool operator==(const TextExtent&) const = default;
};

// The same in steps, for text laid out for many proposals: measured once (words and spaces), broken into
// lines once per width, then laid out for a height and line limit from those lines (`options.width` is
// the width the lines were broken at).
struct MeasuredText;
struct TextLines;
std::shared_ptr<const MeasuredText> measureText(const std::vector<StyledSpan>& spans, const TextMeasurer& measurer);
std::shared_ptr<const TextLines> breakText(const MeasuredText& text, const std::vector<StyledSpan>& spans, std::optional<CGFloat> width,
                                           const TextMeasurer& measurer);
LaidOutText layoutText(const TextLines& lines, const std::vector<StyledSpan>& spans, const TextLayoutOptions& options,
                       const TextMeasurer& measurer);
// The extent of that layout without making its lines' items: what measuring text for a proposal costs,
// however many lines it breaks into (a narrow proposal breaks a long text into thousands).
TextExtent measureLayout(const TextLines& lines, const std::vector<StyledSpan>& spans, const TextLayoutOptions& options,
                         const TextMeasurer& measurer);

} // namespace glimmo
