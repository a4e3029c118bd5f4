#include "RemoteImage/RemoteImageState.h"

#include <utility>

namespace remoteimage {

RemoteImageState RemoteImageState::success(glimmo::SharedPixels image, glimmo::CGSize idealSize) {
    RemoteImageState state(Kind::success);
    state.image_ = std::move(image);
    state.idealSize_ = idealSize;
    return state;
}

namespace {

bool samePixels(const glimmo::SharedPixels& a, const glimmo::SharedPixels& b) {
    if (a == b) return true;
    if (!a || !b) return false;
    return a->width == b->width && a->height == b->height && a->scale == b->scale &&
           a->orientation == b->orientation && a->rgba == b->rgba;
}

} // namespace

bool RemoteImageState::operator==(const RemoteImageState& other) const {
    if (kind_ != other.kind_) return false;
    if (kind_ != Kind::success) return true;
    return idealSize_ == other.idealSize_ && samePixels(image_, other.image_);
}

} // namespace remoteimage
