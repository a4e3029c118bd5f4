#include "RidadoziRI/Styles/ColorSchemeImageFilter.h"

#include "platform/foundation/AsciiCase.h"
#include "platform/foundation/URL.h"

#include <string>

namespace ridadozi {

namespace {

// A relative reference ("logo.png") is a valid address too, resolved later against the image base
// URL; it is read against a stand-in base here only to find its fragment. An empty source is no
// address (against a base it would name the base itself).
std::optional<glimmo::URL> imageAddress(const std::string& source) {
    if (source.empty()) return std::nullopt;
    if (auto absolute = glimmo::URL::parse(source)) return absolute;
    static const glimmo::URL standIn = *glimmo::URL::parse("https://relative.invalid/");
    return glimmo::URL::parse(source, standIn);
}

bool keepsImage(const std::string& source, glimmo::ColorScheme scheme) {
    const auto url = imageAddress(source);
    if (!url) return false;
    const auto fragment = url->fragment();
    if (!fragment) return true;
    const std::string marker = glimmo::asciiLowercased(*fragment);
    switch (scheme) {
    case glimmo::ColorScheme::light: return marker != "gh-dark-mode-only";
    case glimmo::ColorScheme::dark: return marker != "gh-light-mode-only";
    }
    return true;
}

} // namespace

std::vector<BlockNode> filteringImages(const std::vector<BlockNode>& blocks, glimmo::ColorScheme scheme) {
    return rewrite(blocks, [scheme](InlineNode node) -> std::vector<InlineNode> {
        if (const auto* image = node.as<InlineNode::Image>()) {
            if (!keepsImage(image->source, scheme)) return {};
        }
        return {std::move(node)};
    });
}

} // namespace ridadozi
