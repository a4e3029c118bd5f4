#pragma once

// A run of inline nodes as one text, in the current text style with the theme's inline styles. The
// images among the nodes are loaded through the environment's inline image provider and drawn in the
// text once all of them have arrived.

#include "RidadoziRI/Document/InlineNode.h"
#include "RidadoziRI/Views/MarkdownEnvironment.h"
#include "platform/runtime/Task.h"
#include "platform/view/Image.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ridadozi {

// Loaded images by the source of their nodes, exactly as written. Images have no equality, so a new map
// always counts as a change.
struct InlineImages {
    std::map<std::string, glimmo::Image> bySource;
};

struct InlineText {
    glimmo::Environment<std::shared_ptr<const InlineImageProvider>> _inlineImageProvider =
        environmentValue<InlineImageProviderKey>();
    glimmo::Environment<std::optional<glimmo::URL>> _baseURL = environmentValue<BaseURLKey>();
    glimmo::Environment<std::optional<glimmo::URL>> _imageBaseURL = environmentValue<ImageBaseURLKey>();
    glimmo::Environment<SoftBreak::Mode> _softBreakMode = environmentValue<SoftBreakModeKey>();
    glimmo::Environment<Theme> _theme = environmentValue<ThemeKey>();
    // Loaded images by source as written; replaced whole after each load.
    glimmo::State<InlineImages> _inlineImages;
    std::vector<InlineNode> inlines;

    explicit InlineText(std::vector<InlineNode> inlines) : inlines(std::move(inlines)) {}
    glimmo::AnyView body() const;

    // Requests every distinct image of `inlines` once; any failure loses them all (an empty map).
    static glimmo::Task<InlineImages> loadInlineImages(std::vector<InlineNode> inlines,
                                                       std::shared_ptr<const InlineImageProvider> provider,
                                                       std::optional<glimmo::URL> imageBaseURL);
};

} // namespace ridadozi
