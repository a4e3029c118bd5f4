#include "ui/Panels/ReplyExcerpt.h"

#include <algorithm>
#include <cstdio>

namespace glimmo {
namespace {

constexpr std::size_t perLine = 4;
// A list item or a block quote is a stack of views around its content.
constexpr std::size_t perContainer = 20;
constexpr std::size_t perTableCell = 3;
constexpr std::size_t perMarkup = 1;

bool isBlankCharacter(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool isBlank(std::string_view line) { return std::all_of(line.begin(), line.end(), isBlankCharacter); }

bool startsCharacter(std::string_view text, std::size_t at) {
    return at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
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

// Follows fenced code blocks (``` or ~~~ indented at most three spaces): a blank line inside one
// is part of the code, not a boundary between blocks.
class FenceTracker {
public:
    bool isOpen() const { return length_ > 0; }

    void follow(std::string_view line) {
        std::size_t at = 0;
        while (at < line.size() && at < 3 && line[at] == ' ') ++at;
        if (at >= line.size() || (line[at] != '`' && line[at] != '~')) return;
        const char fence = line[at];
        std::size_t end = at;
        while (end < line.size() && line[end] == fence) ++end;
        const std::size_t length = end - at;
        if (length < 3) return;
        const std::string_view rest = line.substr(end);
        if (!isOpen()) {
            // A backtick fence's info string holds no backtick: such a line is inline code instead.
            if (fence == '`' && rest.find('`') != std::string_view::npos) return;
            character_ = fence;
            length_ = length;
        } else if (fence == character_ && length >= length_ && isBlank(rest)) {
            length_ = 0;
        }
    }

private:
    char character_ = 0;
    std::size_t length_ = 0;
};

// The end of the longest prefix of `text` of at most `bytes` bytes that ends on a whole character.
std::size_t characterBoundary(std::string_view text, std::size_t bytes) {
    std::size_t end = std::min(bytes, text.size());
    while (end > 0 && !startsCharacter(text, end)) --end;
    return end;
}

std::string sizeText(std::size_t bytes) {
    char text[32];
    if (bytes < 1000) {
        std::snprintf(text, sizeof text, "%zu bytes", bytes);
    } else if (bytes < 999500) {
        std::snprintf(text, sizeof text, "%zu KB", (bytes + 500) / 1000);
    } else {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    }
    return text;
}

// Cut short, a line may weigh more than it did whole: "-" or "1." at its end becomes a list item. Such
// characters are given up too.
std::size_t fittingPrefix(std::string_view line, std::size_t bytes, std::size_t budget) {
    std::size_t end = characterBoundary(line, bytes);
    while (end > 0 && weighLine(line.substr(0, end), budget).weight > budget) end = characterBoundary(line, end - 1);
    return end;
}

} // namespace

LineWeight weighLine(std::string_view line, std::size_t budget) {
    LineWeight result;
    if (isBlank(line)) {
        result.fittingBytes = line.size();
        return result;
    }
    // Adds the weight of what ends at `end`; false once the budget is exceeded, where the walk
    // stops: the caller then only needs to know that the line does not fit.
    const auto add = [&](std::size_t end, std::size_t weight) {
        result.weight += weight;
        if (result.weight > budget) return false;
        if (startsCharacter(line, end)) result.fittingBytes = end;
        return true;
    };
    if (!add(0, perLine)) return result;
    std::size_t at = 0;
    for (;;) {
        while (at < line.size() && isBlankCharacter(line[at])) ++at;
        if (at >= line.size()) break;
        const std::size_t end = containerMarkerEnd(line, at);
        if (end == at) break;
        if (!add(end, perContainer)) return result;
        at = end;
    }
    for (; at < line.size(); ++at) {
        const char c = line[at];
        if (!add(at + 1, c == '|' ? perTableCell : replyMarkupCharacters.find(c) != std::string_view::npos ? perMarkup : 0)) {
            return result;
        }
    }
    return result;
}

std::size_t replyExcerptLength(std::string_view reply, const ReplyExcerptLimits& limits) {
    // Nothing past the byte limit can be shown: a line reaching beyond it does not fit, however long
    // it is, so the walk never looks further.
    const std::string_view window = reply.substr(0, std::min(reply.size(), limits.bytes + 1));
    std::size_t weight = 0;
    std::size_t lastBoundary = 0; // before a blank line outside a fence, after some text
    std::size_t lastLineEnd = 0;  // after some text
    FenceTracker fence;
    for (std::size_t start = 0; start < window.size();) {
        const std::size_t newline = window.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? window.size() : newline;
        const std::string_view line = window.substr(start, end - start);
        const LineWeight lineWeight = weighLine(line, limits.weight - weight);
        if (end > limits.bytes || lineWeight.weight > limits.weight - weight) {
            if (lastBoundary > 0) return lastBoundary;
            if (lastLineEnd > 0) return lastLineEnd;
            return start + fittingPrefix(line, std::min(lineWeight.fittingBytes, limits.bytes - start), limits.weight - weight);
        }
        weight += lineWeight.weight;
        if (isBlank(line)) {
            if (lastLineEnd > 0 && !fence.isOpen()) lastBoundary = start;
        } else {
            lastLineEnd = end;
        }
        fence.follow(line);
        start = end + 1;
    }
    if (window.size() == reply.size()) return reply.size();
    // The window ended just after a line end: what follows is past the byte limit.
    return lastBoundary > 0 ? lastBoundary : lastLineEnd > 0 ? lastLineEnd : window.size() - 1;
}

std::string leftOutNote(std::size_t leftOutBytes) {
    return "The rest of this reply (" + sizeText(leftOutBytes) + ") is not shown.";
}

} // namespace glimmo
