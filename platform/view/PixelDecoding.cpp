#include "platform/view/PixelDecoding.h"

#include "platform/imaging/ImageDecoding.h"

#include <utility>

namespace glimmo {

namespace {

struct ChargedPixels {
    PixelImage pixels;
    PixelCharge charge;
};

} // namespace

SharedPixels sharePixels(PixelImage pixels, PixelCharge charge) {
    const auto held = std::make_shared<const ChargedPixels>(ChargedPixels{std::move(pixels), std::move(charge)});
    return SharedPixels(held, &held->pixels);
}

SharedPixels decodePixels(std::string_view bytes, double scale, const std::shared_ptr<PixelBudget>& budget) {
    PixelCharge charge;
    // What the decoder works in besides the pixels counts against the same bound while it decodes.
    PixelCharge workspace;
    ImageDecodingLimits limits;
    limits.beforeAllocating = [&charge, &budget](std::size_t byteCount) { charge = budget->charge(byteCount); };
    limits.beforeAllocatingWorkspace = [&workspace, &budget](std::size_t byteCount) {
        // Each count covers all the decoder works in from then on: the one before goes first, so the two
        // are never counted together.
        workspace = PixelCharge{};
        workspace = budget->charge(byteCount);
    };
    DecodedImage decoded = decodeImage(bytes, limits);
    return sharePixels(PixelImage{decoded.width, decoded.height, scale, ImageOrientation::up, std::move(decoded.rgba)},
                       std::move(charge));
}

SharedPixels withScaleAndOrientation(const SharedPixels& pixels, double scale, ImageOrientation orientation,
                                     const std::shared_ptr<PixelBudget>& budget) {
    if (!pixels || (pixels->scale == scale && pixels->orientation == orientation)) return pixels;
    PixelCharge charge = budget->charge(pixels->rgba.size());
    PixelImage copy = *pixels;
    copy.scale = scale;
    copy.orientation = orientation;
    return sharePixels(std::move(copy), std::move(charge));
}

} // namespace glimmo
