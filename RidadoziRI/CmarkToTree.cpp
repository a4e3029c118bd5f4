#include "RidadoziRI/CmarkConversion.h"

#include "RidadoziRI/FatalError.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>

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

BlockNode makeList(cmark_node* node, int level) {
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
            items.push_back({cmark_gfm_extensions_get_tasklist_item_checked(child), blockChildren(child, level + 1)});
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
        items.push_back({blockChildren(child, level + 1)});
    }
    if (listType == CMARK_ORDERED_LIST) {
        return BlockNode::numberedList(isTight, cmark_node_get_list_start(node), std::move(items));
    }
    return BlockNode::bulletedList(isTight, std::move(items));
}

BlockNode makeTable(cmark_node* node) {
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
            rawRow.cells.push_back({inlineChildren(cell)});
        }
        rows.push_back(std::move(rawRow));
    }
    return BlockNode::table(std::move(alignments), std::move(rows));
}

bool isBlockContainer(NodeType type) {
    return type == NodeType::blockquote || type == NodeType::list || type == NodeType::item ||
           type == NodeType::taskListItem;
}

bool isInlineContainer(NodeType type) {
    return type == NodeType::emphasis || type == NodeType::strong || type == NodeType::strikethrough ||
           type == NodeType::link || type == NodeType::image;
}

// The next node after `node` in a walk of the nodes below `root` that does not enter `node`.
cmark_node* nextOutside(cmark_node* node, cmark_node* root) {
    while (node != root && !cmark_node_next(node)) node = cmark_node_parent(node);
    return node == root ? nullptr : cmark_node_next(node);
}

// Converts the nodes below `container` that `isContainer` does not enter, in document order, with
// `convert`, without recursion however deep the containers nest.
template <class Node, class IsContainer, class Convert>
void appendLeaves(cmark_node* container, std::vector<Node>& result, IsContainer isContainer, Convert convert) {
    cmark_node* node = cmark_node_first_child(container);
    while (node) {
        if (isContainer(nodeType(node))) {
            if (cmark_node* child = cmark_node_first_child(node)) {
                node = child;
                continue;
            }
        } else {
            convert(node, result);
        }
        node = nextOutside(node, container);
    }
}

} // namespace

namespace {

// The kinds that cmark-gfm itself defines have fixed type strings: read from the kind's number, the
// common case needs no string comparison. A node that belongs to an extension may be named otherwise.
std::optional<NodeType> coreNodeType(cmark_node* node) {
    if (cmark_node_get_syntax_extension(node)) return std::nullopt;
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_DOCUMENT: return NodeType::document;
    case CMARK_NODE_BLOCK_QUOTE: return NodeType::blockquote;
    case CMARK_NODE_LIST: return NodeType::list;
    case CMARK_NODE_ITEM: return NodeType::item;
    case CMARK_NODE_CODE_BLOCK: return NodeType::codeBlock;
    case CMARK_NODE_HTML_BLOCK: return NodeType::htmlBlock;
    case CMARK_NODE_CUSTOM_BLOCK: return NodeType::customBlock;
    case CMARK_NODE_PARAGRAPH: return NodeType::paragraph;
    case CMARK_NODE_HEADING: return NodeType::heading;
    case CMARK_NODE_THEMATIC_BREAK: return NodeType::thematicBreak;
    case CMARK_NODE_TEXT: return NodeType::text;
    case CMARK_NODE_SOFTBREAK: return NodeType::softBreak;
    case CMARK_NODE_LINEBREAK: return NodeType::lineBreak;
    case CMARK_NODE_CODE: return NodeType::code;
    case CMARK_NODE_HTML_INLINE: return NodeType::html;
    case CMARK_NODE_CUSTOM_INLINE: return NodeType::customInline;
    case CMARK_NODE_EMPH: return NodeType::emphasis;
    case CMARK_NODE_STRONG: return NodeType::strong;
    case CMARK_NODE_LINK: return NodeType::link;
    case CMARK_NODE_IMAGE: return NodeType::image;
    default: return std::nullopt;
    }
}

} // namespace

