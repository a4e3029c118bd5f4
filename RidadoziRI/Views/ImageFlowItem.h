#pragma once

// The entries of an image flow: the images of a paragraph made of images only, and the forced breaks
// between them.

#include "RidadoziRI/Views/Indexed.h"
#include "RidadoziRI/Views/RawImageData.h"

#include <optional>
#include <variant>
#include <vector>

namespace ridadozi {

struct ImageFlowLineBreak {
    bool operator==(const ImageFlowLineBreak&) const = default;
};

using ImageFlowItem = std::variant<RawImageData, ImageFlowLineBreak>;

// The numbered entries of `inlines`, or nothing when a top-level node is not an image, a link around
// one image, a break or empty text. No entries at all still makes a flow.
std::optional<std::vector<Indexed<ImageFlowItem>>> imageFlowItems(const std::vector<InlineNode>& inlines);

} // namespace ridadozi

template <>
struct std::hash<ridadozi::ImageFlowItem> {
    std::size_t operator()(const ridadozi::ImageFlowItem& item) const;
};
