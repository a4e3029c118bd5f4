#include "ui/Panels/ReplyText.h"

#include "ui/Panels/ReplyExcerpt.h"

#include <string>

namespace glimmo {

Text replyText(std::string_view reply) {
    const std::size_t length = replyExcerptLength(reply);
    if (length == reply.size()) return Text::verbatim(std::string(reply));
    std::string_view shown = reply.substr(0, length);
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.remove_suffix(1);
    return Text::verbatim(std::string(shown) + "\n\n") + Text::verbatim(leftOutNote(reply.size() - length)).italic();
}

} // namespace glimmo
