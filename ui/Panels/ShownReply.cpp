#include "ui/Panels/ShownReply.h"

#include "RidadoziRI/MarkdownParser.h"
#include "ui/Panels/ReplyExcerpt.h"

#include <cstdio>

namespace glimmo {
namespace {

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

} // namespace

std::string leftOutNote(std::size_t leftOutBytes) {
    return "The rest of this reply (" + sizeText(leftOutBytes) + ") is not shown.";
}

ShownReply shownReply(std::string_view reply) {
    const std::size_t length = replyExcerptLength(reply);
    ShownReply shown;
    shown.content.blocks = ridadozi::MarkdownParser::parse(reply.substr(0, length)).value_or(std::vector<ridadozi::BlockNode>{});
    shown.leftOutBytes = reply.size() - length;
    if (shown.leftOutBytes > 0) {
        // Made as a block rather than parsed: it must not join whatever the cut left open.
        shown.content.blocks.push_back(ridadozi::BlockNode::paragraph(
            {ridadozi::InlineNode::emphasis({ridadozi::InlineNode::text(leftOutNote(shown.leftOutBytes))})}));
    }
    return shown;
}

} // namespace glimmo
