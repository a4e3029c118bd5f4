#include "RidadoziRI/Document/BlockNode.h"

#include "RidadoziRI/Document/HashCombine.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace ridadozi {

bool RawListItem::operator==(const RawListItem&) const = default;
bool RawTaskListItem::operator==(const RawTaskListItem&) const = default;
bool BlockNode::Blockquote::operator==(const Blockquote&) const = default;
bool BlockNode::BulletedList::operator==(const BulletedList&) const = default;
bool BlockNode::NumberedList::operator==(const NumberedList&) const = default;
bool BlockNode::TaskList::operator==(const TaskList&) const = default;

std::optional<RawTableColumnAlignment> rawTableColumnAlignment(char rawValue) {
    switch (rawValue) {
    case '\0': return RawTableColumnAlignment::none;
    case 'l': return RawTableColumnAlignment::left;
    case 'c': return RawTableColumnAlignment::center;
    case 'r': return RawTableColumnAlignment::right;
    default: return std::nullopt;
    }
}

namespace {

int inlineNestingOf(const std::vector<InlineNode>& inlines) {
    int deepest = 0;
    for (const auto& node : inlines) deepest = std::max(deepest, node.nestingDepth());
    return deepest;
}

} // namespace

BlockNode::BlockNode(Value value) : value_(std::make_shared<Storage>(std::move(value))) {
    int& blocks = value_->blockNesting;
    int& inlines = value_->inlineNesting;
    const auto nested = [&blocks, &inlines](const std::vector<BlockNode>& children) {
        for (const auto& child : children) {
            blocks = std::max(blocks, child.blockNesting() + 1);
            inlines = std::max(inlines, child.inlineNesting());
        }
    };
    std::visit(
        [&](const auto& block) {
            using Block = std::decay_t<decltype(block)>;
            if constexpr (std::is_same_v<Block, Blockquote>) {
                blocks = 1;
                nested(block.children);
            } else if constexpr (requires { block.items; }) {
                blocks = 1;
                for (const auto& item : block.items) nested(item.children);
            } else if constexpr (std::is_same_v<Block, Paragraph> || std::is_same_v<Block, Heading>) {
                inlines = inlineNestingOf(block.content);
            } else if constexpr (std::is_same_v<Block, Table>) {
                for (const auto& row : block.rows) {
                    for (const auto& cell : row.cells) inlines = std::max(inlines, inlineNestingOf(cell.content));
                }
            }
        },
        value_->value);
}

BlockNode BlockNode::blockquote(std::vector<BlockNode> children) {
    return BlockNode(Blockquote{std::move(children)});
}
BlockNode BlockNode::bulletedList(bool isTight, std::vector<RawListItem> items) {
    return BlockNode(BulletedList{isTight, std::move(items)});
}
BlockNode BlockNode::numberedList(bool isTight, std::int64_t start, std::vector<RawListItem> items) {
    return BlockNode(NumberedList{isTight, start, std::move(items)});
}
BlockNode BlockNode::taskList(bool isTight, std::vector<RawTaskListItem> items) {
    return BlockNode(TaskList{isTight, std::move(items)});
}
BlockNode BlockNode::codeBlock(std::optional<std::string> fenceInfo, std::string content) {
    return BlockNode(CodeBlock{std::move(fenceInfo), std::move(content)});
}
BlockNode BlockNode::htmlBlock(std::string content) { return BlockNode(HtmlBlock{std::move(content)}); }
BlockNode BlockNode::paragraph(std::vector<InlineNode> content) {
    return BlockNode(Paragraph{std::move(content)});
}
BlockNode BlockNode::heading(std::int64_t level, std::vector<InlineNode> content) {
    return BlockNode(Heading{level, std::move(content)});
}
BlockNode BlockNode::table(std::vector<RawTableColumnAlignment> columnAlignments, std::vector<RawTableRow> rows) {
    return BlockNode(Table{std::move(columnAlignments), std::move(rows)});
}
BlockNode BlockNode::thematicBreak() { return BlockNode(ThematicBreak{}); }

