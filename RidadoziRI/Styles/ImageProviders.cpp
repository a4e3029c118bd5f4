#include "RidadoziRI/Styles/ImageProviders.h"

#include "RemoteImage/DefaultRemoteImageLoader.h"
#include "RemoteImage/RemoteImage.h"
#include "RidadoziRI/Views/ResizeToFit.h"

namespace ridadozi {

glimmo::AnyView DefaultImageProvider::makeImage(const std::optional<glimmo::URL>& url) const {
    return remoteimage::RemoteImage(url, 1.0, glimmo::Transaction{}, [](const remoteimage::RemoteImageState& state) {
        if (state.isSuccess()) {
            const glimmo::Image image = glimmo::Image(state.image()).resizable();
            return glimmo::AnyView(ResizeToFit{state.idealSize(), glimmo::AnyView(image)});
        }
        // Nothing while loading or after a failure.
        return glimmo::AnyView(glimmo::Color::clear()).frame(0, 0);
    });
}

glimmo::Task<glimmo::Image> DefaultInlineImageProvider::loadImage(glimmo::URL url, std::string /*label*/) const {
    auto load = remoteimage::DefaultRemoteImageLoader::shared()->image(url);
    auto pixels = co_await std::move(load);
    co_return glimmo::Image(std::move(pixels), 1.0, glimmo::ImageOrientation::up);
}

} // namespace ridadozi
