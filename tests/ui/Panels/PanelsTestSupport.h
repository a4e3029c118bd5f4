#pragma once

// What the panel tests need around the analysis world: a host for a view with the deterministic
// measurer, the texts a display list shows with their window positions, and offscreen screenshots
// through the Qt painter checked against docs/ui-gallery/.

#include "platform/view/DisplayList.h"
#include "platform/view/ViewKit.h"
#include "platform/runtime/ManualRunLoop.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace glimmo::testing {

// One line of text as drawn: its runs joined, the line box's top-left in window coordinates and the
// first run's colour and font.
struct ShownText {
    std::string text;
    CGPoint origin;
    RGBA color;
    ResolvedFont font;
};

std::vector<ShownText> shownTexts(const DisplayList& list);
// The first drawn line that contains `part`.
std::optional<ShownText> findText(const DisplayList& list, const std::string& part);
bool shows(const DisplayList& list, const std::string& part);

// The fill colours drawn inside `rect` (window coordinates, by the fill's path bounds).
std::vector<RGBA> fillColorsInside(const DisplayList& list, const CGRect& rect);

// The bounds of every clip pushed, in window coordinates and drawing order (a scroll view clips to
// its visible area).
std::vector<CGRect> clipRects(const DisplayList& list);
// The bounds, in window coordinates, of the solid fills that contain `point`, innermost (last drawn) last.
std::vector<CGRect> fillRectsAt(const DisplayList& list, CGPoint point);

// The offscreen Qt application of the tests (made on first use; it makes its own loop the main one).
void ensureOffscreenQt();

// Renders `root` at `size` through the Qt backend (with Qt's text measurer) at 2x and checks it
// against docs/ui-gallery/<name>.png (see GalleryReference.h). Keeps `loop` the main run loop. Draws
// once the scene has settled (no request or other outside work in flight, nothing posted, no update
// pending) and, when `ready` is given, it says the drawing is complete (waiting at most 20 s).
void expectGalleryShot(const AnyView& root, CGSize size, const std::string& name,
                             const std::shared_ptr<ManualRunLoop>& loop,
                             const std::function<bool(const DisplayList&)>& ready = {});

} // namespace glimmo::testing
