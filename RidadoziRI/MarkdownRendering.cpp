#include "RidadoziRI/MarkdownRendering.h"

#include "RidadoziRI/CmarkConversion.h"

namespace ridadozi {

std::string renderCmarkDocument(const std::vector<BlockNode>& blocks, CmarkRenderer renderer) {
    cmark::ensureExtensionsRegistered();
    const cmark::NodePtr document(cmark_node_new(CMARK_NODE_DOCUMENT));
    if (!document) return {};
    for (const auto& block : blocks) {
        cmark::NodePtr node = cmark::makeCmarkNode(block);
        if (node && cmark_node_append_child(document.get(), node.get())) node.release(); // owned by the document
    }
    switch (renderer) {
    case CmarkRenderer::commonMark:
        return cmark::takeRenderedText(cmark_render_commonmark(document.get(), CMARK_OPT_DEFAULT, 0));
    case CmarkRenderer::plainText:
        return cmark::takeRenderedText(cmark_render_plaintext(document.get(), CMARK_OPT_DEFAULT, 0));
    case CmarkRenderer::html:
        return cmark::takeRenderedText(cmark_render_html(document.get(), CMARK_OPT_DEFAULT, nullptr));
    }
    return {};
}

} // namespace ridadozi
