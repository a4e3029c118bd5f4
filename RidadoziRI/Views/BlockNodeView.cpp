#include "RidadoziRI/Views/BlockNodeView.h"

#include "RidadoziRI/Views/BlockSequence.h"
#include "RidadoziRI/Views/CodeBlockView.h"
#include "RidadoziRI/Views/HeadingViews.h"
#include "RidadoziRI/Views/ListViews.h"
#include "RidadoziRI/Views/ParagraphView.h"
#include "RidadoziRI/Views/TableView.h"
#include "RidadoziRI/Views/TaskListViews.h"
#include "RidadoziRI/Views/TrailingLineFeed.h"

namespace ridadozi {

namespace {

struct Dispatch {
    glimmo::AnyView operator()(const BlockNode::Blockquote& b) const { return BlockquoteView(b.children); }
    glimmo::AnyView operator()(const BlockNode::BulletedList& b) const { return BulletedListView(b.isTight, b.items); }
    glimmo::AnyView operator()(const BlockNode::NumberedList& b) const {
        return NumberedListView(b.isTight, b.start, b.items);
    }
    glimmo::AnyView operator()(const BlockNode::TaskList& b) const { return TaskListView(b.isTight, b.items); }
    glimmo::AnyView operator()(const BlockNode::CodeBlock& b) const { return CodeBlockView(b.fenceInfo, b.content); }
    glimmo::AnyView operator()(const BlockNode::HtmlBlock& b) const {
        return ParagraphView({InlineNode::text(removingTrailingLineFeed(b.content))});
    }
    glimmo::AnyView operator()(const BlockNode::Paragraph& b) const { return ParagraphView(b.content); }
    glimmo::AnyView operator()(const BlockNode::Heading& b) const { return HeadingView(b.level, b.content); }
    glimmo::AnyView operator()(const BlockNode::Table& b) const { return TableView(b.columnAlignments, b.rows); }
    glimmo::AnyView operator()(const BlockNode::ThematicBreak&) const { return ThematicBreakView(); }
};

} // namespace

glimmo::AnyView BlockNodeView::body() const {
    // One slot per kind: a block that changes its kind gets a new view and loses the old one's state.
    return glimmo::Branch(block.value().index(), std::visit(Dispatch{}, block.value()));
}

namespace {

glimmo::AnyView sequenceOf(const std::vector<BlockNode>& blocks, bool madeFromTheTop) {
    return BlockSequence<BlockNode>(
        blocks, [](int, const BlockNode& block) { return glimmo::AnyView(BlockNodeView{block}); }, madeFromTheTop);
}

} // namespace

glimmo::AnyView blockSequence(const std::vector<BlockNode>& blocks) { return sequenceOf(blocks, false); }

glimmo::AnyView documentBlockSequence(const std::vector<BlockNode>& blocks) { return sequenceOf(blocks, true); }

} // namespace ridadozi
