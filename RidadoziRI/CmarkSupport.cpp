#include "RidadoziRI/CmarkSupport.h"

#include "platform/foundation/Utf8.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>

#include <cstring>

namespace ridadozi::cmark {

void ensureExtensionsRegistered() {
    // cmark-gfm guards its registration with a plain flag: threads that ask at the same moment would
    // each append the extensions to its process-wide registry.
    static std::once_flag registered;
    std::call_once(registered, [] { cmark_gfm_core_extensions_ensure_registered(); });
}

std::unique_lock<std::mutex> lockParsing() {
    static std::mutex parsing;
    return std::unique_lock<std::mutex>(parsing);
}

ParserPtr makeParser(cmark_mem* memory) {
    ensureExtensionsRegistered();
    ParserPtr parser(cmark_parser_new_with_mem(CMARK_OPT_DEFAULT, memory));
    if (!parser) return parser;
    for (const char* name : parserExtensionNames) {
        if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name)) {
            cmark_parser_attach_syntax_extension(parser.get(), extension);
        }
    }
    return parser;
}

namespace {

ExtensionNodeKinds probeExtensionNodeKinds() {
    ExtensionNodeKinds kinds;
    ensureExtensionsRegistered();
    const auto lock = lockParsing();
    ParserPtr parser(cmark_parser_new(CMARK_OPT_DEFAULT));
    if (!parser) return kinds;
    for (const char* name : {"table", "strikethrough"}) {
        if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name)) {
            cmark_parser_attach_syntax_extension(parser.get(), extension);
        }
    }
    constexpr std::string_view probe = "| a |\n| - |\n| b |\n\n~~s~~\n";
    cmark_parser_feed(parser.get(), probe.data(), probe.size());
    NodePtr document(cmark_parser_finish(parser.get()));
    if (!document) return kinds;
    const std::unique_ptr<cmark_iter, decltype(&cmark_iter_free)> owner(cmark_iter_new(document.get()),
                                                                         &cmark_iter_free);
    cmark_iter* iterator = owner.get();
    for (auto event = cmark_iter_next(iterator); event != CMARK_EVENT_DONE; event = cmark_iter_next(iterator)) {
        if (event != CMARK_EVENT_ENTER) continue;
        cmark_node* node = cmark_iter_get_node(iterator);
        const std::string_view typeString = cmark_node_get_type_string(node);
        const cmark_node_type type = cmark_node_get_type(node);
        if (typeString == "table") kinds.table = type;
        else if (typeString == "table_row" || typeString == "table_header") kinds.tableRow = type;
        else if (typeString == "table_cell") kinds.tableCell = type;
        else if (typeString == "strikethrough") kinds.strikethrough = type;
    }
    return kinds;
}

} // namespace

const ExtensionNodeKinds& extensionNodeKinds() {
    static const ExtensionNodeKinds kinds = probeExtensionNodeKinds(); // thread-safe once-only start
    return kinds;
}

const char* cmarkText(const std::string& text, std::string& copy) {
    if (text.find('\0') == std::string::npos && glimmo::isValidUTF8(text)) return text.c_str();
    copy = sanitizedText(text);
    return copy.c_str();
}

std::string sanitizedText(std::string_view text) {
    std::string result = glimmo::isValidUTF8(text) ? std::string(text) : glimmo::repairUTF8(text);
    if (result.find('\0') == std::string::npos) return result;
    std::string withoutNul;
    withoutNul.reserve(result.size() + 8);
    for (const char c : result) {
        if (c == '\0') withoutNul += "\xEF\xBF\xBD";
        else withoutNul += c;
    }
    return withoutNul;
}

std::string takeRenderedText(char* rendered) {
    if (!rendered) return {};
    std::string text(rendered);
    cmark_get_default_mem_allocator()->free(rendered); // renderers allocate with the default allocator
    return text;
}

} // namespace ridadozi::cmark
