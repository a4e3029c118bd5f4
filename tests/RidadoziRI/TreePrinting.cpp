#include "tests/RidadoziRI/TreePrinting.h"

namespace ridadozi {

namespace {

template <class Nodes>
void printList(const Nodes& nodes, std::ostream* out) {
    *out << "[";
    bool first = true;
    for (const auto& node : nodes) {
        if (!first) *out << ", ";
        first = false;
        PrintTo(node, out);
    }
    *out << "]";
}

} // namespace

void PrintTo(const InlineNode& node, std::ostream* out) {
    std::visit(
        [out](const auto& value) {
            using Node = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Node, InlineNode::Text>) *out << "text(\"" << value.text << "\")";
            else if constexpr (std::is_same_v<Node, InlineNode::Code>) *out << "code(\"" << value.code << "\")";
            else if constexpr (std::is_same_v<Node, InlineNode::Html>) *out << "html(\"" << value.html << "\")";
            else if constexpr (std::is_same_v<Node, InlineNode::Emphasis>) { *out << "emphasis"; printList(value.children, out); }
            else if constexpr (std::is_same_v<Node, InlineNode::Strong>) { *out << "strong"; printList(value.children, out); }
            else if constexpr (std::is_same_v<Node, InlineNode::Strikethrough>) { *out << "strikethrough"; printList(value.children, out); }
            else if constexpr (std::is_same_v<Node, InlineNode::Link>) { *out << "link(\"" << value.destination << "\")"; printList(value.children, out); }
            else if constexpr (std::is_same_v<Node, InlineNode::Image>) { *out << "image(\"" << value.source << "\")"; printList(value.children, out); }
            else if constexpr (std::is_same_v<Node, InlineNode::SoftBreak>) *out << "softBreak";
            else *out << "lineBreak";
        },
        node.value());
}

void PrintTo(const BlockNode& block, std::ostream* out) {
    std::visit(
        [out](const auto& value) {
            using Block = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Block, BlockNode::Blockquote>) { *out << "blockquote"; printList(value.children, out); }
            else if constexpr (std::is_same_v<Block, BlockNode::BulletedList> || std::is_same_v<Block, BlockNode::NumberedList>) {
                *out << (std::is_same_v<Block, BlockNode::BulletedList> ? "bulletedList(" : "numberedList(")
                     << (value.isTight ? "tight" : "loose");
                if constexpr (std::is_same_v<Block, BlockNode::NumberedList>) *out << ", start " << value.start;
                *out << ")[";
                for (const auto& item : value.items) { *out << "item"; printList(item.children, out); *out << " "; }
                *out << "]";
            } else if constexpr (std::is_same_v<Block, BlockNode::TaskList>) {
                *out << "taskList(" << (value.isTight ? "tight" : "loose") << ")[";
                for (const auto& item : value.items) { *out << (item.isCompleted ? "[x]" : "[ ]"); printList(item.children, out); *out << " "; }
                *out << "]";
            } else if constexpr (std::is_same_v<Block, BlockNode::CodeBlock>) {
                *out << "codeBlock(" << (value.fenceInfo ? "\"" + *value.fenceInfo + "\"" : std::string("none")) << ", \"" << value.content << "\")";
            } else if constexpr (std::is_same_v<Block, BlockNode::HtmlBlock>) { *out << "htmlBlock(\"" << value.content << "\")"; }
            else if constexpr (std::is_same_v<Block, BlockNode::Paragraph>) { *out << "paragraph"; printList(value.content, out); }
            else if constexpr (std::is_same_v<Block, BlockNode::Heading>) { *out << "heading(" << value.level << ")"; printList(value.content, out); }
            else if constexpr (std::is_same_v<Block, BlockNode::Table>) {
                *out << "table(";
                for (auto alignment : value.columnAlignments) *out << (rawValue(alignment) ? rawValue(alignment) : '0');
                *out << ")[";
                for (const auto& row : value.rows) {
                    *out << "row[";
                    for (const auto& cell : row.cells) printList(cell.content, out);
                    *out << "] ";
                }
                *out << "]";
            } else *out << "thematicBreak";
        },
        block.value());
}

} // namespace ridadozi
