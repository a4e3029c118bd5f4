#pragma once

#include "platform/view/Geometry.h"
#include "platform/view/PixelImage.h"

namespace remoteimage {

// What a remote image view shows: the loaded image with its size in points, nothing yet, or a failure.
class RemoteImageState {
public:
    enum class Kind { success, empty, failure };

    static RemoteImageState success(glimmo::SharedPixels image, glimmo::CGSize idealSize);
    static RemoteImageState empty() { return RemoteImageState(Kind::empty); }
    static RemoteImageState failure() { return RemoteImageState(Kind::failure); }

    Kind kind() const { return kind_; }
    bool isSuccess() const { return kind_ == Kind::success; }
    // The image of a success; null otherwise.
    const glimmo::SharedPixels& image() const { return image_; }
    // The image's size in points (its pixel size over its scale) for a success; zero otherwise.
    glimmo::CGSize idealSize() const { return idealSize_; }

    // Same case; for two successes also the same pixels and scale and the same ideal size.
    bool operator==(const RemoteImageState& other) const;

private:
    explicit RemoteImageState(Kind kind) : kind_(kind) {}

    Kind kind_;
    glimmo::SharedPixels image_;
    glimmo::CGSize idealSize_;
};

} // namespace remoteimage
