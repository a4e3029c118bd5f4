#include "RidadoziRI/Content/MarkdownContent.h"

#include "RidadoziRI/MarkdownParser.h"
#include "RidadoziRI/MarkdownRendering.h"

namespace ridadozi {

MarkdownContentComponent::MarkdownContentComponent(std::string_view markdown)
    : blocks_(MarkdownContent(markdown).blocks) {}

MarkdownContent::MarkdownContent(std::string_view markdown)
    : blocks(MarkdownParser::parse(markdown).value_or(std::vector<BlockNode>{})) {}

MarkdownContent::MarkdownContent(std::initializer_list<MarkdownContentComponent> components) {
    for (const auto& component : components) {
        blocks.insert(blocks.end(), component.blocks().begin(), component.blocks().end());
    }
}

std::optional<std::vector<BlockNode>> MarkdownContent::nestedBlocks() const {
    std::vector<BlockNode> nested;
    for (const auto& block : blocks) {
        auto children = block.children();
        nested.insert(nested.end(), std::make_move_iterator(children.begin()), std::make_move_iterator(children.end()));
    }
    if (nested.empty()) return std::nullopt;
    return nested;
}

namespace {

std::string withoutOneFinalLineFeed(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

} // namespace

std::string MarkdownContent::commonMarkText() const {
    return withoutOneFinalLineFeed(renderCmarkDocument(blocks, CmarkRenderer::commonMark));
}

std::string MarkdownContent::plainText() const {
    return withoutOneFinalLineFeed(renderCmarkDocument(blocks, CmarkRenderer::plainText));
}

std::string MarkdownContent::htmlText() const { return renderCmarkDocument(blocks, CmarkRenderer::html); }

} // namespace ridadozi
