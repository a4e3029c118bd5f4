#include "RemoteImage/RemoteImage.h"

#include <utility>

namespace remoteimage {

namespace {

std::optional<ImageSource> sourceOf(const std::optional<glimmo::URL>& url, glimmo::CGFloat scale) {
    if (!url) return std::nullopt;
    return ImageSource{*url, scale};
}

std::optional<glimmo::Image> imageOf(const RemoteImageState& state) {
    if (!state.isSuccess() || !state.image()) return std::nullopt;
    // The model already carries the source's scale and orientation on the pixels.
    return glimmo::Image(state.image());
}

} // namespace

RemoteImage::RemoteImage(std::optional<glimmo::URL> url, glimmo::CGFloat scale, glimmo::Transaction transaction,
                         StateContent content)
    : source(sourceOf(url, scale)), transaction(std::move(transaction)), content(std::move(content)) {}

RemoteImage::RemoteImage(std::optional<glimmo::URL> url, glimmo::CGFloat scale, glimmo::Transaction transaction,
                         ImageContent content)
    : RemoteImage(std::move(url), scale, std::move(transaction),
                  StateContent([content = std::move(content)](const RemoteImageState& state) {
                      return glimmo::AnyView(OptionalContent{{}, imageOf(state), content});
                  })) {}

RemoteImage::RemoteImage(std::optional<glimmo::URL> url, glimmo::CGFloat scale, glimmo::Transaction transaction,
                         ImageContent content, ViewBuilder placeholder)
    : RemoteImage(std::move(url), scale, std::move(transaction),
                  StateContent([content = std::move(content), placeholder = std::move(placeholder)](
                                   const RemoteImageState& state) {
                      if (const auto image = imageOf(state)) return content(*image);
                      return placeholder();
                  })) {}

RemoteImage::RemoteImage(std::optional<glimmo::URL> url, glimmo::CGFloat scale)
    : RemoteImage(std::move(url), scale, glimmo::Transaction{},
                  ImageContent([](const glimmo::Image& image) { return glimmo::AnyView(image); })) {}

RemoteImage::RemoteImage(std::optional<glimmo::URL> url, glimmo::CGFloat scale, glimmo::Transaction transaction,
                         ImageContent content, ViewBuilder placeholder, ViewBuilder fallback)
    : RemoteImage(std::move(url), scale, std::move(transaction),
                  StateContent([content = std::move(content), placeholder = std::move(placeholder),
                                fallback = std::move(fallback)](const RemoteImageState& state) {
                      switch (state.kind()) {
                      case RemoteImageState::Kind::success:
                          if (const auto image = imageOf(state)) return content(*image);
                          return placeholder();
                      case RemoteImageState::Kind::empty: return placeholder();
                      case RemoteImageState::Kind::failure: return fallback();
                      }
                      return placeholder();
                  })) {}

glimmo::AnyView RemoteImage::body() const {
    const glimmo::AnyView shown = content(model->image.get());
    // Runs on the main loop when the view appears and whenever the source changes; the loader and the
    // transaction are the view's at that moment.
    auto load = [model = model.get(), loader = imageLoader.get(), transaction = transaction, source = source] {
        model->imageLoader = loader;
        model->transaction = transaction;
        return model->update(source);
    };
    return shown.task(glimmo::AnyHashable(source), std::move(load), glimmo::AnyView::TaskPriority::userInitiated);
}

glimmo::AnyView OptionalContent::body() const {
    if (image) return content(*image);
    auto nothing = std::make_shared<glimmo::PixelImage>();
    return glimmo::Image(std::move(nothing)).resizable().redacted(glimmo::RedactionReason::placeholder);
}

} // namespace remoteimage
