#pragma once

#include "RidadoziRI/Document/InlineNode.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace ridadozi {

class BlockNode;

struct RawListItem {
    std::vector<BlockNode> children;
    bool operator==(const RawListItem&) const;
};

struct RawTaskListItem {
    bool isCompleted = false;
    std::vector<BlockNode> children;
    bool operator==(const RawTaskListItem&) const;
};

struct RawTableCell {
    std::vector<InlineNode> content;
    bool operator==(const RawTableCell&) const = default;
};

struct RawTableRow {
    std::vector<RawTableCell> cells;
    bool operator==(const RawTableRow&) const = default;
};

// A column's alignment; the raw value is the character cmark-gfm's table extension reports.
enum class RawTableColumnAlignment : char { none = '\0', left = 'l', center = 'c', right = 'r' };

// No value for any character other than NUL, 'l', 'c' and 'r'.
std::optional<RawTableColumnAlignment> rawTableColumnAlignment(char rawValue);
inline char rawValue(RawTableColumnAlignment alignment) { return static_cast<char>(alignment); }

// One block of a Markdown document. An immutable value with value equality and hashing; it has no
// identity, parent or source position.
class BlockNode {
public:
    struct Blockquote {
        std::vector<BlockNode> children;
        bool operator==(const Blockquote&) const;
    };
    struct BulletedList {
        bool isTight = true;
        std::vector<RawListItem> items;
        bool operator==(const BulletedList&) const;
    };
    struct NumberedList {
        bool isTight = true;
        std::int64_t start = 1;
        std::vector<RawListItem> items;
        bool operator==(const NumberedList&) const;
    };
    struct TaskList {
        bool isTight = true;
        std::vector<RawTaskListItem> items;
        bool operator==(const TaskList&) const;
    };
    struct CodeBlock {
        std::optional<std::string> fenceInfo; // the whole info string
        std::string content;
        bool operator==(const CodeBlock&) const = default;
    };
    struct HtmlBlock {
        std::string content; // raw HTML, verbatim
        bool operator==(const HtmlBlock&) const = default;
    };
    struct Paragraph {
        std::vector<InlineNode> content;
        bool operator==(const Paragraph&) const = default;
    };
    struct Heading {
        std::int64_t level = 1; // 1 to 6 from the parser; not enforced here
        std::vector<InlineNode> content;
        bool operator==(const Heading&) const = default;
    };
    struct Table {
        std::vector<RawTableColumnAlignment> columnAlignments;
        std::vector<RawTableRow> rows; // from the parser, the header row first
        bool operator==(const Table&) const = default;
    };
    struct ThematicBreak {
        bool operator==(const ThematicBreak&) const = default;
    };

    using Value = std::variant<Blockquote, BulletedList, NumberedList, TaskList, CodeBlock, HtmlBlock,
                               Paragraph, Heading, Table, ThematicBreak>;

    static BlockNode blockquote(std::vector<BlockNode> children);
    static BlockNode bulletedList(bool isTight, std::vector<RawListItem> items);
    static BlockNode numberedList(bool isTight, std::int64_t start, std::vector<RawListItem> items);
    static BlockNode taskList(bool isTight, std::vector<RawTaskListItem> items);
    static BlockNode codeBlock(std::optional<std::string> fenceInfo, std::string content);
    static BlockNode htmlBlock(std::string content);
    static BlockNode paragraph(std::vector<InlineNode> content);
    static BlockNode heading(std::int64_t level, std::vector<InlineNode> content);
    static BlockNode table(std::vector<RawTableColumnAlignment> columnAlignments, std::vector<RawTableRow> rows);
    static BlockNode thematicBreak();

    BlockNode(Value value);
    // Trees built in code may nest without bound: comparing, hashing and destroying walk them with a
    // heap-held stack, never by recursion. Copies share the value.
    BlockNode(const BlockNode&) = default;
    BlockNode(BlockNode&&) noexcept = default;
    BlockNode& operator=(const BlockNode&) = default;
    BlockNode& operator=(BlockNode&&) noexcept = default;
    ~BlockNode();

    const Value& value() const { return value_->value; }
    template <class Case>
    const Case* as() const { return std::get_if<Case>(&value_->value); }
    template <class Case>
    bool is() const { return std::holds_alternative<Case>(value_->value); }

    // How deep quotes and lists nest in this block, itself included (0 for other blocks), and how
    // deep inline containers nest in any of its inline content, at any depth. Known from the start.
    int blockNesting() const { return value_->blockNesting; }
    int inlineNesting() const { return value_->inlineNesting; }

    // The blocks nested directly in this block: a block quote's children, or the blocks of all
    // items of a list, item after item. Empty for every other kind.
    std::vector<BlockNode> children() const;

    // The rewritten copy of this block as a one-element list: every inline list inside it goes
    // through `rewrite(inlines, rewriter)`; structure, levels, starts and flags stay as they are.
    std::vector<BlockNode> rewrite(const InlineRewriter& rewriter) const;

    std::size_t hashValue() const;
    bool operator==(const BlockNode& other) const;

private:
    struct Storage {
        explicit Storage(Value v) : value(std::move(v)) {}
        Value value;
        int blockNesting = 0;
        int inlineNesting = 0;
        // The hash, worked out on first use and kept: views of nested blocks hash their content at
        // every level, which would otherwise walk each subtree once per level above it.
        mutable std::atomic<std::size_t> hash{0};
        mutable std::atomic<bool> hashKnown{false};
    };
    // Shared and never mutated, so copies are cheap and cannot affect each other. (Not const only so
    // that its last owner can take the nested blocks apart one at a time.)
    std::shared_ptr<Storage> value_;
};

// Applies BlockNode::rewrite to each block in order and concatenates the results.
std::vector<BlockNode> rewrite(const std::vector<BlockNode>& blocks, const InlineRewriter& rewriter);

// The number shown for the item at `position` of a numbered list: start + position, held at the
// largest 64-bit value instead of wrapping past it.
std::int64_t numberedListItemNumber(std::int64_t start, std::size_t position);

} // namespace ridadozi

template <>
struct std::hash<ridadozi::BlockNode> {
    std::size_t operator()(const ridadozi::BlockNode& node) const { return node.hashValue(); }
};
template <>
struct std::hash<ridadozi::RawListItem> {
    std::size_t operator()(const ridadozi::RawListItem& item) const;
};
template <>
struct std::hash<ridadozi::RawTaskListItem> {
    std::size_t operator()(const ridadozi::RawTaskListItem& item) const;
};
template <>
struct std::hash<ridadozi::RawTableCell> {
    std::size_t operator()(const ridadozi::RawTableCell& cell) const;
};
template <>
struct std::hash<ridadozi::RawTableRow> {
    std::size_t operator()(const ridadozi::RawTableRow& row) const;
};
template <>
struct std::hash<ridadozi::RawTableColumnAlignment> {
    std::size_t operator()(ridadozi::RawTableColumnAlignment alignment) const {
        return std::hash<char>{}(static_cast<char>(alignment));
    }
};
