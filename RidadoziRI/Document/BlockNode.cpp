#include "RidadoziRI/Document/BlockNode.h"

#include "RidadoziRI/Document/HashCombine.h"

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

BlockNode::BlockNode(Value value) : value_(std::make_shared<const Value>(std::move(value))) {}

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

bool BlockNode::operator==(const BlockNode& other) const {
    return value_ == other.value_ || *value_ == *other.value_;
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

std::size_t hashBlocks(const std::vector<BlockNode>& blocks) {
    std::size_t seed = blocks.size();
    for (const auto& block : blocks) detail::hashCombine(seed, block.hashValue());
    return seed;
}

std::size_t hashInlines(const std::vector<InlineNode>& inlines) {
    std::size_t seed = inlines.size();
    for (const auto& node : inlines) detail::hashCombine(seed, node.hashValue());
    return seed;
}

template <class Items>
std::size_t hashItems(const Items& items) {
    std::size_t seed = items.size();
    for (const auto& item : items) detail::hashCombine(seed, std::hash<typename Items::value_type>{}(item));
    return seed;
}

} // namespace

std::size_t BlockNode::hashValue() const {
    std::size_t seed = value_->index();
    std::visit(
        [&seed](const auto& block) {
            using Block = std::decay_t<decltype(block)>;
            if constexpr (std::is_same_v<Block, Blockquote>) {
                detail::hashCombine(seed, hashBlocks(block.children));
            } else if constexpr (std::is_same_v<Block, BulletedList> || std::is_same_v<Block, TaskList>) {
                detail::hashInto(seed, block.isTight);
                detail::hashCombine(seed, hashItems(block.items));
            } else if constexpr (std::is_same_v<Block, NumberedList>) {
                detail::hashInto(seed, block.isTight);
                detail::hashInto(seed, block.start);
                detail::hashCombine(seed, hashItems(block.items));
            } else if constexpr (std::is_same_v<Block, CodeBlock>) {
                detail::hashInto(seed, block.fenceInfo.has_value());
                if (block.fenceInfo) detail::hashInto(seed, *block.fenceInfo);
                detail::hashInto(seed, block.content);
            } else if constexpr (std::is_same_v<Block, HtmlBlock>) {
                detail::hashInto(seed, block.content);
            } else if constexpr (std::is_same_v<Block, Paragraph>) {
                detail::hashCombine(seed, hashInlines(block.content));
            } else if constexpr (std::is_same_v<Block, Heading>) {
                detail::hashInto(seed, block.level);
                detail::hashCombine(seed, hashInlines(block.content));
            } else if constexpr (std::is_same_v<Block, Table>) {
                detail::hashCombine(seed, hashItems(block.columnAlignments));
                detail::hashCombine(seed, hashItems(block.rows));
            }
        },
        *value_);
    return seed;
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
        *value_);
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
