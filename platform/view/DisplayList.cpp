#include "platform/view/DisplayList.h"

namespace glimmo {

PaintedRunSlot PaintedRunSlot::make() {
    PaintedRunSlot slot;
    slot.shared_ = std::make_shared<std::unique_ptr<Content>>();
    return slot;
}

void PaintedRunSlot::keep(std::unique_ptr<Content> content) const {
    if (shared_) *shared_ = std::move(content);
}

bool GradientPaint::operator==(const GradientPaint& o) const {
    if (!(start == o.start) || !(end == o.end) || stops.size() != o.stops.size()) return false;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (!(stops[i].color == o.stops[i].color) || stops[i].location != o.stops[i].location) return false;
    }
    return true;
}

bool ImageItem::operator==(const ImageItem& o) const {
    if (!(rect == o.rect) || interpolation != o.interpolation) return false;
    return image == o.image || (image && o.image && *image == *o.image);
}

} // namespace glimmo
