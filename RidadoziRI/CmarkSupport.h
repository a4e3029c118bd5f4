#pragma once

// Private to the library and its tests: the only header besides the .cpp files that sees cmark-gfm.

#include <cmark-gfm.h>

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace ridadozi::cmark {

struct NodeDeleter {
    void operator()(cmark_node* node) const { cmark_node_free(node); }
};
using NodePtr = std::unique_ptr<cmark_node, NodeDeleter>;

struct ParserDeleter {
    void operator()(cmark_parser* parser) const { cmark_parser_free(parser); }
};
using ParserPtr = std::unique_ptr<cmark_parser, ParserDeleter>;

// Registers the GitHub extensions with cmark-gfm (once per process, safe from any number of threads;
// cheap to call again).
void ensureExtensionsRegistered();

// The extensions every parser gets, attached in exactly this order so that the output never
// depends on the run.
inline constexpr std::array<const char*, 5> parserExtensionNames{"autolink", "strikethrough", "tagfilter",
                                                                  "tasklist", "table"};

// A parser with options 0 and every extension above that cmark-gfm knows, allocating with `memory`.
ParserPtr makeParser(cmark_mem* memory = cmark_get_default_mem_allocator());

// cmark-gfm 0.29.0.gfm.6 changes process-wide tables of special inline characters while a parser with
// extensions attaches them and parses, so two parsers must never run at the same time. Held from
// making a parser until it has finished.
std::unique_lock<std::mutex> lockParsing();

// The node kinds that the table and strikethrough extensions register. The installed headers do not
// declare them, so they are read once from nodes the extensions themselves produce.
// CMARK_NODE_NONE where an extension is missing. The first call parses a probe document, so it must
// not be made while lockParsing() is held.
struct ExtensionNodeKinds {
    cmark_node_type table = CMARK_NODE_NONE;
    cmark_node_type tableRow = CMARK_NODE_NONE;
    cmark_node_type tableCell = CMARK_NODE_NONE;
    cmark_node_type strikethrough = CMARK_NODE_NONE;
};
const ExtensionNodeKinds& extensionNodeKinds();

// `text` as a C string cmark-gfm may take (see sanitizedText): its own bytes when they need no
// change, else the sanitized copy, kept in `copy`.
const char* cmarkText(const std::string& text, std::string& copy);

// Text as cmark-gfm may take it: valid UTF-8 (invalid sequences become U+FFFD, which cmark-gfm
// does not check with options 0) and no NUL bytes (cmark-gfm's C strings would end there; the parser
// itself turns NUL into U+FFFD too).
std::string sanitizedText(std::string_view text);

// Copies a buffer that a cmark-gfm renderer allocated into a string and frees the buffer.
std::string takeRenderedText(char* rendered);

} // namespace ridadozi::cmark
