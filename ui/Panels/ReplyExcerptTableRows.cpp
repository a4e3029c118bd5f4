#include "ui/Panels/ReplyExcerptTableRows.h"

#include "ui/Panels/ReplyExcerptBlockStarts.h"

#include <algorithm>

namespace glimmo {
namespace {

// The length of the cell's text at `at`: anything up to a "|" that no backslash precedes.
std::size_t tableCellLength(std::string_view text, std::size_t at) {
    std::size_t end = text.find('|', at);
    while (end != std::string_view::npos && end > at && text[end - 1] == '\\') end = text.find('|', end + 1);
    return (end == std::string_view::npos ? text.size() : end) - at;
}

// A "|" and the blanks after it.
std::size_t tablePipeLength(std::string_view text, std::size_t at) {
    if (at >= text.size() || text[at] != '|') return 0;
    std::size_t end = at + 1;
    while (end < text.size() && (isSpaceOrTab(text[end]) || text[end] == '\v' || text[end] == '\f')) ++end;
    return end - at;
}

} // namespace

std::size_t tableRowCells(std::string_view text) {
    std::size_t cells = 0;
    for (std::size_t at = tablePipeLength(text, 0); at < text.size();) {
        const std::size_t cell = tableCellLength(text, at);
        const std::size_t pipe = tablePipeLength(text, at + cell);
        if (cell > 0 || pipe > 0) ++cells;
        at += cell + pipe;
        if (pipe == 0) break;
    }
    return cells;
}

bool isTableDelimiterRow(std::string_view rest) {
    const auto isSpace = [](char c) { return isSpaceOrTab(c) || c == '\v' || c == '\f'; };
    std::size_t at = rest.starts_with('|') ? 1 : 0;
    for (std::size_t markers = 0;; ++markers) {
        const std::size_t start = at;
        while (at < rest.size() && isSpace(rest[at])) ++at;
        if (at < rest.size() && rest[at] == ':') ++at;
        const std::size_t dashes = characterRunLength(rest, at, '-');
        at += dashes;
        if (at < rest.size() && rest[at] == ':') ++at;
        while (at < rest.size() && isSpace(rest[at])) ++at;
        if (dashes == 0) {
            // After the last marker a "|" may close the row, then blanks.
            at = start;
            return markers > 0 && std::all_of(rest.begin() + static_cast<std::ptrdiff_t>(at), rest.end(), isSpace);
        }
        if (at == rest.size()) return true;
        if (rest[at] != '|') return false;
        ++at;
    }
}

} // namespace glimmo
