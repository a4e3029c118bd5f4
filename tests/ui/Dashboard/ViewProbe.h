#pragma once

// What a view shows under the kit's host with the deterministic measurer, and its offscreen rendering
// for the gallery.

#include "platform/view/DisplayList.h"
#include "platform/view/PixelImage.h"
#include "platform/view/ViewKit.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {
class ViewHost;
}

namespace glimmo::testing {

// One text run as drawn; `opacity` is that of the groups around it (the colour keeps its own alpha).
struct ShownText {
    std::string text;
    double opacity = 1;
    RGBA color;
    ResolvedFont font;
    CGRect frame;
};

std::vector<ShownText> shownTexts(const DisplayList& list);
// The first run whose text is `text`; nullopt when none is drawn.
std::optional<ShownText> findText(const DisplayList& list, const std::string& text);
// The UTF-8 of a symbol image's glyph.
std::string symbolGlyph(const std::string& systemName);
// Fills whose paint is a plain colour, with the opacity of the groups around them.
struct ShownFill {
    CGRect bounds;
    RGBA color;
    double opacity = 1;
};
std::vector<ShownFill> shownFills(const DisplayList& list);

// A view under test in a host of the given size, with the deterministic measurer.
class HostedView {
public:
    HostedView(AnyView root, CGSize size);
    ~HostedView();
    HostedView(const HostedView&) = delete;
    HostedView& operator=(const HostedView&) = delete;
    ViewHost& host() { return *host_; }
    const DisplayList& displayList();
    bool shows(const std::string& text);
    // True when the drawn runs, read in order with single spaces between words, contain `text`
    // (for texts that wrap over several lines).
    bool showsWrapped(const std::string& text);
    std::optional<ShownText> text(const std::string& text);
    void click(CGPoint point);
    void clickText(const std::string& text);
    void hover(CGPoint point);
    std::optional<std::string> tooltipAt(CGPoint point);
    // View bodies evaluated since the host was made.
    std::size_t bodyEvaluations();

private:
    std::unique_ptr<ViewHost> host_;
};

// Renders the view through the real Qt painter, checks it against docs/ui-gallery/dashboard-<name>.png
// (see GalleryReference.h) and returns the image (2 pixels per point). `settle` runs the main loop between the first layout
// and the drawing, so appearance tasks have run; `interact` may click or hover before the drawing.
PixelImage renderToGallery(const AnyView& view, CGFloat width, const std::string& name, const std::function<void()>& settle,
                           std::optional<CGFloat> height = std::nullopt,
                           const std::function<void(ViewHost&)>& interact = {});

} // namespace glimmo::testing
