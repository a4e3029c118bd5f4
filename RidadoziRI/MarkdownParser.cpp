#include "RidadoziRI/MarkdownParser.h"

#include "RidadoziRI/CmarkConversion.h"
#include "platform/foundation/Text.h"

#include <string>

namespace ridadozi {

std::optional<std::vector<BlockNode>> MarkdownParser::parse(std::string_view markdown) {
    const cmark::ParserPtr parser = cmark::makeParser();
    if (!parser) return std::nullopt;

    // cmark-gfm does not check UTF-8 with the default options, and the tree promises valid text.
    std::string repaired;
    if (!glimmo::isValidUTF8(markdown)) {
        repaired = glimmo::repairUTF8(markdown);
        markdown = repaired;
    }
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    const cmark::NodePtr document(cmark_parser_finish(parser.get()));
    if (!document) return std::nullopt;
    return cmark::blockChildren(document.get());
}

} // namespace ridadozi
