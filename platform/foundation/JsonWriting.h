#pragma once

// Compact JSON written straight into a string piece by piece, for the stores that write megabytes: runs of
// plain text are copied whole where nlohmann's writer goes byte by byte, and nothing is built first.

#include <cstddef>
#include <string>
#include <string_view>

namespace glimmo {

enum class JSONSlashes { asTheyAre, escaped };

// Appends `text` as a JSON string, quotes included: a quote, a backslash and the control characters
// escaped as compactJSON escapes them ("\n", "\u0001"), "/" escaped only when asked (the platform's own
// encoder escapes it), and each invalid UTF-8 sequence written as U+FFFD. Text in valid UTF-8 comes out
// as compactJSON writes it.
void appendJSONString(std::string& out, std::string_view text, JSONSlashes slashes = JSONSlashes::asTheyAre);
// The size of what appendJSONString appends with slashes as they are, told without making it.
std::size_t jsonStringSize(std::string_view text);
// What one sequence of a text, as utf8::decode reads the text, adds to its jsonStringSize: a text takes
// its quotes and what its sequences add.
std::size_t jsonStringSequenceSize(std::string_view sequence);

// Appends a number as compactJSON writes it ("0.0", "786000000.5", "1e+20"); null when it is not finite.
void appendJSONNumber(std::string& out, double value);

} // namespace glimmo
