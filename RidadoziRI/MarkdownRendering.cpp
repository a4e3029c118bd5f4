#include "RidadoziRI/MarkdownRendering.h"

#include "RidadoziRI/CmarkArena.h"
#include "RidadoziRI/CmarkConversion.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>

namespace ridadozi {

namespace {

// A cmark tree lives in the arena, so the rendered text is copied and the tree is not freed node by node.
std::string copied(const char* rendered) { return rendered ? std::string(rendered) : std::string(); }

// A new document node in the current arena holding the nodes made for `blocks`; none when cmark-gfm
// cannot make a document.
template <class Blocks>
cmark_node* makeDocument(const Blocks& blocks) {
    cmark_node* document = cmark_node_new_with_mem(CMARK_NODE_DOCUMENT, cmark::CmarkArena::currentAllocator());
    if (!document) return nullptr;
    for (const BlockNode& block : blocks) {
        cmark::NodePtr node = cmark::makeCmarkNode(block);
        if (node && cmark_node_append_child(document, node.get())) node.release(); // owned by the document
    }
    return document;
}

// Room in `html` for `extra` more bytes, written for the first `blocksWritten` of `blockCount` blocks.
// Once a sixteenth of the blocks is written and the text must grow, it grows to what they suggest
// the whole takes: a long document is copied once rather than at every doubling, into memory never
// touched before.
void makeRoom(std::string& html, std::size_t extra, std::size_t blocksWritten, std::size_t blockCount) {
    const std::size_t needed = html.size() + extra;
    if (needed <= html.capacity()) return;
    if (blocksWritten * 16 < blockCount) return; // grows as strings do
    const double projected = static_cast<double>(needed) / static_cast<double>(blocksWritten) *
                             static_cast<double>(blockCount) * 1.125;
    html.reserve(std::max(needed, static_cast<std::size_t>(projected)));
}

// HTML is written block by block, each top-level block as a document of its own whose nodes are
// dropped once it is written: the cmark tree of the whole document never exists next to ours.
// The HTML renderer starts every block on a new line, which is all that joins two top-level blocks.
std::string renderHtml(const std::vector<BlockNode>& blocks, cmark::CmarkArena& arena) {
    std::string html;
    for (std::size_t index = 0; index < blocks.size(); ++index) {
        cmark_node* document = makeDocument(std::array{std::cref(blocks[index])});
        if (!document) return {};
        const char* rendered = cmark_render_html(document, CMARK_OPT_DEFAULT, nullptr);
        if (rendered && *rendered) {
            const std::string_view text(rendered);
            makeRoom(html, text.size() + 1, index + 1, blocks.size());
            if (!html.empty() && html.back() != '\n') html += '\n';
            html += text;
        }
        arena.reset();
    }
    return html;
}

} // namespace

std::string renderCmarkDocument(const std::vector<BlockNode>& blocks, CmarkRenderer renderer) {
    cmark::ensureExtensionsRegistered();
    // A tree built in code may nest deeper than the parser would have built it.
    if (exceedsNestingLimit(blocks)) return renderCmarkDocument(limitingNesting(blocks), renderer);
    cmark::CmarkArena arena; // every node of this rendering, dropped together
    if (renderer == CmarkRenderer::html) return renderHtml(blocks, arena);
    cmark_node* document = makeDocument(blocks);
    if (!document) return {};
    switch (renderer) {
    case CmarkRenderer::commonMark: return copied(cmark_render_commonmark(document, CMARK_OPT_DEFAULT, 0));
    case CmarkRenderer::plainText: return copied(cmark_render_plaintext(document, CMARK_OPT_DEFAULT, 0));
    case CmarkRenderer::html: break;
    }
    return {};
}

} // namespace ridadozi