namespace {

// Moves the blocks nested directly in `value` to the end of `blocks`.
void takeNestedBlocks(BlockNode::Value& value, std::vector<BlockNode>& blocks) {
    const auto take = [&blocks](std::vector<BlockNode>& children) {
        std::move(children.begin(), children.end(), std::back_inserter(blocks));
        children.clear();
    };
    std::visit(
        [&take](auto& block) {
            if constexpr (requires { block.children; }) {
                take(block.children);
            } else if constexpr (requires { block.items; }) {
                for (auto& item : block.items) take(item.children);
            }
        },
        value);
}

} // namespace

BlockNode::~BlockNode() {
    // Only the last owner takes the value apart; a value still shared elsewhere is left whole.
    if (!value_ || value_.use_count() != 1) return;
    if (value_->blockNesting <= recursiveTeardownDepth) return; // the members go by plain recursion
    std::vector<BlockNode> pending;
    takeNestedBlocks(value_->value, pending);
    while (!pending.empty()) {
        BlockNode block = std::move(pending.back());
        pending.pop_back();
        if (block.value_ && block.value_.use_count() == 1) takeNestedBlocks(block.value_->value, pending);
    }
}

std::vector<BlockNode> BlockNode::children() const {
    std::vector<BlockNode> result;
    const auto appendItems = [&result](const auto& items) {
        for (const auto& item : items) result.insert(result.end(), item.children.begin(), item.children.end());
    };
    if (const auto* quote = as<Blockquote>()) {
        result = quote->children;
    } else if (const auto* bulleted = as<BulletedList>()) {
        appendItems(bulleted->items);
    } else if (const auto* numbered = as<NumberedList>()) {
        appendItems(numbered->items);
    } else if (const auto* tasks = as<TaskList>()) {
        appendItems(tasks->items);
    }
    return result;
}

namespace {

// One node of the tree as the walks below see it: a block, or one inline list of a block.
using TreePart = std::variant<const BlockNode*, const std::vector<InlineNode>*>;

// Appends the parts nested directly in `block`, in document order.
void appendParts(const BlockNode& block, std::vector<TreePart>& parts) {
    std::visit(
        [&parts](const auto& value) {
            using Block = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Block, BlockNode::Blockquote>) {
                for (const auto& child : value.children) parts.push_back(&child);
            } else if constexpr (requires { value.items; }) {
                for (const auto& item : value.items) {
                    for (const auto& child : item.children) parts.push_back(&child);
                }
            } else if constexpr (std::is_same_v<Block, BlockNode::Paragraph> || std::is_same_v<Block, BlockNode::Heading>) {
                parts.push_back(&value.content);
            } else if constexpr (std::is_same_v<Block, BlockNode::Table>) {
                for (const auto& row : value.rows) {
                    for (const auto& cell : row.cells) parts.push_back(&cell.content);
                }
            }
        },
        block.value());
}

// The block without what is nested in it: its case, flags, numbers, strings, alignments and the
// shape of its items, rows and cells.
bool equalWithoutNesting(const BlockNode& left, const BlockNode& right) {
    if (left.value().index() != right.value().index()) return false;
    return std::visit(
        [&right](const auto& value) {
            using Block = std::decay_t<decltype(value)>;
            const Block& other = std::get<Block>(right.value());
            if constexpr (std::is_same_v<Block, BlockNode::Blockquote>) {
                return value.children.size() == other.children.size();
            } else if constexpr (requires { value.items; }) {
                if constexpr (std::is_same_v<Block, BlockNode::NumberedList>) {
                    if (value.start != other.start) return false;
                }
                if (value.isTight != other.isTight || value.items.size() != other.items.size()) return false;
                for (std::size_t i = 0; i < value.items.size(); ++i) {
                    if constexpr (std::is_same_v<Block, BlockNode::TaskList>) {
                        if (value.items[i].isCompleted != other.items[i].isCompleted) return false;
                    }
                    if (value.items[i].children.size() != other.items[i].children.size()) return false;
                }
                return true;
            } else if constexpr (std::is_same_v<Block, BlockNode::Paragraph>) {
                return true;
            } else if constexpr (std::is_same_v<Block, BlockNode::Heading>) {
                return value.level == other.level;
            } else if constexpr (std::is_same_v<Block, BlockNode::Table>) {
                if (value.columnAlignments != other.columnAlignments || value.rows.size() != other.rows.size()) return false;
                for (std::size_t i = 0; i < value.rows.size(); ++i) {
                    if (value.rows[i].cells.size() != other.rows[i].cells.size()) return false;
                }
                return true;
            } else {
                return value == other; // code, HTML and thematic breaks hold nothing nested
            }
        },
        left.value());
}

