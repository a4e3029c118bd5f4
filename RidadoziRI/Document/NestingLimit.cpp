#include "RidadoziRI/Document/NestingLimit.h"

#include <algorithm>
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

// Whether `block`, standing at `level`, is nested within the limit all through.
bool withinLimit(const BlockNode& block, int level) {
    return level - 1 + block.blockNesting() <= maximumNesting && block.inlineNesting() <= maximumNesting;
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
        if (level - 1 + node.nestingDepth() <= maximumNesting) {
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
        if (withinLimit(block, level)) {
            result.push_back(block); // shared, not copied
        } else if (isContainer(block) && level > maximumNesting) {
            appendLeafBlocks(block, result);
        } else {
            result.push_back(limitedBlock(block, level));
        }
    }
    return result;
}

} // namespace

bool exceedsNestingLimit(const std::vector<BlockNode>& blocks) {
    return std::any_of(blocks.begin(), blocks.end(), [](const BlockNode& block) { return !withinLimit(block, 1); });
}

std::vector<BlockNode> limitingNesting(const std::vector<BlockNode>& blocks) {
    if (!exceedsNestingLimit(blocks)) return blocks;
    return limitedBlocks(blocks, 1);
}

} // namespace ridadozi
