#include "platform/desktop/URLPolicy.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace glimmo {

bool isOpenableWebURL(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    std::string scheme(url.substr(0, colon));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static constexpr std::array<std::string_view, 3> allowed{"http", "https", "mailto"};
    if (std::find(allowed.begin(), allowed.end(), scheme) == allowed.end()) return false;
    const std::string_view rest = url.substr(colon + 1);
    if (rest.empty()) return false;
    // A handler must never see control characters or spaces: they are how arguments get split.
    return std::none_of(url.begin(), url.end(), [](unsigned char c) { return c <= 0x20 || c == 0x7f; });
}

} // namespace glimmo
