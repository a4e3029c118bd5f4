#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "platform/foundation/Utf8.h"
#include "ui/Panels/ReplyExcerpt.h"
#include "ui/Panels/ReplyExcerptWeight.h"

namespace glimmo::fuzz::replyExcerpt {

// The excerpt keeps within its limits, ends on a whole character (of a reply that is UTF-8) and is the
// whole reply when that fits. The first byte sets small limits besides the window's own, so every cut is reached.
int fuzzOne(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply = bytesOf(data, size);
    const std::size_t small = size == 0 ? 1 : 1 + data[0];
    for (const ReplyExcerptLimits limits : {ReplyExcerptLimits{}, ReplyExcerptLimits{small * 4, small}}) {
        const std::size_t kept = replyExcerptLength(reply, limits);
        if (kept > reply.size()) fail("the excerpt is longer than the reply");
        const bool fitsWhole = reply.size() <= limits.bytes && replyWeight(reply) <= limits.weight;
        if (fitsWhole) {
            if (kept != reply.size()) fail("a reply within the limits is cut");
            continue;
        }
        if (kept > limits.bytes) fail("the excerpt is longer than its byte limit");
        if (replyWeight(reply.substr(0, kept)) > limits.weight) fail("the excerpt weighs more than its limit");
        if (kept < reply.size() && (static_cast<unsigned char>(reply[kept]) & 0xC0) == 0x80 && isValidUTF8(reply)) {
            fail("the excerpt ends inside a character");
        }
    }
    return 0;
}

} // namespace glimmo::fuzz::replyExcerpt
