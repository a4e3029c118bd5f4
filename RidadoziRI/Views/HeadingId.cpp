#include "RidadoziRI/Views/HeadingId.h"

#include "RidadoziRI/Views/RawImageData.h"

#include <unicode/uchar.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace ridadozi {

namespace {

bool isAlphanumeric(UChar32 c) {
    return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

std::string lowercased(std::string_view piece) {
    std::string out;
    icu::UnicodeString::fromUTF8(icu::StringPiece(piece.data(), static_cast<int32_t>(piece.size())))
        .toLower(icu::Locale::getRoot())
        .toUTF8String(out);
    return out;
}

} // namespace

std::string kebabCased(std::string_view text) {
    std::string result;
    std::size_t pieceStart = 0;
    int32_t i = 0;
    const auto length = static_cast<int32_t>(text.size());
    while (i < length) {
        const int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(text.data(), i, length, c);
        // Malformed bytes are no letters: they separate like punctuation.
        if (c >= 0 && isAlphanumeric(c)) continue;
        result += lowercased(text.substr(pieceStart, static_cast<std::size_t>(start) - pieceStart));
        result += '-';
        pieceStart = static_cast<std::size_t>(i);
    }
    result += lowercased(text.substr(pieceStart));
    return result;
}

std::string headingId(const std::vector<InlineNode>& content) { return kebabCased(plainText(content)); }

} // namespace ridadozi
