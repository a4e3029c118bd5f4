#pragma once

#include "platform/foundation/Utf8.h" // isValidUTF8, repairUTF8

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

// All functions take and give UTF-8. Invalid input is repaired first (invalid sequences become
// U+FFFD), so they never fail.

// User-perceived characters (extended grapheme clusters): a ZWJ family, a flag or "e" with a
// combining accent counts as one.
std::size_t graphemeCount(std::string_view text);

// The first n grapheme clusters; never cuts a cluster or a UTF-8 sequence in half.
std::string prefixGraphemes(std::string_view text, std::size_t n);

// prefixGraphemes(text, n) when the text has more than n grapheme clusters, nullopt otherwise.
// Counts without the break rules as long as the text is made of plain characters (nothing that
// joins with its neighbour), so it stays cheap for long texts.
std::optional<std::string> prefixGraphemesIfLonger(std::string_view text, std::size_t n);

// Unicode full case mapping, locale-independent ("ß" upper-cases to "SS").
std::string lowercased(std::string_view text);
std::string uppercased(std::string_view text);

// Without leading and trailing Unicode white space and newlines.
std::string trimmed(std::string_view text);

// Case-insensitive containment by Unicode case folding; an empty needle is not contained,
// as with the platform's string search.
bool containsCaseInsensitive(std::string_view haystack, std::string_view needle);

} // namespace glimmo
