#include "platform/foundation/Regex.h"

#include "platform/foundation/IcuSupport.h"
#include "platform/foundation/Text.h"

#include <unicode/regex.h>
#include <unicode/utext.h>

namespace glimmo {

struct Regex::Compiled {
    std::unique_ptr<icu::RegexPattern> pattern;
};

namespace {

std::string describe(UErrorCode status) { return u_errorName(status); }

std::unique_ptr<icu::RegexMatcher> makeMatcher(const icu::RegexPattern& pattern) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(status));
    if (U_FAILURE(status) || !matcher) {
        throw RegexError("cannot create a regular expression matcher: " + describe(status));
    }
    return matcher;
}

// Matches over the UTF-8 bytes themselves, so ICU reports byte offsets.
class Utf8Matching {
public:
    Utf8Matching(const icu::RegexPattern& pattern, std::string_view input)
        : text_(isValidUTF8(input) ? std::string(input) : repairUTF8(input)), matcher_(makeMatcher(pattern)) {
        UErrorCode status = U_ZERO_ERROR;
        utext_.reset(utext_openUTF8(nullptr, text_.data(), static_cast<int64_t>(text_.size()), &status));
        if (U_FAILURE(status)) {
            throw RegexError("cannot read the input text: " + describe(status));
        }
        matcher_->reset(utext_.get());
    }

    std::optional<RegexMatch> next() {
        UErrorCode status = U_ZERO_ERROR;
        if (!matcher_->find(status)) {
            if (U_FAILURE(status)) {
                throw RegexError("regular expression matching failed: " + describe(status));
            }
            return std::nullopt;
        }
        RegexMatch match;
        const int32_t groups = matcher_->groupCount();
        for (int32_t group = 0; group <= groups; ++group) {
            const int64_t start = matcher_->start64(group, status);
            const int64_t end = matcher_->end64(group, status);
            if (U_FAILURE(status)) {
                throw RegexError("regular expression matching failed: " + describe(status));
            }
            if (start < 0) {
                match.ranges.emplace_back(std::nullopt);
                continue;
            }
            const auto location = static_cast<std::size_t>(start);
            const auto length = static_cast<std::size_t>(end - start);
            match.ranges.emplace_back(RegexCapture{text_.substr(location, length), location, length});
        }
        return match;
    }

private:
    std::string text_;
    std::unique_ptr<icu::RegexMatcher> matcher_;
    icu_support::UTextPointer utext_;
};

} // namespace

Regex::Regex(std::string_view pattern, RegexOptions options) : pattern_(pattern) {
    uint32_t flags = 0;
    if (options.caseInsensitive) {
        flags |= UREGEX_CASE_INSENSITIVE;
    }
    if (options.dotMatchesLineSeparators) {
        flags |= UREGEX_DOTALL;
    }
    if (options.multiline) {
        flags |= UREGEX_MULTILINE;
    }
    UParseError parseError{};
    UErrorCode status = U_ZERO_ERROR;
    auto compiled = std::make_shared<Compiled>();
    compiled->pattern.reset(icu::RegexPattern::compile(icu_support::toUnicode(pattern), flags, parseError, status));
    if (U_FAILURE(status) || !compiled->pattern) {
        throw RegexError("invalid regular expression \"" + pattern_ + "\": " + describe(status) + " at offset " +
                         std::to_string(parseError.offset));
    }
    compiled_ = std::move(compiled);
}

std::optional<RegexMatch> Regex::firstMatch(std::string_view input) const {
    Utf8Matching matching(*compiled_->pattern, input);
    return matching.next();
}

std::vector<RegexMatch> Regex::matches(std::string_view input) const {
    Utf8Matching matching(*compiled_->pattern, input);
    std::vector<RegexMatch> all;
    while (auto match = matching.next()) {
        all.push_back(std::move(*match));
    }
    return all;
}

std::string Regex::replacingAll(std::string_view input, std::string_view templ) const {
    const auto matcher = makeMatcher(*compiled_->pattern);
    const icu::UnicodeString text = icu_support::toUnicode(input);
    matcher->reset(text);
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString replaced = matcher->replaceAll(icu_support::toUnicode(templ), status);
    if (U_FAILURE(status)) {
        throw RegexError("invalid replacement template \"" + std::string(templ) + "\": " + describe(status));
    }
    return icu_support::toUTF8(replaced);
}

} // namespace glimmo
