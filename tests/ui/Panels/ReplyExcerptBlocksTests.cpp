// The excerpt's block scanner held against cmark-gfm itself, set up as the parser bridge sets it up:
// replies generated from one list of block kinds, nested in quotes and list items in every way, read
// line by line by the scanner and parsed whole by cmark-gfm, must give the same blocks. Each line that
// holds text carries a token ("z17"), so the blocks are compared by the tokens they hold, their kinds and
// their nesting, never by source positions (cmark-gfm's are off for tables and some code blocks).

#include "RidadoziRI/CmarkSupport.h"
#include "ui/Panels/ReplyExcerptBlockStarts.h"
#include "ui/Panels/ReplyExcerptHtmlBlocks.h"
#include "ui/Panels/ReplyExcerptBlocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace glimmo::testing {
namespace {

using Kind = ReplyLineKind;

// A block as both sides see it. `depth` counts the quotes and items around it; a list is no block of
// its own (its items are), so that the scanner need not tell lists apart.
struct Outlined {
    int depth = 0;
    std::string kind;
    std::set<int> tokens;
    bool operator==(const Outlined&) const = default;
};

std::string describe(const std::vector<Outlined>& outline) {
    std::ostringstream out;
    for (const Outlined& block : outline) {
        out << std::string(2 * static_cast<std::size_t>(block.depth), ' ') << block.kind;
        for (const int token : block.tokens) out << " z" << token;
        out << "\n";
    }
    return out.str();
}

void collectTokens(cmark_node* node, std::set<int>& tokens) {
    if (const char* literal = cmark_node_get_literal(node)) {
        const std::string text = literal;
        for (std::size_t at = text.find('z'); at != std::string::npos; at = text.find('z', at + 1)) {
            const std::size_t end = text.find_first_not_of("0123456789", at + 1);
            if (end != at + 1) tokens.insert(std::stoi(text.substr(at + 1, end - at - 1)));
        }
    }
    for (cmark_node* child = cmark_node_first_child(node); child; child = cmark_node_next(child)) collectTokens(child, tokens);
}

void outlineTree(cmark_node* parent, int depth, std::vector<Outlined>& outline) {
    for (cmark_node* node = cmark_node_first_child(parent); node; node = cmark_node_next(node)) {
        const std::string type = cmark_node_get_type_string(node);
        if (type == "list") {
            outlineTree(node, depth, outline);
        } else if (type == "item" || type == "tasklist" || type == "block_quote") {
            outline.push_back({depth, type == "block_quote" ? "quote" : "item", {}});
            outlineTree(node, depth + 1, outline);
        } else {
            Outlined block{depth, type, {}};
            int length = 0, offset = 0;
            char character = 0;
            if (type == "code_block") block.kind = cmark_node_get_fenced(node, &length, &offset, &character) ? "fenced code" : "indented code";
            collectTokens(node, block.tokens);
            outline.push_back(block);
        }
    }
}

std::vector<Outlined> parsedOutline(const std::string& reply) {
    const auto lock = ridadozi::cmark::lockParsing();
    const ridadozi::cmark::ParserPtr parser = ridadozi::cmark::makeParser();
    cmark_parser_feed(parser.get(), reply.data(), reply.size());
    const ridadozi::cmark::NodePtr document(cmark_parser_finish(parser.get()));
    std::vector<Outlined> outline;
    outlineTree(document.get(), 0, outline);
    return outline;
}

// The scanner's lines put together into blocks. `kinds` gets the kind of every line.
std::vector<Outlined> scannedOutline(const std::string& reply, std::vector<Kind>& kinds) {
    std::vector<Outlined> outline;
    std::vector<int> containers;         // the open ones' depths
    std::size_t leaf = std::string::npos; // the open block of text
    std::vector<int> paragraphTokens;     // of its lines, were it a paragraph (-1: none)
    ReplyBlockScanner scanner;
    for (std::size_t start = 0; start < reply.size();) {
        const ReplyLineSpan span = replyLineAt(reply, start);
        const std::string_view line = std::string_view(reply).substr(start, span.end - start);
        const ReplyLineBlocks blocks = scanner.read(line);
        kinds.push_back(blocks.kind);
        const std::size_t z = line.find(" z");
        const int token = z == std::string_view::npos ? -1 : std::stoi(std::string(line.substr(z + 2)));
        if (blocks.continuedContainers < containers.size() || !blocks.opened.empty()) leaf = std::string::npos;
        containers.resize(blocks.continuedContainers);
        for (const ReplyOpenedContainer& opened : blocks.opened) {
            outline.push_back({static_cast<int>(containers.size()), opened.isQuote ? "quote" : "item", {}});
            containers.push_back(0);
        }
        const int depth = static_cast<int>(containers.size());
        const auto open = [&](const char* kind) {
            outline.push_back({depth, kind, {}});
            leaf = outline.size() - 1;
            paragraphTokens.clear();
        };
        const auto add = [&] {
            if (token >= 0) outline.at(leaf).tokens.insert(token);
            paragraphTokens.push_back(token);
        };
        if (!opensLeafBlock(blocks.kind) && blocks.kind != Kind::blank && leaf == std::string::npos) {
            ADD_FAILURE() << "a line going on with no block: " << line;
            return outline;
        }
        switch (blocks.kind) {
        case Kind::blank: leaf = std::string::npos; break;
        case Kind::paragraph: open("paragraph"), add(); break;
        case Kind::heading: open("heading"), add(); break;
        case Kind::thematicBreak: open("thematic_break"); break;
        case Kind::codeFence: open("fenced code"); break;
        case Kind::indentedCode: open("indented code"), add(); break;
        case Kind::html: open("html_block"), add(); break;
        case Kind::setextUnderline: outline.at(leaf).kind = "heading"; break;
        case Kind::tableDelimiter: {
            // The paragraph's last line is the header; the lines before it stay a paragraph.
            const int header = paragraphTokens.back();
            if (header >= 0) outline.at(leaf).tokens.erase(header);
            if (paragraphTokens.size() == 1) outline.pop_back();
            open("table");
            if (header >= 0) outline.back().tokens.insert(header);
            break;
        }
        case Kind::paragraphLine:
        case Kind::codeLine:
        case Kind::htmlLine:
        case Kind::tableRow: add(); break;
        case Kind::closingFence: break;
        }
        if (blocks.leaf.kind == ReplyOpenLeaf::Kind::none) leaf = std::string::npos;
        scanner.take(blocks);
        start = span.next;
    }
    return outline;
}

// The generator. A block kind makes a few lines; each line then gets markers of quotes and list
// items, often the same as the line before or spaces as wide as its markers, so that blocks go on
// inside containers, lazily or not.
using Random = std::mt19937;
struct BlockKind {
    const char* name;
    std::vector<Kind> shows; // what it is there to make the scanner read
    std::vector<std::vector<std::string>> samples; // lines; "~" stands for a token
};

const std::vector<BlockKind>& blockKinds() {
    static const std::vector<BlockKind> kinds{
        {"paragraph", {Kind::paragraph, Kind::paragraphLine}, {{"words and `code` *em*~", "more words~"}, {"a | b~"}, {"<a b=>~"}}},
        {"lazy continuation", {Kind::paragraphLine}, {{"!lazy~"}, {"!===~"}, {"!    indented~"}}},
        {"ATX heading", {Kind::heading}, {{"# heading~"}, {"###### six~"}, {"####### seven~"}, {"#hash~"}, {"##"}}},
        {"setext heading", {Kind::setextUnderline}, {{"title~", "==="}, {"title~", "---  "}, {"title~", "- "}}},
        {"thematic break", {Kind::thematicBreak}, {{"***"}, {"- - -"}, {"_ _ _ _"}, {"* * *"}}},
        {"fenced code with ```", {Kind::codeFence, Kind::codeLine, Kind::closingFence},
         {{"```", "- item~", "", "    x~", "```"}, {"````js", "```", "code~", "`````"}}},
        {"fenced code with ~~~", {Kind::codeFence, Kind::codeLine, Kind::closingFence}, {{"~~~", "> quoted~", "~~~"}, {"~~~~ a`b", "~~~"}}},
        {"unclosed fence", {Kind::codeFence, Kind::codeLine}, {{"```", "# no heading~", "<div>~"}}},
        {"backtick in a fence's info", {Kind::paragraph}, {{"```a`b~"}}},
        {"indented code", {Kind::indentedCode, Kind::codeLine}, {{"    - item~", "    - item~"}, {"\tcode~", "", "      more~"}}},
        {"HTML 1", {Kind::html, Kind::htmlLine}, {{"<pre class=\"x\">~", "", "</pre> after~"}, {"<SCRIPT>~", "</script>"}, {"<style>a</style>~"}}},
        {"HTML 2", {Kind::html, Kind::htmlLine}, {{"<!-- note~", "", "-->~"}, {"<!-- one line -->~"}}},
        {"HTML 3", {Kind::html, Kind::htmlLine}, {{"<?php~", "?>~"}}},
        {"HTML 4", {Kind::html}, {{"<!DOCTYPE html>~"}, {"<!X~", "y>~"}}},
        {"HTML 5", {Kind::html, Kind::htmlLine}, {{"<![CDATA[~", "]]>~"}}},
        {"HTML 6", {Kind::html, Kind::htmlLine}, {{"<div~", "text~"}, {"</table>~"}, {"<p/>~"}, {"<h1>~"}}},
        {"HTML 7", {Kind::html, Kind::htmlLine}, {{"<span>", "text~"}, {"<a href=\"x\" b='y' c=d e>"}, {"</em>"}, {"<x-y a/>"}}},
        {"list item", {Kind::paragraph}, {{"- item~"}, {" * item~"}, {"  + item~"}, {"   1. item~"}, {"2) item~"}, {"-"}, {"1."}, {"10) item~"},
                                          {"-\titem~"}, {"-\vitem~"}, {"-      five~"},
                                          {"- [ ] task~"}, {"- [x] done~"}, {"- [ ] "}, {"1) [X] # no heading~"}}},
        {"list marker indented four or more", {Kind::indentedCode, Kind::paragraphLine}, {{"    - item~"}, {"     1. item~"}}},
        {"quote", {Kind::paragraph}, {{"> quoted~"}, {">quoted~"}, {"   > quoted~"}, {"    > code~"}}},
        {"table", {Kind::tableDelimiter, Kind::tableRow},
         {{"| a~ | b |", "|---|:-:|", "| c~ |", "no bars~"}, {"a \\| b | c~", "--|--", "d~ | e | f"}, {"a | b~", "|---|"},
          {"| one~", "| - |", "|", "=== | ~"}, {"a\\\\|b~", "-|-"}, {"a~", "! | b", "-|-"}}},
        {"blank lines", {Kind::blank}, {{""}, {"  "}, {"\t"}}},
    };
    return kinds;
}

// Markers that open or continue containers, and plain indents.
const std::vector<std::string> prefixPieces{"> ", ">", " > ", "- ", "* ", "+ ", "1. ", "2) ", "10.  ", "-\t", "- [ ] ",
                                            "  ", "   ", "    ", "\t", "  - ", "    - "};

// The same width in spaces, quotes kept: what goes on with the items a prefix opened.
std::string continuing(const std::string& prefix) {
    std::string spaces;
    for (const char c : prefix) spaces += c == '>' || c == '\t' ? c : ' ';
    return spaces;
}

std::string withToken(std::string line, int token) {
    if (const std::size_t at = line.find('~'); at != std::string::npos) line.replace(at, 1, " z" + std::to_string(token));
    return line;
}

std::string generatedReply(Random& random, int& token) {
    const auto pick = [&random](std::size_t size) { return std::uniform_int_distribution<std::size_t>(0, size - 1)(random); };
    std::string reply;
    std::string prefix;
    for (std::size_t blocks = 1 + pick(8); blocks > 0; --blocks) {
        const BlockKind& kind = blockKinds()[pick(blockKinds().size())];
        for (std::string line : kind.samples[pick(kind.samples.size())]) {
            switch (pick(5)) {
            case 0: prefix.clear(); break;
            case 1: prefix = continuing(prefix); break;
            case 2:
                prefix.clear();
                for (std::size_t n = 1 + pick(3); n > 0; --n) prefix += prefixPieces[pick(prefixPieces.size())];
                break;
            default: break; // the same markers again
            }
            const bool lazy = line.starts_with('!');
            if (lazy) line.erase(0, 1);
            if (line.find('~') != std::string::npos) line = withToken(line, token++);
            reply += (lazy ? std::string() : prefix) + line + (pick(8) == 0 ? "\r\n" : "\n");
        }
    }
    return reply;
}

std::string visible(std::string text) {
    for (std::size_t at = 0; (at = text.find_first_of("\t\r\v", at)) != std::string::npos;) {
        text.replace(at, 1, text[at] == '\t' ? "→" : text[at] == '\r' ? "␍" : "␋");
    }
    return text;
}

TEST(ReplyExcerptBlocks, GeneratedRepliesAreReadAsTheParserReadsThem) {
    Random random(20250601);
    std::set<Kind> read;
    for (int reply = 0, token = 0; reply < 4000; ++reply) {
        const std::string text = generatedReply(random, token);
        std::vector<Kind> kinds;
        const std::vector<Outlined> scanned = scannedOutline(text, kinds);
        const std::vector<Outlined> parsed = parsedOutline(text);
        EXPECT_EQ(describe(scanned), describe(parsed)) << "reply " << reply << ":\n" << visible(text);
        read.insert(kinds.begin(), kinds.end());
    }
    for (const Kind kind : allReplyLineKinds) EXPECT_TRUE(read.contains(kind)) << "no line read as kind " << int(kind);
}

// The generator's list holds every kind of line the scanner tells apart, and an HTML block of each
// of its kinds.
TEST(ReplyExcerptBlocks, TheGeneratorMakesEveryKindTheScannerKnows) {
    std::set<Kind> shown;
    std::set<int> htmlKinds;
    for (const BlockKind& kind : blockKinds()) {
        shown.insert(kind.shows.begin(), kind.shows.end());
        if (std::string_view(kind.name).starts_with("HTML ")) {
            for (const auto& sample : kind.samples) {
                const int start = htmlBlockStart(withToken(sample.front(), 1));
                EXPECT_EQ(start, std::stoi(kind.name + 5)) << sample.front();
                htmlKinds.insert(start);
            }
        }
    }
    EXPECT_EQ(shown, std::set<Kind>(allReplyLineKinds.begin(), allReplyLineKinds.end()));
    EXPECT_EQ(htmlKinds, (std::set<int>{1, 2, 3, 4, 5, 6, 7}));
}

} // namespace
} // namespace glimmo::testing
