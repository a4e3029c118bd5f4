#pragma once

// A paragraph (or an HTML block shown as plain text): a single block image, a flow of images, or
// running text, through the theme's paragraph style.

#include "RidadoziRI/Document/InlineNode.h"
#include "RidadoziRI/Views/MarkdownEnvironment.h"

#include <vector>

namespace ridadozi {

struct ParagraphView {
    glimmo::Environment<BlockStyle<BlockConfiguration>> _paragraph = themeMember(&Theme::paragraph);
    std::vector<InlineNode> content;

    explicit ParagraphView(std::vector<InlineNode> content) : content(std::move(content)) {}
    glimmo::AnyView body() const;
};

// The paragraph's own content view, before its style.
glimmo::AnyView paragraphLabel(const std::vector<InlineNode>& content);

} // namespace ridadozi
