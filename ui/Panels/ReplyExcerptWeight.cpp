#include "ui/Panels/ReplyExcerptWeight.h"

#include <algorithm>
#include <cstdint>

namespace glimmo {
namespace {

// One unit is about 3 µs of the journal's layout and painting, measured one kind of piece at a time
// (bench/ui/ReplyExcerptMainLoopBench.cpp).
constexpr std::size_t perLine = 1;       // a line that goes on with a paragraph, a table or code
constexpr std::size_t perBlock = 8;      // a paragraph, heading, code block or table that starts on the line
constexpr std::size_t perListItem = 30;  // the stacks around an item's content
constexpr std::size_t perListLevel = 2;  // each list an item is nested in
constexpr std::size_t perQuote = 6;
constexpr std::size_t perTableCell = 4;  // each column of a table's row, however few its bars
constexpr std::size_t perMarkup = 1;
constexpr std::size_t perAutolink = 3;   // a link run of its own, however long
constexpr std::size_t bytesPerUnit = 32; // the text itself

constexpr std::string_view autolinkStarts[] = {"http://", "https://", "ftp://", "www."};

bool startsCharacter(std::string_view text, std::size_t at) {
    return at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
}

// A bare address at `at` is a link of its own, but not as a link's destination ("](") or between "<"
// and ">", whose characters weigh already.
bool startsAutolink(std::string_view line, std::size_t at) {
    if (line[at] != 'h' && line[at] != 'f' && line[at] != 'w') return false;
    const std::string_view before = line.substr(0, at);
    if (before.ends_with("](") || before.ends_with('<')) return false;
    return std::any_of(std::begin(autolinkStarts), std::end(autolinkStarts),
                       [&](std::string_view start) { return line.substr(at).starts_with(start); });
}

struct Piece {
    std::size_t end = 0;
    std::size_t weight = 0; // besides its bytes
};

// The piece of a line's text that starts at `at`: an autolink, a markup character or any other
// character.
Piece pieceAt(std::string_view line, std::size_t at) {
    if (startsAutolink(line, at)) return {std::min(line.find_first_of(" \t<", at), line.size()), perAutolink};
    return {at + 1, replyMarkupCharacters.find(line[at]) != std::string_view::npos ? perMarkup : 0};
}

// Whether the line's text is read for inlines: code and HTML are shown as they are.
bool holdsInlines(ReplyLineKind kind) {
    switch (kind) {
    case ReplyLineKind::paragraph:
    case ReplyLineKind::paragraphLine:
    case ReplyLineKind::heading:
    case ReplyLineKind::tableRow: return true;
    default: return false;
    }
}

// What the line's own block costs before its text.
std::size_t blockWeight(const ReplyLineBlocks& blocks) {
    switch (blocks.kind) {
    case ReplyLineKind::blank: return 0;
    case ReplyLineKind::tableDelimiter: return perBlock + perTableCell * blocks.leaf.cells; // the header's
    case ReplyLineKind::tableRow: return perLine + perTableCell * blocks.leaf.cells;
    default: return opensLeafBlock(blocks.kind) ? perBlock : perLine;
    }
}

} // namespace

bool ReplyWeigher::Line::opensListItem() const {
    return std::any_of(blocks.opened.begin(), blocks.opened.end(), [](const ReplyOpenedContainer& c) { return !c.isQuote; });
}

ReplyWeigher::Line ReplyWeigher::weigh(std::string_view line, std::size_t budget) const {
    Line result{0, 0, blocks_.read(line)};
    // Adds the weight of what ends at `end`; false once the budget is exceeded, where the walk stops:
    // the caller then only needs to know that the line does not fit.
    const auto add = [&](std::size_t end, std::size_t weight) {
        result.weight += weight;
        if (result.weight > budget) return false;
        if (startsCharacter(line, end)) result.fittingBytes = end;
        return true;
    };
    const auto bytesUpTo = [](std::size_t from, std::size_t to) { return to / bytesPerUnit - from / bytesPerUnit; };
    if (!add(0, blockWeight(result.blocks))) return result;
    std::size_t at = 0;
    for (const ReplyOpenedContainer& container : result.blocks.opened) {
        const std::size_t weight = container.isQuote ? perQuote : perListItem + perListLevel * container.listDepth;
        if (!add(container.markerEnd, weight + bytesUpTo(at, container.markerEnd))) return result;
        at = container.markerEnd;
    }
    const bool inlines = holdsInlines(result.blocks.kind);
    while (at < line.size()) {
        const Piece piece = inlines && at >= result.blocks.textStart ? pieceAt(line, at) : Piece{at + 1, 0};
        if (!add(piece.end, piece.weight + bytesUpTo(at, piece.end))) return result;
        at = piece.end;
    }
    return result;
}

std::size_t replyWeight(std::string_view text) {
    ReplyWeigher weigher;
    std::size_t weight = 0;
    for (std::size_t start = 0; start < text.size();) {
        const ReplyLineSpan span = replyLineAt(text, start);
        const ReplyWeigher::Line line = weigher.weigh(text.substr(start, span.end - start), SIZE_MAX);
        weight += line.weight;
        weigher.take(line);
        start = span.next;
    }
    return weight;
}

} // namespace glimmo
