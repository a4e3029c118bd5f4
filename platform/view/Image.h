#pragma once

// Images: symbols from the symbol table (drawn as glyphs of the icon font at the environment's font
// size and foreground colour) and decoded pixels (at their point size, or filling the offered space
// once `resizable`).

#include "platform/view/PixelImage.h"
#include "platform/view/View.h"

#include <string>

namespace glimmo {

class Image : public View<Image> {
public:
    // Image(systemName:)
    static Image systemName(std::string name);
    // Decoded pixels; `scale` is pixels per point.
    explicit Image(SharedPixels pixels);
    Image(SharedPixels pixels, double scale, ImageOrientation orientation);
    // Image(_:scale:orientation:label:): the label is what accessibility reads for the image.
    Image(SharedPixels pixels, double scale, ImageOrientation orientation, std::string label);

    Image resizable() const;
    enum class Interpolation : std::uint8_t { none, low, medium, high };
    Image interpolation(Interpolation quality) const;

    const std::string& symbolName() const { return systemName_; }
    const SharedPixels& pixels() const { return pixels_; }
    const std::string& label() const { return label_; }
    bool isResizable() const { return resizable_; }
    std::shared_ptr<const ViewContent> toContent() const;

private:
    Image() = default;
    std::string systemName_;
    SharedPixels pixels_;
    std::string label_;
    bool resizable_ = false;
    Interpolation interpolation_ = Interpolation::high;
};

} // namespace glimmo
