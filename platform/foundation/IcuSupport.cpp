#include "platform/foundation/IcuSupport.h"

#include "platform/foundation/Text.h"

namespace glimmo::icu_support {

icu::UnicodeString toUnicode(std::string_view utf8) {
    if (isValidUTF8(utf8)) {
        return icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    }
    const std::string repaired = repairUTF8(utf8);
    return icu::UnicodeString::fromUTF8(repaired);
}

std::string toUTF8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

} // namespace glimmo::icu_support
