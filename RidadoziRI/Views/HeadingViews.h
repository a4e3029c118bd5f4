#pragma once

// Headings, block quotes and thematic breaks: the theme's style of the kind, given the block as drawn
// and the block itself.

#include "RidadoziRI/Document/BlockNode.h"
#include "RidadoziRI/Views/MarkdownEnvironment.h"

#include <cstdint>
#include <vector>

namespace ridadozi {

struct HeadingView {
    glimmo::Environment<std::vector<BlockStyle<BlockConfiguration>>> _headings = themeMember(&Theme::headings);
    std::int64_t level = 1;
    std::vector<InlineNode> content;

    HeadingView(std::int64_t level, std::vector<InlineNode> content) : level(level), content(std::move(content)) {}
    // Identified by the heading id, so a heading whose text changes is a new view.
    glimmo::AnyView body() const;
};

struct BlockquoteView {
    glimmo::Environment<BlockStyle<BlockConfiguration>> _blockquote = themeMember(&Theme::blockquote);
    std::vector<BlockNode> children;

    explicit BlockquoteView(std::vector<BlockNode> children) : children(std::move(children)) {}
    glimmo::AnyView body() const;
};

struct ThematicBreakView {
    glimmo::Environment<BlockStyle<EmptyBlockConfiguration>> _thematicBreak = themeMember(&Theme::thematicBreak);
    glimmo::AnyView body() const;
};

} // namespace ridadozi
