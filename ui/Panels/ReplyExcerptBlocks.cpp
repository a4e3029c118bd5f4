#include "ui/Panels/ReplyExcerptBlocks.h"

#include "ui/Panels/ReplyExcerptBlockStarts.h"
#include "ui/Panels/ReplyExcerptHtmlBlocks.h"
#include "ui/Panels/ReplyExcerptLineCursor.h"
#include "ui/Panels/ReplyExcerptTableRows.h"

#include <algorithm>

namespace glimmo {
namespace {

constexpr std::size_t codeIndent = 4;

using Leaf = ReplyOpenLeaf::Kind;

ReplyOpenLeaf paragraphEndingWith(std::string_view text) { return {Leaf::paragraph, 0, 0, 0, tableRowCells(text)}; }

void setLine(ReplyLineBlocks& line, ReplyLineKind kind, std::size_t textStart, ReplyOpenLeaf leaf) {
    line.kind = kind;
    line.textStart = textStart;
    line.leaf = leaf;
}

} // namespace

bool opensLeafBlock(ReplyLineKind kind) {
    switch (kind) {
    case ReplyLineKind::paragraph:
    case ReplyLineKind::heading:
    case ReplyLineKind::thematicBreak:
    case ReplyLineKind::codeFence:
    case ReplyLineKind::indentedCode:
    case ReplyLineKind::html: return true;
    default: return false;
    }
}

ReplyLineBlocks ReplyBlockScanner::read(std::string_view text) const {
    ReplyLineCursor at(text);
    ReplyLineBlocks line;
    line.continuedContainers = continuedContainers(at);
    Leaf continued = Leaf::none;
    if (line.continuedContainers == containers_.size()) {
        if (readInOpenCodeOrHtml(at, line)) return line;
        continued = continuedLeaf(at);
    }
    openContainers(at, continued, line);
    readText(at, continued, line);
    return line;
}

std::size_t ReplyBlockScanner::continuedContainers(ReplyLineCursor& at) const {
    std::size_t matched = 0;
    for (; matched < containers_.size(); ++matched) {
        if (at.isBlank() && at.indent() == 0) {
            // Only an item with content goes on over a blank line: up to the next quote, or to an item
            // just opened empty, which can only be the innermost container.
            const auto quote = std::lower_bound(quotes_.begin(), quotes_.end(), matched);
            std::size_t end = quote == quotes_.end() ? containers_.size() : *quote;
            if (end == containers_.size() && !containers_.back().hasChild) --end;
            return std::max(matched, end);
        }
        const Container& container = containers_[matched];
        if (container.isQuote) {
            if (at.indent() > 3 || !at.rest().starts_with('>')) break;
            at.takeQuoteMarker();
        } else if (at.indent() >= container.contentIndent) {
            at.advanceColumns(container.contentIndent);
        } else if (at.isBlank() && container.hasChild) {
            at.advanceToNonspace();
        } else {
            break;
        }
    }
    return matched;
}

bool ReplyBlockScanner::readInOpenCodeOrHtml(ReplyLineCursor& at, ReplyLineBlocks& line) const {
    switch (leaf_.kind) {
    case Leaf::fencedCode:
        if (at.indent() <= 3 && closesCodeFence(at.rest(), {leaf_.fenceCharacter, leaf_.fenceLength})) {
            setLine(line, ReplyLineKind::closingFence, at.offset(), {});
        } else {
            setLine(line, ReplyLineKind::codeLine, at.offset(), leaf_);
        }
        return true;
    case Leaf::indentedCode:
        if (at.indent() < codeIndent && !at.isBlank()) return false;
        setLine(line, ReplyLineKind::codeLine, at.offset(), leaf_);
        return true;
    case Leaf::html:
        if (at.isBlank() && leaf_.htmlKind >= 6) return false;
        setLine(line, ReplyLineKind::htmlLine, at.offset(), endsHtmlBlock(leaf_.htmlKind, at.rest()) ? ReplyOpenLeaf{} : leaf_);
        return true;
    default: return false;
    }
}

Leaf ReplyBlockScanner::continuedLeaf(const ReplyLineCursor& at) const {
    if (at.isBlank()) return Leaf::none;
    if (leaf_.kind == Leaf::paragraph) return Leaf::paragraph;
    if (leaf_.kind == Leaf::table && tableRowCells(at.rest()) > 0) return Leaf::table;
    return Leaf::none;
}

void ReplyBlockScanner::openContainers(ReplyLineCursor& at, Leaf& continued, ReplyLineBlocks& line) const {
    std::size_t listDepth = listItemsAmong(line.continuedContainers);
    for (;; continued = Leaf::none) {
        const bool indented = at.indent() >= codeIndent;
        const std::string_view rest = at.rest();
        if (!indented && rest.starts_with('>')) {
            const std::size_t markerEnd = at.nonspace() + 1;
            at.takeQuoteMarker();
            line.opened.push_back({true, markerEnd, 0, listDepth});
            continue;
        }
        const auto marker = !indented ? listMarker(rest) : std::nullopt;
        // An underline or a break is read before a list marker; an item interrupting a paragraph has
        // content and, numbered, starts at 1.
        if (!marker || at.restIsThematicBreak() || (continued == Leaf::paragraph && isSetextUnderline(rest)) ||
            (continued == Leaf::paragraph && (!marker->startsAtOne || marker->opensEmptyItem))) {
            return;
        }
        const std::size_t markerIndent = at.indent();
        const std::size_t markerEnd = at.nonspace() + marker->width;
        at.advanceBytes(markerEnd - at.offset());
        line.opened.push_back({false, markerEnd, markerIndent + at.takeListItemPadding(marker->width), listDepth++});
    }
}

void ReplyBlockScanner::readText(ReplyLineCursor& at, Leaf continued, ReplyLineBlocks& line) const {
    const bool indented = at.indent() >= codeIndent;
    const std::string_view rest = at.rest();
    const std::size_t text = at.nonspace();
    if (!indented) {
        if (const std::size_t hashes = atxHeadingTextStart(rest)) return setLine(line, ReplyLineKind::heading, text + hashes, {});
        if (const auto fence = openingCodeFence(rest)) {
            return setLine(line, ReplyLineKind::codeFence, text, {Leaf::fencedCode, fence->character, fence->length, 0, 0});
        }
        if (const int html = htmlBlockStart(rest); html != 0 && (html != 7 || continued != Leaf::paragraph)) {
            const ReplyOpenLeaf leaf = endsHtmlBlock(html, rest) ? ReplyOpenLeaf{} : ReplyOpenLeaf{Leaf::html, 0, 0, html, 0};
            return setLine(line, ReplyLineKind::html, text, leaf);
        }
        if (continued == Leaf::paragraph && isSetextUnderline(rest)) return setLine(line, ReplyLineKind::setextUnderline, text, {});
        if (at.restIsThematicBreak()) return setLine(line, ReplyLineKind::thematicBreak, text, {});
    }
    const bool mayBeLazy = leaf_.kind == Leaf::paragraph && line.opened.empty();
    if (indented && !mayBeLazy && !at.isBlank()) {
        at.advanceColumns(codeIndent);
        return setLine(line, ReplyLineKind::indentedCode, at.offset(), {Leaf::indentedCode, 0, 0, 0, 0});
    }
    if (!line.opened.empty() && !line.opened.back().isQuote) {
        // A task list item's box is no text of its own.
        if (const std::size_t box = taskListItemBoxEnd(at.line())) {
            at.advanceBytes(box - at.offset());
            if (at.isBlank()) return setLine(line, ReplyLineKind::blank, at.nonspace(), {});
            return setLine(line, ReplyLineKind::paragraph, at.nonspace(), paragraphEndingWith(at.rest()));
        }
    }
    if (!indented && continued == Leaf::paragraph && isTableDelimiterRow(rest) && tableRowCells(rest) == leaf_.cells) {
        return setLine(line, ReplyLineKind::tableDelimiter, text, {Leaf::table, 0, 0, 0, leaf_.cells});
    }
    if (continued == Leaf::table) return setLine(line, ReplyLineKind::tableRow, text, leaf_);
    if (at.isBlank()) return setLine(line, ReplyLineKind::blank, text, {});
    if (mayBeLazy && continued != Leaf::paragraph) {
        // A lazy line: it goes on with the paragraph in the quotes and items it leaves out, its blanks
        // kept (as a table's header, a blank before a "|" makes a cell).
        line.continuedContainers = containers_.size();
        return setLine(line, ReplyLineKind::paragraphLine, text, paragraphEndingWith(at.fromOffset()));
    }
    setLine(line, continued == Leaf::paragraph ? ReplyLineKind::paragraphLine : ReplyLineKind::paragraph, text,
            paragraphEndingWith(rest));
}

void ReplyBlockScanner::take(const ReplyLineBlocks& line) {
    containers_.resize(line.continuedContainers);
    while (!quotes_.empty() && quotes_.back() >= containers_.size()) quotes_.pop_back();
    for (const ReplyOpenedContainer& opened : line.opened) {
        if (!containers_.empty()) containers_.back().hasChild = true;
        if (opened.isQuote) quotes_.push_back(containers_.size());
        containers_.push_back({opened.isQuote, opened.contentIndent, false});
    }
    if (opensLeafBlock(line.kind) && !containers_.empty()) containers_.back().hasChild = true;
    leaf_ = line.leaf;
}

std::size_t ReplyBlockScanner::listItemsAmong(std::size_t containers) const {
    const auto quotes = std::lower_bound(quotes_.begin(), quotes_.end(), containers) - quotes_.begin();
    return containers - static_cast<std::size_t>(quotes);
}

ReplyLineSpan replyLineAt(std::string_view text, std::size_t start) {
    std::size_t end = start;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    if (end == text.size()) return {end, end};
    return {end, end + (text.substr(end).starts_with("\r\n") ? 2 : 1)};
}

} // namespace glimmo
