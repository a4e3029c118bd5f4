#include "RidadoziRI/Views/ImageFlow.h"

#include "RidadoziRI/Styles/RelativeSize.h"
#include "RidadoziRI/Views/FlowLayout.h"
#include "RidadoziRI/Views/ImageView.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"
#include "platform/view/Stacks.h"

namespace ridadozi {

std::optional<ImageFlow> ImageFlow::make(const std::vector<InlineNode>& inlines) {
    auto items = imageFlowItems(inlines);
    if (!items) return std::nullopt;
    return ImageFlow{std::move(*items)};
}

glimmo::AnyView ImageFlow::body() const {
    const auto entries = items;
    return TextStyleAttributesReader([entries](const glimmo::AttributeContainer& attributes) {
        // The unscaled size: the scale of the font does not widen the gap.
        const glimmo::CGFloat gap = roundedPoints(fontProperties(attributes).value_or(FontProperties{}).size * 0.25);
        std::vector<glimmo::AnyView> children;
        children.reserve(entries.size());
        for (const auto& entry : entries) {
            glimmo::AnyView child = std::holds_alternative<RawImageData>(entry.value)
                                        ? glimmo::AnyView(ImageView(std::get<RawImageData>(entry.value)))
                                        : glimmo::AnyView(glimmo::Spacer());
            children.push_back(child.id(glimmo::AnyHashable(entry)));
        }
        return glimmo::LayoutView(FlowLayout{gap, gap}, std::move(children));
    });
}

} // namespace ridadozi
