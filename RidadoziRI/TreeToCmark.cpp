#include "RidadoziRI/CmarkConversion.h"

#include "RidadoziRI/CmarkArena.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace ridadozi::cmark {

namespace {

// CommonMark list markers have at most nine digits and cannot be negative, and cmark-gfm numbers
// the items in an int; a start outside what every item can show is clamped into it.
constexpr std::int64_t largestListNumber = 999'999'999;
constexpr std::size_t largestColumnCount = std::numeric_limits<uint16_t>::max();

NodePtr newNode(cmark_node_type type) { return NodePtr(cmark_node_new_with_mem(type, CmarkArena::currentAllocator())); }

NodePtr newNode(cmark_node_type type, const char* extensionName) {
    if (type == CMARK_NODE_NONE) return nullptr;
    cmark_syntax_extension* extension = cmark_find_syntax_extension(extensionName);
    if (!extension) return nullptr;
    return NodePtr(cmark_node_new_with_mem_and_ext(type, CmarkArena::currentAllocator(), extension));
}

// A table cell owned by the table extension. Made as the parser makes cells: a plain node of the cell
// kind that is then handed to the extension. cmark_node_new_with_ext would also give the cell the
// extension's private data, which this version of cmark-gfm never frees for cells (a leak per cell).
NodePtr newTableCell(cmark_node_type cellKind) {
    if (cellKind == CMARK_NODE_NONE) return nullptr;
    cmark_syntax_extension* extension = cmark_find_syntax_extension("table");
    if (!extension) return nullptr;
    NodePtr cell = newNode(cellKind);
    if (!cell || !cmark_node_set_syntax_extension(cell.get(), extension)) return nullptr;
    return cell;
}

// Appends `child` to `parent`; a child cmark-gfm refuses is freed with the pointer.
void append(cmark_node* parent, NodePtr child) {
    if (!child) return;
    if (cmark_node_append_child(parent, child.get())) child.release(); // now owned by the parent
}

// Appends the nodes made for `nodes`.
template <class Nodes>
void appendAll(cmark_node* parent, const Nodes& nodes) {
    for (const auto& node : nodes) append(parent, makeCmarkNode(node));
}

NodePtr withLiteral(NodePtr node, const std::string& literal) {
    std::string copy;
    if (!node || !cmark_node_set_literal(node.get(), cmarkText(literal, copy))) return nullptr;
    return node;
}

NodePtr makeList(cmark_list_type type, bool isTight) {
    NodePtr list = newNode(CMARK_NODE_LIST);
    if (!list || !cmark_node_set_list_type(list.get(), type) || !cmark_node_set_list_tight(list.get(), isTight ? 1 : 0)) {
        return nullptr;
    }
    return list;
}

template <class Items>
NodePtr makePlainList(cmark_list_type type, bool isTight, const Items& items) {
    NodePtr list = makeList(type, isTight);
    if (!list) return nullptr;
    for (const auto& item : items) {
        NodePtr itemNode = newNode(CMARK_NODE_ITEM);
        if (!itemNode) continue;
        appendAll(itemNode.get(), item.children);
        append(list.get(), std::move(itemNode));
    }
    return list;
}

int clampedListStart(std::int64_t start, std::size_t itemCount) {
    const std::int64_t extraItems = itemCount > 0 ? static_cast<std::int64_t>(std::min<std::size_t>(itemCount - 1, largestListNumber)) : 0;
    return static_cast<int>(std::clamp<std::int64_t>(start, 0, largestListNumber - extraItems));
}

NodePtr makeBlock(const BlockNode::NumberedList& list) {
    NodePtr node = makePlainList(CMARK_ORDERED_LIST, list.isTight, list.items);
    if (node && !cmark_node_set_list_start(node.get(), clampedListStart(list.start, list.items.size()))) return nullptr;
    return node;
}

NodePtr makeBlock(const BlockNode::TaskList& list) {
    NodePtr node = makeList(CMARK_BULLET_LIST, list.isTight);
    if (!node) return nullptr;
    for (const auto& item : list.items) {
        NodePtr itemNode = newNode(CMARK_NODE_ITEM, "tasklist");
        if (!itemNode || !cmark_gfm_extensions_set_tasklist_item_checked(itemNode.get(), item.isCompleted)) continue;
        appendAll(itemNode.get(), item.children);
        append(node.get(), std::move(itemNode));
    }
    return node;
}

NodePtr makeBlock(const BlockNode::CodeBlock& code) {
    NodePtr node = newNode(CMARK_NODE_CODE_BLOCK);
    std::string copy;
    if (node && code.fenceInfo && !cmark_node_set_fence_info(node.get(), cmarkText(*code.fenceInfo, copy))) {
        return nullptr;
    }
    return withLiteral(std::move(node), code.content);
}

NodePtr makeBlock(const BlockNode::Heading& heading) {
    NodePtr node = newNode(CMARK_NODE_HEADING);
    const int level = static_cast<int>(std::clamp<std::int64_t>(heading.level, 1, 6));
    if (!node || !cmark_node_set_heading_level(node.get(), level)) return nullptr;
    appendAll(node.get(), heading.content);
    return node;
}

NodePtr makeBlock(const BlockNode::Table& table) {
    const ExtensionNodeKinds& kinds = extensionNodeKinds();
    // A table needs at least one column to be written at all.
    if (table.columnAlignments.empty()) return nullptr;
    NodePtr node = newNode(kinds.table, "table");
    if (!node) return nullptr;

    const std::size_t columns = std::min(table.columnAlignments.size(), largestColumnCount);
    std::vector<uint8_t> alignments;
    alignments.reserve(columns);
    for (std::size_t column = 0; column < columns; ++column) {
        alignments.push_back(static_cast<uint8_t>(rawValue(table.columnAlignments[column])));
    }
    const auto columnCount = static_cast<uint16_t>(columns);
    if (!cmark_gfm_extensions_set_table_columns(node.get(), columnCount) ||
        !cmark_gfm_extensions_set_table_alignments(node.get(), columnCount, alignments.data())) {
        return nullptr;
    }

    bool isFirstRow = true;
    for (const auto& row : table.rows) {
        NodePtr rowNode = newNode(kinds.tableRow, "table");
        if (!rowNode) continue;
        if (isFirstRow && !cmark_gfm_extensions_set_table_row_is_header(rowNode.get(), 1)) continue;
        // Every row reaches cmark-gfm with exactly one cell per column: short rows are padded with
        // empty cells, long rows cut.
        for (std::size_t column = 0; column < columns; ++column) {
            NodePtr cellNode = newTableCell(kinds.tableCell);
            if (!cellNode) continue;
            if (column < row.cells.size()) appendAll(cellNode.get(), row.cells[column].content);
            append(rowNode.get(), std::move(cellNode));
        }
        append(node.get(), std::move(rowNode));
        isFirstRow = false;
    }
    return node;
}

NodePtr makeContainer(cmark_node_type type, const std::vector<InlineNode>& children) {
    NodePtr node = newNode(type);
    if (node) appendAll(node.get(), children);
    return node;
}

NodePtr makeLinkLike(cmark_node_type type, const std::string& url, const std::vector<InlineNode>& children) {
    NodePtr node = newNode(type);
    std::string copy;
    if (!node || !cmark_node_set_url(node.get(), cmarkText(url, copy))) return nullptr;
    appendAll(node.get(), children);
    return node;
}

} // namespace

