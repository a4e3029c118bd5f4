#include "RidadoziRI/Styles/ImageProviders.h"

#include "RemoteImage/DefaultRemoteImageLoader.h"
#include "RemoteImage/RemoteImage.h"
#include "RidadoziRI/Views/ResizeToFit.h"

#include "platform/foundation/Files.h"
#include "platform/view/PixelDecoding.h"
#include "platform/view/Structure.h"

#include <system_error>

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

glimmo::Task<glimmo::Image> DefaultInlineImageProvider::loadImage(glimmo::URL url, std::string label) const {
    auto load = remoteimage::DefaultRemoteImageLoader::shared()->image(url);
    auto pixels = co_await std::move(load);
    co_return glimmo::Image(std::move(pixels), 1.0, glimmo::ImageOrientation::up, std::move(label));
}

namespace {

std::filesystem::path applicationResources() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : program.parent_path();
}

} // namespace

std::string lastPathComponent(const glimmo::URL& url) {
    const std::string path = url.path();
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<glimmo::Image> assetImage(const std::string& name, const std::optional<std::filesystem::path>& bundle) {
    // A name that climbs out of the folder names no resource of it.
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return std::nullopt;
    const std::filesystem::path folder = bundle.value_or(applicationResources());
    for (const auto& candidate : {folder / name, folder / (name + ".png")}) {
        // A file that is no regular file or too large to be an image counts as missing.
        const auto bytes = glimmo::readFileIfReadable(candidate);
        if (!bytes) continue;
        try {
            return glimmo::Image(glimmo::decodePixels(*bytes));
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

glimmo::AnyView AssetImageProvider::makeImage(const std::optional<glimmo::URL>& url) const {
    if (!url) return glimmo::EmptyView();
    const auto image = assetImage(name(*url), bundle);
    if (!image) return glimmo::EmptyView();
    const glimmo::CGSize idealSize{image->pixels()->pointWidth(), image->pixels()->pointHeight()};
    return ResizeToFit{idealSize, glimmo::AnyView(image->resizable())};
}

glimmo::Task<glimmo::Image> AssetInlineImageProvider::loadImage(glimmo::URL url, std::string label) const {
    auto image = assetImage(name(url), bundle);
    if (!image) {
        co_return glimmo::Image(glimmo::SharedPixels());
    }
    const glimmo::SharedPixels& pixels = image->pixels();
    co_return glimmo::Image(pixels, pixels ? pixels->scale : 1.0, pixels ? pixels->orientation : glimmo::ImageOrientation::up,
                            std::move(label));
}

} // namespace ridadozi
