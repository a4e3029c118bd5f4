#pragma once

#include "platform/runtime/Date.h"
#include "platform/runtime/ErrorValue.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

// Decoding failed: what was expected, where (a coding path like "candidates[0].content.parts", or a
// line and column of the text) and why.
class JSONDecodingError : public std::runtime_error, public CopiedAcrossThreads {
public:
    JSONDecodingError(std::string codingPath, std::string description);

    const std::string& codingPath() const noexcept { return codingPath_; }
    const std::string& description() const noexcept { return description_; }
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }

private:
    std::string codingPath_;
    std::string description_;
};

// Lower camel case to snake case: "fooBar" -> "foo_bar", "myURLKey" -> "my_url_key";
// leading and trailing underscores are kept.
std::string snakeCased(std::string_view camel);

// Standard alphabet with "=" padding.
std::string base64Encode(std::span<const std::uint8_t> bytes);
std::string base64Encode(std::string_view bytes);
// nullopt for characters outside the alphabet, a wrong length or bad padding.
std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text);
// Whether base64Decode would decode the text, without decoding it.
bool isBase64(std::string_view text);
// The length of base64Encode's text for `bytes` bytes: four for every three, the last padded.
std::size_t base64EncodedSize(std::size_t bytes);
// The most bytes whose Base64 text takes at most `size` bytes: what a budget for Base64 holds.
std::size_t base64BytesWithin(std::size_t size);
// The number of bytes base64Decode gives for a text isBase64 takes, told without decoding it.
std::size_t base64DecodedSize(std::string_view text);

// Two-space indentation, keys in the order the object holds them (so nlohmann::ordered_json keeps
// insertion order; nlohmann::json is sorted). Invalid UTF-8 in strings is written as U+FFFD.
std::string prettyJSON(const nlohmann::ordered_json& value);
std::string prettyJSON(const nlohmann::json& value);
std::string compactJSON(const nlohmann::ordered_json& value);
std::string compactJSON(const nlohmann::json& value);
// Appends compact JSON to `out`, but each floating number in its shortest form (floatingNumberText: 1e9,
// where nlohmann writes 1000000000.0), so no value is written longer than any text that reads as it:
// what a file's reader took, its writer gives back no larger.
void appendShortestJSON(std::string& out, const nlohmann::ordered_json& value);
// The size of what appendShortestJSON appends, told without making it.
std::size_t shortestJSONSize(const nlohmann::ordered_json& value);

// Deeper nesting than this is refused before parsing: every later copy, comparison and conversion of a
// value recurses once per level.
inline constexpr std::size_t maximumJSONNestingDepth = 512;

// What a parse takes beyond the grammar, checked on the text before anything is built.
struct JSONLimits {
    std::size_t bytes = std::numeric_limits<std::size_t>::max();
    std::size_t nestingDepth = maximumJSONNestingDepth;
    // Values, object members counted as values: one for the text, and one more for each opening
    // bracket of a non-empty array or object and each comma outside strings; so [[],[]] holds 3. That
    // bounds the memory a parse builds, about a hundred bytes per value besides the text of strings.
    std::size_t values = std::numeric_limits<std::size_t>::max();
};

// Throws JSONDecodingError when the text goes past a limit. Linear, no allocation; strings are
// skipped, so brackets and commas inside them do not count.
void checkJSONLimits(std::string_view text, const JSONLimits& limits = {});

// The text must be one JSON value, with nothing but blanks after it. Every failure is a
// JSONDecodingError: text that stops being JSON (naming its line and column), a NUL byte anywhere,
// anything after the value, numbers out of range, a text past `limits`.
nlohmann::json parseJSON(std::string_view text, const JSONLimits& limits = {});
// Objects keep their members in the text's order; a key given twice keeps its first place and its
// last value. Its time grows with an object's members, not with their square as nlohmann's own does.
nlohmann::ordered_json parseOrderedJSON(std::string_view text, const JSONLimits& limits = {});

// Dates as numbers of seconds since 2001-01-01 00:00:00 UTC.
double encodeDate(Date date);
// Throws JSONDecodingError when the value is not a number.
Date decodeDate(const nlohmann::json& value);
Date decodeDate(const nlohmann::ordered_json& value);

} // namespace glimmo
