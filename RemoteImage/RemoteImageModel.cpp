#include "RemoteImage/RemoteImageModel.h"

#include "RemoteImage/DefaultRemoteImageLoader.h"

#include "platform/imaging/ImageDecoding.h"
#include "platform/view/PixelDecoding.h"

#include <cmath>
#include <exception>
#include <optional>
#include <utility>

namespace remoteimage {

namespace {

// The decoded pixels at the source's scale and upright. The cached image is shared as it is when it
// already has them (scale 1, what the application asks for); only another scale costs a copy, charged
// like any decoded image. A scale that is not a positive number would give an infinite or negative size:
// it counts as 1. Throws ImageDecodingError when the copy would pass the bound on decoded pixels alive.
RemoteImageState successState(const DecodedImage& decoded, glimmo::CGFloat scale) {
    const glimmo::CGFloat pixelsPerPoint = std::isfinite(scale) && scale > 0 ? scale : 1;
    glimmo::SharedPixels pixels = glimmo::withScaleAndOrientation(decoded, pixelsPerPoint, glimmo::ImageOrientation::up);
    const glimmo::CGSize idealSize{static_cast<glimmo::CGFloat>(decoded->width) / pixelsPerPoint,
                                   static_cast<glimmo::CGFloat>(decoded->height) / pixelsPerPoint};
    return RemoteImageState::success(std::move(pixels), idealSize);
}

glimmo::Task<void> performUpdate(std::shared_ptr<RemoteImageModel> model, std::optional<ImageSource> requested) {
    if (model->source.get() == requested) co_return;
    model->source = requested;
    if (!requested) co_return;

    const std::shared_ptr<RemoteImageLoader> loader = model->imageLoader;
    DecodedImage decoded;
    try {
        auto loading = loader->image(requested->url);
        decoded = co_await std::move(loading);
    } catch (...) {
        decoded = nullptr;
    }
    // Another source was asked for meanwhile: its own update publishes what the view should show.
    if (model->source.get() != requested) co_return;
    std::optional<RemoteImageState> loaded;
    try {
        if (decoded && decoded->isValid()) loaded = successState(decoded, requested->scale);
    } catch (const glimmo::ImageDecodingError&) {
        // The copy at the source's scale would pass the bound: shown as an image that cannot be decoded.
    }
    if (!loaded) {
        model->image = RemoteImageState::failure();
        co_return;
    }
    const glimmo::Transaction transaction = model->transaction;
    glimmo::withTransaction(transaction, [&model, &loaded] { model->image = std::move(*loaded); });
}

} // namespace

RemoteImageModel::RemoteImageModel() : imageLoader(DefaultRemoteImageLoader::shared()) {}

glimmo::Task<void> RemoteImageModel::update(std::optional<ImageSource> newSource) {
    return performUpdate(shared_from_this(), std::move(newSource));
}

} // namespace remoteimage
