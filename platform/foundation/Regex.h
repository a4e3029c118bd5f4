#pragma once

#include "platform/runtime/ErrorValue.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

class RegexError : public std::runtime_error, public CopiedAcrossThreads {
public:
    using std::runtime_error::runtime_error;
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
};

struct RegexOptions {
    bool caseInsensitive = false;
    bool dotMatchesLineSeparators = false;
    bool multiline = false; // ^ and $ match at line boundaries
};

// A matched part: its text and its byte range in the UTF-8 input.
struct RegexCapture {
    std::string text;
    std::size_t location = 0; // byte offset
    std::size_t length = 0;   // bytes
};

struct RegexMatch {
    // Index 0 is the whole match, 1... the capture groups; a group that took no part is nullopt.
    std::vector<std::optional<RegexCapture>> ranges;

    const RegexCapture& whole() const { return *ranges.front(); }
    const std::optional<RegexCapture>& group(std::size_t index) const { return ranges.at(index); }
    std::size_t numberOfRanges() const { return ranges.size(); }
};

// An ICU regular expression. Input that is not valid UTF-8 is repaired first, so byte ranges refer
// to the repaired text (the same as the input when it was valid). Copies share the compiled pattern.
class Regex {
public:
    // Throws RegexError for a pattern ICU rejects.
    explicit Regex(std::string_view pattern, RegexOptions options = {});

    std::optional<RegexMatch> firstMatch(std::string_view input) const;
    std::vector<RegexMatch> matches(std::string_view input) const;
    // Template syntax: $0...$9 for groups, backslash escapes the next character.
    // Throws RegexError for a bad template.
    std::string replacingAll(std::string_view input, std::string_view templ) const;

    const std::string& pattern() const { return pattern_; }

private:
    struct Compiled;
    std::string pattern_;
    std::shared_ptr<const Compiled> compiled_;
};

} // namespace glimmo
