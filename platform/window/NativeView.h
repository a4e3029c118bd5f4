#pragma once

// A view of the window layer: a rectangle inside its superview that holds subviews, kit content or
// drawing of its own. Frames are in the superview's coordinates (points, y down). The superview keeps
// its subviews alive; a view pinned to its superview follows the superview's bounds, inset by fixed
// margins (what edge constraints did in the original toolkit).

#include "platform/view/DisplayList.h"
#include "platform/view/Geometry.h"

#include <functional>
#include <memory>
#include <vector>

namespace glimmo {

class AnyView;
class ViewHost;
class Window;

class NativeView;

// One edge constraint between a view and its superview: the view's edge lies `constant` inside the
// superview's same edge.
struct LayoutConstraint {
    enum class Edge : std::uint8_t { leading, trailing, top, bottom };
    NativeView* view = nullptr;
    Edge edge = Edge::leading;
    CGFloat constant = 0;
    bool operator==(const LayoutConstraint&) const = default;
};

class NativeView : public std::enable_shared_from_this<NativeView> {
public:
    // An empty view.
    static std::shared_ptr<NativeView> make(CGRect frame = {});
    // A view that runs a root view of the kit and sizes to it. Links in it open with the desktop and
    // "Copy" writes the clipboard (platform/window/DesktopActions.h).
    static std::shared_ptr<NativeView> makeHosting(AnyView root);

    explicit NativeView(CGRect frame = {});
    virtual ~NativeView();
    NativeView(const NativeView&) = delete;
    NativeView& operator=(const NativeView&) = delete;

    CGRect frame() const;
    virtual void setFrame(CGRect frame);
    CGRect bounds() const;
    // The size its content asks for: the kit root's ideal size for a hosting view; for other views the
    // largest fitting size of their pinned subviews plus the pins' margins, else the frame size.
    CGSize fittingSize() const;

    void addSubview(const std::shared_ptr<NativeView>& view);
    void removeFromSuperview();
    NativeView* superview() const;
    const std::vector<std::shared_ptr<NativeView>>& subviews() const;
    // The window whose content holds this view, if any.
    Window* window() const;

    // Activates edge constraints (all must name subviews of this view); the subview's frame follows.
    void addConstraints(const std::vector<LayoutConstraint>& constraints);
    void removeConstraints(const std::vector<LayoutConstraint>& constraints);
    const std::vector<LayoutConstraint>& constraints() const;

    // Pins this view to its superview's edges (precondition: it has one) and returns the constraints,
    // horizontal ones first.
    std::vector<LayoutConstraint> constrainToSuperviewBounds();

    // Own drawing, below the subviews; painted whenever the view needs display.
    virtual void draw(DisplayList& list, CGRect dirtyRect);
    void setNeedsDisplay();
    // Views are opaque unless they say otherwise; transparent views let the window show through.
    double alphaValue() const;
    void setAlphaValue(double alpha);
    // Rounds the view's corners; what lies outside them, subviews included, is not shown.
    CGFloat cornerRadius() const;
    void setCornerRadius(CGFloat radius);
    bool isHidden() const;
    void setHidden(bool hidden);

    // The kit host of a hosting view (null for other views).
    ViewHost* host() const;

    struct Impl;
    Impl& impl() const { return *impl_; }

protected:
    struct HostingTag {};
    NativeView(HostingTag, AnyView root);

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
