#pragma once

// The images found among inline nodes: where they come from, their alternative text and the link
// around them. Inline text, block images and image flows all find images by these rules.

#include "RidadoziRI/Document/InlineNode.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ridadozi {

struct RawImageData {
    std::string source;
    std::string alt;
    std::optional<std::string> destination;
    bool operator==(const RawImageData&) const = default;
};

// Text, code and HTML strings, a space per soft break and a newline per line break, children in
// document order, joined with nothing between.
std::string plainText(const std::vector<InlineNode>& inlines);

// An image, or a link whose only child yields an image (the link's destination then wins); nothing
// for every other node.
std::optional<RawImageData> imageData(const InlineNode& node);

// The image data of the top-level nodes that yield one, in order.
std::vector<RawImageData> imageData(const std::vector<InlineNode>& inlines);

} // namespace ridadozi

template <>
struct std::hash<ridadozi::RawImageData> {
    std::size_t operator()(const ridadozi::RawImageData& data) const;
};
