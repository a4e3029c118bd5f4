#include "RidadoziRI/MarkdownParser.h"

#include "RidadoziRI/CmarkArena.h"
#include "RidadoziRI/CmarkConversion.h"
#include "platform/foundation/Utf8.h"

#include <string>

namespace ridadozi {

std::optional<std::vector<BlockNode>> MarkdownParser::parse(std::string_view markdown) {
    // cmark-gfm does not check UTF-8 with the default options, and the tree promises valid text.
    std::string repaired;
    if (!glimmo::isValidUTF8(markdown)) {
        repaired = glimmo::repairUTF8(markdown);
        markdown = repaired;
    }

    // The parser and its whole tree live in the arena and go with it as soon as the tree is converted.
    cmark::CmarkArena arena;
    cmark_node* document = nullptr;
    {
        auto lock = cmark::lockParsing();
        const cmark::ParserPtr parser = cmark::makeParser(arena.allocator());
        if (!parser) return std::nullopt;
        cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
        document = cmark_parser_finish(parser.get());
    } // the parser is freed here; the document lives on without it
    if (!document) return std::nullopt;
    return cmark::blockChildren(document);
}

} // namespace ridadozi
