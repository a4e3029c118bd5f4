#include "RidadoziRI/Views/HeadingViews.h"

#include "RidadoziRI/Views/BlockNodeView.h"
#include "RidadoziRI/Views/HeadingId.h"
#include "RidadoziRI/Views/InlineText.h"

#include <algorithm>

namespace ridadozi {

glimmo::AnyView HeadingView::body() const {
    const auto& styles = *_headings;
    if (styles.empty()) return InlineText(content);
    // The parser gives levels 1 to 6 and every theme six styles; anything else takes the nearest.
    const auto index = static_cast<std::size_t>(std::clamp<std::int64_t>(level - 1, 0, static_cast<std::int64_t>(styles.size()) - 1));
    const BlockConfiguration configuration{blockLabel(glimmo::AnyView(InlineText(content))),
                                           MarkdownContent(std::vector<BlockNode>{BlockNode::heading(level, content)})};
    return styles[index].body(configuration).id(glimmo::AnyHashable(headingId(content)));
}

glimmo::AnyView BlockquoteView::body() const {
    return _blockquote->body(BlockConfiguration{blockLabel(blockSequence(children)),
                                                MarkdownContent(std::vector<BlockNode>{BlockNode::blockquote(children)})});
}

glimmo::AnyView ThematicBreakView::body() const { return _thematicBreak->body(EmptyBlockConfiguration{}); }

} // namespace ridadozi
