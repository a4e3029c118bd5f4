#include "RidadoziRI/NodeType.h"

#include <array>
#include <utility>

namespace ridadozi {

namespace {

struct NodeTypeName {
    NodeType type;
    std::string_view rawValue;
    std::string_view caseName;
};

constexpr std::array<NodeTypeName, 29> names{{
    {NodeType::document, "document", "document"},
    {NodeType::blockquote, "block_quote", "blockquote"},
    {NodeType::list, "list", "list"},
    {NodeType::item, "item", "item"},
    {NodeType::codeBlock, "code_block", "codeBlock"},
    {NodeType::htmlBlock, "html_block", "htmlBlock"},
    {NodeType::customBlock, "custom_block", "customBlock"},
    {NodeType::paragraph, "paragraph", "paragraph"},
    {NodeType::heading, "heading", "heading"},
    {NodeType::thematicBreak, "thematic_break", "thematicBreak"},
    {NodeType::text, "text", "text"},
    {NodeType::softBreak, "softbreak", "softBreak"},
    {NodeType::lineBreak, "linebreak", "lineBreak"},
    {NodeType::code, "code", "code"},
    {NodeType::html, "html_inline", "html"},
    {NodeType::customInline, "custom_inline", "customInline"},
    {NodeType::emphasis, "emph", "emphasis"},
    {NodeType::strong, "strong", "strong"},
    {NodeType::link, "link", "link"},
    {NodeType::image, "image", "image"},
    {NodeType::inlineAttributes, "attribute", "inlineAttributes"},
    {NodeType::none, "NONE", "none"},
    {NodeType::unknown, "<unknown>", "unknown"},
    {NodeType::strikethrough, "strikethrough", "strikethrough"},
    {NodeType::table, "table", "table"},
    {NodeType::tableHead, "table_header", "tableHead"},
    {NodeType::tableRow, "table_row", "tableRow"},
    {NodeType::tableCell, "table_cell", "tableCell"},
    {NodeType::taskListItem, "tasklist", "taskListItem"},
}};

const NodeTypeName& entry(NodeType type) { return names[static_cast<std::size_t>(type)]; }

} // namespace

std::optional<NodeType> nodeTypeFromRawValue(std::string_view raw) {
    for (const auto& name : names) {
        if (name.rawValue == raw) return name.type;
    }
    return std::nullopt;
}

std::string_view rawValue(NodeType type) { return entry(type).rawValue; }

std::string_view caseName(NodeType type) { return entry(type).caseName; }

} // namespace ridadozi
