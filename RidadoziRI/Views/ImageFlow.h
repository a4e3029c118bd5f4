#pragma once

// A paragraph or table cell made of images only, laid side by side and wrapped like words, with a gap
// of a quarter of the font size.

#include "RidadoziRI/Views/ImageFlowItem.h"
#include "platform/view/View.h"

#include <optional>
#include <vector>

namespace ridadozi {

struct ImageFlow {
    using Item = ImageFlowItem;
    std::vector<Indexed<Item>> items;

    // Nothing when a top-level node is not an image, a link around one image, a break or empty text.
    static std::optional<ImageFlow> make(const std::vector<InlineNode>& inlines);
    glimmo::AnyView body() const;
};

} // namespace ridadozi
