#include "app/BoundedText.h"

#include "platform/foundation/Utf8.h"

namespace glimmo {

std::string textWithinBytes(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return std::string(text);
    }
    constexpr std::string_view marker = "...";
    const std::size_t budget = limit > marker.size() ? limit - marker.size() : 0;
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + utf8::decode(text, end).length;
        if (next > budget) {
            break;
        }
        end = next;
    }
    std::string bounded;
    bounded.reserve(end + marker.size());
    bounded.append(text.substr(0, end)).append(marker);
    return bounded;
}

} // namespace glimmo
