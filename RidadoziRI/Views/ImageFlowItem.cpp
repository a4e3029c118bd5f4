#include "RidadoziRI/Views/ImageFlowItem.h"

#include "RidadoziRI/Document/HashCombine.h"

namespace ridadozi {

std::optional<std::vector<Indexed<ImageFlowItem>>> imageFlowItems(const std::vector<InlineNode>& inlines) {
    std::vector<ImageFlowItem> items;
    for (const auto& node : inlines) {
        if (const auto* text = node.as<InlineNode::Text>()) {
            if (!text->text.empty()) return std::nullopt;
        } else if (node.is<InlineNode::SoftBreak>()) {
            continue;
        } else if (node.is<InlineNode::LineBreak>()) {
            items.emplace_back(ImageFlowLineBreak{});
        } else if (node.is<InlineNode::Image>() || node.is<InlineNode::Link>()) {
            auto data = imageData(node);
            if (!data) return std::nullopt;
            items.emplace_back(std::move(*data));
        } else {
            return std::nullopt;
        }
    }
    return indexed(items);
}

} // namespace ridadozi

std::size_t std::hash<ridadozi::ImageFlowItem>::operator()(const ridadozi::ImageFlowItem& item) const {
    std::size_t seed = 0;
    if (const auto* image = std::get_if<ridadozi::RawImageData>(&item)) {
        ridadozi::detail::hashInto(seed, 0);
        ridadozi::detail::hashInto(seed, *image);
    } else {
        ridadozi::detail::hashInto(seed, 1);
    }
    return seed;
}
