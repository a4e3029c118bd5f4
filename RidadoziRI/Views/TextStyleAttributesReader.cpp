#include "RidadoziRI/Views/TextStyleAttributesReader.h"

#include "RidadoziRI/Views/MarkdownEnvironment.h"
#include "platform/view/Structure.h"

namespace ridadozi {

using glimmo::AnyView;
using glimmo::AttributeContainer;

TextStyleAttributesReader::TextStyleAttributesReader(std::function<AnyView(const AttributeContainer&)> content)
    : content(std::move(content)) {}

std::shared_ptr<const glimmo::ViewContent> TextStyleAttributesReader::toContent() const {
    return glimmo::EnvironmentReader([content = content](const glimmo::EnvironmentValues& environment) {
               return content(environment.get<TextStyleKey>().resolvedAttributes());
           })
        .content();
}

std::optional<FontProperties> fontProperties(const AttributeContainer& attributes) {
    return attributes.value<FontPropertiesAttribute>();
}

AnyView relativeFrame(AnyView view, RelativeSize minWidth, glimmo::Alignment alignment) {
    return TextStyleAttributesReader([view, minWidth, alignment](const AttributeContainer& attributes) {
        return view.frame({.minWidth = minWidth.points(fontProperties(attributes)), .alignment = alignment});
    });
}

AnyView relativeFrame(AnyView view, std::optional<RelativeSize> width, std::optional<RelativeSize> height,
                      glimmo::Alignment alignment) {
    return TextStyleAttributesReader([view, width, height, alignment](const AttributeContainer& attributes) {
        const auto font = fontProperties(attributes);
        const auto w = width ? std::optional<glimmo::CGFloat>(width->points(font)) : std::nullopt;
        const auto h = height ? std::optional<glimmo::CGFloat>(height->points(font)) : std::nullopt;
        return view.frame(w, h, alignment);
    });
}

AnyView relativeLineSpacing(AnyView view, RelativeSize spacing) {
    return TextStyleAttributesReader([view, spacing](const AttributeContainer& attributes) {
        return view.lineSpacing(spacing.points(fontProperties(attributes)));
    });
}

AnyView relativePadding(AnyView view, glimmo::EdgeSet edges, RelativeSize length) {
    return TextStyleAttributesReader([view, edges, length](const AttributeContainer& attributes) {
        return view.padding(edges, length.points(fontProperties(attributes)));
    });
}

} // namespace ridadozi
