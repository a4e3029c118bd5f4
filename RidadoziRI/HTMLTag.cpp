#include "RidadoziRI/HTMLTag.h"

#include "RidadoziRI/FatalError.h"
#include "platform/foundation/Regex.h"
#include "platform/foundation/Text.h"

namespace ridadozi {

namespace {

const glimmo::Regex& tagPattern() {
    // Compiled once, on first use, and shared by every thread afterwards.
    static const glimmo::Regex pattern = [] {
        try {
            return glimmo::Regex(R"(<\/?([a-zA-Z0-9]+)[^>]*>)");
        } catch (const glimmo::RegexError& error) {
            fatalError("RidadoziRI/HTMLTag", error.what());
        }
    }();
    return pattern;
}

} // namespace

std::optional<HTMLTag> HTMLTag::parse(std::string_view html) {
    const auto match = tagPattern().firstMatch(html);
    if (!match || match->numberOfRanges() < 2 || !match->group(1)) return std::nullopt;
    return HTMLTag{glimmo::lowercased(match->group(1)->text)};
}

} // namespace ridadozi
