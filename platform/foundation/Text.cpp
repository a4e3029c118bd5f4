#include "platform/foundation/Text.h"

#include "platform/foundation/IcuSupport.h"
#include "platform/foundation/Utf8.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace glimmo {

namespace {

// Creating a break iterator loads rules; one per thread is reused.
icu::BreakIterator& characterBreaks() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status) || !created) {
            throw std::runtime_error(std::string("ICU character break iterator unavailable: ") +
                                     u_errorName(status));
        }
        return created;
    }();
    return *iterator;
}

// Calls `visit(boundaryByteOffset)` for each grapheme boundary after the start until it returns false.
// `text` must be valid UTF-8: the boundaries are byte offsets into it.
template <typename Visit>
void forEachGraphemeEnd(std::string_view text, Visit visit) {
    if (text.empty()) {
        return;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu_support::UTextPointer utext(
        utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("ICU text open failed: ") + u_errorName(status));
    }
    icu::BreakIterator& iterator = characterBreaks();
    iterator.setText(utext.get(), status);
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("ICU break iterator failed: ") + u_errorName(status));
    }
    iterator.first();
    for (int32_t boundary = iterator.next(); boundary != icu::BreakIterator::DONE; boundary = iterator.next()) {
        if (!visit(static_cast<std::size_t>(boundary))) {
            break;
        }
    }
}

std::string validOrRepaired(std::string_view text) {
    return isValidUTF8(text) ? std::string(text) : repairUTF8(text);
}

} // namespace

std::size_t graphemeCount(std::string_view text) {
    const std::string valid = validOrRepaired(text);
    std::size_t count = 0;
    forEachGraphemeEnd(valid, [&](std::size_t) {
        ++count;
        return true;
    });
    return count;
}

std::string prefixGraphemes(std::string_view text, std::size_t n) {
    std::string valid = validOrRepaired(text);
    if (n == 0) {
        return {};
    }
    std::size_t taken = 0;
    std::size_t end = valid.size();
    forEachGraphemeEnd(valid, [&](std::size_t boundary) {
        if (++taken == n) {
            end = boundary;
            return false;
        }
        return true;
    });
    valid.resize(end);
    return valid;
}

std::optional<std::string> prefixGraphemesIfLonger(std::string_view text, std::size_t n) {
    // Each code point is a cluster of its own while it and the next one are of the break class
    // Other (ASCII letters, digits and punctuation, most letters of most scripts): no rule joins two
    // of them. The first n + 1 code points of that class settle the answer without a break iterator.
    if (text.size() <= n) {
        return std::nullopt; // n bytes hold at most n clusters
    }
    std::size_t position = 0;
    std::size_t count = 0;
    while (position < text.size()) {
        const auto byte = static_cast<unsigned char>(text[position]);
        std::size_t length = 1;
        bool plain = byte >= 0x20 && byte < 0x7F;
        if (byte >= 0x80) {
            const auto decoded = utf8::decode(text, position);
            const UChar32 c = static_cast<UChar32>(decoded.codePoint);
            plain = decoded.valid && u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK) == U_GCB_OTHER;
            length = decoded.length;
        }
        if (!plain) {
            break;
        }
        if (count == n) {
            return std::string(text.substr(0, position));
        }
        ++count;
        position += length;
    }
    if (position == text.size()) {
        return std::nullopt; // all plain: as many clusters as code points, at most n
    }
    if (graphemeCount(text) <= n) {
        return std::nullopt;
    }
    return prefixGraphemes(text, n);
}

std::string lowercased(std::string_view text) {
    icu::UnicodeString unicode = icu_support::toUnicode(text);
    return icu_support::toUTF8(unicode.toLower(icu::Locale::getRoot()));
}

std::string uppercased(std::string_view text) {
    icu::UnicodeString unicode = icu_support::toUnicode(text);
    return icu_support::toUTF8(unicode.toUpper(icu::Locale::getRoot()));
}

std::string trimmed(std::string_view text) {
    const std::string valid = validOrRepaired(text);
    std::size_t start = 0;
    while (start < valid.size()) {
        const auto decoded = utf8::decode(valid, start);
        if (!u_isUWhiteSpace(static_cast<UChar32>(decoded.codePoint))) {
            break;
        }
        start += decoded.length;
    }
    // From the back, a character at a time: a reply of megabytes ends in a few blanks at most.
    std::size_t end = valid.size();
    while (end > start) {
        std::size_t lead = end - 1;
        while (lead > start && (static_cast<unsigned char>(valid[lead]) & 0xC0) == 0x80) {
            --lead;
        }
        if (!u_isUWhiteSpace(static_cast<UChar32>(utf8::decode(valid, lead).codePoint))) {
            break;
        }
        end = lead;
    }
    return valid.substr(start, end - start);
}

bool containsCaseInsensitive(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) {
        return false;
    }
    icu::UnicodeString foldedHaystack = icu_support::toUnicode(haystack);
    icu::UnicodeString foldedNeedle = icu_support::toUnicode(needle);
    foldedHaystack.foldCase();
    foldedNeedle.foldCase();
    return foldedHaystack.indexOf(foldedNeedle) >= 0;
}

} // namespace glimmo
