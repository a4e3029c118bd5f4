#pragma once

// Where the renderer's images come from. A block image provider makes the view of an image that stands
// alone in a paragraph; an inline image provider loads the image of one inside running text. The
// defaults load over the network through the shared image loader.

#include "platform/foundation/URL.h"
#include "platform/runtime/Task.h"
#include "platform/view/Image.h"
#include "platform/view/View.h"

#include <concepts>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace ridadozi {

template <class P>
concept ImageProvider = std::copy_constructible<P> && requires(const P& provider, const std::optional<glimmo::URL>& url) {
    { provider.makeImage(url) };
};

// Any block image provider; the environment keeps providers in this form.
class AnyImageProvider {
public:
    template <class P>
        requires(!std::same_as<std::remove_cvref_t<P>, AnyImageProvider> && ImageProvider<P>)
    explicit AnyImageProvider(P provider)
        : _makeImage([box = std::make_shared<const P>(std::move(provider))](const std::optional<glimmo::URL>& url) {
              return glimmo::AnyView(box->makeImage(url));
          }) {}

    glimmo::AnyView makeImage(const std::optional<glimmo::URL>& url) const { return _makeImage(url); }

private:
    std::function<glimmo::AnyView(const std::optional<glimmo::URL>&)> _makeImage;
};

// A network image view of the URL, taking no room until the image has loaded (and none after a
// failure), then the image fitted to the offered width.
struct DefaultImageProvider {
    glimmo::AnyView makeImage(const std::optional<glimmo::URL>& url) const;
};

// The last path component of an address: the default asset name.
std::string lastPathComponent(const glimmo::URL& url);

// Images from a folder of resources, named after the address. Without a folder, the application's own
// resources: the folder the program runs from.
struct AssetImageProvider {
    std::function<std::string(const glimmo::URL&)> name = lastPathComponent;
    std::optional<std::filesystem::path> bundle;

    // Nothing when there is no address or no such image.
    glimmo::AnyView makeImage(const std::optional<glimmo::URL>& url) const;
};

// The decoded resource image `name` in `bundle` (the application's resources when absent); the name
// as given or with ".png" added. No value when there is none or it cannot be decoded.
std::optional<glimmo::Image> assetImage(const std::string& name, const std::optional<std::filesystem::path>& bundle);

class InlineImageProvider {
public:
    virtual ~InlineImageProvider() = default;
    // The image at `url`, labelled for accessibility; throws when it cannot be had.
    virtual glimmo::Task<glimmo::Image> loadImage(glimmo::URL url, std::string label) const = 0;
};

// Loads through the shared image loader; its errors reach the caller unchanged.
class DefaultInlineImageProvider final : public InlineImageProvider {
public:
    glimmo::Task<glimmo::Image> loadImage(glimmo::URL url, std::string label) const override;
};

// Inline images from a folder of resources, as AssetImageProvider; an image that is not there draws
// nothing. Never throws and never suspends.
class AssetInlineImageProvider final : public InlineImageProvider {
public:
    std::function<std::string(const glimmo::URL&)> name = lastPathComponent;
    std::optional<std::filesystem::path> bundle;

    glimmo::Task<glimmo::Image> loadImage(glimmo::URL url, std::string label) const override;
};

} // namespace ridadozi
