#pragma once

// The look and placement of a popover, shared by its window, background view and window controller.

#include "platform/view/Color.h"
#include "platform/view/Geometry.h"

#include <optional>

namespace popover {

class PopoverConfiguration {
public:
    virtual ~PopoverConfiguration() = default;
    // How far the window sits below the status item.
    virtual double statusItemSpacing() const = 0;
    virtual glimmo::Color backgroundColor() const = 0;
    // No colour: no border at all.
    virtual std::optional<glimmo::Color> borderColor() const = 0;
    virtual double borderWidth() const = 0;
    virtual double arrowHeight() const = 0;
    virtual double arrowWidth() const = 0;
    virtual double cornerRadius() const = 0;
    virtual glimmo::EdgeInsets contentEdgeInsets() const = 0;
    // Least distance between the window and the screen's right edge.
    virtual double screenEdgeMargin() const = 0;

    // The border inset: the border width when a border is drawn, else 0.
    double borderInset() const { return borderColor() ? borderWidth() : 0; }
};

class DefaultConfiguration : public PopoverConfiguration {
public:
    double statusItemSpacing() const override { return 2.0; }
    glimmo::Color backgroundColor() const override { return glimmo::Color::windowBackgroundColor(); }
    std::optional<glimmo::Color> borderColor() const override { return glimmo::Color::white(); }
    double borderWidth() const override { return 2.0; }
    double arrowHeight() const override { return 12.0; }
    double arrowWidth() const override { return 62.0; }
    double cornerRadius() const override { return 5.0; }
    glimmo::EdgeInsets contentEdgeInsets() const override { return {}; }
    double screenEdgeMargin() const override { return 12.0; }
};

} // namespace popover
