#pragma once

// An image standing as a block of its own: the picture from the environment's block image provider,
// clickable when a link wraps it, through the theme's image style.

#include "RidadoziRI/Document/InlineNode.h"
#include "RidadoziRI/Views/MarkdownEnvironment.h"
#include "RidadoziRI/Views/RawImageData.h"
#include "platform/view/Text.h"

#include <optional>
#include <string>
#include <vector>

namespace ridadozi {

struct ImageView {
    glimmo::Environment<BlockStyle<BlockConfiguration>> _image = themeMember(&Theme::image);
    glimmo::Environment<AnyImageProvider> _imageProvider = environmentValue<ImageProviderKey>();
    // The image base URL: sources resolve against it.
    glimmo::Environment<std::optional<glimmo::URL>> _baseURL = environmentValue<ImageBaseURLKey>();
    RawImageData data;

    explicit ImageView(RawImageData data) : data(std::move(data)) {}
    // A view only for exactly one node that is an image or a link around one.
    static std::optional<ImageView> make(const std::vector<InlineNode>& inlines);
    glimmo::AnyView body() const;
};

// Turns its content into a plain button that opens the destination, resolved against the base URL;
// content without a destination, or with one that forms no URL, is shown unchanged.
struct LinkModifier {
    glimmo::Environment<std::optional<glimmo::URL>> _baseURL = environmentValue<BaseURLKey>();
    glimmo::Environment<glimmo::OpenURLAction> _openURL = environmentValue<glimmo::OpenURLKey>();
    std::optional<std::string> destination;
    glimmo::AnyView content;

    LinkModifier(std::optional<std::string> destination, glimmo::AnyView content)
        : destination(std::move(destination)), content(std::move(content)) {}
    glimmo::AnyView body() const;
};

} // namespace ridadozi
