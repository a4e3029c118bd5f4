#include "RidadoziRI/CmarkConversion.h"

#include "RidadoziRI/FatalError.h"

#include <cmark-gfm-core-extensions.h>

#include <string>

namespace ridadozi::cmark {

namespace {

std::string literalOf(cmark_node* node) {
    const char* literal = cmark_node_get_literal(node);
    return literal ? std::string(literal) : std::string();
}

std::string urlOf(cmark_node* node) {
    const char* url = cmark_node_get_url(node);
    return url ? std::string(url) : std::string();
}

[[noreturn]] void expectedButGot(std::string_view expected, NodeType got) {
    fatalError(parserSource,
               "Expected a " + std::string(expected) + " but got a '" + std::string(caseName(got)) + "' instead.");
}

BlockNode makeList(cmark_node* node, int depth) {
    bool hasTaskItem = false;
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
        if (nodeType(child) == NodeType::taskListItem) hasTaskItem = true;
    }
    const bool isTight = cmark_node_get_list_tight(node) != 0;

    if (hasTaskItem) {
        std::vector<RawTaskListItem> items;
        for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
            const NodeType type = nodeType(child);
            if (type != NodeType::taskListItem && type != NodeType::item) expectedButGot("list item", type);
            items.push_back({cmark_gfm_extensions_get_tasklist_item_checked(child), blockChildren(child, depth + 1)});
        }
        return BlockNode::taskList(isTight, std::move(items));
    }

    const cmark_list_type listType = cmark_node_get_list_type(node);
    if (listType != CMARK_BULLET_LIST && listType != CMARK_ORDERED_LIST) {
        fatalError(parserSource, "cmark reported a list node without a list type.");
    }
    std::vector<RawListItem> items;
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
        const NodeType type = nodeType(child);
        if (type != NodeType::item) expectedButGot("list item", type);
        items.push_back({blockChildren(child, depth + 1)});
    }
    if (listType == CMARK_ORDERED_LIST) {
        return BlockNode::numberedList(isTight, cmark_node_get_list_start(node), std::move(items));
    }
    return BlockNode::bulletedList(isTight, std::move(items));
}

BlockNode makeTable(cmark_node* node, int depth) {
    std::vector<RawTableColumnAlignment> alignments;
    const uint16_t columns = cmark_gfm_extensions_get_table_columns(node);
    const uint8_t* alignmentBytes = cmark_gfm_extensions_get_table_alignments(node);
    alignments.reserve(columns);
    for (uint16_t column = 0; column < columns; ++column) {
        const char raw = alignmentBytes ? static_cast<char>(alignmentBytes[column]) : '\0';
        alignments.push_back(rawTableColumnAlignment(raw).value_or(RawTableColumnAlignment::none));
    }

    std::vector<RawTableRow> rows;
    for (cmark_node* row = cmark_node_first_child(node); row; row = cmark_node_next(row)) {
        const NodeType rowType = nodeType(row);
        if (rowType != NodeType::tableRow && rowType != NodeType::tableHead) expectedButGot("table row", rowType);
        RawTableRow rawRow;
        for (cmark_node* cell = cmark_node_first_child(row); cell; cell = cmark_node_next(cell)) {
            const NodeType cellType = nodeType(cell);
            if (cellType != NodeType::tableCell) expectedButGot("table cell", cellType);
            rawRow.cells.push_back({inlineChildren(cell, depth + 2)});
        }
        rows.push_back(std::move(rawRow));
    }
    return BlockNode::table(std::move(alignments), std::move(rows));
}

} // namespace

NodeType nodeType(cmark_node* node) {
    const char* typeString = cmark_node_get_type_string(node);
    const std::string_view raw = typeString ? typeString : "";
    if (const auto type = nodeTypeFromRawValue(raw)) return *type;
    fatalError(parserSource, "Unknown node type '" + std::string(raw) + "' found.");
}

std::optional<BlockNode> makeBlockNode(cmark_node* node, int depth) {
    const NodeType type = nodeType(node);
    if (depth > maximumNestingDepth) return std::nullopt;
    switch (type) {
    case NodeType::blockquote: return BlockNode::blockquote(blockChildren(node, depth));
    case NodeType::list: return makeList(node, depth);
    case NodeType::codeBlock: {
        const char* info = cmark_node_get_fence_info(node);
        return BlockNode::codeBlock(info ? std::optional<std::string>(info) : std::nullopt, literalOf(node));
    }
    case NodeType::htmlBlock: return BlockNode::htmlBlock(literalOf(node));
    case NodeType::paragraph: return BlockNode::paragraph(inlineChildren(node, depth));
    case NodeType::heading: return BlockNode::heading(cmark_node_get_heading_level(node), inlineChildren(node, depth));
    case NodeType::thematicBreak: return BlockNode::thematicBreak();
    case NodeType::table: return makeTable(node, depth);
    default: return std::nullopt;
    }
}

std::optional<InlineNode> makeInlineNode(cmark_node* node, int depth) {
    const NodeType type = nodeType(node);
    if (depth > maximumNestingDepth) return std::nullopt;
    switch (type) {
    case NodeType::text: return InlineNode::text(literalOf(node));
    case NodeType::softBreak: return InlineNode::softBreak();
    case NodeType::lineBreak: return InlineNode::lineBreak();
    case NodeType::code: return InlineNode::code(literalOf(node));
    case NodeType::html: return InlineNode::html(literalOf(node));
    case NodeType::emphasis: return InlineNode::emphasis(inlineChildren(node, depth));
    case NodeType::strong: return InlineNode::strong(inlineChildren(node, depth));
    case NodeType::strikethrough: return InlineNode::strikethrough(inlineChildren(node, depth));
    case NodeType::link: return InlineNode::link(urlOf(node), inlineChildren(node, depth));
    case NodeType::image: return InlineNode::image(urlOf(node), inlineChildren(node, depth));
    default: return std::nullopt;
    }
}

std::vector<BlockNode> blockChildren(cmark_node* node, int depth) {
    std::vector<BlockNode> blocks;
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
        if (auto block = makeBlockNode(child, depth + 1)) blocks.push_back(std::move(*block));
    }
    return blocks;
}

std::vector<InlineNode> inlineChildren(cmark_node* node, int depth) {
    std::vector<InlineNode> inlines;
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
        if (auto inlineNode = makeInlineNode(child, depth + 1)) inlines.push_back(std::move(*inlineNode));
    }
    return inlines;
}

} // namespace ridadozi::cmark
