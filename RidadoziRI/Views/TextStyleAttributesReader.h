#pragma once

// The one way a view reads the current text style: resolved into attributes (font description,
// colours) for a view builder. Lengths relative to the font are measured against what it finds.

#include "RidadoziRI/Styles/FontProperties.h"
#include "RidadoziRI/Styles/RelativeSize.h"
#include "RidadoziRI/Styles/TextStyle.h"
#include "platform/view/AttributedString.h"
#include "platform/view/State.h"
#include "platform/view/View.h"

#include <functional>
#include <optional>

namespace ridadozi {

struct TextStyleAttributesReader {
    std::function<glimmo::AnyView(const glimmo::AttributeContainer&)> content;

    explicit TextStyleAttributesReader(std::function<glimmo::AnyView(const glimmo::AttributeContainer&)> content);
    // Shown as a reader of the environment: it holds no state, so it needs no user view's node (one
    // made for every frame, padding and line spacing relative to the font).
    std::shared_ptr<const glimmo::ViewContent> toContent() const;
};

// The font description among resolved attributes, when a style set one.
std::optional<FontProperties> fontProperties(const glimmo::AttributeContainer& attributes);

// Frames, line spacing and padding in lengths relative to the current font.
glimmo::AnyView relativeFrame(glimmo::AnyView view, RelativeSize minWidth, glimmo::Alignment alignment);
glimmo::AnyView relativeFrame(glimmo::AnyView view, std::optional<RelativeSize> width, std::optional<RelativeSize> height,
                              glimmo::Alignment alignment);
glimmo::AnyView relativeLineSpacing(glimmo::AnyView view, RelativeSize spacing);
glimmo::AnyView relativePadding(glimmo::AnyView view, glimmo::EdgeSet edges, RelativeSize length);

// The same, under the names the style code uses.
inline glimmo::AnyView fontRelativeFrame(glimmo::AnyView view, RelativeSize minWidth, glimmo::Alignment alignment) {
    return relativeFrame(std::move(view), minWidth, alignment);
}
inline glimmo::AnyView fontRelativeFrame(glimmo::AnyView view, std::optional<RelativeSize> width,
                                         std::optional<RelativeSize> height, glimmo::Alignment alignment) {
    return relativeFrame(std::move(view), width, height, alignment);
}
inline glimmo::AnyView fontRelativeLineSpacing(glimmo::AnyView view, RelativeSize spacing) {
    return relativeLineSpacing(std::move(view), spacing);
}
inline glimmo::AnyView fontRelativePadding(glimmo::AnyView view, glimmo::EdgeSet edges, RelativeSize length) {
    return relativePadding(std::move(view), edges, length);
}

} // namespace ridadozi
