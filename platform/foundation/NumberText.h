#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

// Numbers in the text that is stored or sent (files, request bodies, keys, saved window frames) are
// written and read the same way whatever the user's locale. Qt sets the C library's locale from the
// environment at start, and under one whose decimal separator is a comma, strtod, sscanf and printf
// write and read "0,7". Numbers only shown to the user may follow the locale; these never do.

// The shortest text that reads back as the same value: "0.7", "3", "1e+300", "-0", "inf", "nan".
std::string numberText(double value);
// A single-precision value with its own shortest digits: 0.7f gives "0.7", not the double nearest it.
std::string numberText(float value);
// The shortest text that JSON reads back as the same finite double and as a floating number, never an
// integer: "1e9", "1.5", "15e9", "1e-7", "0.0", "-0.0". No text that reads as the value that way is
// shorter, so a number read and written again never grows. Non-finite values, which JSON cannot hold,
// give what numberText gives.
std::string floatingNumberText(double value);

// The number that the whole of `text` spells in the form numberText writes (any decimal or exponent
// form, "inf", "nan"); nullopt for anything else: a comma for the point, blanks, a leading '+', more
// characters after the number, an empty text.
std::optional<double> parseNumber(std::string_view text);
// The whole number that all of `text` spells in decimal digits, with an optional leading '-'; nullopt
// for anything else and for a number outside the range of int64_t.
std::optional<std::int64_t> parseInteger(std::string_view text);

} // namespace glimmo
