#include "RemoteImage/RemoteImageModel.h"

#include "RemoteImage/DefaultRemoteImageLoader.h"

#include <cmath>
#include <exception>
#include <utility>

namespace remoteimage {

namespace {

// The decoded pixels as the view kit shows them, at the source's scale and upright. A scale that is
// not a positive number would give an infinite or negative size: it counts as 1.
RemoteImageState successState(const glimmo::Image& decoded, glimmo::CGFloat scale) {
    const glimmo::CGFloat pixelsPerPoint = std::isfinite(scale) && scale > 0 ? scale : 1;
    auto pixels = std::make_shared<glimmo::PixelImage>();
    pixels->width = decoded.width;
    pixels->height = decoded.height;
    pixels->scale = pixelsPerPoint;
    pixels->orientation = glimmo::ImageOrientation::up;
    pixels->rgba = decoded.rgba;
    const glimmo::CGSize idealSize{static_cast<glimmo::CGFloat>(decoded.width) / pixelsPerPoint,
                                   static_cast<glimmo::CGFloat>(decoded.height) / pixelsPerPoint};
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
    if (!decoded || !decoded->isValid()) {
        model->image = RemoteImageState::failure();
        co_return;
    }
    RemoteImageState loaded = successState(*decoded, requested->scale);
    const glimmo::Transaction transaction = model->transaction;
    glimmo::withTransaction(transaction, [&model, &loaded] { model->image = std::move(loaded); });
}

} // namespace

RemoteImageModel::RemoteImageModel() : imageLoader(DefaultRemoteImageLoader::shared()) {}

glimmo::Task<void> RemoteImageModel::update(std::optional<ImageSource> newSource) {
    return performUpdate(shared_from_this(), std::move(newSource));
}

} // namespace remoteimage
