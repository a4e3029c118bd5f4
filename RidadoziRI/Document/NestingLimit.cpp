#include "RidadoziRI/Document/NestingLimit.h"

#include <utility>

namespace ridadozi {

namespace {

bool isContainer(const BlockNode& block) {
    return block.is<BlockNode::Blockquote>() || block.is<BlockNode::BulletedList>() ||
           block.is<BlockNode::NumberedList>() || block.is<BlockNode::TaskList>();
}

bool isContainer(const InlineNode& node) {
    return node.is<InlineNode::Emphasis>() || node.is<InlineNode::Strong>() || node.is<InlineNode::Strikethrough>() ||
           node.is<InlineNode::Link>() || node.is<InlineNode::Image>();
}

// The inline lists held by `block` itself.
std::vector<const std::vector<InlineNode>*> inlineListsOf(const BlockNode& block) {
    std::vector<const std::vector<InlineNode>*> lists;
    if (const auto* paragraph = block.as<BlockNode::Paragraph>()) lists.push_back(&paragraph->content);
    if (const auto* heading = block.as<BlockNode::Heading>()) lists.push_back(&heading->content);
    if (const auto* table = block.as<BlockNode::Table>()) {
        for (const auto& row : table->rows) {
            for (const auto& cell : row.cells) lists.push_back(&cell.content);
        }
    }
    return lists;
}

// Calls `body` with each block nested directly in `block`, in order.
template <class Body>
void forEachNestedBlock(const BlockNode& block, Body body) {
    if (const auto* quote = block.as<BlockNode::Blockquote>()) {
        for (const auto& child : quote->children) body(child);
    }
    const auto items = [&body](const auto& list) {
        for (const auto& item : list.items) {
            for (const auto& child : item.children) body(child);
        }
    };
    if (const auto* list = block.as<BlockNode::BulletedList>()) items(*list);
    if (const auto* list = block.as<BlockNode::NumberedList>()) items(*list);
    if (const auto* list = block.as<BlockNode::TaskList>()) items(*list);
}

bool inlinesTooDeep(const std::vector<InlineNode>& inlines) {
    std::vector<std::pair<const InlineNode*, int>> pending;
    for (const auto& node : inlines) pending.emplace_back(&node, 1);
    while (!pending.empty()) {
        const auto [node, level] = pending.back();
        pending.pop_back();
        if (!isContainer(*node)) continue;
        if (level > maximumNesting) return true;
        for (const auto& child : node->children()) pending.emplace_back(&child, level + 1);
    }
    return false;
}

bool tooDeep(const std::vector<BlockNode>& blocks) {
    std::vector<std::pair<const BlockNode*, int>> pending;
    for (const auto& block : blocks) pending.emplace_back(&block, 1);
    while (!pending.empty()) {
        const auto [block, level] = pending.back();
        pending.pop_back();
        for (const auto* inlines : inlineListsOf(*block)) {
            if (inlinesTooDeep(*inlines)) return true;
        }
        if (!isContainer(*block)) continue;
        if (level > maximumNesting) return true;
        const int childLevel = level + 1;
        forEachNestedBlock(*block, [&pending, childLevel](const BlockNode& child) { pending.emplace_back(&child, childLevel); });
    }
    return false;
}

// Appends the text, code, HTML and breaks inside `container`, at any depth, in order.
void appendInlineLeaves(const InlineNode& container, std::vector<InlineNode>& result) {
    std::vector<const InlineNode*> pending{&container};
    while (!pending.empty()) {
        const InlineNode* node = pending.back();
        pending.pop_back();
        if (!isContainer(*node)) {
            result.push_back(*node);
            continue;
        }
        const auto& children = node->children();
        for (auto child = children.rbegin(); child != children.rend(); ++child) pending.push_back(&*child);
    }
}

InlineNode withChildren(const InlineNode& node, std::vector<InlineNode> children) {
    if (const auto* link = node.as<InlineNode::Link>()) return InlineNode::link(link->destination, std::move(children));
    if (const auto* image = node.as<InlineNode::Image>()) return InlineNode::image(image->source, std::move(children));
    if (node.is<InlineNode::Strong>()) return InlineNode::strong(std::move(children));
    if (node.is<InlineNode::Strikethrough>()) return InlineNode::strikethrough(std::move(children));
    return InlineNode::emphasis(std::move(children));
}

// Recursive only down to the limit; what lies deeper is gathered by the loop above.
std::vector<InlineNode> limitedInlines(const std::vector<InlineNode>& inlines, int level) {
    std::vector<InlineNode> result;
    result.reserve(inlines.size());
    for (const auto& node : inlines) {
        if (!isContainer(node)) {
            result.push_back(node);
        } else if (level > maximumNesting) {
            appendInlineLeaves(node, result);
        } else {
            result.push_back(withChildren(node, limitedInlines(node.children(), level + 1)));
        }
    }
    return result;
}

std::vector<BlockNode> limitedBlocks(const std::vector<BlockNode>& blocks, int level);

template <class Items>
Items limitedItems(const Items& items, int level) {
    Items result = items;
    for (auto& item : result) item.children = limitedBlocks(item.children, level);
    return result;
}

BlockNode limitedBlock(const BlockNode& block, int level) {
    if (const auto* quote = block.as<BlockNode::Blockquote>()) {
        return BlockNode::blockquote(limitedBlocks(quote->children, level + 1));
    }
    if (const auto* list = block.as<BlockNode::BulletedList>()) {
        return BlockNode::bulletedList(list->isTight, limitedItems(list->items, level + 1));
    }
    if (const auto* list = block.as<BlockNode::NumberedList>()) {
        return BlockNode::numberedList(list->isTight, list->start, limitedItems(list->items, level + 1));
    }
    if (const auto* list = block.as<BlockNode::TaskList>()) {
        return BlockNode::taskList(list->isTight, limitedItems(list->items, level + 1));
    }
    if (const auto* paragraph = block.as<BlockNode::Paragraph>()) {
        return BlockNode::paragraph(limitedInlines(paragraph->content, 1));
    }
    if (const auto* heading = block.as<BlockNode::Heading>()) {
        return BlockNode::heading(heading->level, limitedInlines(heading->content, 1));
    }
    if (const auto* table = block.as<BlockNode::Table>()) {
        auto rows = table->rows;
        for (auto& row : rows) {
            for (auto& cell : row.cells) cell.content = limitedInlines(cell.content, 1);
        }
        return BlockNode::table(table->columnAlignments, std::move(rows));
    }
    return block;
}

// Appends the blocks other than quotes and lists inside `container`, at any depth, in order.
void appendLeafBlocks(const BlockNode& container, std::vector<BlockNode>& result) {
    std::vector<BlockNode> pending{container};
    while (!pending.empty()) {
        const BlockNode block = std::move(pending.back());
        pending.pop_back();
        if (!isContainer(block)) {
            result.push_back(limitedBlock(block, 1));
            continue;
        }
        const auto children = block.children();
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
}

std::vector<BlockNode> limitedBlocks(const std::vector<BlockNode>& blocks, int level) {
    std::vector<BlockNode> result;
    result.reserve(blocks.size());
    for (const auto& block : blocks) {
        if (isContainer(block) && level > maximumNesting) {
            appendLeafBlocks(block, result);
        } else {
            result.push_back(limitedBlock(block, level));
        }
    }
    return result;
}

} // namespace

std::vector<BlockNode> limitingNesting(const std::vector<BlockNode>& blocks) {
    if (!tooDeep(blocks)) return blocks;
    return limitedBlocks(blocks, 1);
}

} // namespace ridadozi
