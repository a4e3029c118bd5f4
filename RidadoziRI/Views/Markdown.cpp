#include "RidadoziRI/Views/Markdown.h"

#include "RidadoziRI/Document/NestingLimit.h"
#include "RidadoziRI/MarkdownParser.h"
#include "RidadoziRI/Styles/ColorSchemeImageFilter.h"
#include "RidadoziRI/Styles/TextStyles.h"
#include "RidadoziRI/Views/BlockNodeView.h"
#include "RidadoziRI/Views/MarkdownModifiers.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"
#include "platform/view/ScaledMetric.h"

namespace ridadozi {

namespace {

// The block views see the text style with its size replaced by the size scaled to the user's text
// size, and no scale factor left.
struct ScaledFontSizeModifier {
    glimmo::ScaledMetric _size;
    glimmo::AnyView content;

    ScaledFontSizeModifier(glimmo::CGFloat baseSize, glimmo::AnyView content)
        : _size(baseSize, glimmo::Font::TextStyle::body), content(std::move(content)) {}
    glimmo::AnyView body() const { return textStyle(content, AnyTextStyle(FontSize(*_size))); }
};

} // namespace

Markdown::Markdown(std::string_view markdown, std::optional<glimmo::URL> baseURL, std::optional<glimmo::URL> imageBaseURL)
    : Markdown(MarkdownContent(MarkdownParser::parse(markdown).value_or(std::vector<BlockNode>{})), std::move(baseURL),
               std::move(imageBaseURL)) {}

Markdown::Markdown(MarkdownContent content, std::optional<glimmo::URL> baseURL, std::optional<glimmo::URL> imageBaseURL)
    : content(std::move(content)), baseURL(baseURL), imageBaseURL(imageBaseURL ? std::move(imageBaseURL) : baseURL) {}

Markdown::Markdown(std::optional<glimmo::URL> baseURL, std::optional<glimmo::URL> imageBaseURL,
                   const std::function<MarkdownContent()>& build)
    : Markdown(build(), std::move(baseURL), std::move(imageBaseURL)) {}

glimmo::AnyView Markdown::body() const {
    // Content built in code may nest deeper than the parser would have built it.
    const auto blocks = limitingNesting(content.blocks);
    const auto scheme = *_colorScheme;
    const glimmo::AnyView resolved = TextStyleAttributesReader([blocks, scheme](const glimmo::AttributeContainer& attributes) {
        const auto font = fontProperties(attributes);
        glimmo::AnyView sequence =
            documentBlockSequence(filteringImages(blocks, scheme)).foregroundColor(attributes.value<glimmo::ForegroundColorAttribute>());
        if (const auto background = attributes.value<glimmo::BackgroundColorAttribute>()) {
            sequence = sequence.background(*background);
        }
        return glimmo::AnyView(ScaledFontSizeModifier(font ? font->size : FontProperties::defaultPointSize, sequence));
    });
    return textStyle(resolved, *_text).environment<BaseURLKey>(baseURL).environment<ImageBaseURLKey>(imageBaseURL);
}

} // namespace ridadozi