NodePtr makeCmarkNode(const BlockNode& block) {
    return std::visit(
        [](const auto& value) -> NodePtr {
            using Block = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Block, BlockNode::Blockquote>) {
                NodePtr node = newNode(CMARK_NODE_BLOCK_QUOTE);
                if (node) appendAll(node.get(), value.children);
                return node;
            } else if constexpr (std::is_same_v<Block, BlockNode::BulletedList>) {
                return makePlainList(CMARK_BULLET_LIST, value.isTight, value.items);
            } else if constexpr (std::is_same_v<Block, BlockNode::HtmlBlock>) {
                return withLiteral(newNode(CMARK_NODE_HTML_BLOCK), value.content);
            } else if constexpr (std::is_same_v<Block, BlockNode::Paragraph>) {
                NodePtr node = newNode(CMARK_NODE_PARAGRAPH);
                if (node) appendAll(node.get(), value.content);
                return node;
            } else if constexpr (std::is_same_v<Block, BlockNode::ThematicBreak>) {
                return newNode(CMARK_NODE_THEMATIC_BREAK);
            } else {
                return makeBlock(value);
            }
        },
        block.value());
}

NodePtr makeCmarkNode(const InlineNode& inlineNode) {
    return std::visit(
        [](const auto& value) -> NodePtr {
            using Node = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Node, InlineNode::Text>) {
                return withLiteral(newNode(CMARK_NODE_TEXT), value.text);
            } else if constexpr (std::is_same_v<Node, InlineNode::Code>) {
                return withLiteral(newNode(CMARK_NODE_CODE), value.code);
            } else if constexpr (std::is_same_v<Node, InlineNode::Html>) {
                return withLiteral(newNode(CMARK_NODE_HTML_INLINE), value.html);
            } else if constexpr (std::is_same_v<Node, InlineNode::Emphasis>) {
                return makeContainer(CMARK_NODE_EMPH, value.children);
            } else if constexpr (std::is_same_v<Node, InlineNode::Strong>) {
                return makeContainer(CMARK_NODE_STRONG, value.children);
            } else if constexpr (std::is_same_v<Node, InlineNode::Strikethrough>) {
                NodePtr node = newNode(extensionNodeKinds().strikethrough, "strikethrough");
                if (node) appendAll(node.get(), value.children);
                return node;
            } else if constexpr (std::is_same_v<Node, InlineNode::Link>) {
                return makeLinkLike(CMARK_NODE_LINK, value.destination, value.children);
            } else if constexpr (std::is_same_v<Node, InlineNode::Image>) {
                return makeLinkLike(CMARK_NODE_IMAGE, value.source, value.children);
            } else if constexpr (std::is_same_v<Node, InlineNode::SoftBreak>) {
                return newNode(CMARK_NODE_SOFTBREAK);
            } else {
                return newNode(CMARK_NODE_LINEBREAK);
            }
        },
        inlineNode.value());
}

} // namespace ridadozi::cmark
