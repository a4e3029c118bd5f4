#include "RidadoziRI/Styles/InlineRenderers.h"

#include "RidadoziRI/HTMLTag.h"
#include "RidadoziRI/Styles/FontProperties.h"
#include "RidadoziRI/Views/ResolvedURL.h"

#include <cctype>
#include <utility>

namespace ridadozi {

namespace {

bool isLineBreakTag(const std::string& html) {
    const auto tag = HTMLTag::parse(html);
    return tag && tag->name == "br";
}

// The white space at the very start of `text` (ASCII white space and the Unicode spaces a regular
// expression's \s matches) goes; line feeds count as white space.
std::string droppingLeadingWhitespace(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            ++at;
        } else if (c == 0xC2 && at + 1 < text.size() &&
                   (static_cast<unsigned char>(text[at + 1]) == 0xA0 || static_cast<unsigned char>(text[at + 1]) == 0x85)) {
            at += 2; // no-break space, next line
        } else if (c == 0xE2 && at + 2 < text.size() && static_cast<unsigned char>(text[at + 1]) == 0x80 &&
                   ((static_cast<unsigned char>(text[at + 2]) >= 0x80 && static_cast<unsigned char>(text[at + 2]) <= 0x8A) ||
                    static_cast<unsigned char>(text[at + 2]) == 0xA8 || static_cast<unsigned char>(text[at + 2]) == 0xA9 ||
                    static_cast<unsigned char>(text[at + 2]) == 0xAF)) {
            at += 3; // the general-punctuation spaces and separators
        } else if (c == 0xE3 && at + 2 < text.size() && static_cast<unsigned char>(text[at + 1]) == 0x80 &&
                   static_cast<unsigned char>(text[at + 2]) == 0x80) {
            at += 3; // ideographic space
        } else {
            break;
        }
    }
    return text.substr(at);
}

} // namespace

AttributedStringInlineRenderer::AttributedStringInlineRenderer(std::optional<glimmo::URL> baseURL,
                                                               InlineTextStyles textStyles,
                                                               SoftBreak::Mode softBreakMode,
                                                               glimmo::AttributeContainer attributes)
    : baseURL(std::move(baseURL)), textStyles(std::move(textStyles)), softBreakMode(softBreakMode),
      attributes(std::move(attributes)) {}

void AttributedStringInlineRenderer::append(std::string text, const glimmo::AttributeContainer& with) {
    if (text.empty()) return;
    result.append(glimmo::AttributedString(std::move(text), with));
}

void AttributedStringInlineRenderer::render(const InlineNode& node) {
    if (const auto* text = node.as<InlineNode::Text>()) {
        renderText(text->text);
    } else if (const auto* code = node.as<InlineNode::Code>()) {
        glimmo::AttributeContainer codeAttributes = attributes;
        textStyles.code.applyAttributes(codeAttributes);
        append(code->code, codeAttributes);
    } else if (const auto* html = node.as<InlineNode::Html>()) {
        if (isLineBreakTag(html->html)) {
            append("\n", attributes);
            shouldSkipNextWhitespace = true;
        } else {
            renderText(html->html);
        }
    } else if (const auto* emphasis = node.as<InlineNode::Emphasis>()) {
        renderEmphasis(emphasis->children);
    } else if (const auto* strong = node.as<InlineNode::Strong>()) {
        renderStrong(strong->children);
    } else if (const auto* strikethrough = node.as<InlineNode::Strikethrough>()) {
        renderStrikethrough(strikethrough->children);
    } else if (const auto* link = node.as<InlineNode::Link>()) {
        renderLink(link->destination, link->children);
    } else if (node.is<InlineNode::SoftBreak>()) {
        if (softBreakMode == SoftBreak::Mode::space) {
            if (shouldSkipNextWhitespace) {
                shouldSkipNextWhitespace = false;
            } else {
                append(" ", attributes);
            }
        } else {
            append("\n", attributes);
        }
    } else if (node.is<InlineNode::LineBreak>()) {
        append("\n", attributes);
    }
    // Images are drawn only by the text renderer, at the top level of a run.
}