std::size_t hashWithoutNesting(const BlockNode& block) {
    std::size_t seed = block.value().index();
    std::visit(
        [&seed](const auto& value) {
            using Block = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Block, BlockNode::Blockquote>) {
                detail::hashInto(seed, value.children.size());
            } else if constexpr (requires { value.items; }) {
                detail::hashInto(seed, value.isTight);
                if constexpr (std::is_same_v<Block, BlockNode::NumberedList>) detail::hashInto(seed, value.start);
                for (const auto& item : value.items) {
                    if constexpr (std::is_same_v<Block, BlockNode::TaskList>) detail::hashInto(seed, item.isCompleted);
                    detail::hashInto(seed, item.children.size());
                }
            } else if constexpr (std::is_same_v<Block, BlockNode::CodeBlock>) {
                detail::hashInto(seed, value.fenceInfo.has_value());
                if (value.fenceInfo) detail::hashInto(seed, *value.fenceInfo);
                detail::hashInto(seed, value.content);
            } else if constexpr (std::is_same_v<Block, BlockNode::HtmlBlock>) {
                detail::hashInto(seed, value.content);
            } else if constexpr (std::is_same_v<Block, BlockNode::Heading>) {
                detail::hashInto(seed, value.level);
            } else if constexpr (std::is_same_v<Block, BlockNode::Table>) {
                for (const auto alignment : value.columnAlignments) detail::hashInto(seed, alignment);
                for (const auto& row : value.rows) detail::hashInto(seed, row.cells.size());
            }
        },
        block.value());
    return seed;
}

std::size_t hashInlines(const std::vector<InlineNode>& inlines) {
    std::size_t seed = inlines.size();
    for (const auto& node : inlines) detail::hashCombine(seed, node.hashValue());
    return seed;
}

} // namespace

bool BlockNode::operator==(const BlockNode& other) const {
    std::vector<TreePart> left{this};
    std::vector<TreePart> right{&other};
    while (!left.empty()) {
        const TreePart leftPart = left.back();
        const TreePart rightPart = right.back();
        left.pop_back();
        right.pop_back();
        if (const auto* inlines = std::get_if<const std::vector<InlineNode>*>(&leftPart)) {
            if (**inlines != *std::get<const std::vector<InlineNode>*>(rightPart)) return false;
            continue;
        }
        const BlockNode& leftBlock = *std::get<const BlockNode*>(leftPart);
        const BlockNode& rightBlock = *std::get<const BlockNode*>(rightPart);
        if (leftBlock.value_ == rightBlock.value_) continue; // one shared value
        if (!equalWithoutNesting(leftBlock, rightBlock)) return false;
        appendParts(leftBlock, left);
        appendParts(rightBlock, right);
        if (left.size() != right.size()) return false;
    }
    return true;
}

// A block's own hash mixed with those of its parts in document order. Nested blocks are hashed first,
// after the blocks that hold them, with a heap-held stack; each block keeps its hash, shared by its copies.
std::size_t BlockNode::hashValue() const {
    std::vector<std::pair<const BlockNode*, bool>> pending{{this, false}};
    std::vector<TreePart> parts;
    while (!pending.empty()) {
        const auto [block, partsHashed] = pending.back();
        const Storage& storage = *block->value_;
        if (storage.hashKnown.load(std::memory_order_acquire)) {
            pending.pop_back();
            continue;
        }
        parts.clear();
        appendParts(*block, parts);
        if (!partsHashed) {
            pending.back().second = true;
            for (const TreePart& part : parts) {
                if (const auto* child = std::get_if<const BlockNode*>(&part)) pending.emplace_back(*child, false);
            }
            continue;
        }
        std::size_t seed = hashWithoutNesting(*block);
        for (const TreePart& part : parts) {
            if (const auto* inlines = std::get_if<const std::vector<InlineNode>*>(&part)) {
                detail::hashCombine(seed, hashInlines(**inlines));
            } else {
                detail::hashCombine(seed, std::get<const BlockNode*>(part)->value_->hash.load(std::memory_order_relaxed));
            }
        }
        storage.hash.store(seed, std::memory_order_relaxed);
        storage.hashKnown.store(true, std::memory_order_release);
        pending.pop_back();
    }
    return value_->hash.load(std::memory_order_relaxed);
}

