#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ridadozi {

// The element name of a tag found in a piece of raw inline HTML. Opening and closing tags of the
// same element read the same.
struct HTMLTag {
    std::string name; // lower case

    // The first tag anywhere in `html`; no value when there is none (plain text, a comment).
    static std::optional<HTMLTag> parse(std::string_view html);

    bool operator==(const HTMLTag&) const = default;
};

} // namespace ridadozi
