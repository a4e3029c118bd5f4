#include "platform/view/PixelImage.h"

namespace glimmo {
namespace {
bool swapsSides(ImageOrientation o) {
    return o == ImageOrientation::left || o == ImageOrientation::right || o == ImageOrientation::leftMirrored ||
           o == ImageOrientation::rightMirrored;
}
} // namespace

double PixelImage::pointWidth() const { return (swapsSides(orientation) ? height : width) / (scale > 0 ? scale : 1); }
double PixelImage::pointHeight() const { return (swapsSides(orientation) ? width : height) / (scale > 0 ? scale : 1); }

} // namespace glimmo
