#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "RidadoziRI/MarkdownParser.h"
#include "RidadoziRI/MarkdownRendering.h"

namespace glimmo::fuzz::markdown {

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    const auto blocks = ridadozi::MarkdownParser::parse(bytesOf(data, size));
    if (!blocks) {
        return 0;
    }
    const std::vector<ridadozi::BlockNode> copy = *blocks;
    for (const auto& block : copy) {
        (void)block.hashValue();
    }
    if (copy != *blocks) {
        fail("a copied document differs from its original");
    }
    for (const auto renderer : {ridadozi::CmarkRenderer::html, ridadozi::CmarkRenderer::plainText}) {
        (void)ridadozi::renderCmarkDocument(*blocks, renderer);
    }
    // What is rendered back is Markdown again and goes through the bridge once more.
    const std::string commonMark = ridadozi::renderCmarkDocument(*blocks, ridadozi::CmarkRenderer::commonMark);
    if (const auto again = ridadozi::MarkdownParser::parse(commonMark)) {
        (void)ridadozi::renderCmarkDocument(*again, ridadozi::CmarkRenderer::commonMark);
    }
    return 0;
}

} // namespace glimmo::fuzz::markdown
