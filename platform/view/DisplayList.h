#pragma once

// The kit's drawing output: a flat list of items in window coordinates (points, y down, origin at the
// top-left corner of the window content), in painting order (later items over earlier ones).
//
// What a painter must do (the Qt backend paints this into a window or a PNG):
// - Colours are already resolved for the colour scheme: sRGB with straight alpha.
// - FillItem: fill `path` (non-zero winding, or even-odd when `evenOdd`) with the paint, antialiased.
//   A gradient paint gives its start and end points in the same coordinates as the path; stops are in
//   order; outside the segment the end colours extend (pad).
// - StrokeItem: stroke `path` with `style` (width, cap, join, miter limit, dash lengths and phase in
//   points) with the paint.
// - TextItem: one laid-out line of text. For each run draw `text` with `font` so that the run's left
//   edge is at x = `origin.x + run.x` and its baseline at y = `origin.y + run.baseline`. Add
//   `run.tracking` points after every character (letter spacing; kerning and tracking attributes are
//   both folded into it); draw with the font's default kerning. When `run.background` is set, first fill the run's
//   box (x, origin.y + line top to bottom: `lineTop`/`lineHeight`) with it. Underline and strikethrough
//   lines are drawn by the painter with the font's own positions and thickness, in `underlineColor` /
//   `strikethroughColor`. Runs whose family is "Material Design Icons" hold symbol glyphs; they are
//   drawn like any other text. Attachment runs (`image` set) draw the image in the box
//   (origin.x + run.x, origin.y + run.baseline - run.imageSize.height, run.imageSize).
//   The measurer that laid the line out (TextMeasurer) must agree with the painter: use the same fonts.
//   A painter may keep what it made of a run (its shaped glyphs) in the run's `painted` slot and draw
//   from it the next time: a slot is made for one run's text and font (see PaintedRunSlot).
// - ImageItem: draw `image` scaled into `rect`, applying `image->orientation` first; smooth scaling
//   unless `interpolation` is none.
// - PushClip / PopClip: intersect the clip with `path` until the matching PopClip (a stack).
// - PushOpacity / PopOpacity: multiply the opacity of everything drawn until the matching PopOpacity
//   (a stack; painting the group into a layer is best, per-item opacity is acceptable).
// - PushTransform / PopTransform: everything until the matching PopTransform is drawn through
//   `transform` concatenated with (applied before) the transform already in effect. Item coordinates
//   are then in the transformed space; with no transform pushed they are window coordinates.
// - BlurItem: a translucent material: fill `path` with `tint` (painters may blur what lies below
//   first; a plain fill is acceptable).
// Push and pop items are always balanced.

#include "platform/view/Color.h"
#include "platform/view/Font.h"
#include "platform/view/Geometry.h"
#include "platform/view/Path.h"
#include "platform/view/PixelImage.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace glimmo {

struct GradientPaint {
    struct Stop {
        RGBA color;
        double location = 0;
    };
    std::vector<Stop> stops;
    CGPoint start;
    CGPoint end;
    bool operator==(const GradientPaint& o) const;
};

using Paint = std::variant<RGBA, GradientPaint>;

struct StrokeStyle {
    enum class LineCap : std::uint8_t { butt, round, square };
    enum class LineJoin : std::uint8_t { miter, round, bevel };
    CGFloat lineWidth = 1;
    LineCap lineCap = LineCap::butt;
    LineJoin lineJoin = LineJoin::miter;
    CGFloat miterLimit = 10;
    std::vector<CGFloat> dash;
    CGFloat dashPhase = 0;
    bool operator==(const StrokeStyle&) const = default;
};

struct FillItem {
    Path path;
    Paint paint;
    bool evenOdd = false;
    bool operator==(const FillItem&) const = default;
};

struct StrokeItem {
    Path path;
    Paint paint;
    StrokeStyle style;
    bool operator==(const StrokeItem&) const = default;
};

// What a painter kept of a text run once it drew it (its shaped glyphs), so that a run is shaped once
// however often it is painted, wherever it moves and on whatever device. The laid-out text and every
// copy of the run in a display list share one slot, made with the run, and what it holds goes with the
// last of them. A slot belongs to the text, font, tracking and decorations of the run it was made with,
// and the painter draws what it holds without asking: whoever makes a run with other ones gives it a new
// slot (a new text, font or width is laid out into new runs). Never compared: equal runs are equal
// whatever a painter kept of them. Painted on the main thread only.
class PaintedRunSlot {
public:
    struct Content {
        virtual ~Content() = default;
    };
    // A slot that runs copied from this one share; a default-made slot keeps nothing.
    static PaintedRunSlot make();
    Content* content() const { return shared_ ? shared_->get() : nullptr; }
    // Whether keeping something here lets later paints of the run reuse it.
    bool canKeep() const { return shared_ != nullptr; }
    void keep(std::unique_ptr<Content> content) const;
    bool operator==(const PaintedRunSlot&) const { return true; }

private:
    std::shared_ptr<std::unique_ptr<Content>> shared_;
};

// One run of a text line.
struct TextRunItem {
    std::string text;           // UTF-8
    ResolvedFont font;
    RGBA color;
    CGFloat x = 0;              // left edge, relative to the line origin
    CGFloat width = 0;          // advance width, tracking included
    CGFloat baseline = 0;       // relative to the line origin (baseline offset included)
    CGFloat tracking = 0;
    std::optional<RGBA> background;
    std::optional<RGBA> underlineColor;
    std::optional<RGBA> strikethroughColor;
    SharedPixels image;         // attachment run: draw this instead of text
    CGSize imageSize;
    PaintedRunSlot painted;
    bool operator==(const TextRunItem&) const = default;
};

struct TextItem {
    CGPoint origin;             // top-left of the line box
    CGFloat lineTop = 0;        // relative to origin: top of the line box (0)
    CGFloat lineHeight = 0;     // height of the line box
    std::vector<TextRunItem> runs;
    bool operator==(const TextItem&) const = default;
};

struct ImageItem {
    SharedPixels image;
    CGRect rect;
    enum class Interpolation : std::uint8_t { none, low, medium, high } interpolation = Interpolation::high;
    // Equal images draw the same pixels, whether or not they share them.
    bool operator==(const ImageItem& o) const;
};

struct PushClip { Path path; bool operator==(const PushClip&) const = default; };
struct PopClip { bool operator==(const PopClip&) const = default; };
struct PushOpacity { double opacity = 1; bool operator==(const PushOpacity&) const = default; };
struct PopOpacity { bool operator==(const PopOpacity&) const = default; };
struct PushTransform { CGAffineTransform transform; bool operator==(const PushTransform&) const = default; };
struct PopTransform { bool operator==(const PopTransform&) const = default; };
struct BlurItem { Path path; RGBA tint; bool operator==(const BlurItem&) const = default; };
// The items up to the matching PopShadow cast a shadow: their coverage in `color`, blurred by `radius`
// points and moved by `offset`, drawn below them.
struct PushShadow {
    RGBA color;
    CGFloat radius = 0;
    CGSize offset;
    bool operator==(const PushShadow&) const = default;
};
struct PopShadow { bool operator==(const PopShadow&) const = default; };

using DisplayItem = std::variant<FillItem, StrokeItem, TextItem, ImageItem, PushClip, PopClip, PushOpacity,
                                 PopOpacity, PushTransform, PopTransform, BlurItem, PushShadow, PopShadow>;

struct DisplayList {
    CGSize size;                 // the window content size the list was built for
    RGBA background{1, 1, 1, 1}; // what to clear to before painting (the window background colour)
    std::vector<DisplayItem> items;
};

} // namespace glimmo