NodeType nodeType(cmark_node* node) {
    if (const auto core = coreNodeType(node)) return *core;
    const char* typeString = cmark_node_get_type_string(node);
    const std::string_view raw = typeString ? typeString : "";
    if (const auto type = nodeTypeFromRawValue(raw)) return *type;
    fatalError(parserSource, "Unknown node type '" + std::string(raw) + "' found.");
}

std::optional<BlockNode> makeBlockNode(cmark_node* node, int level) {
    switch (nodeType(node)) {
    case NodeType::blockquote: return BlockNode::blockquote(blockChildren(node, level + 1));
    case NodeType::list: return makeList(node, level);
    case NodeType::codeBlock: {
        const char* info = cmark_node_get_fence_info(node);
        return BlockNode::codeBlock(info ? std::optional<std::string>(info) : std::nullopt, literalOf(node));
    }
    case NodeType::htmlBlock: return BlockNode::htmlBlock(literalOf(node));
    case NodeType::paragraph: return BlockNode::paragraph(inlineChildren(node));
    case NodeType::heading: return BlockNode::heading(cmark_node_get_heading_level(node), inlineChildren(node));
    case NodeType::thematicBreak: return BlockNode::thematicBreak();
    case NodeType::table: return makeTable(node);
    default: return std::nullopt;
    }
}

void appendInlineNode(cmark_node* node, int level, std::vector<InlineNode>& inlines) {
    const int childLevel = level + 1;
    switch (nodeType(node)) {
    case NodeType::text: inlines.emplace_back(InlineNode::Text{literalOf(node)}); return;
    case NodeType::softBreak: inlines.emplace_back(InlineNode::SoftBreak{}); return;
    case NodeType::lineBreak: inlines.emplace_back(InlineNode::LineBreak{}); return;
    case NodeType::code: inlines.emplace_back(InlineNode::Code{literalOf(node)}); return;
    case NodeType::html: inlines.emplace_back(InlineNode::Html{literalOf(node)}); return;
    case NodeType::emphasis: inlines.emplace_back(InlineNode::Emphasis{inlineChildren(node, childLevel)}); return;
    case NodeType::strong: inlines.emplace_back(InlineNode::Strong{inlineChildren(node, childLevel)}); return;
    case NodeType::strikethrough:
        inlines.emplace_back(InlineNode::Strikethrough{inlineChildren(node, childLevel)});
        return;
    case NodeType::link: inlines.emplace_back(InlineNode::Link{urlOf(node), inlineChildren(node, childLevel)}); return;
    case NodeType::image: inlines.emplace_back(InlineNode::Image{urlOf(node), inlineChildren(node, childLevel)}); return;
    default: return;
    }
}

std::vector<BlockNode> blockChildren(cmark_node* node, int level) {
    std::vector<BlockNode> blocks;
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
        const NodeType type = nodeType(child);
        if (level > maximumNesting && (type == NodeType::blockquote || type == NodeType::list)) {
            // Too deep to keep as it is: what it holds takes its place.
            appendLeaves(child, blocks, isBlockContainer, [level](cmark_node* leaf, std::vector<BlockNode>& result) {
                if (auto block = makeBlockNode(leaf, level)) result.push_back(std::move(*block));
            });
        } else if (auto block = makeBlockNode(child, level)) {
            blocks.push_back(std::move(*block));
        }
    }
    return blocks;
}

std::vector<InlineNode> inlineChildren(cmark_node* node, int level) {
    std::vector<InlineNode> inlines;
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) {
        if (level > maximumNesting && isInlineContainer(nodeType(child))) {
            appendLeaves(child, inlines, isInlineContainer,
                         [level](cmark_node* leaf, std::vector<InlineNode>& result) { appendInlineNode(leaf, level, result); });
        } else {
            appendInlineNode(child, level, inlines);
        }
    }
    return inlines;
}

} // namespace ridadozi::cmark
