#include "ui/Panels/ReplyExcerpt.h"

#include "ui/Panels/ReplyExcerptBlockStarts.h"
#include "ui/Panels/ReplyExcerptWeight.h"

#include <algorithm>
#include <cstdio>

namespace glimmo {
namespace {

// The end of the longest prefix of `text` of at most `bytes` bytes that ends on a whole character.
std::size_t characterBoundary(std::string_view text, std::size_t bytes) {
    std::size_t end = std::min(bytes, text.size());
    while (end > 0 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
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
std::size_t fittingPrefix(const ReplyWeigher& weigher, std::string_view line, std::size_t bytes, std::size_t budget) {
    std::size_t end = characterBoundary(line, bytes);
    while (end > 0 && weigher.weigh(line.substr(0, end), budget).weight > budget) {
        end = characterBoundary(line, end - 1);
    }
    return end;
}

// Whether the line starting `text` opens a list item (only its start is read).
bool opensListItem(const ReplyWeigher& weigher, std::string_view text) {
    const std::string_view start = text.substr(0, std::min<std::size_t>(replyLineAt(text, 0).end, 64));
    return weigher.weigh(start, 0).opensListItem();
}

} // namespace

std::size_t replyExcerptLength(std::string_view reply, const ReplyExcerptLimits& limits) {
    // Nothing past the byte limit can be shown: a line reaching beyond it does not fit, however long
    // it is, so the walk never looks further.
    const std::string_view window = reply.substr(0, std::min(reply.size(), limits.bytes + 1));
    std::size_t weight = 0;
    std::size_t lastCut = 0;     // before a blank line in no block or a list item's line, after some text
    std::size_t lastLineEnd = 0; // after some text
    ReplyWeigher weigher;
    for (std::size_t start = 0; start < window.size();) {
        const ReplyLineSpan span = replyLineAt(window, start);
        const std::string_view line = window.substr(start, span.end - start);
        const ReplyWeigher::Line lineWeight = weigher.weigh(line, limits.weight - weight);
        if (lineWeight.opensListItem() && lastLineEnd > 0) lastCut = std::max(lastCut, lastLineEnd);
        if (span.end > limits.bytes || lineWeight.weight > limits.weight - weight) {
            if (lastCut > 0) return lastCut;
            if (lastLineEnd > 0) return lastLineEnd;
            return start + fittingPrefix(weigher, line, std::min(lineWeight.fittingBytes, limits.bytes - start),
                                         limits.weight - weight);
        }
        weight += lineWeight.weight;
        if (!isBlankText(line)) {
            lastLineEnd = span.end;
        } else if (lastLineEnd > 0 && lineWeight.blocks.kind == ReplyLineKind::blank) {
            // A blank line that code or HTML does not take in ends a block.
            lastCut = start;
        }
        weigher.take(lineWeight);
        start = span.next;
    }
    if (reply.size() <= limits.bytes) return reply.size();
    // The window ended just after a line end: what follows, that line end too at the window's last
    // byte, is past the byte limit.
    std::string_view rest = reply.substr(window.size());
    if (window.ends_with('\r') && rest.starts_with('\n')) rest.remove_prefix(1);
    if (lastLineEnd > 0 && opensListItem(weigher, rest)) {
        lastCut = std::max(lastCut, lastLineEnd);
    }
    return lastCut > 0 ? lastCut : lastLineEnd > 0 ? lastLineEnd : window.size() - 1;
}

std::string leftOutNote(std::size_t leftOutBytes) {
    return "The rest of this reply (" + sizeText(leftOutBytes) + ") is not shown.";
}

} // namespace glimmo
