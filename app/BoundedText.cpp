#include "app/BoundedText.h"

#include "platform/foundation/JsonWriting.h"
#include "platform/foundation/Utf8.h"

namespace glimmo {
namespace {

constexpr std::string_view marker = "...";

// The text cut after its longest run of whole UTF-8 sequences that `size` measures at most `limit`
// less the marker, then the marker. `size` measures a sequence; a text is measured as its sequences.
template <class Size>
std::string textCutWithin(std::string_view text, std::size_t limit, Size size) {
    const std::size_t budget = limit > marker.size() ? limit - marker.size() : 0;
    std::size_t end = 0;
    std::size_t used = 0;
    while (end < text.size()) {
        const std::size_t length = utf8::decode(text, end).length;
        used += size(text.substr(end, length));
        if (used > budget) {
            break;
        }
        end += length;
    }
    std::string bounded;
    bounded.reserve(end + marker.size());
    bounded.append(text.substr(0, end)).append(marker);
    return bounded;
}

} // namespace

std::string textWithinBytes(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return std::string(text);
    }
    return textCutWithin(text, limit, [](std::string_view sequence) { return sequence.size(); });
}

std::string textWithinJSONStringSize(std::string_view text, std::size_t limit) {
    constexpr std::size_t quotes = 2;
    if (jsonStringSize(text) <= limit) {
        return std::string(text);
    }
    return textCutWithin(text, limit - quotes, jsonStringSequenceSize);
}

} // namespace glimmo
