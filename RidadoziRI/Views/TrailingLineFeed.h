#pragma once

#include <string>

namespace ridadozi {

// Code and HTML blocks lose exactly one final line feed before they are drawn. A final carriage return
// and line feed is one character and is kept.
inline std::string removingTrailingLineFeed(std::string text) {
    if (!text.empty() && text.back() == '\n' && !(text.size() >= 2 && text[text.size() - 2] == '\r')) text.pop_back();
    return text;
}

} // namespace ridadozi
