#pragma once

#include "platform/foundation/URL.h"
#include "platform/view/Animation.h"
#include "platform/view/Image.h"
#include "platform/view/State.h"
#include "platform/view/View.h"
#include "RemoteImage/ImageSource.h"
#include "RemoteImage/RemoteImageLoader.h"
#include "RemoteImage/RemoteImageLoaderEnvironment.h"
#include "RemoteImage/RemoteImageModel.h"
#include "RemoteImage/RemoteImageState.h"

#include <functional>
#include <memory>
#include <optional>

namespace remoteimage {

// Shows an image loaded from the network. Each view identity has one RemoteImageModel; loading starts
// when the view appears, starts over when the address or the scale changes and stops when the view
// disappears. The loader is the environment's `remoteImageLoader`. What is shown for each state is
// built by the content closures.
class RemoteImage : public glimmo::View<RemoteImage> {
public:
    using StateContent = std::function<glimmo::AnyView(const RemoteImageState&)>;
    using ImageContent = std::function<glimmo::AnyView(const glimmo::Image&)>;
    using ViewBuilder = std::function<glimmo::AnyView()>;

    // `content` builds the view for every state; a loaded image arrives inside `transaction`.
    RemoteImage(std::optional<glimmo::URL> url, glimmo::CGFloat scale, glimmo::Transaction transaction,
                StateContent content);
    // `content` for a loaded image; the redacted placeholder before and after a failure.
    RemoteImage(std::optional<glimmo::URL> url, glimmo::CGFloat scale, glimmo::Transaction transaction,
                ImageContent content);
    // `content` for a loaded image, `placeholder` before and after a failure.
    RemoteImage(std::optional<glimmo::URL> url, glimmo::CGFloat scale, glimmo::Transaction transaction,
                ImageContent content, ViewBuilder placeholder);
    // The loaded image as it is; the redacted placeholder otherwise.
    RemoteImage(std::optional<glimmo::URL> url, glimmo::CGFloat scale = 1);
    // `content` for a loaded image, `placeholder` before it, `fallback` after a failure. Kept for older
    // callers; the others cover what it does.
    RemoteImage(std::optional<glimmo::URL> url, glimmo::CGFloat scale, glimmo::Transaction transaction,
                ImageContent content, ViewBuilder placeholder, ViewBuilder fallback);

    glimmo::AnyView body() const;

    glimmo::Environment<std::shared_ptr<RemoteImageLoader>> imageLoader{
        glimmo::Environment<std::shared_ptr<RemoteImageLoader>>::key<RemoteImageLoaderKey>()};
    glimmo::StateObject<RemoteImageModel> model{[] { return std::make_shared<RemoteImageModel>(); }};
    std::optional<ImageSource> source;
    glimmo::Transaction transaction;
    StateContent content;
};

// An image built by `content` when there is one; otherwise an empty resizable image drawn in the
// redacted placeholder style, which takes the size the layout offers.
struct OptionalContent : glimmo::View<OptionalContent> {
    std::optional<glimmo::Image> image;
    RemoteImage::ImageContent content;

    glimmo::AnyView body() const;
};

} // namespace remoteimage
