#pragma once

// The popover's visible shape: a rounded rectangle with an upward arrow on its top edge, filled with
// the background colour and outlined with the border colour. Coordinates are y down: the arrow points
// to the smaller y.

#include "Popover/PopoverConfiguration.h"
#include "platform/view/Path.h"
#include "platform/window/NativeView.h"

#include <memory>

namespace popover {

class PopoverWindowBackgroundView : public glimmo::NativeView {
public:
    PopoverWindowBackgroundView(glimmo::CGRect frame, std::shared_ptr<const PopoverConfiguration> config);

    double arrowXLocation = 0;

    void setFrame(glimmo::CGRect frame) override;
    void draw(glimmo::DisplayList& list, glimmo::CGRect dirtyRect) override;

    // The arrow followed by the rounded body, for these bounds.
    glimmo::Path shape(glimmo::CGRect bounds) const;

private:
    std::shared_ptr<const PopoverConfiguration> wConfig_;
};

} // namespace popover