void AttributedStringInlineRenderer::renderText(std::string text) {
    if (shouldSkipNextWhitespace) {
        shouldSkipNextWhitespace = false;
        text = droppingLeadingWhitespace(text);
    }
    append(std::move(text), attributes);
}

void AttributedStringInlineRenderer::renderEmphasis(const std::vector<InlineNode>& children) {
    renderStyled(textStyles.emphasis, children, std::nullopt);
}

void AttributedStringInlineRenderer::renderStrong(const std::vector<InlineNode>& children) {
    renderStyled(textStyles.strong, children, std::nullopt);
}

void AttributedStringInlineRenderer::renderStrikethrough(const std::vector<InlineNode>& children) {
    renderStyled(textStyles.strikethrough, children, std::nullopt);
}

void AttributedStringInlineRenderer::renderLink(const std::string& destination, const std::vector<InlineNode>& children) {
    renderStyled(textStyles.link, children, destination);
}

void AttributedStringInlineRenderer::renderStyled(const AnyTextStyle& style, const std::vector<InlineNode>& children,
                                                  const std::optional<std::string>& linkDestination) {
    const glimmo::AttributeContainer saved = attributes;
    glimmo::AttributeContainer styled = attributes;
    style.applyAttributes(styled);
    attributes = std::move(styled);
    if (linkDestination) {
        attributes.set<glimmo::LinkAttribute>(linkURL(*linkDestination, baseURL));
    }
    for (const auto& child : children) render(child);
    attributes = saved;
}

TextInlineRenderer::TextInlineRenderer(std::optional<glimmo::URL> baseURL, InlineTextStyles textStyles,
                                       std::map<std::string, glimmo::Image> images, SoftBreak::Mode softBreakMode,
                                       glimmo::AttributeContainer attributes)
    : baseURL(std::move(baseURL)), textStyles(std::move(textStyles)), images(std::move(images)),
      softBreakMode(softBreakMode), attributes(std::move(attributes)) {}

void TextInlineRenderer::render(const InlineNode& node) {
    if (const auto* text = node.as<InlineNode::Text>()) {
        std::string content = text->text;
        if (shouldSkipNextWhitespace) {
            shouldSkipNextWhitespace = false;
            content = droppingLeadingWhitespace(content);
        }
        defaultRender(InlineNode::text(std::move(content)));
    } else if (const auto* html = node.as<InlineNode::Html>()) {
        if (isLineBreakTag(html->html)) {
            defaultRender(InlineNode::lineBreak());
            shouldSkipNextWhitespace = true;
        } else {
            defaultRender(node);
        }
    } else if (const auto* image = node.as<InlineNode::Image>()) {
        // An image not loaded (yet, or ever) draws nothing, not its alternative text.
        if (const auto found = images.find(image->source); found != images.end()) {
            result += glimmo::Text(found->second);
        }
    } else if (node.is<InlineNode::SoftBreak>()) {
        if (softBreakMode == SoftBreak::Mode::space) {
            if (shouldSkipNextWhitespace) {
                shouldSkipNextWhitespace = false;
            } else {
                defaultRender(node);
            }
        } else {
            shouldSkipNextWhitespace = true;
            defaultRender(InlineNode::lineBreak());
        }
    } else {
        defaultRender(node);
    }
}

void TextInlineRenderer::defaultRender(const InlineNode& node) {
    AttributedStringInlineRenderer renderer(baseURL, textStyles, softBreakMode, attributes);
    renderer.render(node);
    result += glimmo::Text(applyingFontProperties(renderer.result));
}

glimmo::Text renderedAsText(const std::vector<InlineNode>& inlines, const std::optional<glimmo::URL>& baseURL,
                            const InlineTextStyles& textStyles, const std::map<std::string, glimmo::Image>& images,
                            SoftBreak::Mode softBreakMode, const glimmo::AttributeContainer& attributes) {
    TextInlineRenderer renderer(baseURL, textStyles, images, softBreakMode, attributes);
    for (const auto& node : inlines) renderer.render(node);
    return renderer.result;
}

} // namespace ridadozi