namespace {

template <class Item>
std::vector<Item> rewriteItems(const std::vector<Item>& items, const InlineRewriter& rewriter) {
    std::vector<Item> result;
    result.reserve(items.size());
    for (const auto& item : items) {
        Item rewritten = item;
        rewritten.children = rewrite(item.children, rewriter);
        result.push_back(std::move(rewritten));
    }
    return result;
}

} // namespace

std::vector<BlockNode> BlockNode::rewrite(const InlineRewriter& rewriter) const {
    BlockNode rewritten = std::visit(
        [&rewriter, this](const auto& block) -> BlockNode {
            using Block = std::decay_t<decltype(block)>;
            if constexpr (std::is_same_v<Block, Blockquote>) {
                return BlockNode(Blockquote{ridadozi::rewrite(block.children, rewriter)});
            } else if constexpr (std::is_same_v<Block, BulletedList>) {
                return BlockNode(BulletedList{block.isTight, rewriteItems(block.items, rewriter)});
            } else if constexpr (std::is_same_v<Block, NumberedList>) {
                return BlockNode(NumberedList{block.isTight, block.start, rewriteItems(block.items, rewriter)});
            } else if constexpr (std::is_same_v<Block, TaskList>) {
                return BlockNode(TaskList{block.isTight, rewriteItems(block.items, rewriter)});
            } else if constexpr (std::is_same_v<Block, Paragraph>) {
                return BlockNode(Paragraph{ridadozi::rewrite(block.content, rewriter)});
            } else if constexpr (std::is_same_v<Block, Heading>) {
                return BlockNode(Heading{block.level, ridadozi::rewrite(block.content, rewriter)});
            } else if constexpr (std::is_same_v<Block, Table>) {
                Table table{block.columnAlignments, {}};
                table.rows.reserve(block.rows.size());
                for (const auto& row : block.rows) {
                    RawTableRow newRow;
                    newRow.cells.reserve(row.cells.size());
                    for (const auto& cell : row.cells) newRow.cells.push_back({ridadozi::rewrite(cell.content, rewriter)});
                    table.rows.push_back(std::move(newRow));
                }
                return BlockNode(std::move(table));
            } else {
                return *this; // code, HTML and thematic breaks hold no inline content
            }
        },
        value_->value);
    return {std::move(rewritten)};
}

std::vector<BlockNode> rewrite(const std::vector<BlockNode>& blocks, const InlineRewriter& rewriter) {
    std::vector<BlockNode> result;
    result.reserve(blocks.size());
    for (const auto& block : blocks) {
        auto rewritten = block.rewrite(rewriter);
        for (auto& one : rewritten) result.push_back(std::move(one));
    }
    return result;
}

std::int64_t numberedListItemNumber(std::int64_t start, std::size_t position) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    if (position > static_cast<std::uint64_t>(largest)) return largest;
    const auto offset = static_cast<std::int64_t>(position);
    if (start > largest - offset) return largest;
    return start + offset;
}

} // namespace ridadozi

std::size_t std::hash<ridadozi::RawListItem>::operator()(const ridadozi::RawListItem& item) const {
    std::size_t seed = item.children.size();
    for (const auto& child : item.children) ridadozi::detail::hashCombine(seed, child.hashValue());
    return seed;
}

std::size_t std::hash<ridadozi::RawTaskListItem>::operator()(const ridadozi::RawTaskListItem& item) const {
    std::size_t seed = std::hash<bool>{}(item.isCompleted);
    ridadozi::detail::hashCombine(seed, item.children.size());
    for (const auto& child : item.children) ridadozi::detail::hashCombine(seed, child.hashValue());
    return seed;
}

std::size_t std::hash<ridadozi::RawTableCell>::operator()(const ridadozi::RawTableCell& cell) const {
    std::size_t seed = cell.content.size();
    for (const auto& node : cell.content) ridadozi::detail::hashCombine(seed, node.hashValue());
    return seed;
}

std::size_t std::hash<ridadozi::RawTableRow>::operator()(const ridadozi::RawTableRow& row) const {
    std::size_t seed = row.cells.size();
    for (const auto& cell : row.cells) ridadozi::detail::hashCombine(seed, std::hash<ridadozi::RawTableCell>{}(cell));
    return seed;
}
