#include "ui/Panels/ReplyExcerptWeight.h"

#include <algorithm>

namespace glimmo {
namespace {

// One unit is about 3 µs of the journal's layout and painting, measured one kind of piece at a time
// (bench/ui/ReplyExcerptMainLoopBench.cpp).
constexpr std::size_t perLine = 1;       // a line that goes on with a paragraph, a table or code
constexpr std::size_t perBlock = 8;      // a paragraph, heading or table that starts on the line
constexpr std::size_t perListItem = 30;  // the stacks around an item's content
constexpr std::size_t perListLevel = 2;  // each list an item is nested in
constexpr std::size_t perQuote = 6;
constexpr std::size_t perTableCell = 3;
constexpr std::size_t perMarkup = 1;
constexpr std::size_t perAutolink = 3;   // a link run of its own, however long
constexpr std::size_t bytesPerUnit = 32; // the text itself

constexpr std::string_view autolinkStarts[] = {"http://", "https://", "ftp://", "www."};

bool isBlankCharacter(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool startsCharacter(std::string_view text, std::size_t at) {
    return at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
}

// "#" to "######" and a blank or the line's end, indented at most three spaces.
bool isHeading(std::string_view line) {
    const std::size_t at = std::min(line.find_first_not_of(' '), line.size());
    const std::size_t end = std::min(line.find_first_not_of('#', at), line.size());
    return at <= 3 && end > at && end - at <= 6 && (end == line.size() || isBlankCharacter(line[end]));
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

// The piece of a line's text, outside code, that starts at `at`: an autolink, a table cell's bar, a
// markup character or any other character.
Piece pieceAt(std::string_view line, std::size_t at) {
    if (startsAutolink(line, at)) return {std::min(line.find_first_of(" \t\r<", at), line.size()), perAutolink};
    if (line[at] == '|') return {at + 1, perTableCell};
    return {at + 1, replyMarkupCharacters.find(line[at]) != std::string_view::npos ? perMarkup : 0};
}

// The end of the list or quote marker at `at`, or `at` when none starts there: "-", "*", "+" or an
// ordered item's number with "." or ")", each followed by a blank or the line's end; or ">".
std::size_t containerMarkerEnd(std::string_view line, std::size_t at) {
    const auto endsMarker = [&](std::size_t end) { return end >= line.size() || isBlankCharacter(line[end]); };
    const char c = line[at];
    if (c == '>') return at + 1;
    if ((c == '-' || c == '*' || c == '+') && endsMarker(at + 1)) return at + 1;
    std::size_t digits = at;
    while (digits < line.size() && digits - at < 9 && line[digits] >= '0' && line[digits] <= '9') ++digits;
    if (digits > at && digits < line.size() && (line[digits] == '.' || line[digits] == ')') && endsMarker(digits + 1)) {
        return digits + 1;
    }
    return at;
}

struct Marker {
    bool isQuote = false;
    std::size_t start = 0, end = 0; // bytes
    std::size_t column = 0;         // where it starts, tabs to the next multiple of four
    std::size_t contentColumn = 0;  // where a list item's content starts
};

// Calls `visit` with each container marker opening the line, in order; returns where its text starts.
template <class Visit>
std::size_t forEachMarker(std::string_view line, Visit&& visit) {
    std::size_t at = 0;
    std::size_t column = 0;
    const auto skipBlanks = [&] {
        for (; at < line.size() && isBlankCharacter(line[at]); ++at) {
            column = line[at] == '\t' ? column / 4 * 4 + 4 : line[at] == ' ' ? column + 1 : column;
        }
    };
    for (skipBlanks(); at < line.size();) {
        const std::size_t end = containerMarkerEnd(line, at);
        if (end == at) break;
        Marker marker{line[at] == '>', at, end, column};
        column += end - at;
        at = end;
        const std::size_t markerEndColumn = column;
        skipBlanks();
        const std::size_t gap = column - markerEndColumn;
        marker.contentColumn = markerEndColumn + (gap >= 1 && gap <= 4 && at < line.size() ? gap : 1);
        visit(marker);
    }
    return at;
}

} // namespace

std::size_t ReplyWeigher::listDepthAt(std::size_t column) const {
    return static_cast<std::size_t>(std::upper_bound(items_.begin(), items_.end(), column) - items_.begin());
}

ReplyWeigher::Line ReplyWeigher::weigh(std::string_view line, std::size_t budget) const {
    Line result;
    if (isBlankLine(line)) {
        result.fittingBytes = line.size();
        return result;
    }
    // Adds the weight of what ends at `end`; false once the budget is exceeded, where the walk stops:
    // the caller then only needs to know that the line does not fit.
    const auto add = [&](std::size_t end, std::size_t weight) {
        result.weight += weight;
        if (result.weight > budget) return false;
        if (startsCharacter(line, end)) result.fittingBytes = end;
        return true;
    };
    const auto bytesUpTo = [](std::size_t from, std::size_t to) { return to / bytesPerUnit - from / bytesPerUnit; };
    std::size_t at = 0;
    if (insideCode()) {
        if (!add(0, perLine)) return result;
    } else {
        // The markers are read whatever the budget: the caller may cut before an item that does not fit.
        bool fits = add(0, afterBlank_ || isHeading(line) ? perBlock : perLine);
        std::size_t quotes = 0;
        at = forEachMarker(line, [&](const Marker& marker) {
            std::size_t weight = 0;
            if (marker.isQuote) {
                weight = ++quotes > (afterBlank_ ? 0 : quoteDepth_) ? perQuote : 0;
            } else {
                result.opensListItem = true;
                weight = perListItem + perListLevel * (quotes == 0 ? listDepthAt(marker.column) : 0);
            }
            fits = fits && add(marker.end, weight + bytesUpTo(marker.start, marker.end));
        });
        if (!fits) return result;
    }
    while (at < line.size()) {
        const Piece piece = insideCode() ? Piece{at + 1, 0} : pieceAt(line, at);
        if (!add(piece.end, piece.weight + bytesUpTo(at, piece.end))) return result;
        at = piece.end;
    }
    return result;
}

void ReplyWeigher::take(std::string_view line) {
    if (isBlankLine(line)) {
        afterBlank_ = true;
        quoteDepth_ = 0;
        return;
    }
    if (!insideCode()) {
        std::size_t quotes = 0;
        bool listed = false;
        const std::size_t text = forEachMarker(line, [&](const Marker& marker) {
            if (marker.isQuote) {
                ++quotes;
            } else if (!listed && quotes == 0) {
                // An item closes the items it is not inside of, and is open itself until the same.
                listed = true;
                items_.erase(std::upper_bound(items_.begin(), items_.end(), marker.column), items_.end());
                items_.push_back(marker.contentColumn);
            }
        });
        if (!listed && quotes == 0 && afterBlank_) {
            // After a blank line, text indented less than an item's content ends that item.
            std::size_t column = 0;
            for (std::size_t at = 0; at < text; ++at) column = line[at] == '\t' ? column / 4 * 4 + 4 : column + 1;
            items_.erase(std::upper_bound(items_.begin(), items_.end(), column), items_.end());
        }
        quoteDepth_ = quotes;
    }
    followFence(line);
    afterBlank_ = false;
}

// Fenced code blocks are ``` or ~~~ indented at most three spaces; a blank line or a marker inside
// one is part of the code.
void ReplyWeigher::followFence(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && at < 3 && line[at] == ' ') ++at;
    if (at >= line.size() || (line[at] != '`' && line[at] != '~')) return;
    const char fence = line[at];
    std::size_t end = at;
    while (end < line.size() && line[end] == fence) ++end;
    const std::size_t length = end - at;
    if (length < 3) return;
    const std::string_view rest = line.substr(end);
    if (!insideCode()) {
        // A backtick fence's info string holds no backtick: such a line is inline code instead.
        if (fence == '`' && rest.find('`') != std::string_view::npos) return;
        fenceCharacter_ = fence;
        fenceLength_ = length;
    } else if (fence == fenceCharacter_ && length >= fenceLength_ && isBlankLine(rest)) {
        fenceLength_ = 0;
    }
}

bool isBlankLine(std::string_view line) { return std::all_of(line.begin(), line.end(), isBlankCharacter); }

std::size_t replyWeight(std::string_view text) {
    ReplyWeigher weigher;
    std::size_t weight = 0;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        weight += weigher.weigh(line, SIZE_MAX).weight;
        weigher.take(line);
        start = end + 1;
    }
    return weight;
}

} // namespace glimmo
