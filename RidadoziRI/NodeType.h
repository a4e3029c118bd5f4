#pragma once

#include <optional>
#include <string_view>

namespace ridadozi {

// The node kinds cmark-gfm reports, keyed by their type strings.
enum class NodeType {
    document,
    blockquote,
    list,
    item,
    codeBlock,
    htmlBlock,
    customBlock,
    paragraph,
    heading,
    thematicBreak,
    text,
    softBreak,
    lineBreak,
    code,
    html,
    customInline,
    emphasis,
    strong,
    link,
    image,
    inlineAttributes,
    none,
    unknown,
    strikethrough,
    table,
    tableHead,
    tableRow,
    tableCell,
    taskListItem,
};

// The kind whose type string is `rawValue`; no value for a string outside the table.
std::optional<NodeType> nodeTypeFromRawValue(std::string_view rawValue);
// The type string, e.g. "block_quote".
std::string_view rawValue(NodeType type);
// The name used in messages, e.g. "tableHead".
std::string_view caseName(NodeType type);

} // namespace ridadozi
