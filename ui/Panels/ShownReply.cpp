#include "ui/Panels/ShownReply.h"

#include "RidadoziRI/MarkdownParser.h"
#include "ui/Panels/ReplyExcerpt.h"

namespace glimmo {

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
