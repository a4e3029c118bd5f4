#include "RidadoziRI/Views/ParagraphView.h"

#include "RidadoziRI/Views/ImageFlow.h"
#include "RidadoziRI/Views/ImageView.h"
#include "RidadoziRI/Views/InlineText.h"

namespace ridadozi {

glimmo::AnyView paragraphLabel(const std::vector<InlineNode>& content) {
    if (auto image = ImageView::make(content)) return *image;
    if (auto flow = ImageFlow::make(content)) return *flow;
    return InlineText(content);
}

glimmo::AnyView ParagraphView::body() const {
    return _paragraph->body(BlockConfiguration{blockLabel(paragraphLabel(content)),
                                               MarkdownContent(std::vector<BlockNode>{BlockNode::paragraph(content)})});
}

} // namespace ridadozi
