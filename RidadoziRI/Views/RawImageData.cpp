#include "RidadoziRI/Views/RawImageData.h"

#include "RidadoziRI/Document/HashCombine.h"

namespace ridadozi {

namespace {

void appendPlainText(const std::vector<InlineNode>& inlines, std::string& out) {
    for (const auto& node : inlines) {
        if (const auto* text = node.as<InlineNode::Text>()) out += text->text;
        else if (const auto* code = node.as<InlineNode::Code>()) out += code->code;
        else if (const auto* html = node.as<InlineNode::Html>()) out += html->html;
        else if (node.is<InlineNode::SoftBreak>()) out += ' ';
        else if (node.is<InlineNode::LineBreak>()) out += '\n';
        else appendPlainText(node.children(), out);
    }
}

} // namespace

std::string plainText(const std::vector<InlineNode>& inlines) {
    std::string out;
    appendPlainText(inlines, out);
    return out;
}

std::optional<RawImageData> imageData(const InlineNode& node) {
    if (const auto* image = node.as<InlineNode::Image>()) {
        return RawImageData{image->source, plainText(image->children), std::nullopt};
    }
    if (const auto* link = node.as<InlineNode::Link>()) {
        if (link->children.size() != 1) return std::nullopt;
        auto inner = imageData(link->children.front());
        if (!inner) return std::nullopt;
        inner->destination = link->destination;
        return inner;
    }
    return std::nullopt;
}

std::vector<RawImageData> imageData(const std::vector<InlineNode>& inlines) {
    std::vector<RawImageData> result;
    for (const auto& node : inlines) {
        if (auto data = imageData(node)) result.push_back(std::move(*data));
    }
    return result;
}

} // namespace ridadozi

std::size_t std::hash<ridadozi::RawImageData>::operator()(const ridadozi::RawImageData& data) const {
    std::size_t seed = 0;
    ridadozi::detail::hashInto(seed, data.source);
    ridadozi::detail::hashInto(seed, data.alt);
    ridadozi::detail::hashInto(seed, data.destination ? 1 : 0);
    if (data.destination) ridadozi::detail::hashInto(seed, *data.destination);
    return seed;
}
